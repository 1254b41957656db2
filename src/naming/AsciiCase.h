#pragma once

#include <string>
#include <string_view>

// Lower-cases A to Z only: patterns and names are compared byte by byte, and
// the result must not depend on the user's locale.
inline std::string AsciiLowerCased(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return lower;
}
