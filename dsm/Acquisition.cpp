#include "dsm/Acquisition.h"

#include <QLoggingCategory>
#include <algorithm>
#include <thread>

#include "dsm/FrameAssembler.h"
#include "dsm/SaneStatus.h"
#include "dsm/StallWatchdog.h"
#include "twain/GlobalMemory.h"

Q_LOGGING_CATEGORY(lcAcquisition, "docketeer.dsm.acquisition")

namespace {

constexpr SANE_Int kReadChunk = 256 * 1024;

}  // namespace

Acquisition::Acquisition(SaneApi& api, SANE_Handle handle, AcquisitionPlan plan)
    : api_(api), handle_(handle), plan_(plan), buffer_(kReadChunk) {}

Acquisition::~Acquisition() {
  Clear();
}

void Acquisition::Run(const std::function<void(int)>& onQueued,
                      const std::function<void()>& onFinished) {
  {
    StallWatchdog watchdog(plan_.stallTimeout, [this] { api_.Cancel(handle_); });
    SANE_Status status = api_.Start(handle_);
    for (int pagesRead = 0; !cancelRequested_.load();) {
      if (status != SANE_STATUS_GOOD) {
        Queue(Failure(watchdog.HasFired() ? SANE_STATUS_IO_ERROR : status, "could not start"),
              true);
        onQueued(pagesRead);
        break;
      }
      PageOutcome outcome = ReadPage(watchdog);
      if (outcome.returnCode != TWRC_XFERDONE) {
        Queue(std::move(outcome), true);
        onQueued(pagesRead);
        break;
      }
      ++pagesRead;
      const bool wanted = plan_.feeder && (plan_.maxPages == 0 || pagesRead < plan_.maxPages);
      // Starting the next sheet before offering this page tells the
      // application truthfully whether more pages follow.
      status = wanted && !cancelRequested_.load() ? api_.Start(handle_) : SANE_STATUS_NO_DOCS;
      const bool last = status == SANE_STATUS_NO_DOCS;
      Queue(std::move(outcome), last);
      onQueued(pagesRead);
      if (last)
        break;
      WaitUntilTaken(watchdog);
      watchdog.Kick();
    }
  }
  api_.Cancel(handle_);  // ends the batch on the device side, as SANE asks
  finished_.store(true);
  MarkLastQueued();
  onFinished();
}

void Acquisition::WaitUntilTaken(StallWatchdog& watchdog) {
  std::unique_lock lock(mutex_);
  while (!queue_.empty() && !cancelRequested_.load()) {
    watchdog.Kick();
    news_.wait_for(lock, std::min<std::chrono::milliseconds>(std::chrono::milliseconds(100),
                                                             plan_.stallTimeout / 4));
  }
}

PageOutcome Acquisition::ReadPage(StallWatchdog& watchdog) {
  FrameAssembler assembler(plan_.dotsPerInch, plan_.thresholdGray, plan_.maxPageBytes);
  PageOutcome failure;
  for (;;) {
    const SANE_Status status = ReadFrame(assembler, watchdog, failure);
    if (status != SANE_STATUS_GOOD)
      return failure;
    if (assembler.IsComplete())
      break;
    if (const SANE_Status next = api_.Start(handle_); next != SANE_STATUS_GOOD)
      return Failure(next, "could not start the next colour pass");
  }
  PageOutcome page;
  page.format = assembler.Format();
  page.page = assembler.TakePage();
  if (page.page == nullptr)
    return Failure(SANE_STATUS_NO_MEM, "out of memory");
  return page;
}

// Reads one frame to its end; anything but SANE_STATUS_GOOD leaves `failure` filled in.
SANE_Status Acquisition::ReadFrame(FrameAssembler& assembler, StallWatchdog& watchdog,
                                   PageOutcome& failure) {
  SANE_Parameters parameters{};
  std::string why;
  SANE_Status status = api_.GetParameters(handle_, &parameters);
  if (status == SANE_STATUS_GOOD && !assembler.BeginFrame(parameters, why))
    status = SANE_STATUS_IO_ERROR;
  while (status == SANE_STATUS_GOOD) {
    SANE_Int length = 0;
    status = api_.Read(handle_, buffer_.data(), kReadChunk, &length);
    if (cancelRequested_.load()) {
      status = SANE_STATUS_CANCELLED;
    } else if (watchdog.HasFired()) {
      status = SANE_STATUS_IO_ERROR;
      why = "the device stopped sending data";
    } else if (status == SANE_STATUS_GOOD && (length < 0 || length > kReadChunk)) {
      status = SANE_STATUS_IO_ERROR;
      why = "the device returned more data than asked for";
    } else if (status == SANE_STATUS_GOOD && length == 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } else if (status == SANE_STATUS_GOOD) {
      watchdog.Kick();
      if (!assembler.Feed(buffer_.data(), static_cast<std::size_t>(length), why))
        status = SANE_STATUS_IO_ERROR;
    }
  }
  // The parameters are those of the frame as it was read: SANE promises them
  // only while the frame lasts, and backends of unknown or fuzzy size change
  // them once it has ended.
  if (status == SANE_STATUS_EOF) {
    if (assembler.EndFrame(why))
      return SANE_STATUS_GOOD;
    status = SANE_STATUS_IO_ERROR;
  }
  failure = Failure(status, why);
  return status;
}

PageOutcome Acquisition::Failure(SANE_Status status, std::string reason) const {
  TwainOutcome mapped = TwainOutcomeFor(status);
  if (status == SANE_STATUS_INVAL)  // nothing asked for now; the device has gone
    mapped.conditionCode = TWCC_CHECKDEVICEONLINE;
  PageOutcome outcome;
  outcome.returnCode = mapped.returnCode == TWRC_SUCCESS ? TWRC_FAILURE : mapped.returnCode;
  outcome.conditionCode = mapped.conditionCode;
  outcome.reason = std::move(reason);
  if (outcome.returnCode != TWRC_CANCEL)
    qCWarning(lcAcquisition, "Scan failed: %s (%s)", SaneStatusName(status),
              outcome.reason.c_str());
  return outcome;
}

void Acquisition::RequestCancel() {
  {
    std::lock_guard lock(mutex_);  // a reader waiting for a take wakes up
    cancelRequested_.store(true);
  }
  news_.notify_all();
}

void Acquisition::ForceCancel() {
  cancelRequested_.store(true);
  if (!finished_.load())
    api_.Cancel(handle_);
}

void Acquisition::Queue(PageOutcome outcome, bool last) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(outcome));
    lastQueued_ = lastQueued_ || last;
  }
  news_.notify_all();
}

void Acquisition::MarkLastQueued() {
  {
    std::lock_guard lock(mutex_);
    lastQueued_ = true;
  }
  news_.notify_all();
}

void Acquisition::WaitForNextOrEnd() {
  std::unique_lock lock(mutex_);
  news_.wait(lock, [this] { return !queue_.empty() || lastQueued_; });
}

TW_UINT16 Acquisition::PendingCount() const {
  std::lock_guard lock(mutex_);
  if (!lastQueued_)
    return kUnknownPendingCount;  // the feeder may hold more sheets
  return static_cast<TW_UINT16>(std::min<std::size_t>(queue_.size(), kUnknownPendingCount - 1));
}

const PageOutcome* Acquisition::Front() const {
  std::lock_guard lock(mutex_);
  return queue_.empty() ? nullptr : &queue_.front();
}

PageOutcome Acquisition::PopFront() {
  PageOutcome outcome;
  {
    std::lock_guard lock(mutex_);
    outcome = std::move(queue_.front());
    queue_.pop_front();
  }
  news_.notify_all();  // the reader may go on to the next sheet
  return outcome;
}

void Acquisition::Clear() {
  std::lock_guard lock(mutex_);
  for (PageOutcome& outcome : queue_)
    GlobalFree(outcome.page);
  queue_.clear();
}
