#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>

// The one thread on which an open device's SANE calls run. Tasks run in the
// order they were handed over; the destructor runs what is queued and joins.
class SaneThread {
 public:
  SaneThread();
  ~SaneThread();
  SaneThread(const SaneThread&) = delete;
  SaneThread& operator=(const SaneThread&) = delete;

  void Post(std::function<void()> task);

  // Runs `task` on the thread and waits for its result.
  template <typename Task>
  std::invoke_result_t<Task> Run(Task task) {
    using Result = std::invoke_result_t<Task>;
    if (IsCurrent())
      return task();
    auto packaged = std::make_shared<std::packaged_task<Result()>>(std::move(task));
    std::future<Result> result = packaged->get_future();
    Post([packaged] { (*packaged)(); });
    return result.get();
  }

  // Waits until every task handed over so far has run.
  void Drain();
  bool IsCurrent() const;

 private:
  void Loop();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  bool stopping_ = false;
  std::thread thread_;
};
