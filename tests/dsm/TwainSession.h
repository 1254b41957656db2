#pragma once

#include <QObject>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "dsm/DataSourceManager.h"
#include "twain/TwainTypes.h"

// A small TWAIN application around a DataSourceManager, as the program's
// binding would drive it: events posted to `parent` pass through
// DAT_EVENT and the source's messages are collected.
class TwainSession : public QObject {
 public:
  explicit TwainSession(std::shared_ptr<SaneApi> api);
  ~TwainSession() override;

  TW_UINT16 Manager(TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data);
  TW_UINT16 Source(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data);
  TW_UINT16 OpenManager();
  TW_UINT16 OpenDefaultSource();
  TW_UINT16 Condition();
  TW_UINT16 SetCapability(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item);
  TW_UINT16 SetFrame(double left, double top, double right, double bottom);
  // Pixel type and resolution; the first refusal is returned.
  TW_UINT16 Configure(TW_UINT16 pixelType, int dotsPerInch);
  TW_UINT16 Enable(bool showUi = false);
  TW_UINT16 Disable();
  // Runs the event loop until the source sends a message, or gives up.
  std::optional<TW_UINT16> WaitForMessage(
      std::chrono::milliseconds limit = std::chrono::seconds(60));

  struct Transfer {
    TW_UINT16 returnCode;
    TW_HANDLE page;
    TW_UINT16 pendingAfter;
  };
  // Transfers like the program does: page after page until none is pending,
  // the source cancels or a transfer fails (then the rest is ended and reset).
  std::vector<Transfer> TransferAll();
  // Shorthand: enable, wait for the transfer, take all pages.
  std::vector<Transfer> Scan();
  // As the program's scan manager does: one page per transfer-ready, with the
  // event loop running in between, until none is pending or one fails.
  std::vector<Transfer> ScanAsAnnounced();

  TW_IDENTITY application{};
  TW_IDENTITY source{};
  QObject parent;
  std::vector<TW_UINT16> messages;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  DataSourceManager manager_;
};

// What a page's bitmap header says, checked against its block.
struct DibFacts {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  int paletteEntries = 0;
  bool sizeMatchesBlock = false;
};
DibFacts ReadDibFacts(TW_HANDLE page);
// The bytes of a pixel's row, counted from the top of the page.
const std::uint8_t* DibRow(TW_HANDLE page, int rowFromTop);
// A copy of a one-value container (the packed record is not aligned), freed.
TW_ONEVALUE TakeOneValue(TW_HANDLE container);
void FreePages(const std::vector<TwainSession::Transfer>& transfers);
