#pragma once

#include <string>
#include <string_view>

// Text as the index compares it: case folded and without accents, so that
// "muller" finds "Müller" and "STRASSE" finds "Straße". UTF-8 in and out.
std::string FoldText(std::string_view text);
