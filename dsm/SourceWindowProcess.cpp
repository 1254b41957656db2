#include "dsm/SourceWindowProcess.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QLoggingCategory>
#include <chrono>
#include <cstring>
#include <filesystem>

Q_LOGGING_CATEGORY(lcWindow, "docketeer.dsm.window")

extern char** environ;

namespace {

constexpr char kProgramName[] = "docketeer-source-window";
// A widget program's start under sanitizers on a busy machine takes seconds.
constexpr auto kShowTimeout = std::chrono::seconds(30);
constexpr auto kEndTimeout = std::chrono::milliseconds(1000);

bool WaitForExit(pid_t child, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (::waitpid(child, nullptr, WNOHANG) == child)
      return true;
    if (std::chrono::steady_clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

}  // namespace

SourceWindowProcess::SourceWindowProcess(std::function<void(const std::string&)> onAnswer)
    : onAnswer_(std::move(onAnswer)) {}

SourceWindowProcess::~SourceWindowProcess() {
  closing_ = true;
  if (toChild_ >= 0)
    ::close(toChild_);  // the window's end of input: it closes
  if (child_ > 0 && !WaitForExit(child_, kEndTimeout)) {
    ::kill(child_, SIGKILL);
    ::waitpid(child_, nullptr, 0);
  }
  if (reader_.joinable())
    reader_.join();
}

std::string SourceWindowProcess::ProgramPath() {
  Dl_info info{};
  if (::dladdr(reinterpret_cast<void*>(&SourceWindowProcess::ProgramPath), &info) == 0 ||
      info.dli_fname == nullptr)
    return kProgramName;
  return (std::filesystem::path(info.dli_fname).parent_path() / kProgramName).string();
}

bool SourceWindowProcess::Start(const std::string& productName, const std::string& currentSource,
                                const std::vector<std::string>& sources) {
  const std::string program = ProgramPath();
  // The window's input is a socket so that a write to a window that is gone
  // fails instead of raising SIGPIPE in the application.
  int input[2];
  int output[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, input) != 0)
    return false;
  if (::pipe2(output, O_CLOEXEC) != 0) {
    ::close(input[0]);
    ::close(input[1]);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
  posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
  std::vector<std::string> arguments = {program, productName, currentSource};
  arguments.insert(arguments.end(), sources.begin(), sources.end());
  std::vector<char*> argv;
  for (std::string& argument : arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  const int spawned =
      ::posix_spawn(&child_, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(input[0]);
  ::close(output[1]);
  toChild_ = input[1];
  if (spawned != 0) {
    qCWarning(lcWindow, "Cannot start %s: %s", program.c_str(), std::strerror(spawned));
    child_ = -1;
    ::close(output[0]);
    return false;
  }
  // The first line says whether the window came up.
  std::string first;
  pollfd ready{output[0], POLLIN, 0};
  const auto deadline = std::chrono::steady_clock::now() + kShowTimeout;
  for (char byte = 0; first != "shown";) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) <= 0 ||
        ::read(output[0], &byte, 1) != 1 || byte == '\n')
      break;
    first += byte;
  }
  if (first != "shown") {
    qCWarning(lcWindow, "The source's window did not show (%s)", program.c_str());
    ::close(output[0]);
    return false;  // the destructor ends the program
  }
  reader_ = std::thread([this, fd = output[0]] { ReadAnswers(fd); });
  return true;
}

void SourceWindowProcess::Send(const std::string& line) {
  std::lock_guard lock(mutex_);
  if (toChild_ < 0)
    return;
  const std::string text = line + "\n";
  // A window that is gone is heard of by the reader; a failed write is no news.
  [[maybe_unused]] const ssize_t sent = ::send(toChild_, text.data(), text.size(), MSG_NOSIGNAL);
}

void SourceWindowProcess::ReadAnswers(int fd) {
  std::string line;
  char byte = 0;
  while (::read(fd, &byte, 1) == 1) {
    if (byte != '\n') {
      line += byte;
      continue;
    }
    if (!closing_)
      onAnswer_(line);
    line.clear();
  }
  ::close(fd);
  if (!closing_)
    onAnswer_("cancel");  // the window is gone
}
