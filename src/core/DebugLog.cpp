#include "core/DebugLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <QDir>
#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/Paths.h"
#include "core/Version.h"

namespace {

constexpr int kCallLevel = 127;
constexpr int kOpenLevel = 255;
constexpr std::size_t kMaxMessage = 1024;
constexpr std::size_t kMaxLine = 2048;

std::atomic<int> gLogLevel{0};
std::atomic<int> gLogFile{-1};
std::atomic<bool> gLogEcho{true};

// Writes all of a buffer with one write(2) call where the kernel allows it, so
// lines from the worker thread and the GUI thread never interleave.
void WriteOut(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR)
      continue;
    if (written <= 0)
      return;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
}

void Emit(const char* data, std::size_t size) {
  if (gLogEcho.load())
    WriteOut(STDERR_FILENO, data, size);
  const int fd = gLogFile.load();
  if (fd >= 0)
    WriteOut(fd, data, size);
}

bool IsSixtyFourBitSystem() {
  if (sizeof(void*) == 8)
    return true;
  utsname name{};
  if (::uname(&name) != 0)
    return false;
  const std::string machine = name.machine;
  return machine == "x86_64" || machine == "aarch64" || machine == "ppc64le" ||
         machine == "s390x" || machine == "riscv64";
}

void WriteStartBanner() {
  Log(LOG_LOCATION, "Starting Docketeer v%s", kVersionText);
  // The operating-system version lines name Windows releases and have no
  // counterpart here; the word size of the system is still worth knowing.
  Log(LOG_LOCATION, "OS Type: %s", IsSixtyFourBitSystem() ? "64 bit" : "32 bit");
}

}  // namespace

void Log(const LogLocation& location, const char* format, ...) {
  if (kCallLevel > gLogLevel.load())
    return;
  if (format[0] == '\n') {
    Emit("\r\n", 2);
    ++format;
  }

  char message[kMaxMessage];
  va_list args;
  va_start(args, format);
  std::vsnprintf(message, sizeof message, format, args);
  va_end(args);

  char line[kMaxLine];
  int length = 0;
  if (message[0] == '$') {
    message[0] = ' ';
    length = std::snprintf(line, sizeof line, "%s\r\n", message);
  } else {
    length =
        std::snprintf(line, sizeof line, "%s (%d) : %s\r\n", location.file, location.line, message);
  }
  if (length < 0)
    return;
  std::size_t size = static_cast<std::size_t>(length);
  if (size >= sizeof line) {
    // Cut lines still end with their line end.
    size = sizeof line - 1;
    line[size - 2] = '\r';
    line[size - 1] = '\n';
  }
  Emit(line, size);
}

int LogLevel() {
  return gLogLevel.load();
}

std::string TempFolder() {
  const std::string path = QDir::tempPath().toStdString();
  return EnsureTrailingSeparator(path);
}

std::string LogFolder() {
  return TempFolder() + "Docketeer/";
}

std::string LogFilePath() {
  return LogFolder() + "Docketeer.log";
}

bool OpenDebugLog() {
  const std::string folder = LogFolder();
  ::mkdir(folder.c_str(), 0700);
  const std::string path = LogFilePath();
  // O_EXCL and O_NOFOLLOW: in a shared temporary folder, never write through a
  // link that someone else put in the log's place. Processes started at the
  // same moment (scans from a scanner button) each recreate the log; one that
  // loses the race between unlink and open tries again.
  int fd = -1;
  for (int attempt = 0; attempt < 20 && fd < 0; ++attempt) {
    ::unlink(path.c_str());
    fd =
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST)
      return false;
  }
  if (fd < 0)
    return false;
  CloseDebugLog();
  gLogFile.store(fd);
  gLogLevel.store(kOpenLevel);
  WriteStartBanner();
  return true;
}

void CloseDebugLog() {
  gLogLevel.store(0);
  const int fd = gLogFile.exchange(-1);
  if (fd >= 0)
    ::close(fd);
}

void SetLogEcho(bool echo) {
  gLogEcho.store(echo);
}
