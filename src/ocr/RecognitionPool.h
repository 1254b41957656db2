#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ocr/PageTextSource.h"

class OrientationDetector;

// Recognises page files on worker threads, one engine each, as they are handed
// in, so that a document's text is ready soon after its last page reaches disk.
// An engine starts only when a page waits and none is free, and one left idle
// ends, so the models take memory only while there is work; the engines share
// one orientation model. A page that fails or runs past the time limit has no
// text, and the log says why. Destruction stops running pages and waits for
// the threads.
class RecognitionPool : public PageTextSource {
 public:
  struct Options {
    std::string dataFolder;  // ends in "/"
    std::string language;
    int threads = 0;  // 0: one per core
    int pageTimeLimitMs = 120000;
    int idleEndMs = 30000;  // an engine without work this long ends
  };

  explicit RecognitionPool(Options options);
  ~RecognitionPool() override;
  RecognitionPool(const RecognitionPool&) = delete;
  RecognitionPool& operator=(const RecognitionPool&) = delete;

  const std::string& Language() const { return options_.language; }

  // Starts recognising a page file; handing in a file again (a rescanned page)
  // starts it afresh and the earlier result is dropped.
  void Submit(const std::string& pageFile);
  void Prepare(const std::vector<std::string>& pageFiles) override;
  PageTextResult TextOf(const std::string& pageFile) override;
  int CountFinished(const std::vector<std::string>& pageFiles) const override;
  // Forgets the results of pages that have been written.
  void Forget(const std::vector<std::string>& pageFiles);

  // A failure that strikes every page (a language that is not installed)
  // since the last call; empty when there was none.
  std::string TakeProblem();

  // How many engines are alive now, working or waiting for a page.
  int EnginesAlive() const;

 private:
  using Clock = std::chrono::steady_clock;
  struct Job {
    std::string pageFile;
    bool started = false;
    bool finished = false;
    Clock::time_point startedAt;
    PageTextResult result;
  };

  struct Worker {
    std::thread thread;
    bool ended = false;
  };

  void StartWorkerLocked();
  void WorkerMain(Worker* self);
  std::shared_ptr<Job> NextJob();
  void Finish(const std::shared_ptr<Job>& job, PageTextResult result, const std::string& problem);
  std::shared_ptr<Job> SubmitLocked(const std::string& pageFile);
  bool Overdue(const Job& job) const;

  Options options_;
  mutable std::mutex mutex_;
  std::condition_variable workAvailable_;
  std::condition_variable jobFinished_;
  std::deque<std::shared_ptr<Job>> queue_;
  std::map<std::string, std::shared_ptr<Job>> jobs_;
  std::list<Worker> workers_;
  int alive_ = 0;
  int idle_ = 0;
  std::shared_ptr<OrientationDetector> orientation_;
  std::atomic<bool> stopping_{false};
  Clock::time_point lastProgress_ = Clock::now();
  std::string problem_;
};
