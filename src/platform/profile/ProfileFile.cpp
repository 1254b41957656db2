#include "platform/profile/ProfileFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <charconv>

#include "core/DebugLog.h"
#include "platform/profile/FolderLock.h"
#include "platform/profile/ReadFileContents.h"
#include "platform/profile/ReplaceFileContents.h"

// Paths are bytes: a folder copied from an old share may have a name that is
// not UTF-8, so the path never passes through QString here.
namespace {

enum class FileState { Missing, Readable, Unusable };

bool IsLink(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

// Only a regular file of a sane size is a profile: a FIFO or device in its
// place would block or never end.
FileState StateOf(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0)
    return FileState::Missing;
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
      info.st_size > ProfileFile::kMaxFileSize) {
    return FileState::Unusable;
  }
  return FileState::Readable;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool CanOpenForWriting(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0)
    return false;
  ::close(fd);
  return true;
}

std::optional<ProfileText> LoadProfile(const std::string& path) {
  const FileContents contents = ReadFileContents(path, ProfileFile::kMaxFileSize);
  if (contents.Missing())
    return ProfileText();
  if (!contents.Read())
    return std::nullopt;
  DecodedText decoded = DecodeTextFile(contents.bytes);
  if (CountLineEnds(decoded.text) > std::size_t(ProfileFile::kMaxLineCount))
    return std::nullopt;
  return ProfileText(std::move(decoded));
}

bool CanStoreAll(const ProfileText& text, std::string_view section,
                 const ProfileFile::KeyValues& values) {
  for (const auto& [key, value] : values) {
    if (!text.CanStore(section, key, value)) {
      Log(LOG_LOCATION, "ProfileFile::WriteStrings(): [%.*s] %s cannot be stored; not written",
          int(section.size()), section.data(), key.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace

ProfileFile::ProfileFile(std::string path) : path_(std::move(path)) {}

const std::optional<ProfileText>& ProfileFile::Text() const {
  if (!loaded_) {
    text_ = LoadProfile(path_);
    loaded_ = true;
  }
  return text_;
}

std::optional<std::string> ProfileFile::ReadString(std::string_view section,
                                                   std::string_view key) const {
  const auto& text = Text();
  return text ? text->Value(section, key) : std::nullopt;
}

std::int32_t ProfileFile::ReadInt(std::string_view section, std::string_view key,
                                  std::int32_t defaultValue) const {
  const auto value = ReadString(section, key);
  return value ? ParseProfileInt(*value).value_or(defaultValue) : defaultValue;
}

bool ProfileFile::WriteStrings(std::string_view section, const KeyValues& values) const {
  return UpdateStrings(section, values, {});
}

bool ProfileFile::UpdateStrings(std::string_view section, KeyValues values,
                                const Adjustment& adjust) const {
  // Checked against an empty text first, so a bad name or line break is
  // refused before the folder is locked.
  if (!CanStoreAll(ProfileText(), section, values))
    return false;
  // A link (which may come with an archive) must not redirect the write elsewhere.
  if (IsLink(path_))
    return false;
  // Another process may have updated the file since it was read: the update
  // starts from the file as it is now, and no other writer that takes the
  // lock can come in between.
  const FolderLock lock(FolderOf(path_));
  loaded_ = false;
  // A file that exists but cannot be read is not ours to replace.
  if (!Text())
    return false;
  ProfileText updated = *Text();
  if (adjust)
    adjust(updated, values);
  // The file's own encoding decides what it can hold: UTF-16 takes no stray bytes.
  if (!CanStoreAll(updated, section, values))
    return false;
  for (const auto& [key, value] : values)
    updated.SetValue(section, key, value);
  std::string error;
  const bool written = ReplaceFileContents(path_, updated.ToString(), error);
  if (written) {
    text_ = std::move(updated);
  } else {
    Log(LOG_LOCATION, "ProfileFile::WriteStrings(): unable to write %s: %s", path_.c_str(),
        error.c_str());
  }
  return written;
}

bool ProfileFile::WriteString(std::string_view section, std::string_view key,
                              std::string_view value) const {
  return WriteStrings(section, {{std::string(key), std::string(value)}});
}

bool ProfileFile::CanWrite() const {
  switch (StateOf(path_)) {
    case FileState::Missing:
      return true;
    case FileState::Unusable:
      return false;
    case FileState::Readable:
      break;
  }
  if (IsLink(path_))
    return false;
  // The rewrite replaces the file, so its folder must take a new file too.
  return CanOpenForWriting(path_) && ::access(FolderOf(path_).c_str(), W_OK) == 0;
}

std::optional<std::int32_t> ParseProfileInt(std::string_view text) {
  text = TrimBlanks(text);
  if (!text.empty() && text.front() == '+')
    text.remove_prefix(1);
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data())
    return std::nullopt;
  return value;
}
