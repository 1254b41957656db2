#include "platform/profile/ReplaceFileContents.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace {

// The process umask without changing it (umask(2) would, for every thread).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string label;
  while (status >> label) {
    if (label == "Umask:") {
      std::string octal;
      status >> octal;
      return static_cast<mode_t>(std::stoul(octal, nullptr, 8));
    }
  }
  return 022;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return false;
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

std::string TemporaryPattern(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  return folder + "." + name + ".XXXXXX";
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string& error) {
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && (!S_ISREG(existing.st_mode) || ::access(path.c_str(), W_OK) != 0)) {
    error = exists && !S_ISREG(existing.st_mode) ? "not a regular file" : std::strerror(EACCES);
    return false;
  }
  std::string temporary = TemporaryPattern(path);
  const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
  if (fd < 0) {
    error = std::strerror(errno);
    return false;
  }
  const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~CurrentUmask());
  bool done = WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
  int failure = done ? 0 : errno;
  if (::close(fd) != 0 && done) {
    done = false;
    failure = errno;
  }
  if (done && ::rename(temporary.c_str(), path.c_str()) != 0) {
    done = false;
    failure = errno;
  }
  if (!done) {
    ::unlink(temporary.c_str());
    error = std::strerror(failure != 0 ? failure : EIO);
  }
  return done;
}
