#pragma once

#include <QEvent>

// How a scan ended, posted by the scan manager to its notify window.
inline constexpr int WM_SCAN_COMPLETE = 5024;   // at least one page is held
inline constexpr int WM_SCAN_CANCELLED = 5025;  // the scan ended without pages
inline constexpr int WM_SCAN_ERROR = 5026;      // starting, transferring or ending failed
inline constexpr int WM_SCAN_PAGE = 5027;       // one more page is held; TakeImages hands it over

class ScanNotificationEvent : public QEvent {
 public:
  ScanNotificationEvent(int type, int wParam)
      : QEvent(static_cast<QEvent::Type>(type)), wParam_(wParam) {}

  int wParam() const { return wParam_; }

 private:
  int wParam_;
};
