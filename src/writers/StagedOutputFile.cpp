#include "writers/StagedOutputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/claims/ClaimedFiles.h"

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A short hidden name of its own: a name built from the target's could pass
// the 255-byte limit for a target whose own name is near it.
std::string StagedName() {
  static std::atomic<unsigned> counter{0};
  static thread_local std::mt19937 random{std::random_device{}()};
  char name[48];
  std::snprintf(name, sizeof name, ".docketeer-%08x%04x.partial", static_cast<unsigned>(random()),
                counter.fetch_add(1) & 0xFFFFu);
  return name;
}

}  // namespace

int ReplaceRefusal(const std::string& target) {
  // The rename would replace a file the user may not write without asking
  // anyone; the folder's permission is what rename itself checks.
  if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0)
    return 0;
  return errno == EACCES || errno == EPERM || errno == EROFS ? errno : 0;
}

StagedOutputFile::StagedOutputFile(std::string target) : target_(std::move(target)) {}

StagedOutputFile::~StagedOutputFile() {
  Discard();
}

bool StagedOutputFile::Failed(int errorNumber) {
  errorNumber_ = errorNumber;
  return false;
}

bool StagedOutputFile::Create() {
  if (target_.empty() || NameOf(target_).empty())
    return Failed(EINVAL);
  if (const int refusal = ReplaceRefusal(target_); refusal != 0)
    return Failed(refusal);
  for (int attempt = 0; attempt < 16; ++attempt) {
    // Mode 0666 lets the umask decide, as for any other file the user saves.
    const std::string candidate = FolderOf(target_) + StagedName();
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      temporaryPath_ = candidate;
      return true;
    }
    if (errno != EEXIST)
      return Failed(errno);
  }
  return Failed(EEXIST);
}

bool StagedOutputFile::Commit() {
  if (temporaryPath_.empty())
    return Failed(ENOENT);
  const int fd = ::open(temporaryPath_.c_str(), O_RDONLY | O_CLOEXEC);
  const bool synced = fd >= 0 && ::fsync(fd) == 0;
  const int syncError = errno;
  if (fd >= 0)
    ::close(fd);
  if (!synced)
    return Failed(syncError);
  // Asked again: the target may have turned read-only while the file was written.
  if (const int refusal = ReplaceRefusal(target_); refusal != 0)
    return Failed(refusal);
  // A name a scan claimed is replaced only while it holds what the claim expects.
  if (const int error = ClaimedFiles::MoveIntoPlace(temporaryPath_, target_); error != 0)
    return Failed(error);
  temporaryPath_.clear();
  return true;
}

void StagedOutputFile::Discard() {
  if (!temporaryPath_.empty())
    ::unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
}
