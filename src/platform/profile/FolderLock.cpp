#include "platform/profile/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "core/DebugLog.h"

namespace {

// A holder only reads and rewrites one small file; one that keeps the lock
// this long is stuck (a hung network share), and waiting on it would freeze
// the window.
constexpr int kAttempts = 500;
constexpr std::chrono::milliseconds kPause(10);

}  // namespace

FolderLock::FolderLock(const std::string& folder) {
  const int fd =
      ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    Log(LOG_LOCATION, "FolderLock: %s not locked: %s", folder.c_str(), std::strerror(errno));
    return;
  }
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      return;
    }
    if (errno != EWOULDBLOCK && errno != EINTR)
      break;
    std::this_thread::sleep_for(kPause);
  }
  Log(LOG_LOCATION, "FolderLock: %s not locked: %s", folder.c_str(), std::strerror(errno));
  ::close(fd);
}

FolderLock::~FolderLock() {
  if (fd_ >= 0)
    ::close(fd_);  // closing the only descriptor releases the lock
}
