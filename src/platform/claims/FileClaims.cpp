#include "platform/claims/FileClaims.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace {

std::atomic<bool> forceLinkFallback{false};

FileIdentity IdentityFromStat(const struct stat& info) {
  return FileIdentity{
      info.st_dev, info.st_ino, info.st_size,
      static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}

// NFS before version 4 and some FUSE file systems have no no-replace rename;
// link() refuses an existing target everywhere, so it keeps the promise there.
int LinkThenUnlink(const std::string& from, const std::string& to) {
  if (::link(from.c_str(), to.c_str()) != 0) {
    if (errno != EPERM && errno != ENOTSUP && errno != EOPNOTSUPP)
      return errno;
    // No hard links at all (some FUSE and SMB mounts): test, then rename,
    // which leaves only a tiny window.
    if (IdentityOf(to))
      return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
  }
  ::unlink(from.c_str());
  return 0;
}

}  // namespace

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0)
    return std::nullopt;
  return IdentityFromStat(info);
}

namespace FileClaims {

int CreateEmptyFile(const std::string& path, FileIdentity* identity) {
  // Mode 0666 lets the umask decide, as for any other file the user saves.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0)
    return errno;
  struct stat info {};
  const int result = ::fstat(fd, &info) == 0 ? 0 : errno;
  ::close(fd);
  if (result != 0) {
    ::unlink(path.c_str());
    return result;
  }
  if (identity != nullptr)
    *identity = IdentityFromStat(info);
  return 0;
}

int CreateFolder(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

void RemoveIfUnchanged(const std::string& path, const FileIdentity& identity) {
  if (IdentityOf(path) == identity)
    ::unlink(path.c_str());
}

int RenameNoReplace(const std::string& from, const std::string& to, RenameMethod* used) {
  if (!forceLinkFallback.load()) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
      if (used != nullptr)
        *used = RenameMethod::NoReplaceFlag;
      return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
      return errno;
  }
  if (used != nullptr)
    *used = RenameMethod::LinkThenUnlink;
  return LinkThenUnlink(from, to);
}

int ReplaceIfUnchanged(const std::string& from, const std::string& to,
                       const FileIdentity& expected) {
  const std::optional<FileIdentity> present = IdentityOf(to);
  if (!present)
    return RenameNoReplace(from, to);
  if (*present != expected)
    return EEXIST;
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void ForceLinkFallbackForTesting(bool force) {
  forceLinkFallback.store(force);
}

}  // namespace FileClaims
