#include "platform/watch/FolderWatcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>

#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "core/ThreadPriority.h"
#include "platform/watch/InotifySubtree.h"

namespace {

enum class Wake { Stop, Change, Timeout };

Wake WaitFor(int changeFd, int stopFd, int timeoutMilliseconds) {
  std::array<pollfd, 2> fds{pollfd{stopFd, POLLIN, 0}, pollfd{changeFd, POLLIN, 0}};
  for (;;) {
    const int ready = ::poll(fds.data(), fds.size(), timeoutMilliseconds);
    if (ready < 0 && errno == EINTR)
      continue;
    if (ready < 0 || (fds[0].revents != 0))
      return Wake::Stop;
    if (ready == 0)
      return Wake::Timeout;
    if (fds[1].revents & (POLLERR | POLLHUP | POLLNVAL))
      return Wake::Stop;
    return Wake::Change;
  }
}

}  // namespace

FolderWatcher::FolderWatcher(std::string folder, Options options, ChangeHandler onChange,
                             ReadyHandler onReady)
    : folder_(std::move(folder)),
      options_(options),
      onChange_(std::move(onChange)),
      onReady_(std::move(onReady)) {
  stopFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  CheckPostcondition(CONTRACT_LOCATION, stopFd_ >= 0);
  thread_ = std::thread([this] { Run(); });
}

FolderWatcher::~FolderWatcher() {
  Stop();
  ::close(stopFd_);
}

void FolderWatcher::RequestStop() {
  if (stopping_.exchange(true))
    return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(stopFd_, &one, sizeof one);
}

void FolderWatcher::Stop() {
  RequestStop();
  if (thread_.joinable())
    thread_.join();
}

void FolderWatcher::Run() {
  LowerThreadPriority();
  InotifySubtree watches(folder_, options_.includeFiles, options_.maxWatchedFolders, stopping_);
  if (!watches.Open()) {
    Log(LOG_LOCATION, "FolderWatcher::Run(): cannot watch %s", folder_.c_str());
    return;
  }
  if (onReady_ && !stopping_.load())
    onReady_();
  for (;;) {
    if (WaitFor(watches.Descriptor(), stopFd_, -1) != Wake::Change)
      return;
    if (!watches.ReadEvents())
      continue;
    if (!WaitForBurstEnd(watches))
      return;
    if (!onChange_() || watches.RootGone())
      return;
  }
}

// Collects the rest of a burst; false when the watcher was stopped meanwhile.
bool FolderWatcher::WaitForBurstEnd(InotifySubtree& watches) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(options_.maxBurstMilliseconds);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0)
      return true;
    const int timeout = static_cast<int>(std::min<long long>(left, options_.quietMilliseconds));
    switch (WaitFor(watches.Descriptor(), stopFd_, timeout)) {
      case Wake::Stop:
        return false;
      case Wake::Timeout:
        return true;
      case Wake::Change:
        watches.ReadEvents();
        break;
    }
  }
}
