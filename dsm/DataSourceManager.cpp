#include "dsm/DataSourceManager.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QWidget>
#include <cstring>
#include <new>
#include <thread>

#include "dsm/DeviceSettings.h"
#include "dsm/DsmSettings.h"
#include "dsm/HandleRegistry.h"
#include "dsm/SelectSourceDlg.h"
#include "dsm/SourceEvent.h"
#include "twain/GlobalMemory.h"

Q_LOGGING_CATEGORY(lcManager, "docketeer.dsm.manager")

namespace {

constexpr TW_UINT32 kApplicationId = 1;
constexpr TW_UINT32 kFirstSourceId = 2;
constexpr TwainOutcome kSuccess{TWRC_SUCCESS, TWCC_SUCCESS};
constexpr TwainOutcome kSequenceError{TWRC_FAILURE, TWCC_SEQERROR};
constexpr TwainOutcome kBadProtocol{TWRC_FAILURE, TWCC_BADPROTOCOL};
constexpr TwainOutcome kNoSource{TWRC_FAILURE, TWCC_NODS};

constexpr TwainOutcome kBadValue{TWRC_FAILURE, TWCC_BADVALUE};

TW_HANDLE MemAllocate(TW_UINT32 size) {
  TW_HANDLE handle = GlobalAlloc(size);
  handle_registry::Remember(handle);
  return handle;
}
void MemFree(TW_HANDLE handle) {
  if (!handle_registry::IsBlock(handle))
    return;
  handle_registry::Forget(handle);
  GlobalFree(handle);
}
TW_MEMREF MemLock(TW_HANDLE handle) {
  return handle_registry::IsBlock(handle) ? GlobalLock(handle) : nullptr;
}
void MemUnlock(TW_HANDLE handle) {
  if (handle_registry::IsBlock(handle))
    GlobalUnlock(handle);
}

struct ScanSourceAnswer {
  std::vector<std::string> sources;
  std::string current;
};

}  // namespace

DataSourceManager::DataSourceManager(std::shared_ptr<SaneApi> api, DSMENTRYPROC entry)
    : api_(std::move(api)), entry_(entry), directory_(kFirstSourceId) {}

DataSourceManager::~DataSourceManager() {
  callback_.Clear();
  std::lock_guard lock(entryMutex_);
  source_.reset();
  if (open_)
    CloseManager();
}

bool DataSourceManager::Shutdown(std::chrono::milliseconds bound) {
  callback_.Clear();
  {
    std::lock_guard lock(entryMutex_);
    if (source_ != nullptr)
      source_->CloseWindows();  // widgets go on the thread they live on
  }
  auto finished = std::make_shared<std::promise<void>>();
  std::future<void> done = finished->get_future();
  std::thread closer([this, finished] {
    std::lock_guard lock(entryMutex_);
    source_.reset();
    if (open_)
      CloseManager();
    finished->set_value();
  });
  if (done.wait_for(bound) == std::future_status::ready) {
    closer.join();
    return true;
  }
  qCWarning(lcManager, "The scanner does not let go; leaving it to the end of the process");
  closer.detach();
  return false;
}

TW_UINT16 DataSourceManager::Entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                                   TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
  std::lock_guard lock(entryMutex_);
  TwainOutcome outcome = kBadValue;
  try {
    // The manager's condition code is there to read whether it is open or not,
    // by an application that says who it is.
    if (origin == nullptr)
      outcome = kBadValue;
    else if (destination == nullptr && group == DG_CONTROL && dat == DAT_STATUS &&
             message == MSG_GET)
      outcome = data != nullptr ? ManagerStatus(*static_cast<TW_STATUS*>(data)) : kBadValue;
    else if (destination == nullptr && group == DG_CONTROL)
      outcome = ManagerEntry(*origin, dat, message, data);
    else if (destination != nullptr)
      outcome = ForwardToSource(*origin, *destination, group, dat, message, data);
    else
      outcome = kBadProtocol;
  } catch (const std::bad_alloc&) {
    outcome = {TWRC_FAILURE, TWCC_LOWMEMORY};
  } catch (const std::exception& failure) {
    qCWarning(lcManager, "Triplet %u/%u/%u failed: %s", group, dat, message, failure.what());
    outcome = {TWRC_FAILURE, TWCC_BUMMER};
  }
  if (dat != DAT_EVENT && !(dat == DAT_STATUS && outcome.returnCode == TWRC_SUCCESS))
    conditionCode_ = outcome.conditionCode;
  return outcome.returnCode;
}

TwainOutcome DataSourceManager::ManagerEntry(TW_IDENTITY& origin, TW_UINT16 dat, TW_UINT16 message,
                                             TW_MEMREF data) {
  if (dat == DAT_PARENT && message == MSG_OPENDSM)
    return OpenManager(origin, data);
  if (!open_ || origin.Id != applicationId_)
    return kSequenceError;
  if (dat == DAT_PARENT && message == MSG_CLOSEDSM)
    return CloseManager();
  if (data == nullptr)
    return kBadValue;
  if (dat == DAT_ENTRYPOINT)
    return EntryPoint(message, *static_cast<TW_ENTRYPOINT*>(data));
  if (dat == DAT_IDENTITY)
    return Identity(message, *static_cast<TW_IDENTITY*>(data));
  return kBadProtocol;
}

TwainOutcome DataSourceManager::ManagerStatus(TW_STATUS& status) const {
  status = TW_STATUS{conditionCode_, 0};
  return kSuccess;
}

TwainOutcome DataSourceManager::EntryPoint(TW_UINT16 message, TW_ENTRYPOINT& entryPoint) {
  if (message != MSG_GET)
    return kBadProtocol;
  if (entryPoint.Size < sizeof(TW_ENTRYPOINT) || entry_ == nullptr)
    return kBadValue;
  entryPoint.Size = sizeof(TW_ENTRYPOINT);
  entryPoint.DSM_Entry = entry_;
  entryPoint.DSM_MemAllocate = MemAllocate;
  entryPoint.DSM_MemFree = MemFree;
  entryPoint.DSM_MemLock = MemLock;
  entryPoint.DSM_MemUnlock = MemUnlock;
  return kSuccess;
}

// Registered with the open source, before it is enabled.
TwainOutcome DataSourceManager::RegisterCallback(const TW_IDENTITY& origin, TW_UINT16 dat,
                                                 TW_UINT16 message, TW_MEMREF data) {
  if (message != MSG_REGISTER_CALLBACK)
    return kBadProtocol;
  if (!source_->CanClose())
    return kSequenceError;
  TW_MEMREF procedure = nullptr;
  TW_UINTPTR refCon = 0;
  if (dat == DAT_CALLBACK) {
    const auto& callback = *static_cast<const TW_CALLBACK*>(data);
    procedure = callback.CallBackProc;
    refCon = callback.RefCon;
  } else {
    const auto& callback = *static_cast<const TW_CALLBACK2*>(data);
    procedure = callback.CallBackProc;
    refCon = callback.RefCon;
  }
  if (procedure == nullptr)
    return kBadValue;
  callback_.Register(procedure, refCon, origin);
  return kSuccess;
}

TwainOutcome DataSourceManager::ForwardToSource(const TW_IDENTITY& origin, TW_IDENTITY& destination,
                                                TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message,
                                                TW_MEMREF data) {
  if (!open_)
    return kSequenceError;
  // Only the application that opened the source may talk to it.
  if (source_ == nullptr || source_->Identity().Id != destination.Id || origin.Id != applicationId_)
    return {TWRC_FAILURE, TWCC_BADDEST};
  if (group == DG_CONTROL && (dat == DAT_CALLBACK || dat == DAT_CALLBACK2))
    return data != nullptr ? RegisterCallback(origin, dat, message, data) : kBadValue;
  if (group == DG_CONTROL && dat == DAT_STATUS && message == MSG_GET && data != nullptr) {
    *static_cast<TW_STATUS*>(data) = TW_STATUS{source_->TakeConditionCode(), 0};
    return kSuccess;
  }
  const TW_UINT16 returnCode = source_->Entry(group, dat, message, data);
  return {returnCode, source_->ConditionCode()};
}

TwainOutcome DataSourceManager::OpenManager(TW_IDENTITY& origin, TW_MEMREF parent) {
  if (open_)
    return kSequenceError;
  thread_ = std::make_unique<SaneThread>();
  const SANE_Status status = thread_->Run([this] { return api_->Init(); });
  if (status != SANE_STATUS_GOOD) {
    qCWarning(lcManager, "SANE does not start: %s", SaneStatusName(status));
    thread_.reset();
    return {TWRC_FAILURE, TWCC_BUMMER};
  }
  // Listing can take seconds with network scanners; it runs while the
  // application starts and is waited for only where it is needed.
  auto listing = std::make_shared<std::packaged_task<std::vector<SaneDeviceInfo>()>>([this] {
    std::vector<SaneDeviceInfo> devices;
    const SANE_Status listed = api_->GetDevices(devices);
    if (listed != SANE_STATUS_GOOD)
      qCWarning(lcManager, "Cannot list scanners: %s", SaneStatusName(listed));
    return devices;
  });
  listing_ = listing->get_future();
  thread_->Post([listing] { (*listing)(); });
  parent_ = parent != nullptr ? static_cast<QObject*>(*static_cast<void**>(parent)) : nullptr;
  applicationId_ = kApplicationId;
  origin.Id = applicationId_;
  origin.SupportedGroups |= DF_DSM2;  // as the sources say DF_DS2, whoever asks
  open_ = true;
  return kSuccess;
}

TwainOutcome DataSourceManager::CloseManager() {
  if (source_ != nullptr)
    return kSequenceError;
  thread_->Run([this] { api_->Exit(); });
  thread_.reset();
  listing_ = {};
  directory_ = SourceDirectory(kFirstSourceId);
  if (QCoreApplication::instance() != nullptr)
    QCoreApplication::removePostedEvents(parent_.data(), SourceEvent::EventType());
  open_ = false;
  return kSuccess;
}

TwainOutcome DataSourceManager::Identity(TW_UINT16 message, TW_IDENTITY& identity) {
  switch (message) {
    case MSG_GETDEFAULT:
      return GetDefault(identity);
    case MSG_GETFIRST:
    case MSG_GETNEXT:
      return GetListed(message == MSG_GETFIRST, identity);
    case MSG_USERSELECT:
      return UserSelect(identity);
    case MSG_OPENDS:
      return OpenSource(identity);
    case MSG_CLOSEDS:
      return CloseSource(identity);
    default:
      return kBadProtocol;
  }
}

const SourceDirectory& DataSourceManager::ListedSources() {
  if (!directory_.IsListed() && listing_.valid())
    directory_.Update(listing_.get());
  return directory_;
}

void DataSourceManager::TakeListingIfReady() {
  if (listing_.valid() && listing_.wait_for(std::chrono::seconds(0)) == std::future_status::ready)
    directory_.Update(listing_.get());
}

// Answers at once with the device chosen last time while the listing is still
// under way; without one, the listing is waited for.
TwainOutcome DataSourceManager::GetDefault(TW_IDENTITY& identity) {
  TakeListingIfReady();
  if (!directory_.IsListed()) {
    if (const std::optional<SaneDeviceInfo> remembered = DsmSettings::RememberedDefault()) {
      directory_.Provide(*remembered);
      identity = directory_.FindByDevice(remembered->name)->identity;
      return kSuccess;
    }
  }
  const SourceDirectory& directory = ListedSources();
  const SourceEntry* entry = directory.FindByDevice(DsmSettings::DefaultDevice());
  if (entry == nullptr && !directory.Entries().empty())
    entry = &directory.Entries().front();
  if (entry == nullptr)
    return kNoSource;
  // A remembered choice that is not listed now (unplugged) is kept.
  if (const std::string chosen = DsmSettings::DefaultDevice();
      chosen.empty() || chosen == entry->device.name)
    DsmSettings::RememberDefault(entry->device);
  identity = entry->identity;
  return kSuccess;
}

TwainOutcome DataSourceManager::GetListed(bool first, TW_IDENTITY& identity) {
  const std::vector<SourceEntry>& entries = ListedSources().Entries();
  nextListed_ = first ? 0 : nextListed_;
  if (nextListed_ >= entries.size())
    return {TWRC_ENDOFLIST, TWCC_SUCCESS};
  identity = entries[nextListed_++].identity;
  return kSuccess;
}

TwainOutcome DataSourceManager::UserSelect(TW_IDENTITY& identity) {
  if (!DataSource::CanShowWindows())
    return {TWRC_FAILURE, TWCC_BADVALUE};
  SelectSourceDlg dialog(qobject_cast<QWidget*>(parent_.data()));
  QObject::connect(&dialog, &SelectSourceDlg::deviceHighlighted, &relay_,
                   [this, &dialog](const QString& device) {
                     QueryScanSourcesFor(dialog, device.toStdString());
                   });
  ListDevicesFor(dialog);
  if (dialog.exec() != QDialog::Accepted)
    return {TWRC_CANCEL, TWCC_SUCCESS};
  const SourceEntry* entry = directory_.FindByDevice(dialog.SelectedDevice());
  if (entry == nullptr)
    return {TWRC_CANCEL, TWCC_SUCCESS};
  DsmSettings::RememberDefault(entry->device);
  if (const std::string source = dialog.SelectedScanSource(); !source.empty())
    DsmSettings::SetScanSource(entry->device.name, source);
  identity = entry->identity;
  return kSuccess;
}

// The list is fetched afresh on the manager's thread; the dialog stays live meanwhile.
void DataSourceManager::ListDevicesFor(SelectSourceDlg& dialog) {
  QPointer<SelectSourceDlg> target(&dialog);
  thread_->Post([this, target] {
    auto devices = std::make_shared<std::vector<SaneDeviceInfo>>();
    api_->GetDevices(*devices);
    QMetaObject::invokeMethod(
        &relay_,
        [this, target, devices] {
          directory_.Update(*devices);
          if (target != nullptr)
            target->ShowDevices(directory_.Entries(), DsmSettings::DefaultDevice());
        },
        Qt::QueuedConnection);
  });
}

void DataSourceManager::QueryScanSourcesFor(SelectSourceDlg& dialog,
                                            const std::string& deviceName) {
  QPointer<SelectSourceDlg> target(&dialog);
  const std::string remembered = DsmSettings::ScanSource(deviceName);
  const bool inUse = source_ != nullptr && directory_.FindById(source_->Identity().Id) != nullptr &&
                     directory_.FindById(source_->Identity().Id)->device.name == deviceName;
  if (inUse)
    return;
  thread_->Post([this, target, deviceName, remembered] {
    auto answer = std::make_shared<ScanSourceAnswer>();
    SaneDevice device(*api_);
    if (device.Open(deviceName) == SANE_STATUS_GOOD) {
      DeviceSettings settings(device);
      answer->sources = settings.Sources();
      answer->current = remembered.empty() ? settings.Source().value_or("") : remembered;
    }
    QMetaObject::invokeMethod(
        &relay_,
        [target, deviceName, answer] {
          if (target != nullptr)
            target->ShowScanSources(deviceName, answer->sources, answer->current);
        },
        Qt::QueuedConnection);
  });
}

TwainOutcome DataSourceManager::OpenSource(TW_IDENTITY& identity) {
  if (source_ != nullptr)
    return {TWRC_FAILURE, TWCC_MAXCONNECTIONS};
  // SANE may not open a device while it is still listing them on another
  // thread, so a scan asked for early waits for the listing here.
  const SourceDirectory& directory = ListedSources();
  const SourceEntry* entry = directory.FindById(identity.Id);
  if (entry == nullptr && identity.ProductName[0] != '\0')
    entry = directory.FindByProductName(std::string(
        identity.ProductName, strnlen(identity.ProductName, sizeof identity.ProductName)));
  if (entry == nullptr && identity.Id == 0 && identity.ProductName[0] == '\0') {
    TW_IDENTITY fallback{};
    if (GetDefault(fallback).returnCode == TWRC_SUCCESS)
      entry = directory.FindById(fallback.Id);
  }
  if (entry == nullptr)
    return kNoSource;
  SourceDescription description{entry->identity, entry->device.name,
                                DsmSettings::ScanSource(entry->device.name),
                                DsmSettings::StallTimeout()};
  auto source =
      std::make_unique<DataSource>(*api_, std::move(description), parent_.data(), &callback_);
  const TwainOutcome opened = source->Open();
  if (opened.returnCode != TWRC_SUCCESS)
    return opened;
  source_ = std::move(source);
  identity = source_->Identity();
  return kSuccess;
}

TwainOutcome DataSourceManager::CloseSource(const TW_IDENTITY& identity) {
  if (source_ == nullptr || source_->Identity().Id != identity.Id)
    return {TWRC_FAILURE, TWCC_BADDEST};
  if (!source_->CanClose())
    return kSequenceError;
  source_.reset();
  callback_.Clear();  // registered with the source that is gone
  return kSuccess;
}
