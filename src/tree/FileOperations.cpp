#include "tree/FileOperations.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace {

std::string Reason(int error) {
  if (error == EEXIST || error == ENOTEMPTY)
    return "A file or folder with that name already exists.";
  return std::strerror(error);
}

}  // namespace

namespace FileOperations {

std::string RenameNoReplace(const std::string& source, const std::string& target) {
  if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
    return {};
  if (errno != EINVAL && errno != ENOSYS)
    return Reason(errno);
  // File systems without the no-replace flag: test first, which leaves only a
  // tiny window for another program to take the name.
  struct stat info {};
  if (::lstat(target.c_str(), &info) == 0)
    return Reason(EEXIST);
  return ::rename(source.c_str(), target.c_str()) == 0 ? std::string() : Reason(errno);
}

std::string RemovePermanently(const std::string& path) {
  std::error_code error;
  std::filesystem::remove_all(path, error);
  return error ? error.message() : std::string();
}

bool CreateFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0;
}

}  // namespace FileOperations
