#include "dsm/DataSourceManager.h"

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QWidget>
#include <cstring>
#include <new>

#include "dsm/DeviceSettings.h"
#include "dsm/DsmSettings.h"
#include "dsm/SelectSourceDlg.h"
#include "dsm/SourceEvent.h"

Q_LOGGING_CATEGORY(lcManager, "docketeer.dsm.manager")

namespace {

constexpr TW_UINT32 kApplicationId = 1;
constexpr TW_UINT32 kFirstSourceId = 2;
constexpr TwainOutcome kSuccess{TWRC_SUCCESS, TWCC_SUCCESS};
constexpr TwainOutcome kSequenceError{TWRC_FAILURE, TWCC_SEQERROR};
constexpr TwainOutcome kBadProtocol{TWRC_FAILURE, TWCC_BADPROTOCOL};
constexpr TwainOutcome kNoSource{TWRC_FAILURE, TWCC_NODS};

struct ScanSourceAnswer {
  std::vector<std::string> sources;
  std::string current;
};

}  // namespace

DataSourceManager::DataSourceManager(std::shared_ptr<SaneApi> api)
    : api_(std::move(api)), directory_(kFirstSourceId) {}

DataSourceManager::~DataSourceManager() {
  source_.reset();
  if (open_)
    CloseManager();
}

TW_UINT16 DataSourceManager::Entry(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                                   TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
  TwainOutcome outcome{TWRC_FAILURE, TWCC_BADVALUE};
  try {
    if (origin == nullptr)
      outcome = {TWRC_FAILURE, TWCC_BADVALUE};
    else if (destination == nullptr && group == DG_CONTROL)
      outcome = ManagerEntry(*origin, dat, message, data);
    else if (destination != nullptr)
      outcome = ForwardToSource(*destination, group, dat, message, data);
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
    return {TWRC_FAILURE, TWCC_BADVALUE};
  if (dat == DAT_IDENTITY)
    return Identity(message, *static_cast<TW_IDENTITY*>(data));
  if (dat == DAT_STATUS && message == MSG_GET) {
    *static_cast<TW_STATUS*>(data) = TW_STATUS{conditionCode_, 0};
    return kSuccess;
  }
  return kBadProtocol;
}

TwainOutcome DataSourceManager::ForwardToSource(TW_IDENTITY& destination, TW_UINT32 group,
                                                TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
  if (!open_ || source_ == nullptr || source_->Identity().Id != destination.Id)
    return {TWRC_FAILURE, TWCC_BADDEST};
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
  auto source = std::make_unique<DataSource>(*api_, std::move(description), parent_.data());
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
  return kSuccess;
}
