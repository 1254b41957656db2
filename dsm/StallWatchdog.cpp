#include "dsm/StallWatchdog.h"

StallWatchdog::StallWatchdog(std::chrono::milliseconds timeout, std::function<void()> onStall)
    : timeout_(timeout),
      onStall_(std::move(onStall)),
      lastKick_(Clock::now().time_since_epoch().count()),
      thread_([this] { Watch(); }) {}

StallWatchdog::~StallWatchdog() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void StallWatchdog::Kick() {
  lastKick_.store(Clock::now().time_since_epoch().count());
}

void StallWatchdog::Trip() {
  {
    std::lock_guard lock(mutex_);
    tripped_ = true;
  }
  wake_.notify_one();
}

void StallWatchdog::Watch() {
  std::unique_lock lock(mutex_);
  for (;;) {
    const Clock::time_point deadline{Clock::duration(lastKick_.load())};
    const auto due = deadline + timeout_;
    if (wake_.wait_until(lock, due, [this] { return stopping_ || tripped_; }) && stopping_)
      return;
    if (tripped_ || Clock::now().time_since_epoch().count() - lastKick_.load() >=
                        std::chrono::duration_cast<Clock::duration>(timeout_).count())
      break;
  }
  fired_.store(true);
  lock.unlock();
  onStall_();
}
