#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/profile/ProfileText.h"

// A private profile (INI) file on disk, read and written by key as the
// Windows profile routines do. The file is read once, at the first read, and
// kept with the object: a ProfileFile lives for one operation.
// Reads never fail: a missing, unreadable or oversized file reads as empty. A write reads the file
// again and rewrites it whole, holding a lock on its folder so that two processes updating
// different keys do not undo each other, through a temporary file in the same folder that is
// renamed into place, so a failed write (read-only file, full disk) leaves the old file exactly as
// it was. The rewrite keeps the file's byte order mark, encoding and line ends.
class ProfileFile {
 public:
  explicit ProfileFile(std::string path);

  const std::string& Path() const { return path_; }

  std::optional<std::string> ReadString(std::string_view section, std::string_view key) const;
  // A value that is not a decimal integer within 32 bits reads as `defaultValue`.
  std::int32_t ReadInt(std::string_view section, std::string_view key,
                       std::int32_t defaultValue) const;

  // Sets every pair in one rewrite. False when nothing was written, including
  // a pair the file cannot hold exactly (ProfileText::CanStore): a line break
  // would forge other keys, stray bytes would turn into U+FFFD in UTF-16.
  using KeyValues = std::vector<std::pair<std::string, std::string>>;
  bool WriteStrings(std::string_view section, const KeyValues& values) const;
  bool WriteString(std::string_view section, std::string_view key, std::string_view value) const;
  // As WriteStrings, with `adjust` given the file as it is under the lock, to
  // settle values that depend on what another process wrote meanwhile.
  using Adjustment = std::function<void(const ProfileText& current, KeyValues& values)>;
  bool UpdateStrings(std::string_view section, KeyValues values, const Adjustment& adjust) const;

  // True when the file does not exist yet, or when it is a regular file (not
  // a link, which could point anywhere) that can be opened for writing in a
  // folder where it can be replaced.
  bool CanWrite() const;

  // Files larger or longer than this are not profile files; they are neither
  // read nor rewritten (and cannot make a reader hold millions of lines).
  static constexpr std::int64_t kMaxFileSize = 16 * 1024 * 1024;
  static constexpr std::int64_t kMaxLineCount = 65536;

 private:
  // The file's text; nothing when it exists but is not ours to read or replace.
  const std::optional<ProfileText>& Text() const;

  std::string path_;
  mutable bool loaded_ = false;
  mutable std::optional<ProfileText> text_;
};

// The leading decimal integer of `text` ("12", "-1", "+7", "12abc"), or
// nothing when there is none or it does not fit 32 bits.
std::optional<std::int32_t> ParseProfileInt(std::string_view text);
