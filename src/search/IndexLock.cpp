#include "search/IndexLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

IndexLock::Result IndexLock::TryAcquire(std::string& why) {
  if (fd_ >= 0)
    return Result::Held;
  // Not blocking on open: a FIFO in its place must not hang the program.
  const int fd =
      ::open(file_.c_str(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) {
    why = file_ + ": " + std::strerror(errno);
    return Result::Unwritable;
  }
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    why = file_ + " is not a plain file";
    return Result::Unwritable;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK)
      return Result::Busy;
    why = file_ + ": " + std::strerror(error);
    return Result::Unwritable;
  }
  fd_ = fd;
  return Result::Held;
}

void IndexLock::Release() {
  if (fd_ < 0)
    return;
  ::close(fd_);  // releases the lock
  fd_ = -1;
}
