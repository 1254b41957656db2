#pragma once

#include <QObject>
#include <string>

#include "twain/TwainTypes.h"

// What both manager benchmarks do around their batch, as the program would:
// load the built manager library, open it and the default source with `parent`
// as the window, negotiate a colour A4 frame at a resolution, and close again.
class BenchSession {
 public:
  // Loads the library's entry; false (with a message) when it cannot.
  bool Load(const std::string& library);
  // Opens the manager and the default source; false (with a message) when none opens.
  bool Open(QObject* parent, const char* productName);
  // Feeder on, colour, `dpi`, the A4 frame; `pages` > 0 also sets the transfer count.
  void NegotiateColourA4(int dpi, int pages = 0);
  void Close();
  // TWSX_NATIVE or TWSX_MEMORY; the source's answer.
  TW_UINT16 SetTransferMechanism(TW_UINT16 mechanism) {
    return SetOneValue(ICAP_XFERMECH, TWTY_UINT16, mechanism);
  }

  TW_UINT16 Call(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message,
                 TW_MEMREF data);
  // A call to the open source.
  TW_UINT16 Source(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
    return Call(&source_, group, dat, message, data);
  }

 private:
  TW_UINT16 SetOneValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item);

  DSMENTRYPROC entry_ = nullptr;
  TW_IDENTITY application_{};
  TW_IDENTITY source_{};
  void* parentHandle_ = nullptr;
};
