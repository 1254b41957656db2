#include "platform/profile/ReadFileContents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace {

using Status = FileContents::Status;

// Reads to the end, or one byte past `maxSize` for a file that grew after it was examined.
Status ReadAll(int fd, std::int64_t maxSize, std::string& bytes) {
  char buffer[65536];
  while (std::int64_t(bytes.size()) <= maxSize) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0)
      return Status::Unreadable;
    if (got == 0)
      return Status::Read;
    bytes.append(buffer, std::size_t(got));
  }
  return Status::TooLarge;
}

}  // namespace

std::string FileContents::Problem(std::int64_t maxSize) const {
  switch (status) {
    case Status::Read:
      return {};
    case Status::Missing:
      return "the file does not exist";
    case Status::NotAFile:
      return "not a regular file";
    case Status::TooLarge:
      return "larger than " + std::to_string(maxSize) + " bytes";
    case Status::Unreadable:
      break;
  }
  return "the file cannot be read";
}

FileContents ReadFileContents(const std::string& path, std::int64_t maxSize) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0)
    return {errno == ENOENT || errno == ENOTDIR ? Status::Missing : Status::Unreadable, {}};
  if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
    return {Status::NotAFile, {}};
  if (info.st_size > maxSize)
    return {Status::TooLarge, {}};
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0)
    return {Status::Unreadable, {}};
  FileContents contents;
  // The file may have been swapped for something else since it was examined.
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    contents.status = Status::NotAFile;
  else
    contents.status = ReadAll(fd, maxSize, contents.bytes);
  ::close(fd);
  if (!contents.Read())
    contents.bytes.clear();
  return contents;
}
