#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ScanImage.h"
#include "twain/TwainTypes.h"

// A TWAIN 2 application of our own: it loads the built manager library, talks
// to it only through DSM_Entry and the memory functions it hands out, and
// learns of the source's messages through its callback, with no event loop.
class Twain2Application {
 public:
  Twain2Application();
  ~Twain2Application();
  Twain2Application(const Twain2Application&) = delete;
  Twain2Application& operator=(const Twain2Application&) = delete;

  bool IsLoaded() const { return entry_ != nullptr; }
  TW_UINT16 Call(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dat,
                 TW_UINT16 message, TW_MEMREF data);
  TW_UINT16 Manager(TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
    return Call(&application, nullptr, DG_CONTROL, dat, message, data);
  }
  TW_UINT16 Source(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
    return Call(&application, &source, group, dat, message, data);
  }
  TW_UINT16 ManagerCondition();
  TW_UINT16 SourceCondition();

  // Opens the manager and the default source, gets the entry point and
  // registers the callback; the first failing return code, or success.
  TW_UINT16 OpenWithCallback();
  TW_UINT16 SetOne(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item);
  TW_UINT16 SetFrameInches(double left, double top, double right, double bottom);
  TW_UINT16 Enable();
  std::optional<TW_UINT16> WaitForMessage(
      std::chrono::milliseconds limit = std::chrono::seconds(60));
  // The page in scanimage's layout (lineart 1 black), or empty when it fails.
  std::optional<PnmPage> TakeByMemory();
  std::optional<PnmPage> TakeNative();
  std::optional<PnmPage> TakeByFile(const std::string& path);
  TW_UINT16 EndTransfer();

  TW_IDENTITY application{};
  TW_IDENTITY source{};
  TW_ENTRYPOINT entryPoint{};
  std::thread::id callbackThread;
  TW_UINTPTR callbackRefCon = 0;

 private:
  static TW_UINT16 OnSourceMessage(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                                   TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data);

  void* library_ = nullptr;
  DSMENTRYPROC entry_ = nullptr;
  std::mutex mutex_;
  std::condition_variable news_;
  std::deque<TW_UINT16> messages_;
};
