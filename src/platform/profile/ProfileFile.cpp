#include "platform/profile/ProfileFile.h"

#include <fcntl.h>
#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <charconv>

#include "core/DebugLog.h"
#include "platform/profile/ReplaceFileContents.h"

namespace {

enum class FileState { Missing, Readable, Unusable };

// Only a regular file of a sane size is a profile: a FIFO or device in its
// place would block or never end.
FileState StateOf(const QFileInfo& info) {
  if (!info.exists() && !info.isSymLink())
    return FileState::Missing;
  if (!info.isFile() || info.size() > ProfileFile::kMaxFileSize)
    return FileState::Unusable;
  return FileState::Readable;
}

bool CanOpenForWriting(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0)
    return false;
  ::close(fd);
  return true;
}

std::optional<ProfileText> LoadProfile(const std::string& path) {
  const QFileInfo info(QString::fromStdString(path));
  switch (StateOf(info)) {
    case FileState::Missing:
      return ProfileText();
    case FileState::Unusable:
      return std::nullopt;
    case FileState::Readable:
      break;
  }
  QFile file(info.filePath());
  if (!file.open(QIODevice::ReadOnly))
    return std::nullopt;
  const QByteArray bytes = file.read(ProfileFile::kMaxFileSize + 1);
  if (bytes.size() > ProfileFile::kMaxFileSize || bytes.count('\n') > ProfileFile::kMaxLineCount)
    return std::nullopt;
  return ProfileText(std::string_view(bytes.constData(), std::size_t(bytes.size())));
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
  for (const auto& [key, value] : values) {
    if (!IsSingleLineValue(value)) {
      Log(LOG_LOCATION, "ProfileFile::WriteStrings(): %s holds a line break; not written",
          key.c_str());
      return false;
    }
  }
  // A file that exists but cannot be read is not ours to replace, and a link
  // (which may come with an archive) must not redirect the write elsewhere.
  if (QFileInfo(QString::fromStdString(path_)).isSymLink())
    return false;
  if (!Text())
    return false;
  ProfileText updated = *Text();
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
  const QFileInfo info(QString::fromStdString(path_));
  switch (StateOf(info)) {
    case FileState::Missing:
      return true;
    case FileState::Unusable:
      return false;
    case FileState::Readable:
      break;
  }
  if (info.isSymLink())
    return false;
  // The rewrite replaces the file, so its folder must take a new file too.
  const std::string folder = info.absolutePath().toStdString();
  return CanOpenForWriting(path_) && ::access(folder.c_str(), W_OK) == 0;
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
