#pragma once

#include <optional>
#include <string>

// Page file names come from a printf-style format with one integer, such as
// "Page %03d.jpg". The format is checked before use, so a stray "%s" or a
// second conversion can never read arguments that are not there.
bool IsPageNameFormat(const std::string& format);

// The name for `index`; nothing when the format is not a page name format.
std::optional<std::string> FormatPageName(const std::string& format, int index);
