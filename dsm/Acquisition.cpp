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

// After a frame, a three-pass device already describes its next colour, so
// the format itself may differ; the line layout may not.
bool SameLayout(const SANE_Parameters& a, const SANE_Parameters& b) {
  return a.depth == b.depth && a.pixels_per_line == b.pixels_per_line &&
         a.bytes_per_line == b.bytes_per_line;
}

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
    for (int page = 0; !cancelRequested_.load(); ++page) {
      watchdog.Kick();
      const SANE_Status status = api_.Start(handle_);
      if (status == SANE_STATUS_NO_DOCS && page > 0)
        break;  // the feeder is empty: the batch is complete
      if (status != SANE_STATUS_GOOD) {
        Queue(Failure(watchdog.HasFired() ? SANE_STATUS_IO_ERROR : status, "could not start"),
              true);
        onQueued(page);
        break;
      }
      PageOutcome outcome = ReadPage(watchdog);
      const bool pageDone = outcome.returnCode == TWRC_XFERDONE;
      const bool last = !pageDone || !plan_.feeder;
      Queue(std::move(outcome), last);
      onQueued(pageDone ? page + 1 : page);
      if (last)
        break;
    }
  }
  api_.Cancel(handle_);  // ends the batch on the device side, as SANE asks
  finished_.store(true);
  MarkLastQueued();
  onFinished();
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
  if (status == SANE_STATUS_EOF) {
    SANE_Parameters after{};
    if (api_.GetParameters(handle_, &after) == SANE_STATUS_GOOD && !SameLayout(parameters, after))
      why = "the device changed the image format during the scan";
    else if (assembler.EndFrame(why))
      return SANE_STATUS_GOOD;
    status = SANE_STATUS_IO_ERROR;
  }
  failure = Failure(status, why);
  return status;
}

PageOutcome Acquisition::Failure(SANE_Status status, std::string reason) const {
  const TwainOutcome mapped = TwainOutcomeFor(status);
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
  cancelRequested_.store(true);
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
  std::lock_guard lock(mutex_);
  PageOutcome outcome = std::move(queue_.front());
  queue_.pop_front();
  return outcome;
}

void Acquisition::Clear() {
  std::lock_guard lock(mutex_);
  for (PageOutcome& outcome : queue_)
    GlobalFree(outcome.page);
  queue_.clear();
}
