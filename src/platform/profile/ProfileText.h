#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/TextFileForm.h"

// The text of a private profile (INI) file, with the lookup and update rules
// archives written on Windows rely on: section and key names match without
// regard to letter case, names and values are trimmed of blanks and tabs, the
// first occurrence of a key wins, lines starting with ";" are comments, and an
// update replaces the key in place or adds it, keeping every other line.
// The file keeps its form: byte order mark, encoding and each line's own end.
class ProfileText {
 public:
  ProfileText() = default;
  // The file's bytes: a UTF-8 or UTF-16 byte order mark, any of CR, LF and
  // CR LF as line ends, and a missing last line end are all accepted.
  explicit ProfileText(std::string_view bytes);
  explicit ProfileText(DecodedText decoded);

  // The trimmed value, cut at a NUL byte; nothing when the key is absent.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;

  // True when SetValue can store the three exactly: names without blanks at
  // either end and none of "=[];", no line break or NUL anywhere (it would
  // forge other keys), and text a UTF-16 file can hold (valid UTF-8).
  bool CanStore(std::string_view section, std::string_view key, std::string_view value) const;
  // Only what CanStore accepts.
  void SetValue(std::string_view section, std::string_view key, std::string_view value);

  // The file's bytes in its own form, every line with its own line end. New
  // lines, and a last line that lacked one, take the file's first line end,
  // or CR LF (what Windows writes) in a file that has none.
  std::string ToString() const;

 private:
  struct KeyLine {
    std::size_t index;
    std::string_view value;
  };

  std::optional<KeyLine> FindKey(std::string_view section, std::string_view key) const;
  std::optional<std::size_t> EndOfSection(std::string_view section) const;

  struct Line {
    std::string text;
    std::string end;
  };

  TextEncoding encoding_ = TextEncoding::Plain;
  std::string newLineEnd_ = "\r\n";
  std::vector<Line> lines_;
};

// A name or value without leading and trailing blanks and tabs.
std::string_view TrimBlanks(std::string_view text);

// True when `text` may be stored as a value: no CR, LF or NUL inside.
bool IsSingleLineValue(std::string_view text);
