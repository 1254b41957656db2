#include "ocr/RecognitionPool.h"

#include <dlfcn.h>
#include <malloc.h>

#include <algorithm>
#include <system_error>
#include <utility>

#include "core/DebugLog.h"
#include "ocr/OrientationDetector.h"
#include "ocr/TextEngine.h"

namespace {

// Layout analysis is not covered by the engine's own deadline, so a waiting
// writer gives up on a page this long after its limit.
constexpr auto kOverdueGrace = std::chrono::seconds(5);

// The engine splits each page over OpenMP threads of its own; with one page
// per core already, those threads only contend (and spin while they wait).
// Parallel teams are switched off for the calling thread, through the runtime
// the engine brought in, so an engine built without OpenMP is left as it is.
void KeepThisEngineToOneThread() {
  using SetLevels = void (*)(int);
  if (auto set = reinterpret_cast<SetLevels>(dlsym(RTLD_DEFAULT, "omp_set_max_active_levels")))
    set(0);
}

}  // namespace

RecognitionPool::RecognitionPool(Options options)
    : options_(std::move(options)), orientation_(OrientationDetector::Shared(options_.dataFolder)) {
  if (options_.threads <= 0)
    options_.threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

RecognitionPool::~RecognitionPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  workAvailable_.notify_all();
  for (Worker& worker : workers_)
    worker.thread.join();
}

// A worker starts for a page that no idle one can take, so a pool that is
// never used costs nothing and a single page loads a single engine.
void RecognitionPool::StartWorkerLocked() {
  std::erase_if(workers_, [](Worker& worker) {
    if (worker.ended)
      worker.thread.join();
    return worker.ended;
  });
  if (alive_ >= options_.threads || static_cast<int>(queue_.size()) <= idle_)
    return;
  Worker& worker = workers_.emplace_back();
  try {
    worker.thread = std::thread(&RecognitionPool::WorkerMain, this, &worker);
    ++alive_;
  } catch (const std::system_error& error) {
    workers_.pop_back();
    Log(LOG_LOCATION, "RecognitionPool::StartWorkerLocked(): %s", error.what());
    if (alive_ == 0)
      problem_ = std::string("text recognition cannot start a thread: ") + error.what();
  }
}

std::shared_ptr<RecognitionPool::Job> RecognitionPool::SubmitLocked(const std::string& pageFile) {
  auto job = std::make_shared<Job>();
  job->pageFile = pageFile;
  if (queue_.empty())
    lastProgress_ = Clock::now();
  jobs_[pageFile] = job;
  queue_.push_back(job);
  StartWorkerLocked();
  if (alive_ == 0) {
    queue_.pop_back();
    job->finished = true;
    job->result.failure = problem_;
  }
  return job;
}

void RecognitionPool::Submit(const std::string& pageFile) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_)
      return;
    SubmitLocked(pageFile);
  }
  workAvailable_.notify_one();
}

void RecognitionPool::Prepare(const std::vector<std::string>& pageFiles) {
  {
    std::lock_guard lock(mutex_);
    for (const std::string& pageFile : pageFiles)
      if (!stopping_ && !jobs_.contains(pageFile))
        SubmitLocked(pageFile);
  }
  workAvailable_.notify_all();
}

bool RecognitionPool::Overdue(const Job& job) const {
  return job.started && Clock::now() > job.startedAt +
                                           std::chrono::milliseconds(options_.pageTimeLimitMs) +
                                           kOverdueGrace;
}

PageTextResult RecognitionPool::TextOf(const std::string& pageFile) {
  std::unique_lock lock(mutex_);
  auto found = jobs_.find(pageFile);
  std::shared_ptr<Job> job = found != jobs_.end() ? found->second : nullptr;
  if (!job && !stopping_) {
    job = SubmitLocked(pageFile);
    workAvailable_.notify_one();
  }
  if (!job) {
    PageTextResult stopped;
    stopped.failure = "recognition was stopped";
    return stopped;
  }
  while (!job->finished && !Overdue(*job) && !stopping_)
    jobFinished_.wait_for(lock, std::chrono::milliseconds(200));
  if (job->finished)
    return job->result;
  PageTextResult late;
  late.failure = stopping_ ? "recognition was stopped" : "recognition did not finish in time";
  Log(LOG_LOCATION, "RecognitionPool::TextOf(): %s: no text: %s", pageFile.c_str(),
      late.failure.c_str());
  return late;
}

int RecognitionPool::CountFinished(const std::vector<std::string>& pageFiles) const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(std::ranges::count_if(pageFiles, [this](const std::string& file) {
    const auto found = jobs_.find(file);
    return found != jobs_.end() && found->second->finished;
  }));
}

void RecognitionPool::Forget(const std::vector<std::string>& pageFiles) {
  std::lock_guard lock(mutex_);
  for (const std::string& pageFile : pageFiles)
    jobs_.erase(pageFile);
}

std::string RecognitionPool::TakeProblem() {
  std::lock_guard lock(mutex_);
  return std::exchange(problem_, {});
}

int RecognitionPool::EnginesAlive() const {
  std::lock_guard lock(mutex_);
  return alive_;
}

// Null when the pool stops or no page came for the idle time: the worker ends.
std::shared_ptr<RecognitionPool::Job> RecognitionPool::NextJob() {
  std::unique_lock lock(mutex_);
  ++idle_;
  const bool woken = workAvailable_.wait_for(lock, std::chrono::milliseconds(options_.idleEndMs),
                                             [this] { return stopping_ || !queue_.empty(); });
  --idle_;
  if (stopping_ || !woken) {
    // The last engine to go unloads the shared orientation model; another
    // user (the archive search's recognition) loads it again when it reads.
    if (--alive_ == 0)
      orientation_->Unload();
    return nullptr;
  }
  std::shared_ptr<Job> job = std::move(queue_.front());
  queue_.pop_front();
  job->started = true;
  job->startedAt = Clock::now();
  lastProgress_ = job->startedAt;
  return job;
}

void RecognitionPool::Finish(const std::shared_ptr<Job>& job, PageTextResult result,
                             const std::string& problem) {
  if (!result.recognized)
    Log(LOG_LOCATION, "RecognitionPool::WorkerMain(): %s: no text: %s", job->pageFile.c_str(),
        result.failure.c_str());
  {
    std::lock_guard lock(mutex_);
    job->result = std::move(result);
    job->finished = true;
    lastProgress_ = Clock::now();
    if (!problem.empty() && problem_.empty())
      problem_ = problem;
  }
  jobFinished_.notify_all();
}

void RecognitionPool::WorkerMain(Worker* self) {
  KeepThisEngineToOneThread();
  {
    TextEngine engine(options_.dataFolder, options_.language, orientation_);
    while (std::shared_ptr<Job> job = NextJob()) {
      PageTextResult result;
      try {
        result = engine.Recognize(job->pageFile, options_.pageTimeLimitMs, stopping_);
      } catch (const std::exception& error) {
        result = PageTextResult{};
        result.failure = std::string("the engine failed: ") + error.what();
      }
      Finish(job, std::move(result), engine.StartFailure());
      // A page's tens of megabytes go back to the system rather than stay
      // with this thread's heap while the pool waits for the next page.
      malloc_trim(0);
    }
  }
  std::lock_guard lock(mutex_);
  self->ended = true;
}
