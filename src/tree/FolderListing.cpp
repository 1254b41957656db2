#include "tree/FolderListing.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <array>
#include <cstring>

namespace {

std::string RealPath(const std::string& path) {
  std::array<char, PATH_MAX> resolved{};
  return ::realpath(path.c_str(), resolved.data()) != nullptr ? std::string(resolved.data())
                                                              : std::string();
}

std::string ParentFolder(const std::string& path) {
  const size_t slash = path.find_last_of('/', path.size() > 1 ? path.size() - 2 : 0);
  if (slash == std::string::npos)
    return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

FolderEntry MakeEntry(const std::string& folder, const dirent& entry) {
  FolderEntry result{entry.d_name, entry.d_type == DT_DIR, entry.d_type == DT_LNK};
  if (entry.d_type == DT_LNK || entry.d_type == DT_UNKNOWN) {
    const std::string path =
        folder.ends_with('/') ? folder + entry.d_name : folder + "/" + entry.d_name;
    struct stat info {};
    if (entry.d_type == DT_UNKNOWN && ::lstat(path.c_str(), &info) == 0)
      result.isSymbolicLink = S_ISLNK(info.st_mode);
    result.isDirectory = ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }
  return result;
}

}  // namespace

namespace FolderListing {

bool ForEach(const std::string& folder, const std::function<bool(const FolderEntry&)>& visit) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr)
    return false;
  while (const dirent* entry = ::readdir(dir)) {
    if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
      continue;
    if (!visit(MakeEntry(folder, *entry)))
      break;
  }
  ::closedir(dir);
  return true;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::lstat(path.c_str(), &info) == 0;
}

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsLinkToOwnAncestor(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
    return false;
  const std::string target = RealPath(path);
  if (target.empty())
    return false;
  // Every folder of the way down counts, so links that lead to each other in
  // turn are caught as well as a link to its own parent.
  for (std::string folder = ParentFolder(path);; folder = ParentFolder(folder)) {
    if (RealPath(folder) == target)
      return true;
    if (folder == "/" || folder == ".")
      return false;
  }
}

}  // namespace FolderListing
