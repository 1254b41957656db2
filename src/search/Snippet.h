#pragma once

#include <functional>
#include <string>
#include <vector>

#include "search/SearchTypes.h"

// A short piece of `text` around the first word `matches` accepts (it is given
// the word folded by FoldText), every accepted word in it marked, runs of
// blanks and line ends made single blanks. Without such a word, the start of
// the text.
std::vector<SnippetPart> MakeSnippet(const std::string& text,
                                     const std::function<bool(const std::string&)>& matches,
                                     int width = 160);
