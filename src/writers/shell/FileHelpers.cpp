#include "writers/shell/FileHelpers.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>

bool EndsWithSeparator(const std::string& path) {
  return !path.empty() && path.back() == '/';
}

std::string RemoveExtension(std::string path) {
  const std::size_t nameStart = path.find_last_of('/') + 1;  // npos + 1 == 0
  const std::size_t dot = path.find_last_of('.');
  if (dot != std::string::npos && dot > nameStart)
    path.erase(dot);
  return path;
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
