#pragma once

#include <string>
#include <vector>

#include "twain/ScanSource.h"
#include "twain/TwainHelper.h"

class QEvent;
class QObject;

// Runs one scan at a time inside the GUI thread's event loop and tells how it
// ended through the ScanSource signals. No failure of a scan leaves
// StartScan, PreTranslateMessage or EndScan.
//
// Each page is offered as its transfer ends (pageReady), so a long feeder
// batch can be saved as it arrives. The pages stay owned here until
// TakeImages hands them over; GetImages hands out the handle values, valid
// until the next StartScan, Uninitialize or destruction.
class TwainManager : public ScanSource, public TwainHelper {
 public:
  TwainManager();
  ~TwainManager() override;

  // Opens the manager and selects the default source; returns whether the
  // manager is open. The source's own events are posted to `parent`.
  bool Initialize(int majorVersion, int minorVersion, const std::string& versionInfo,
                  const std::string& manufacturer, const std::string& productFamily,
                  const std::string& productName, QObject* parent);

  // ScanSource
  bool IsSourceSelected() const override { return IsDataSourceSelected(); }
  void StartScan(const ScanRequest& request) override;
  bool IsSourceBusy() override;
  // A transfer that waited for room (see SetHeldPageLimit) runs now.
  std::vector<TW_HANDLE> TakeImages() override;
  void SetHeldPageLimit(std::size_t pages) override { heldPageLimit_ = pages; }
  bool CancelScan() override;

  // True when `message` was the source's own event and needs no further handling.
  bool PreTranslateMessage(QEvent* message);
  std::vector<TW_HANDLE> GetImages() const;

  // These carry out a pending end of scan first; failures reach the caller.
  void SelectDataSource();
  DataSourceSize GetDataSourceSize();

  void ClearImages();
  void DeferredEndScan();
  void DeferredCloseDataSource();
  void ProcessDeferredTasks();
  void EndScan();
  void NotifyComplete();
  void NotifyCancelled();
  void NotifyError();
  void NotifyPage();
  void Uninitialize();

 private:
  void HandleSourceEvent(int code);
  void TransferReadyPage();
  void TransferWaitingPage();
  void RecoverFromFailure();

  std::vector<TW_HANDLE> images_;
  bool deferredEndScan_ = false;
  bool deferredCloseDataSource_ = false;
  bool scanUnderWay_ = false;  // started, and its outcome not yet posted
  int pagesThisScan_ = 0;
  std::size_t heldPageLimit_ = 0;
  bool transferWaiting_ = false;  // a transfer-ready came while the limit was reached
};
