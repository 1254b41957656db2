#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// How a small text file was stored, so that a rewrite keeps it in the form
// its author chose: Notepad on Windows starts files with a byte order mark
// and may save them as UTF-16; old Macs end lines with CR alone.
enum class TextEncoding { Plain, Utf8WithMark, Utf16Le, Utf16Be };

struct DecodedText {
  TextEncoding encoding = TextEncoding::Plain;
  // The bytes after the mark; UTF-16 comes back as UTF-8.
  std::string text;
};

// Recognises a leading UTF-8 or UTF-16 byte order mark; without one the
// bytes are taken as they are (UTF-8 or a single-byte code page).
DecodedText DecodeTextFile(std::string_view bytes);
// True when `text` survives EncodeTextFile in `encoding` unchanged: UTF-16
// holds valid UTF-8 only; the other forms keep any bytes.
bool CanEncodeText(std::string_view text, TextEncoding encoding);
// The file's bytes for `text` in `encoding`, mark included.
std::string EncodeTextFile(std::string_view text, TextEncoding encoding);

// The length of the line end at `text[at]`: 2 for CR LF, 1 for a lone CR or
// LF, 0 when no line end starts there.
std::size_t LineEndLength(std::string_view text, std::size_t at);
// How many lines end in `text`, each CR LF counted once.
std::size_t CountLineEnds(std::string_view text);
// The first line end of `text`, or `fallback` when it has none.
std::string_view FirstLineEnd(std::string_view text, std::string_view fallback);
