#include "platform/claims/ClaimRecord.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

constexpr std::size_t kMaxRecordSize = 4096;

std::string FirstLineOf(const char* path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}

std::string HostName() {
  char name[256] = {};
  return ::gethostname(name, sizeof name - 1) == 0 ? name : "";
}

std::string BootId() {
  return FirstLineOf("/proc/sys/kernel/random/boot_id");
}

template <typename Number>
bool ParseNumber(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

// Field 22 of /proc/PID/stat; the command name before it may hold blanks and
// parentheses, so the fields are counted from its closing parenthesis.
unsigned long long StartTicksOf(long pid) {
  const std::string stat = FirstLineOf(("/proc/" + std::to_string(pid) + "/stat").c_str());
  const std::size_t close = stat.rfind(')');
  if (close == std::string::npos)
    return 0;
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  for (int index = 3; index <= 22 && fields >> field; ++index) {
    if (unsigned long long ticks = 0; index == 22 && ParseNumber(field, ticks))
      return ticks;
  }
  return 0;
}

bool ProcessExists(long pid) {
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

ClaimOwner ThisProcess() {
  ClaimOwner owner;
  owner.host = HostName();
  owner.bootId = BootId();
  owner.pid = static_cast<long>(::getpid());
  owner.startTicks = StartTicksOf(owner.pid);
  return owner;
}

std::string FormatClaimOwner(const ClaimOwner& owner) {
  return "host=" + owner.host + "\nboot=" + owner.bootId + "\npid=" + std::to_string(owner.pid) +
         "\nstart=" + std::to_string(owner.startTicks) + "\nfile=" + owner.finalFile +
         "\nfolder=" + owner.pageFolder + "\n";
}

std::optional<ClaimOwner> ParseClaimOwner(std::string_view text) {
  ClaimOwner owner;
  int seen = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos)
      return std::nullopt;  // cut short
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    const std::size_t equals = line.find('=');
    const std::string_view key = line.substr(0, equals);
    const std::string_view value = equals == std::string_view::npos ? "" : line.substr(equals + 1);
    bool read = true;
    if (key == "host")
      owner.host = value;
    else if (key == "boot")
      owner.bootId = value;
    else if (key == "pid")
      read = ParseNumber(value, owner.pid);
    else if (key == "start")
      read = ParseNumber(value, owner.startTicks);
    else if (key == "file")
      owner.finalFile = value;
    else if (key == "folder")
      owner.pageFolder = value;
    else
      continue;  // written by a later version
    if (!read)
      return std::nullopt;
    ++seen;
  }
  if (seen < 6 || owner.pid <= 0)
    return std::nullopt;
  return owner;
}

bool IsOwnerGone(const ClaimOwner& owner) {
  if (owner.host != HostName())
    return false;
  if (owner.bootId != BootId())
    return true;
  if (!ProcessExists(owner.pid))
    return true;
  return StartTicksOf(owner.pid) != owner.startTicks;
}

namespace ClaimRecords {

int Create(const std::string& path, const ClaimOwner& owner) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
  if (fd < 0)
    return errno;
  const std::string text = FormatClaimOwner(owner);
  const bool written = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  const int error = written ? 0 : (errno != 0 ? errno : EIO);
  ::close(fd);
  if (!written)
    ::unlink(path.c_str());
  return error;
}

std::optional<ClaimOwner> Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in)
    return std::nullopt;
  std::string text(kMaxRecordSize, '\0');
  in.read(text.data(), std::streamsize(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return ParseClaimOwner(text);
}

}  // namespace ClaimRecords
