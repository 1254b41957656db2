#include "core/Paths.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

std::string EnsureTrailingSeparator(std::string path) {
  if (path.empty() || path.back() != '/')
    path.push_back('/');
  return path;
}

std::string RemoveTrailingSeparator(std::string path) {
  if (!path.empty() && path.back() == '/')
    path.pop_back();
  return path;
}

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && path.back() == '/';
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> components;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find('/', start), path.size());
    if (end > start)
      components.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return components;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

std::string PathFileName(const std::string& path) {
  const auto components = SplitPath(path);
  return components.empty() ? std::string() : components.back();
}

std::string PathExtension(const std::string& path) {
  const std::string name = PathFileName(path);
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos)
    return {};
  return QString::fromUtf8(name.substr(dot + 1)).toUpper().toStdString();
}

std::string RemoveExtension(std::string path) {
  const std::size_t nameStart = path.find_last_of('/') + 1;  // npos + 1 == 0
  const std::size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && dot > nameStart)
    path.erase(dot);
  return path;
}

bool IsValidNewName(const QString& name) {
  if (name.trimmed().isEmpty() || name == "." || name == "..")
    return false;
  for (const QChar c : name)
    if (QStringLiteral("\\/:*?\"<>|").contains(c) || c.category() == QChar::Other_Control)
      return false;
  return true;
}

bool IsValidNewName(const std::string& utf8Name) {
  return IsValidNewName(QString::fromUtf8(utf8Name));
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::exists(path, error);
}

std::uint64_t GetFileSize(const std::string& path) {
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  return error ? 0 : size;
}

bool IsFileWritable(const std::string& path) {
  // O_NONBLOCK keeps a FIFO without a reader from hanging the test; without
  // O_CREAT and O_TRUNC the open changes nothing.
  const int fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return false;
  ::close(fd);
  return true;
}
