#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "twain/ScanSource.h"

class QImage;

// A scanner in the test's own process. Each page scan takes the next scripted
// scan: its pages arrive one at a time through the event loop, as a feeder
// delivers them, and then it ends as scripted. A scan with no script holds
// the source until the test closes the source's window.
class FakeScanSource : public ScanSource {
 public:
  enum class Ending { Complete, Cancelled, Failed };
  struct Scan {
    int pages = 1;
    Ending ending = Ending::Complete;
  };

  ~FakeScanSource() override;

  // The user closes the source's own window: the scan ends and nobody is told.
  void CloseSourceWindow();

  // ScanSource
  bool IsSourceSelected() const override { return selected; }
  void StartScan(const ScanRequest& request) override;
  bool IsSourceBusy() override { return busy_; }
  std::vector<TW_HANDLE> TakeImages() override;
  void SetHeldPageLimit(std::size_t pages) override { heldPageLimit_ = pages; }
  // Ends the scan at once, as the manager does: complete with the pages delivered so far.
  bool CancelScan() override;

  // The script: the scans in turn, and the pages in delivery order (a 3 by 2
  // page once none is left).
  std::deque<Scan> scans;
  std::deque<std::vector<std::uint8_t>> pages;
  bool selected = true;
  // Every scan asked for, in turn.
  std::vector<ScanRequest> requests;
  // How many times a scan was cancelled through the source.
  int cancels = 0;

 private:
  void TransferNext(int scan);
  void QueueTransfer();
  void End();
  void FreeHeld();

  Scan current_;
  bool scripted_ = false;
  bool busy_ = false;
  bool waiting_ = false;  // a page waits for room, as the manager's transfer does
  int delivered_ = 0;
  int scanNumber_ = 0;
  std::size_t heldPageLimit_ = 0;
  std::vector<TW_HANDLE> held_;
};

// `image` as a scanner hands it over: a BMP without its file header.
std::vector<std::uint8_t> DibOf(const QImage& image);
