#pragma once

#include <QObject>
#include <cstddef>
#include <vector>

#include "twain/ScanRequest.h"
#include "twain/TwainTypes.h"

// The scanner as the scan workflow sees it: one page scan at a time, each
// page handed over as it arrives, and how the scan ended told by a signal.
// Every signal is queued: it never arrives inside the call that started the
// scan or took the pages, only once the event loop runs again.
class ScanSource : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;

  // A source is chosen to scan from.
  virtual bool IsSourceSelected() const = 0;
  // Starts one page scan (a feeder batch is one scan); pageReady follows for
  // each page, then exactly one of scanComplete, scanCancelled or scanFailed.
  virtual void StartScan(const ScanRequest& request) = 0;
  // The last scan still holds the source. A source whose own window the user
  // closed tells nobody; its pending end is carried out first.
  virtual bool IsSourceBusy() = 0;
  // Moves the held pages out in delivery order; the caller frees each with GlobalFree.
  virtual std::vector<TW_HANDLE> TakeImages() = 0;
  // At most `pages` untaken pages are held (0: no limit, the default). A page
  // beyond that stays with the source until TakeImages, so a fast feeder
  // cannot fill memory while the pages before are written.
  virtual void SetHeldPageLimit(std::size_t pages) = 0;
  // Stops the scan under way through the source's own cancel: a page read but
  // not handed over is dropped, pages held stay held. The scan then ends as
  // any other: scanComplete when it delivered a page, scanCancelled when not.
  // False when no scan was under way.
  virtual bool CancelScan() = 0;

 signals:
  // One more page is held; TakeImages hands it over.
  void pageReady();
  // The scan ended with at least one page delivered.
  void scanComplete();
  // The scan ended without pages.
  void scanCancelled();
  // Starting, transferring or ending the scan failed; pages delivered before stay held.
  void scanFailed();

 protected:
  enum class Notice { Page, Complete, Cancelled, Failed };
  // Emits the notice's signal once control is back in the event loop.
  void Post(Notice notice);
};
