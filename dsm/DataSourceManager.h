#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <vector>

#include "dsm/ApplicationCallback.h"
#include "dsm/DataSource.h"
#include "dsm/SaneApi.h"
#include "dsm/SaneStatus.h"
#include "dsm/SaneThread.h"
#include "dsm/SourceDirectory.h"
#include "twain/TwainTypes.h"

class SelectSourceDlg;

// The TWAIN data source manager over SANE: opened by one application, it lists
// the SANE devices as sources, remembers the one last chosen, and opens one of
// them at a time. Calls out of sequence answer TWRC_FAILURE, never crash.
// DSM_Entry may be called from any thread; calls are taken one at a time.
class DataSourceManager {
 public:
  // `entry` is the library's own DSM_Entry, handed to TWAIN 2 applications.
  explicit DataSourceManager(std::shared_ptr<SaneApi> api, DSMENTRYPROC entry = nullptr);
  ~DataSourceManager();
  DataSourceManager(const DataSourceManager&) = delete;
  DataSourceManager& operator=(const DataSourceManager&) = delete;

  TW_UINT16 Entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dat,
                  TW_UINT16 message, TW_MEMREF data);
  // Closes what the application left open, waiting at most `bound` for the
  // device and SANE; false when they did not let go, and the manager must
  // then be left alive for the thread still inside them.
  bool Shutdown(std::chrono::milliseconds bound);

 private:
  TwainOutcome ManagerEntry(TW_IDENTITY& origin, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data);
  TwainOutcome ForwardToSource(const TW_IDENTITY& origin, TW_IDENTITY& destination, TW_UINT32 group,
                               TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data);
  TwainOutcome RegisterCallback(const TW_IDENTITY& origin, TW_UINT16 dat, TW_UINT16 message,
                                TW_MEMREF data);
  TwainOutcome ManagerStatus(TW_STATUS& status) const;
  TwainOutcome EntryPoint(TW_UINT16 message, TW_ENTRYPOINT& entryPoint);
  TwainOutcome OpenManager(TW_IDENTITY& origin, TW_MEMREF parent);
  TwainOutcome CloseManager();
  TwainOutcome Identity(TW_UINT16 message, TW_IDENTITY& identity);
  TwainOutcome GetDefault(TW_IDENTITY& identity);
  TwainOutcome GetListed(bool first, TW_IDENTITY& identity);
  TwainOutcome UserSelect(TW_IDENTITY& identity);
  TwainOutcome OpenSource(TW_IDENTITY& identity);
  TwainOutcome CloseSource(const TW_IDENTITY& identity);
  const SourceDirectory& ListedSources();
  void TakeListingIfReady();
  void ListDevicesFor(SelectSourceDlg& dialog);
  void QueryScanSourcesFor(SelectSourceDlg& dialog, const std::string& deviceName);

  std::shared_ptr<SaneApi> api_;
  DSMENTRYPROC entry_;
  std::recursive_mutex entryMutex_;
  ApplicationCallback callback_{entryMutex_};
  std::unique_ptr<SaneThread> thread_;  // init, listing and exit
  QObject relay_;                       // receives the thread's answers on the caller's thread
  QPointer<QObject> parent_;
  bool open_ = false;
  TW_UINT32 applicationId_ = 0;
  SourceDirectory directory_;
  std::future<std::vector<SaneDeviceInfo>> listing_;  // started when the manager opens
  std::size_t nextListed_ = 0;
  std::unique_ptr<DataSource> source_;
  TW_UINT16 conditionCode_ = TWCC_SUCCESS;
};
