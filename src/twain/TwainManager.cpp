#include "twain/TwainManager.h"

#include <exception>
#include <utility>

#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "twain/GlobalMemory.h"

TwainManager::TwainManager() {
  Log(LOG_LOCATION, "TwainManager::TwainManager()");
}

// Ends quietly in every state: a source still enabled is disabled and closed
// before the manager is closed, and no failure escapes.
TwainManager::~TwainManager() {
  Log(LOG_LOCATION, "TwainManager::~TwainManager()");
  try {
    ClearImages();
    ProcessDeferredTasks();
    if (IsDataSourceManagerOpen())
      Uninitialize();
  } catch (const std::exception&) {
    Log(LOG_LOCATION, "TwainManager::~TwainManager(): Eating exception");
  }
}

bool TwainManager::Initialize(int majorVersion, int minorVersion, const std::string& versionInfo,
                              const std::string& manufacturer, const std::string& productFamily,
                              const std::string& productName, QObject* parent) {
  Log(LOG_LOCATION, "TwainManager::Initialize()");
  CheckPrecondition(CONTRACT_LOCATION, parent != nullptr);
  try {
    OpenDataSourceManager(majorVersion, minorVersion, versionInfo, manufacturer, productFamily,
                          productName, parent);
    SelectDefaultDataSource();
    deferredEndScan_ = false;
  } catch (const std::exception&) {
    Log(LOG_LOCATION, "TwainManager::Initialize(): Eating exception.");
  }
  return IsDataSourceManagerOpen();
}

void TwainManager::StartScan(const ScanRequest& request) {
  Log(LOG_LOCATION, "TwainManager::StartScan()");
  ClearImages();
  ProcessDeferredTasks();
  pagesThisScan_ = 0;
  scanUnderWay_ = false;
  transferWaiting_ = false;
  try {
    OpenDataSource();
    EnableDataSource(request);
  } catch (const std::exception&) {
    Log(LOG_LOCATION, "TwainManager::StartScan(): Eating exception.");
    RecoverFromFailure();
  }
}

// Disabling the source is the manager's way to stop a batch: the source
// cancels the device and forgets the pages it has not handed over.
bool TwainManager::CancelScan() {
  if (!IsDataSourceEnabled() || deferredEndScan_ || deferredCloseDataSource_)
    return false;
  Log(LOG_LOCATION, "TwainManager::CancelScan(): after %d pages", pagesThisScan_);
  transferWaiting_ = false;
  try {
    ResetDataSource();
  } catch (const std::exception&) {
    Log(LOG_LOCATION, "TwainManager::CancelScan(): Caught exception");
  }
  if (pagesThisScan_ > 0)
    NotifyComplete();
  else
    NotifyCancelled();
  return true;
}

bool TwainManager::IsSourceBusy() {
  ProcessDeferredTasks();
  return IsDataSourceEnabled();
}

bool TwainManager::PreTranslateMessage(QEvent* message) {
  const int code = TwainHelper::PreTranslateMessage(message);
  if (code == NOT_SOURCE_EVENT)
    return false;
  Log(LOG_LOCATION, "TwainManager::PreTranslateMessage(): Twain message = %d", code);
  try {
    HandleSourceEvent(code);
  } catch (const std::exception&) {
    // Pages already transferred stay held until the next scan starts.
    Log(LOG_LOCATION, "TwainManager::PreTranslateMessage(): Caught exception");
    RecoverFromFailure();
  }
  return true;
}

void TwainManager::HandleSourceEvent(int code) {
  switch (code) {
    case XFER_READY_MSG:
      Log(LOG_LOCATION, "TwainManager::PreTranslateMessage(): XFER_READY_MSG");
      if (heldPageLimit_ != 0 && images_.size() >= heldPageLimit_) {
        Log(LOG_LOCATION, "TwainManager::PreTranslateMessage(): waiting until pages are taken");
        transferWaiting_ = true;
        break;
      }
      TransferReadyPage();
      break;
    case CLOSE_MSG:
      Log(LOG_LOCATION, "TwainManager::PreTranslateMessage(): CLOSE_MSG");
      DeferredCloseDataSource();
      // Closed in the middle of a batch: the pages offered so far make the scan.
      if (scanUnderWay_ && pagesThisScan_ > 0)
        NotifyComplete();
      break;
    case OK_MSG:
      Log(LOG_LOCATION, "TwainManager::PreTranslateMessage(): MSG_CLOSEDSOK");
      DeferredEndScan();
      NotifyCancelled();
      break;
    default:
      Log(LOG_LOCATION, "TwainManager::PreTranslateMessage(): NULL_MSG");
      break;
  }
}

// One page per transfer-ready: the source announces each further page once it
// has read it, so the window's event loop runs while the feeder works.
void TwainManager::TransferReadyPage() {
  // A scan whose end is already pending has no more pages to give.
  CheckPrecondition(CONTRACT_LOCATION, !deferredEndScan_ && !deferredCloseDataSource_);
  scanUnderWay_ = true;
  const std::size_t before = images_.size();
  const bool more = TransferImage(images_, pagesThisScan_);
  if (images_.size() > before) {
    ++pagesThisScan_;
    NotifyPage();
  }
  if (more)
    return;
  DeferredEndScan();
  // The pages offered before a failure stay with the window; the failure is
  // reported, so that a jam is never taken for the end of the batch.
  if (HasTransferFailed()) {
    NotifyError();
  } else if (pagesThisScan_ == 0) {
    NotifyCancelled();
  } else {
    NotifyComplete();
  }
}

// Back to the manager-open state. A reset source has nothing left to end, so
// a pending end is dropped rather than reported later as a second error.
void TwainManager::RecoverFromFailure() {
  try {
    ResetDataSource();
  } catch (const std::exception&) {
    Log(LOG_LOCATION, "TwainManager::RecoverFromFailure(): Eating exception");
  }
  deferredEndScan_ = false;
  deferredCloseDataSource_ = false;
  transferWaiting_ = false;
  NotifyError();
}

std::vector<TW_HANDLE> TwainManager::GetImages() const {
  return images_;
}

std::vector<TW_HANDLE> TwainManager::TakeImages() {
  std::vector<TW_HANDLE> taken = std::exchange(images_, {});
  TransferWaitingPage();
  return taken;
}

void TwainManager::TransferWaitingPage() {
  if (!std::exchange(transferWaiting_, false))
    return;
  try {
    TransferReadyPage();
  } catch (const std::exception&) {
    Log(LOG_LOCATION, "TwainManager::TakeImages(): Caught exception");
    RecoverFromFailure();
  }
}

void TwainManager::SelectDataSource() {
  ProcessDeferredTasks();
  TwainHelper::SelectDataSource();
}

DataSourceSize TwainManager::GetDataSourceSize() {
  ProcessDeferredTasks();
  return TwainHelper::GetDataSourceSize();
}

void TwainManager::ClearImages() {
  Log(LOG_LOCATION, "TwainManager::ClearImages()");
  for (TW_HANDLE image : images_)
    GlobalFree(image);
  images_.clear();
}

void TwainManager::DeferredEndScan() {
  Log(LOG_LOCATION, "TwainManager::DeferredEndScan()");
  deferredEndScan_ = true;
}

void TwainManager::DeferredCloseDataSource() {
  Log(LOG_LOCATION, "TwainManager::DeferredCloseDataSource()");
  deferredCloseDataSource_ = true;
}

void TwainManager::ProcessDeferredTasks() {
  Log(LOG_LOCATION, "TwainManager::ProcessDeferredTasks()");
  if (!deferredEndScan_ && !deferredCloseDataSource_)
    return;
  deferredEndScan_ = false;
  deferredCloseDataSource_ = false;
  EndScan();
}

void TwainManager::EndScan() {
  Log(LOG_LOCATION, "TwainManager::EndScan()");
  try {
    DisableDataSource();
    CloseDataSource();
  } catch (const std::exception&) {
    Log(LOG_LOCATION, "TwainManager::EndScan(): Caught exception");
    RecoverFromFailure();
  }
}

void TwainManager::NotifyPage() {
  Log(LOG_LOCATION, "TwainManager::NotifyPage()");
  Post(Notice::Page);
}

void TwainManager::NotifyComplete() {
  Log(LOG_LOCATION, "TwainManager::NotifyComplete()");
  scanUnderWay_ = false;
  Post(Notice::Complete);
}

void TwainManager::NotifyCancelled() {
  Log(LOG_LOCATION, "TwainManager::NotifyCancelled()");
  scanUnderWay_ = false;
  Post(Notice::Cancelled);
}

void TwainManager::NotifyError() {
  Log(LOG_LOCATION, "TwainManager::NotifyError()");
  scanUnderWay_ = false;
  Post(Notice::Failed);
}

// A source left enabled (no end pending) is disabled and closed first: the
// manager refuses to close while a source is open.
void TwainManager::Uninitialize() {
  Log(LOG_LOCATION, "TwainManager::Uninitialize()");
  ClearImages();
  ProcessDeferredTasks();
  if (IsDataSourceEnabled())
    DisableDataSource();
  if (IsDataSourceOpen())
    CloseDataSource();
  CloseDataSourceManager();
}
