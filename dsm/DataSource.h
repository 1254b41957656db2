#pragma once

#include <QObject>
#include <QPointer>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "dsm/Acquisition.h"
#include "dsm/DeviceSettings.h"
#include "dsm/SaneDevice.h"
#include "dsm/SaneStatus.h"
#include "dsm/SaneThread.h"
#include "dsm/SourceCapabilities.h"
#include "twain/TwainTypes.h"

class ApplicationCallback;
class SourceScanDlg;
class SourceWindowProcess;

// What the manager knows of a device when it opens it as a source.
struct SourceDescription {
  TW_IDENTITY identity{};
  std::string deviceName;
  std::string scanSource;  // remembered choice; empty for the device's own default
  std::chrono::milliseconds stallTimeout{60000};
};

// One SANE device opened as a TWAIN data source: the source's states (open,
// enabled, transfer ready, transferring) and its triplets. Every SANE call
// runs on the source's own thread; scanning never blocks the caller.
class DataSource {
 public:
  // With `callback`, an application that registered one is told through it;
  // otherwise the source posts its events to the parent window.
  DataSource(SaneApi& api, SourceDescription description, QObject* managerParent,
             ApplicationCallback* callback = nullptr);
  ~DataSource();
  DataSource(const DataSource&) = delete;
  DataSource& operator=(const DataSource&) = delete;

  // Opens the device; a device that has gone away since listing fails here.
  TwainOutcome Open();
  bool CanClose() const { return state_ == State::Open; }
  const TW_IDENTITY& Identity() const { return description_.identity; }
  TW_UINT16 Entry(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data);
  TW_UINT16 ConditionCode() const { return conditionCode_; }
  TW_UINT16 TakeConditionCode();
  // Closes the source's window and drops what it posted, on the caller's thread.
  void CloseWindows();
  // Whether this process can show the source's windows (a widget application).
  static bool CanShowWindows();

 private:
  enum class State { Open, Enabled, TransferReady, Transferring };

  TwainOutcome Dispatch(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data);
  TwainOutcome Enable(const TW_USERINTERFACE& ui);
  TwainOutcome Disable();
  TwainOutcome ProcessEvent(TW_EVENT& event);
  TwainOutcome PendingTransfers(TW_UINT16 message, TW_PENDINGXFERS& pending);
  TwainOutcome ImageInfo(TW_IMAGEINFO& info);
  TwainOutcome ImageLayout(TW_UINT16 message, TW_IMAGELAYOUT& layout);
  TwainOutcome NativeTransfer(TW_HANDLE& page);
  TwainOutcome SetupMemoryTransfer(TW_SETUPMEMXFER& setup);
  TwainOutcome SetupFileTransfer(TW_UINT16 message, TW_SETUPFILEXFER& setup);
  TwainOutcome FileTransfer();
  TwainOutcome MemoryTransfer(TW_IMAGEMEMXFER& strip);
  // Takes the page at the front of the queue for a transfer (state 6 to 7).
  TwainOutcome TakeNextPage(PageOutcome& taken);
  TwainOutcome Capability(TW_UINT16 message, TW_CAPABILITY& capability);

  AcquisitionPlan MakePlan();
  void OnScanClicked(const std::string& chosenSource);
  TwainOutcome ShowWindowProcess(const std::vector<std::string>& sources,
                                 const std::string& current);
  void OnWindowAnswer(const std::string& answer);
  // Whether a message told earlier is still news; a transfer-ready that is
  // moves the source to its transfer-ready state.
  bool TakeNews(TW_UINT16 message, quint64 session, quint64 sequence);
  void StartAcquisition();
  void StopAcquisition();
  void OnEntryQueued(quint64 session, int pages);
  void AnnounceIfReady();
  void OnAcquisitionFinished(quint64 session);
  void OnUserCancelled();
  void PostToApplication(TW_UINT16 message);
  bool UsesCallback() const;
  // Held by everything that runs outside DSM_Entry; empty without a manager.
  std::unique_lock<std::recursive_mutex> LockEntry();
  // Runs `task` where the source's state lives: the caller's event loop, or
  // the callback thread for an application without one.
  void RunOnOwner(std::function<void()> task);
  void CloseDialog();
  TW_UINT16 PendingCount() const;
  TW_UINT16 EndTransfer();
  bool IsScanning() const;

  SaneApi& api_;
  SourceDescription description_;
  QPointer<QObject> managerParent_;
  QPointer<QObject> parent_;
  QObject relay_;  // receives the worker's news on the caller's thread
  SaneThread thread_;
  SaneDevice device_;
  DeviceSettings settings_;
  SourceCapabilities capabilities_;
  AcquisitionPlan plan_;
  std::unique_ptr<Acquisition> acquisition_;
  QPointer<SourceScanDlg> dialog_;
  std::unique_ptr<SourceWindowProcess> window_;  // the window shown by a program of ours
  struct KeptMessage {
    TW_UINT16 message;
    quint64 session;
    quint64 sequence;
  };
  std::deque<KeptMessage> kept_;  // for an application with neither callback nor window
  State state_ = State::Open;
  quint64 session_ = 0;
  bool readyAnnounced_ = false;  // a transfer-ready is out for the page at the front
  quint64 announcement_ = 0;
  DibFormat lastFormat_;
  ApplicationCallback* callback_;
  std::shared_ptr<int> alive_ = std::make_shared<int>();  // tasks queued elsewhere check it
  PageOutcome memoryPage_;  // the page a memory transfer is handing over
  std::int32_t memoryRow_ = 0;
  std::size_t planRowBytes_ = 0;
  std::string transferFile_;
  std::optional<FrameInches>
      notedFrame_;  // the frame of the batch under way  // where a file transfer writes its bitmap
                    // // of a strip row with the batch's settings
  std::atomic<bool> ownerIsCallbackThread_{false};
  TW_UINT16 conditionCode_ = TWCC_SUCCESS;
};
