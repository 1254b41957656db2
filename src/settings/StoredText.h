#pragma once

#include <string>
#include <string_view>

// Files that travel with archives may have been written by the Windows
// version in its single-byte code page. Valid UTF-8 comes back unchanged;
// anything else is read as Latin-1, so names keep their accented letters
// instead of turning into replacement marks.
std::string Utf8OrLatin1(std::string_view bytes);
// True when `bytes` are valid UTF-8.
bool IsUtf8(std::string_view bytes);

// The text with every CR and LF turned into a blank, so that it fills exactly
// one line of a line-based file and cannot forge the lines after it.
std::string OnOneLine(std::string_view text);

// At most `maxCharacters` characters of UTF-8 text, never cutting one in half.
std::string CutToCharacters(std::string_view utf8, std::size_t maxCharacters);
