#include "writers/StagedOutputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <random>

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string UniqueSuffix() {
  static std::atomic<unsigned> counter{0};
  static thread_local std::mt19937 random{std::random_device{}()};
  char suffix[48];
  std::snprintf(suffix, sizeof suffix, ".%d-%u-%08x.partial", static_cast<int>(getpid()),
                counter.fetch_add(1), static_cast<unsigned>(random()));
  return suffix;
}

}  // namespace

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
  for (int attempt = 0; attempt < 16; ++attempt) {
    // Mode 0666 lets the umask decide, as for any other file the user saves.
    const std::string candidate = FolderOf(target_) + "." + NameOf(target_) + UniqueSuffix();
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
  if (std::rename(temporaryPath_.c_str(), target_.c_str()) != 0)
    return Failed(errno);
  temporaryPath_.clear();
  return true;
}

void StagedOutputFile::Discard() {
  if (!temporaryPath_.empty())
    ::unlink(temporaryPath_.c_str());
  temporaryPath_.clear();
}
