#include "mend/ReplacementFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>

namespace {

std::atomic<int> failNextCommit{0};

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
}

// A short hidden name of its own, so a target whose name is near the length
// limit still gets one.
std::string TemporaryName() {
  static std::atomic<unsigned> counter{0};
  static thread_local std::mt19937 random{std::random_device{}()};
  char name[48];
  std::snprintf(name, sizeof name, ".docketeer-mend-%08x%04x.partial",
                static_cast<unsigned>(random()), counter.fetch_add(1) & 0xFFFFu);
  return name;
}

int SyncPath(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0)
    return errno;
  const int result = ::fsync(fd) == 0 ? 0 : errno;
  ::close(fd);
  return result;
}

}  // namespace

void FailNextReplacementForTesting(int errorNumber) {
  failNextCommit.store(errorNumber);
}

ReplacementFile::ReplacementFile(std::string target, std::optional<FileIdentity> replaced)
    : target_(std::move(target)), replaced_(replaced) {}

ReplacementFile::~ReplacementFile() {
  Discard();
}

int ReplacementFile::Create() {
  // A document the user may not write is not replaced behind its back, though
  // the folder would allow the rename.
  if (replaced_ && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0 &&
      (errno == EACCES || errno == EPERM || errno == EROFS))
    return errno;
  struct stat document {};
  const bool keepMode = replaced_ && ::stat(target_.c_str(), &document) == 0;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const std::string candidate = FolderOf(target_) + TemporaryName();
    // Mode 0666 lets the umask decide for a new file, as for any file the user saves.
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST)
        continue;
      return errno;
    }
    if (keepMode)
      ::fchmod(fd, document.st_mode & 07777);
    ::close(fd);
    temporaryPath_ = candidate;
    return 0;
  }
  return EEXIST;
}

int ReplacementFile::Commit() {
  if (temporaryPath_.empty())
    return ENOENT;
  if (const int error = SyncPath(temporaryPath_, O_RDONLY); error != 0)
    return error;
  if (const int error = failNextCommit.exchange(0); error != 0)
    return error;
  const int moved = replaced_ ? FileClaims::ReplaceIfUnchanged(temporaryPath_, target_, *replaced_)
                              : FileClaims::RenameNoReplace(temporaryPath_, target_);
  if (moved != 0)
    return moved;
  temporaryPath_.clear();
  // The rename itself reaches the disk with the folder.
  SyncPath(FolderOf(target_), O_RDONLY | O_DIRECTORY);
  return 0;
}

void ReplacementFile::Discard() {
  if (!temporaryPath_.empty())
    ::unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
}
