#pragma once

#include <QPointer>
#include <string>
#include <vector>

#include "twain/TwainHelper.h"

class QEvent;
class QObject;

// Runs one scan at a time inside the GUI thread's event loop and tells the
// notify window how it ended by posting a ScanNotificationEvent. No failure
// of a scan leaves StartScan, PreTranslateMessage or EndScan.
//
// Each page is offered as its transfer ends (WM_SCAN_PAGE), so a long feeder
// batch can be saved as it arrives. The pages stay owned here until
// TakeImages hands them over; GetImages hands out the handle values, valid
// until the next StartScan, Uninitialize or destruction.
class TwainManager : public TwainHelper {
 public:
  TwainManager();
  ~TwainManager();

  // Opens the manager and selects the default source; returns whether the
  // manager is open. `notify` receives the scan notifications from here on.
  bool Initialize(int majorVersion, int minorVersion, const std::string& versionInfo,
                  const std::string& manufacturer, const std::string& productFamily,
                  const std::string& productName, QObject* notify);
  void StartScan(const ScanRequest& request);
  // True when `message` was the source's own event and needs no further handling.
  bool PreTranslateMessage(QEvent* message);
  std::vector<TW_HANDLE> GetImages() const;
  // Moves the held pages out in delivery order; the caller frees each with GlobalFree.
  // A transfer that waited for room (see SetHeldPageLimit) runs now.
  std::vector<TW_HANDLE> TakeImages();
  // At most `pages` untaken pages are held (0: no limit, the default). A page
  // the source announces beyond that stays with the source until TakeImages,
  // so a fast feeder cannot fill memory while the pages before are written.
  void SetHeldPageLimit(std::size_t pages) { heldPageLimit_ = pages; }

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
  void NotifyError(int code);
  void NotifyPage();
  void Uninitialize();

 private:
  void HandleSourceEvent(int code);
  void TransferReadyPage();
  void TransferWaitingPage();
  void RecoverFromFailure();
  void Notify(int type, int wParam);

  std::vector<TW_HANDLE> images_;
  QPointer<QObject> notifyWindow_;
  bool deferredEndScan_ = false;
  bool deferredCloseDataSource_ = false;
  bool scanUnderWay_ = false;  // started, and its outcome not yet posted
  int pagesThisScan_ = 0;
  std::size_t heldPageLimit_ = 0;
  bool transferWaiting_ = false;  // a transfer-ready came while the limit was reached
};
