#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "dsm/PageOutcome.h"
#include "dsm/SaneApi.h"

class FrameAssembler;
class StallWatchdog;

// What one batch is scanned with, fixed when the source is enabled.
struct AcquisitionPlan {
  int dotsPerInch = 0;
  bool thresholdGray = false;
  bool feeder = false;
  std::chrono::milliseconds stallTimeout{60000};
  std::size_t maxPageBytes = std::size_t{1} << 30;
  int maxPages = 0;  // 0 for every page the feeder holds
};

// One batch of pages from an open SANE device: Run() executes on the device's
// thread and queues each page as a bitmap as soon as it is read and the feeder
// has said whether another sheet follows, then how the batch ended unless the
// feeder simply ran empty. The next page is read only once the application
// has taken the one queued, so a batch of any length holds two pages at most.
class Acquisition {
 public:
  Acquisition(SaneApi& api, SANE_Handle handle, AcquisitionPlan plan);
  ~Acquisition();
  Acquisition(const Acquisition&) = delete;
  Acquisition& operator=(const Acquisition&) = delete;

  // Called on the device's thread after each entry is queued (with the pages
  // read so far) and when the batch is over.
  void Run(const std::function<void(int pagesRead)>& onQueued,
           const std::function<void()>& onFinished);

  // Safe from any thread: the device's thread stops at the next read.
  void RequestCancel();
  // For a device stuck inside a read: cancels it from outside.
  void ForceCancel();
  bool IsFinished() const { return finished_.load(); }

  // What is left to transfer: exact once the batch has ended, otherwise
  // TWAIN's "unknown".
  TW_UINT16 PendingCount() const;
  // Blocks until an entry is queued or the batch has ended.
  void WaitForNextOrEnd();
  // The oldest entry, still owned by the queue; null when empty.
  const PageOutcome* Front() const;
  PageOutcome PopFront();
  void Clear();

 private:
  PageOutcome ReadPage(StallWatchdog& watchdog);
  SANE_Status ReadFrame(FrameAssembler& assembler, StallWatchdog& watchdog, PageOutcome& failure);
  PageOutcome Failure(SANE_Status status, std::string reason) const;
  void Queue(PageOutcome outcome, bool last);
  void MarkLastQueued();
  // Waits, keeping the watchdog quiet, until the queue is empty or a cancel.
  void WaitUntilTaken(StallWatchdog& watchdog);

  SaneApi& api_;
  SANE_Handle handle_;
  AcquisitionPlan plan_;
  std::vector<SANE_Byte> buffer_;
  std::atomic<bool> cancelRequested_{false};
  std::atomic<bool> finished_{false};
  mutable std::mutex mutex_;
  std::condition_variable news_;
  std::deque<PageOutcome> queue_;
  bool lastQueued_ = false;
};
