#pragma once

#include <regex>
#include <string>

// A PDF without its file identifier, which is new for every file written, so
// that two writes of the same document compare equal.
inline std::string WithoutPdfIdentifier(const std::string& pdf) {
  static const std::regex kIdentifier("/ID \\[<[0-9a-f]+><[0-9a-f]+>\\]");
  return std::regex_replace(pdf, kIdentifier, "/ID");
}
