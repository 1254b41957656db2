#include "dsm/SaneThread.h"

SaneThread::SaneThread() : thread_([this] { Loop(); }) {}

SaneThread::~SaneThread() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void SaneThread::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  wake_.notify_one();
}

void SaneThread::Drain() {
  Run([] {});
}

bool SaneThread::IsCurrent() const {
  return std::this_thread::get_id() == thread_.get_id();
}

void SaneThread::Loop() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
      if (tasks_.empty())
        return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}
