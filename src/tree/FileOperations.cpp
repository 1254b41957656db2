#include "tree/FileOperations.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/claims/FileClaims.h"

namespace {

std::string Reason(int error) {
  if (error == EEXIST || error == ENOTEMPTY)
    return "A file or folder with that name already exists.";
  return std::strerror(error);
}

}  // namespace

namespace FileOperations {

std::string RenameNoReplace(const std::string& source, const std::string& target) {
  const int error = FileClaims::RenameNoReplace(source, target);
  return error == 0 ? std::string() : Reason(error);
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
