#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

// Reads numbered documents on worker threads, a few ahead of the one thread
// that takes them in order: reading a PDF costs far more than indexing its
// words, and every core can read.
template <typename Result>
class ReadAhead {
 public:
  using Read = std::function<Result(std::size_t index)>;

  ReadAhead(std::size_t count, Read read, unsigned threads, std::size_t window)
      : count_(count), read_(std::move(read)), window_(std::max<std::size_t>(window, 1)) {
    for (unsigned i = 0; i < std::max(threads, 1u) && i < count_; ++i)
      workers_.emplace_back([this] { Work(); });
  }

  // Stops reading and waits for the workers.
  ~ReadAhead() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_)
      worker.join();
  }

  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  // What was read for `index`; indexes are taken as 0, 1, 2 and so on.
  Result Take(std::size_t index) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return ready_.count(index) != 0; });
    Result result = std::move(ready_.at(index));
    ready_.erase(index);
    taken_ = index + 1;
    lock.unlock();
    changed_.notify_all();
    return result;
  }

 private:
  void Work() {
    for (;;) {
      std::size_t index;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || next_ >= count_ || next_ < taken_ + window_; });
        if (stop_ || next_ >= count_)
          return;
        index = next_++;
      }
      Result result = read_(index);
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        ready_.emplace(index, std::move(result));
      }
      changed_.notify_all();
    }
  }

  const std::size_t count_;
  const Read read_;
  const std::size_t window_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::size_t next_ = 0;   // the next document a worker starts on
  std::size_t taken_ = 0;  // documents taken so far
  bool stop_ = false;
  std::map<std::size_t, Result> ready_;
  std::vector<std::thread> workers_;
};
