#include "writers/CheckedFileSink.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace {

constexpr std::size_t kCopyBytes = 256 * 1024;

bool WriteAll(int fd, const char* data, std::size_t size, int& errorNumber) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0) {
      errorNumber = written < 0 ? errno : ENOSPC;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

void CloseFd(int& fd) {
  if (fd >= 0)
    ::close(fd);
  fd = -1;
}

}  // namespace

CheckedFileSink::~CheckedFileSink() {
  Abandon();
}

bool CheckedFileSink::Open(const std::string& path) {
  errorNumber_ = 0;
  int ends[2] = {-1, -1};
  fileFd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  const bool piped = fileFd_ >= 0 && ::pipe2(ends, O_CLOEXEC) == 0;
  readFd_ = ends[0];
  writeFd_ = ends[1];
  if (!piped || (stopFd_ = ::eventfd(0, EFD_CLOEXEC)) < 0) {
    errorNumber_ = errno;
    Abandon();
    return false;
  }
  copier_ = std::thread([this] { Copy(); });
  return true;
}

std::string CheckedFileSink::PipePath() const {
  return "/proc/self/fd/" + std::to_string(writeFd_);
}

// Copies until told that the library is done, then takes what is left in the
// pipe without waiting for its end: a process started meanwhile elsewhere in
// the program may have inherited the library's end and keep it open. After a
// failed write the rest is read and dropped, so the library never blocks.
void CheckedFileSink::Copy() {
  std::vector<char> buffer(kCopyBytes);
  int failure = 0;
  bool draining = false;
  for (;;) {
    pollfd waits[2] = {{readFd_, POLLIN, 0}, {stopFd_, POLLIN, 0}};
    if (!draining && ::poll(waits, 2, -1) < 0) {
      if (errno == EINTR)
        continue;
      failure = failure != 0 ? failure : errno;
      break;
    }
    if (!draining && (waits[1].revents & POLLIN) != 0) {
      draining = true;
      ::fcntl(readFd_, F_SETFL, ::fcntl(readFd_, F_GETFL) | O_NONBLOCK);
    }
    if (!draining && waits[0].revents == 0)
      continue;
    const ssize_t got = ::read(readFd_, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR)
      continue;
    if (got < 0 && errno != EAGAIN && failure == 0)
      failure = errno;
    if (got <= 0)
      break;
    if (failure == 0)
      WriteAll(fileFd_, buffer.data(), static_cast<std::size_t>(got), failure);
  }
  errorNumber_ = failure;
}

void CheckedFileSink::StopCopying() {
  CloseFd(writeFd_);
  const std::uint64_t one = 1;
  if (::write(stopFd_, &one, sizeof one) != sizeof one)
    CloseFd(readFd_);  // cannot happen for a fresh eventfd; ends the copy all the same
  copier_.join();
}

bool CheckedFileSink::Close() {
  if (!copier_.joinable())
    return false;
  StopCopying();
  CloseFd(readFd_);
  CloseFd(stopFd_);
  if (errorNumber_ == 0 && ::fsync(fileFd_) != 0)
    errorNumber_ = errno;
  if (::close(fileFd_) != 0 && errorNumber_ == 0)
    errorNumber_ = errno;
  fileFd_ = -1;
  return errorNumber_ == 0;
}

void CheckedFileSink::Abandon() {
  if (copier_.joinable())
    StopCopying();
  CloseFd(writeFd_);
  CloseFd(readFd_);
  CloseFd(stopFd_);
  CloseFd(fileFd_);
}
