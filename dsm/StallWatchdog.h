#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Watches a device that should keep delivering data: when Kick() has not been
// called for `timeout`, or Trip() is called, `onStall` runs once on the
// watchdog's own thread. Stops and joins on destruction.
class StallWatchdog {
 public:
  StallWatchdog(std::chrono::milliseconds timeout, std::function<void()> onStall);
  ~StallWatchdog();
  StallWatchdog(const StallWatchdog&) = delete;
  StallWatchdog& operator=(const StallWatchdog&) = delete;

  void Kick();
  void Trip();
  bool HasFired() const { return fired_.load(); }

 private:
  using Clock = std::chrono::steady_clock;
  void Watch();

  std::chrono::milliseconds timeout_;
  std::function<void()> onStall_;
  std::atomic<Clock::rep> lastKick_;
  std::atomic<bool> fired_{false};
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  bool tripped_ = false;
  std::thread thread_;
};
