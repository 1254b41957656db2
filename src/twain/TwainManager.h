#pragma once

#include <QPointer>
#include <string>
#include <vector>

#include "twain/ScanRequest.h"
#include "twain/TwainHelper.h"

class QEvent;
class QObject;

// Runs one scan at a time inside the GUI thread's event loop and tells the
// notify window how it ended by posting a ScanNotificationEvent. No failure
// of a scan leaves StartScan, PreTranslateMessage or EndScan.
//
// The page images stay owned here: GetImages hands out the handle values,
// valid until the next StartScan, Uninitialize or destruction.
class TwainManager : public TwainHelper {
 public:
  TwainManager();
  ~TwainManager();

  // Opens the manager and selects the default source; returns whether the
  // manager is open. `notify` receives the scan notifications from here on.
  bool Initialize(int majorVersion, int minorVersion, const std::string& versionInfo,
                  const std::string& manufacturer, const std::string& productFamily,
                  const std::string& productName, QObject* notify);
  void StartScan(int width, int height, int resolution, int pixelType, bool showUi);
  void StartScan(const ScanRequest& request);
  // True when `message` was the source's own event and needs no further handling.
  bool PreTranslateMessage(QEvent* message);
  std::vector<TW_HANDLE> GetImages() const;
  // Moves the held pages out in delivery order; the caller frees each one.
  std::vector<TW_HANDLE> TakeImages();

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
  void Uninitialize();

 private:
  void HandleSourceEvent(int code);
  void RecoverFromFailure();
  void Notify(int type, int wParam);

  std::vector<TW_HANDLE> images_;
  QPointer<QObject> notifyWindow_;
  bool deferredEndScan_ = false;
  bool deferredCloseDataSource_ = false;
};
