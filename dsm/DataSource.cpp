#include "dsm/DataSource.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QWidget>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <future>
#include <utility>

#include "dsm/ApplicationCallback.h"
#include "dsm/DsmSettings.h"
#include "dsm/Fix32.h"
#include "dsm/HandleRegistry.h"
#include "dsm/MemoryStrip.h"
#include "dsm/SourceEvent.h"
#include "dsm/SourceScanDlg.h"
#include "dsm/SourceWindowProcess.h"
#include "twain/GlobalMemory.h"

Q_LOGGING_CATEGORY(lcSource, "docketeer.dsm.source")

namespace {

constexpr TwainOutcome kSuccess{TWRC_SUCCESS, TWCC_SUCCESS};
constexpr TwainOutcome kSequenceError{TWRC_FAILURE, TWCC_SEQERROR};
constexpr TwainOutcome kBadValue{TWRC_FAILURE, TWCC_BADVALUE};
constexpr TwainOutcome kBadProtocol{TWRC_FAILURE, TWCC_BADPROTOCOL};
constexpr auto kPromptCancel = std::chrono::seconds(1);
constexpr double kFrameTolerance = 0.01;  // inches
constexpr std::size_t kPreferredStripBytes = 256 * 1024;
constexpr const char kDefaultTransferFile[] = "TWAIN.TMP";
constexpr std::size_t kLargestStripBytes = 64 * 1024 * 1024;

// Whole rows: at least one, the preferred strip near 256 KiB.
TW_SETUPMEMXFER StripSizes(std::size_t rowBytes) {
  rowBytes = std::max<std::size_t>(rowBytes, 1);
  const std::size_t preferred =
      rowBytes * std::max<std::size_t>(1, kPreferredStripBytes / rowBytes);
  const std::size_t largest = std::max(preferred, kLargestStripBytes / rowBytes * rowBytes);
  return {static_cast<TW_UINT32>(rowBytes), static_cast<TW_UINT32>(largest),
          static_cast<TW_UINT32>(preferred)};
}

int BitsPerPixelOf(TW_UINT16 pixelType) {
  return pixelType == TWPT_RGB ? 24 : pixelType == TWPT_GRAY ? 8 : 1;
}

TW_FRAME ToTwainFrame(const FrameInches& frame) {
  return {ToFix32(frame.left), ToFix32(frame.top), ToFix32(frame.right), ToFix32(frame.bottom)};
}

FrameInches FromTwainFrame(const TW_FRAME& frame) {
  return {FromFix32(frame.Left), FromFix32(frame.Top), FromFix32(frame.Right),
          FromFix32(frame.Bottom)};
}

bool Differs(const FrameInches& a, const FrameInches& b) {
  return std::abs(a.left - b.left) > kFrameTolerance || std::abs(a.top - b.top) > kFrameTolerance ||
         std::abs(a.right - b.right) > kFrameTolerance ||
         std::abs(a.bottom - b.bottom) > kFrameTolerance;
}

void FillImageInfo(const DibFormat& format, TW_IMAGEINFO& info) {
  info = TW_IMAGEINFO{};
  info.XResolution = ToFix32(format.dotsPerInch);
  info.YResolution = info.XResolution;
  info.ImageWidth = format.width;
  info.ImageLength = format.height > 0 ? format.height : -1;
  const bool colour = format.bitsPerPixel == 24;
  info.SamplesPerPixel = colour ? 3 : 1;
  for (int sample = 0; sample < info.SamplesPerPixel; ++sample)
    info.BitsPerSample[sample] = static_cast<TW_INT16>(colour ? 8 : format.bitsPerPixel);
  info.BitsPerPixel = static_cast<TW_INT16>(format.bitsPerPixel);
  info.PixelType = colour ? TWPT_RGB : format.bitsPerPixel == 8 ? TWPT_GRAY : TWPT_BW;
  info.Compression = TWCP_NONE;
}

}  // namespace

DataSource::DataSource(SaneApi& api, SourceDescription description, QObject* managerParent,
                       ApplicationCallback* callback)
    : api_(api),
      description_(std::move(description)),
      managerParent_(managerParent),
      device_(api),
      settings_(device_),
      capabilities_(thread_, settings_),
      callback_(callback),
      transferFile_(kDefaultTransferFile) {}

DataSource::~DataSource() {
  StopAcquisition();
  CloseWindows();
  thread_.Run([this] { device_.Close(); });
  GlobalFree(memoryPage_.page);
}

void DataSource::CloseWindows() {
  CloseDialog();
  // Nothing this source posted may outlive it: news of a source that is gone.
  if (QCoreApplication::instance() != nullptr) {
    QCoreApplication::removePostedEvents(parent_.data(), SourceEvent::EventType());
    QCoreApplication::removePostedEvents(managerParent_.data(), SourceEvent::EventType());
  }
}

// Widgets die with the application object: after it has gone (a source still
// open when the program leaves main) the window is left alone.
void DataSource::CloseDialog() {
  window_.reset();
  if (QCoreApplication::instance() != nullptr)
    delete dialog_.data();  // the parent window may have deleted it already
}

bool DataSource::CanShowWindows() {
  return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

TwainOutcome DataSource::Open() {
  const SANE_Status status = thread_.Run([this] {
    const SANE_Status opened = device_.Open(description_.deviceName);
    if (opened == SANE_STATUS_GOOD && !description_.scanSource.empty())
      settings_.SetSource(description_.scanSource);
    if (opened == SANE_STATUS_GOOD)
      capabilities_.RememberDefaults();
    return opened;
  });
  if (status == SANE_STATUS_GOOD)
    return kSuccess;
  qCWarning(lcSource, "Cannot open %s: %s", description_.deviceName.c_str(),
            SaneStatusName(status));
  // A device that is not there any more (unplugged, switched off, a network
  // scanner gone) is no source; the other reasons keep their own codes.
  switch (status) {
    case SANE_STATUS_ACCESS_DENIED:
    case SANE_STATUS_NO_MEM:
    case SANE_STATUS_DEVICE_BUSY:
      return TwainOutcomeFor(status);
    default:
      return {TWRC_FAILURE, TWCC_NODS};
  }
}

TW_UINT16 DataSource::Entry(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
  if (data == nullptr && !(dat == DAT_USERINTERFACE && message == MSG_DISABLEDS) &&
      dat != DAT_IMAGEFILEXFER) {
    conditionCode_ = TWCC_BADVALUE;
    return TWRC_FAILURE;
  }
  const TwainOutcome outcome = Dispatch(group, dat, message, data);
  if (dat != DAT_EVENT)  // the stream of events must not wipe the last failure's code
    conditionCode_ = outcome.conditionCode;
  return outcome.returnCode;
}

TW_UINT16 DataSource::TakeConditionCode() {
  return std::exchange(conditionCode_, TWCC_SUCCESS);
}

TwainOutcome DataSource::Dispatch(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message,
                                  TW_MEMREF data) {
  if (group == DG_CONTROL && dat == DAT_CAPABILITY)
    return Capability(message, *static_cast<TW_CAPABILITY*>(data));
  if (group == DG_CONTROL && dat == DAT_EVENT && message == MSG_PROCESSEVENT)
    return ProcessEvent(*static_cast<TW_EVENT*>(data));
  if (group == DG_CONTROL && dat == DAT_PENDINGXFERS)
    return PendingTransfers(message, *static_cast<TW_PENDINGXFERS*>(data));
  if (group == DG_CONTROL && dat == DAT_USERINTERFACE && message == MSG_ENABLEDS)
    return Enable(*static_cast<TW_USERINTERFACE*>(data));
  if (group == DG_CONTROL && dat == DAT_USERINTERFACE && message == MSG_DISABLEDS)
    return Disable();
  if (group == DG_IMAGE && dat == DAT_IMAGEINFO && message == MSG_GET)
    return ImageInfo(*static_cast<TW_IMAGEINFO*>(data));
  if (group == DG_IMAGE && dat == DAT_IMAGELAYOUT)
    return ImageLayout(message, *static_cast<TW_IMAGELAYOUT*>(data));
  if (group == DG_IMAGE && dat == DAT_IMAGENATIVEXFER && message == MSG_GET)
    return NativeTransfer(*static_cast<TW_HANDLE*>(data));
  if (group == DG_CONTROL && dat == DAT_SETUPMEMXFER && message == MSG_GET)
    return SetupMemoryTransfer(*static_cast<TW_SETUPMEMXFER*>(data));
  if (group == DG_IMAGE && dat == DAT_IMAGEMEMXFER && message == MSG_GET)
    return MemoryTransfer(*static_cast<TW_IMAGEMEMXFER*>(data));
  if (group == DG_CONTROL && dat == DAT_SETUPFILEXFER)
    return SetupFileTransfer(message, *static_cast<TW_SETUPFILEXFER*>(data));
  if (group == DG_IMAGE && dat == DAT_IMAGEFILEXFER && message == MSG_GET)
    return FileTransfer();
  return kBadProtocol;
}

TwainOutcome DataSource::Capability(TW_UINT16 message, TW_CAPABILITY& capability) {
  if (message == MSG_QUERYSUPPORT) {
    const TwainOutcome outcome = capabilities_.QuerySupport(capability);
    if (outcome.returnCode == TWRC_SUCCESS)
      handle_registry::Remember(capability.hContainer);
    return outcome;
  }
  // Negotiation ends when the source is enabled.
  if ((message == MSG_SET || message == MSG_RESET) && state_ != State::Open)
    return kSequenceError;
  switch (message) {
    case MSG_GET:
    case MSG_GETCURRENT:
    case MSG_GETDEFAULT: {
      // While the device's thread reads pages, the values of the batch answer.
      const TwainOutcome outcome = IsScanning() ? capabilities_.GetNoted(message, capability)
                                                : capabilities_.Get(message, capability);
      if (outcome.returnCode == TWRC_SUCCESS)
        handle_registry::Remember(capability.hContainer);
      return outcome;
    }
    case MSG_SET:
      return capabilities_.Set(capability);
    case MSG_RESET: {
      const TwainOutcome outcome = capabilities_.Reset(capability);
      if (outcome.returnCode == TWRC_SUCCESS)
        handle_registry::Remember(capability.hContainer);
      return outcome;
    }
    default:
      return {TWRC_FAILURE, TWCC_CAPBADOPERATION};
  }
}

AcquisitionPlan DataSource::MakePlan() {
  AcquisitionPlan plan;
  planRowBytes_ = 0;
  plan.stallTimeout = description_.stallTimeout;
  plan.maxPages = capabilities_.TransferCount() > 0 ? capabilities_.TransferCount() : 0;
  thread_.Run([&] {
    plan.dotsPerInch = static_cast<int>(std::lround(settings_.Resolution(false).value_or(0)));
    plan.thresholdGray = settings_.ThresholdsGray();
    plan.feeder = settings_.IsFeeder();
    SANE_Parameters parameters{};
    if (api_.GetParameters(device_.Handle(), &parameters) == SANE_STATUS_GOOD) {
      DibFormat format;
      format.width = parameters.pixels_per_line;
      format.bitsPerPixel = BitsPerPixelOf(settings_.PixelType());
      planRowBytes_ = StripRowBytes(format);
    }
  });
  return plan;
}

TwainOutcome DataSource::Enable(const TW_USERINTERFACE& ui) {
  if (state_ != State::Open)
    return kSequenceError;
  parent_ = ui.hParent != nullptr ? static_cast<QObject*>(ui.hParent) : managerParent_.data();
  // Without an event loop of the application's (or with the window in a
  // program of its own) the source's news are handled on the callback thread.
  const bool windowProcess = ui.ShowUI && !CanShowWindows();
  ownerIsCallbackThread_ =
      callback_ != nullptr && ((UsesCallback() && !ui.ShowUI) || windowProcess ||
                               parent_ == nullptr || QCoreApplication::instance() == nullptr);
  plan_ = MakePlan();
  capabilities_.NoteAnswers();
  notedFrame_ = thread_.Run([this] { return settings_.Frame(); });
  ++session_;
  readyAnnounced_ = false;
  state_ = State::Enabled;
  if (!ui.ShowUI) {
    StartAcquisition();
    return kSuccess;
  }
  const auto [sources, current] = thread_.Run(
      [this] { return std::make_pair(settings_.Sources(), settings_.Source().value_or("")); });
  if (windowProcess)
    return ShowWindowProcess(sources, current);
  dialog_ = new SourceScanDlg(qobject_cast<QWidget*>(parent_.data()),
                              QString::fromUtf8(description_.identity.ProductName));
  dialog_->ShowScanSources(sources, current);
  QObject::connect(dialog_.data(), &SourceScanDlg::scanRequested, &relay_, [this] {
    std::unique_lock lock = LockEntry();
    OnScanClicked(dialog_ != nullptr ? dialog_->ChosenScanSource() : std::string());
  });
  QObject::connect(dialog_.data(), &SourceScanDlg::cancelRequested, &relay_, [this] {
    std::unique_lock lock = LockEntry();
    OnUserCancelled();
  });
  dialog_->show();
  return kSuccess;
}

TwainOutcome DataSource::ShowWindowProcess(const std::vector<std::string>& sources,
                                           const std::string& current) {
  window_ = std::make_unique<SourceWindowProcess>([this](const std::string& answer) {
    RunOnOwner([this, answer] { OnWindowAnswer(answer); });
  });
  const std::string product(
      description_.identity.ProductName,
      strnlen(description_.identity.ProductName, sizeof description_.identity.ProductName));
  if (!window_->Start(product, current, sources)) {
    window_.reset();
    state_ = State::Open;
    return {TWRC_FAILURE, TWCC_OPERATIONERROR};
  }
  return kSuccess;
}

void DataSource::OnWindowAnswer(const std::string& answer) {
  if (window_ == nullptr || state_ == State::Open)
    return;  // the window of a source disabled since
  if (answer.rfind("scan\t", 0) == 0)
    OnScanClicked(answer.substr(5));
  else if (answer == "cancel")
    OnUserCancelled();
}

TwainOutcome DataSource::Disable() {
  // Pages still waiting must be ended or reset first.
  if (state_ != State::Enabled)
    return kSequenceError;
  StopAcquisition();
  CloseDialog();
  kept_.clear();
  ++session_;
  state_ = State::Open;
  return kSuccess;
}

// A scan source picked in the source's window is used now and remembered.
void DataSource::OnScanClicked(const std::string& chosen) {
  if (!chosen.empty() && chosen != description_.scanSource) {
    const bool set = thread_.Run([&] { return settings_.SetSource(chosen); });
    if (set) {
      description_.scanSource = chosen;
      DsmSettings::SetScanSource(description_.deviceName, chosen);
      plan_ = MakePlan();
      capabilities_.NoteAnswers();
    }
  }
  StartAcquisition();
}

void DataSource::StartAcquisition() {
  if (acquisition_ != nullptr && !acquisition_->IsFinished())
    return;
  StopAcquisition();
  acquisition_ = std::make_unique<Acquisition>(api_, device_.Handle(), plan_);
  Acquisition* acquisition = acquisition_.get();
  const quint64 session = session_;
  thread_.Post([this, acquisition, session] {
    acquisition->Run(
        [this, session](int pages) {
          RunOnOwner([this, session, pages] { OnEntryQueued(session, pages); });
        },
        [this, session] { RunOnOwner([this, session] { OnAcquisitionFinished(session); }); });
  });
  if (dialog_ != nullptr)
    dialog_->ShowScanning(0);
}

void DataSource::StopAcquisition() {
  if (acquisition_ == nullptr)
    return;
  acquisition_->RequestCancel();
  auto drained = std::make_shared<std::promise<void>>();
  std::future<void> done = drained->get_future();
  thread_.Post([drained] { drained->set_value(); });
  if (done.wait_for(kPromptCancel) != std::future_status::ready) {
    qCWarning(lcSource, "The device does not stop; cancelling it from outside");
    acquisition_->ForceCancel();
    done.wait();
  }
  acquisition_.reset();
}

bool DataSource::IsScanning() const {
  return acquisition_ != nullptr && !acquisition_->IsFinished();
}

void DataSource::OnEntryQueued(quint64 session, int pages) {
  if (session != session_)
    return;
  if (dialog_ != nullptr)
    dialog_->ShowScanning(pages);
  if (window_ != nullptr)
    window_->Send("scanning " + std::to_string(pages));
  AnnounceIfReady();
}

// Every page is announced once it has been read, so the application never
// waits for the feeder inside a transfer.
void DataSource::AnnounceIfReady() {
  if (readyAnnounced_ || acquisition_ == nullptr || acquisition_->Front() == nullptr)
    return;
  if (state_ != State::Enabled && state_ != State::TransferReady)
    return;
  readyAnnounced_ = true;
  ++announcement_;
  if (UsesCallback())
    state_ = State::TransferReady;  // no event to process: the call is the announcement
  PostToApplication(MSG_XFERREADY);
}

// The window stays up for the next batch until the application disables the source.
void DataSource::OnAcquisitionFinished(quint64 session) {
  if (session == session_ && dialog_ != nullptr)
    dialog_->ShowReady();
  if (session == session_ && window_ != nullptr)
    window_->Send("ready");
}

void DataSource::OnUserCancelled() {
  if (acquisition_ != nullptr)
    acquisition_->RequestCancel();
  ++session_;  // a batch that still finishes is not offered any more
  PostToApplication(MSG_CLOSEDSREQ);
}

bool DataSource::UsesCallback() const {
  return callback_ != nullptr && callback_->IsRegistered();
}

std::unique_lock<std::recursive_mutex> DataSource::LockEntry() {
  return callback_ != nullptr ? std::unique_lock(callback_->EntryMutex())
                              : std::unique_lock<std::recursive_mutex>();
}

void DataSource::RunOnOwner(std::function<void()> task) {
  std::weak_ptr<int> alive = alive_;
  auto guarded = [alive, task = std::move(task)] {
    if (!alive.expired())
      task();
  };
  if (ownerIsCallbackThread_.load()) {
    callback_->RunLocked(std::move(guarded));
    return;
  }
  QMetaObject::invokeMethod(
      &relay_,
      [this, guarded] {
        std::unique_lock lock = LockEntry();
        guarded();
      },
      Qt::QueuedConnection);
}

void DataSource::PostToApplication(TW_UINT16 message) {
  if (UsesCallback()) {
    std::weak_ptr<int> alive = alive_;
    callback_->Notify(description_.identity, message,
                      [this, alive, message, session = session_, sequence = announcement_] {
                        if (alive.expired() || session != session_)
                          return false;
                        return message != MSG_XFERREADY ||
                               (readyAnnounced_ && sequence == announcement_);
                      });
    return;
  }
  if (parent_ == nullptr || QCoreApplication::instance() == nullptr) {
    // Neither a callback nor a window to post to: kept for the application's
    // next DAT_EVENT, which it calls whatever event it has (or none).
    kept_.push_back({message, session_, announcement_});
    return;
  }
  QCoreApplication::postEvent(
      parent_.data(), new SourceEvent(description_.identity.Id, session_, message, announcement_));
}

TwainOutcome DataSource::ProcessEvent(TW_EVENT& event) {
  event.TWMessage = MSG_NULL;
  while (!kept_.empty()) {
    const KeptMessage kept = kept_.front();
    kept_.pop_front();
    if (TakeNews(kept.message, kept.session, kept.sequence)) {
      event.TWMessage = kept.message;
      return {TWRC_DSEVENT, TWCC_SUCCESS};
    }
  }
  const SourceEvent* sourceEvent = SourceEvent::From(static_cast<const QEvent*>(event.pEvent));
  if (sourceEvent == nullptr || sourceEvent->sourceId != description_.identity.Id)
    return {TWRC_NOTDSEVENT, TWCC_SUCCESS};
  // Stale news (a batch that is over, a page taken without waiting) is ours but says nothing.
  if (TakeNews(sourceEvent->message, sourceEvent->session, sourceEvent->sequence))
    event.TWMessage = sourceEvent->message;
  return {TWRC_DSEVENT, TWCC_SUCCESS};
}

bool DataSource::TakeNews(TW_UINT16 message, quint64 session, quint64 sequence) {
  if (session != session_)
    return false;
  if (message == MSG_XFERREADY) {
    const bool current = readyAnnounced_ && sequence == announcement_;
    if (!current || (state_ != State::Enabled && state_ != State::TransferReady))
      return false;
    state_ = State::TransferReady;
  }
  return true;
}

TW_UINT16 DataSource::PendingCount() const {
  if (acquisition_ == nullptr || (state_ != State::TransferReady && state_ != State::Transferring))
    return 0;
  return acquisition_->PendingCount();
}

// Ending a transfer does not wait for the feeder: the count is 0 only once
// SANE has said there are no more documents, "unknown" while the next sheet
// is read, and that page is announced by a transfer-ready of its own.
TW_UINT16 DataSource::EndTransfer() {
  if (state_ == State::TransferReady && acquisition_->Front() != nullptr)
    GlobalFree(acquisition_->PopFront().page);      // the entry the application passes over
  memoryPage_.page = GlobalFree(memoryPage_.page);  // the rest of a page taken in strips
  readyAnnounced_ = false;
  const TW_UINT16 count = acquisition_->PendingCount();
  state_ = count > 0 ? State::TransferReady : State::Enabled;
  if (count > 0)
    AnnounceIfReady();
  return count;
}

TwainOutcome DataSource::PendingTransfers(TW_UINT16 message, TW_PENDINGXFERS& pending) {
  pending.EOJ = 0;
  switch (message) {
    case MSG_GET:
      pending.Count = PendingCount();
      return kSuccess;
    case MSG_ENDXFER:
      if (acquisition_ == nullptr ||
          (state_ != State::TransferReady && state_ != State::Transferring))
        return kSequenceError;
      pending.Count = EndTransfer();
      return kSuccess;
    case MSG_RESET:
      // Also answered once the last page is through, so a reset after a
      // cancelled transfer does not fail.
      if (state_ != State::TransferReady && state_ != State::Enabled)
        return kSequenceError;
      if (state_ == State::TransferReady)
        StopAcquisition();  // the rest of the batch is not wanted
      pending.Count = 0;
      state_ = State::Enabled;
      return kSuccess;
    default:
      return kBadProtocol;
  }
}

TwainOutcome DataSource::ImageInfo(TW_IMAGEINFO& info) {
  if (state_ != State::TransferReady && state_ != State::Transferring)
    return kSequenceError;
  const PageOutcome* next = acquisition_ != nullptr ? acquisition_->Front() : nullptr;
  DibFormat format = next != nullptr && next->page != nullptr ? next->format : lastFormat_;
  if (format.dotsPerInch == 0)
    format.dotsPerInch = plan_.dotsPerInch;
  FillImageInfo(format, info);
  return kSuccess;
}

TwainOutcome DataSource::TakeNextPage(PageOutcome& taken) {
  if (state_ != State::TransferReady || acquisition_ == nullptr)
    return kSequenceError;
  acquisition_->WaitForNextOrEnd();
  const PageOutcome* next = acquisition_->Front();
  if (next == nullptr)
    return kSequenceError;
  if (next->returnCode == TWRC_FAILURE)  // stays queued until ended or reset
    return {TWRC_FAILURE, next->conditionCode};
  taken = acquisition_->PopFront();
  readyAnnounced_ = false;
  state_ = State::Transferring;
  if (taken.page != nullptr)
    lastFormat_ = taken.format;
  return {taken.returnCode, taken.conditionCode};
}

TwainOutcome DataSource::NativeTransfer(TW_HANDLE& page) {
  if (capabilities_.TransferMechanism() != TWSX_NATIVE)
    return kSequenceError;
  PageOutcome taken;
  const TwainOutcome outcome = TakeNextPage(taken);
  page = taken.page;
  handle_registry::Remember(page);
  return outcome;
}

TwainOutcome DataSource::SetupMemoryTransfer(TW_SETUPMEMXFER& setup) {
  if (state_ == State::Transferring)
    return kSequenceError;
  const PageOutcome* next = acquisition_ != nullptr ? acquisition_->Front() : nullptr;
  if (state_ == State::TransferReady && next != nullptr && next->page != nullptr) {
    setup = StripSizes(StripRowBytes(next->format));
    return kSuccess;
  }
  if (IsScanning()) {  // the device's thread is busy: the sizes of the batch's settings
    setup = StripSizes(planRowBytes_);
    return kSuccess;
  }
  const std::size_t rowBytes = thread_.Run([this] {
    SANE_Parameters parameters{};
    if (api_.GetParameters(device_.Handle(), &parameters) != SANE_STATUS_GOOD)
      return std::size_t{0};
    DibFormat format;
    format.width = parameters.pixels_per_line;
    format.bitsPerPixel = BitsPerPixelOf(settings_.PixelType());
    return StripRowBytes(format);
  });
  if (rowBytes == 0)
    return {TWRC_FAILURE, TWCC_BUMMER};
  setup = StripSizes(rowBytes);
  return kSuccess;
}

TwainOutcome DataSource::SetupFileTransfer(TW_UINT16 message, TW_SETUPFILEXFER& setup) {
  if (state_ == State::Transferring || (message == MSG_RESET && state_ != State::Open))
    return kSequenceError;
  switch (message) {
    case MSG_SET: {
      const std::string name(setup.FileName, strnlen(setup.FileName, sizeof setup.FileName));
      if (setup.Format != TWFF_BMP || name.empty())
        return kBadValue;
      transferFile_ = name;
      return kSuccess;
    }
    case MSG_RESET:
      transferFile_ = kDefaultTransferFile;
      [[fallthrough]];
    case MSG_GET:
    case MSG_GETDEFAULT: {
      const std::string& name = message == MSG_GET ? transferFile_ : kDefaultTransferFile;
      setup = TW_SETUPFILEXFER{};
      name.copy(setup.FileName, sizeof setup.FileName - 1);
      setup.Format = TWFF_BMP;
      return kSuccess;
    }
    default:
      return kBadProtocol;
  }
}

// The page as a bitmap file: a 14-byte file header before the native block.
TwainOutcome DataSource::FileTransfer() {
  if (capabilities_.TransferMechanism() != TWSX_FILE)
    return kSequenceError;
  PageOutcome taken;
  const TwainOutcome outcome = TakeNextPage(taken);
  if (taken.page == nullptr)
    return outcome;
  const std::size_t blockBytes = GlobalSize(taken.page);
  const auto fileBytes = static_cast<std::uint32_t>(14 + blockBytes);
  const auto pixelOffset = static_cast<std::uint32_t>(14 + taken.format.PixelOffset());
  std::uint8_t header[14] = {'B', 'M'};
  std::memcpy(header + 2, &fileBytes, 4);
  std::memcpy(header + 10, &pixelOffset, 4);
  std::FILE* file = std::fopen(transferFile_.c_str(), "wb");
  bool written = file != nullptr && std::fwrite(header, 1, sizeof header, file) == sizeof header &&
                 std::fwrite(GlobalLock(taken.page), 1, blockBytes, file) == blockBytes;
  GlobalUnlock(taken.page);
  GlobalFree(taken.page);
  written = file != nullptr && std::fclose(file) == 0 && written;
  if (!written) {
    qCWarning(lcSource, "Cannot write %s", transferFile_.c_str());
    return {TWRC_FAILURE, TWCC_FILEWRITEERROR};
  }
  return outcome;
}

TwainOutcome DataSource::MemoryTransfer(TW_IMAGEMEMXFER& strip) {
  if (capabilities_.TransferMechanism() != TWSX_MEMORY)
    return kSequenceError;
  const bool handle = (strip.Memory.Flags & TWMF_HANDLE) != 0;
  if (strip.Memory.TheMem == nullptr || (strip.Memory.Flags & TWMF_APPOWNS) == 0 ||
      (handle && !handle_registry::IsBlock(strip.Memory.TheMem)))
    return kBadValue;
  if (state_ == State::TransferReady) {
    if (acquisition_ == nullptr)
      return kSequenceError;
    acquisition_->WaitForNextOrEnd();
    const PageOutcome* next = acquisition_->Front();
    // A buffer too small for one row is refused before the page is taken.
    if (next != nullptr && next->page != nullptr &&
        strip.Memory.Length < StripRowBytes(next->format))
      return kBadValue;
    PageOutcome taken;
    const TwainOutcome outcome = TakeNextPage(taken);
    if (taken.page == nullptr)
      return outcome.returnCode == TWRC_XFERDONE ? TwainOutcome{TWRC_FAILURE, TWCC_BUMMER}
                                                 : outcome;
    memoryPage_ = std::move(taken);
    memoryRow_ = 0;
  } else if (state_ != State::Transferring || memoryPage_.page == nullptr) {
    return kSequenceError;
  }
  const DibFormat& format = memoryPage_.format;
  const std::size_t rowBytes = StripRowBytes(format);
  const auto rows = static_cast<std::int32_t>(std::min<std::size_t>(
      strip.Memory.Length / rowBytes, static_cast<std::size_t>(format.height - memoryRow_)));
  if (rows == 0)
    return kBadValue;
  auto* out =
      static_cast<std::uint8_t*>(handle ? GlobalLock(strip.Memory.TheMem) : strip.Memory.TheMem);
  if (out == nullptr)
    return kBadValue;
  auto* block = static_cast<std::uint8_t*>(GlobalLock(memoryPage_.page));
  CopyStripRows(format, block, memoryRow_, rows, out);
  ReleaseRowsAbove(format, block, memoryRow_ + rows);
  GlobalUnlock(memoryPage_.page);
  if (handle)
    GlobalUnlock(strip.Memory.TheMem);
  strip.Compression = TWCP_NONE;
  strip.BytesPerRow = static_cast<TW_UINT32>(rowBytes);
  strip.Columns = static_cast<TW_UINT32>(format.width);
  strip.Rows = static_cast<TW_UINT32>(rows);
  strip.XOffset = 0;
  strip.YOffset = static_cast<TW_UINT32>(memoryRow_);
  strip.BytesWritten = static_cast<TW_UINT32>(rowBytes * static_cast<std::size_t>(rows));
  memoryRow_ += rows;
  if (memoryRow_ < format.height)
    return kSuccess;
  memoryPage_.page = GlobalFree(memoryPage_.page);
  return {TWRC_XFERDONE, TWCC_SUCCESS};
}

TwainOutcome DataSource::ImageLayout(TW_UINT16 message, TW_IMAGELAYOUT& layout) {
  if (state_ == State::Transferring)
    return kSequenceError;
  const bool read = message == MSG_GET || message == MSG_GETCURRENT;
  if (IsScanning() && !(read && notedFrame_))  // the device's thread reads pages
    return kSequenceError;
  const bool settable = state_ == State::Open;
  std::optional<FrameInches> frame;
  TW_UINT16 returnCode = TWRC_SUCCESS;
  switch (message) {
    case MSG_GET:
    case MSG_GETCURRENT:
      frame = IsScanning() ? notedFrame_ : thread_.Run([this] { return settings_.Frame(); });
      break;
    case MSG_GETDEFAULT:
      frame = thread_.Run([this] { return settings_.PhysicalArea(); });
      break;
    case MSG_SET:
    case MSG_RESET:
      if (!settable)
        return kSequenceError;
      frame = thread_.Run([&]() -> std::optional<FrameInches> {
        const std::optional<FrameInches> glass = settings_.PhysicalArea();
        const FrameInches wanted =
            message == MSG_SET ? FromTwainFrame(layout.Frame) : glass.value_or(FrameInches{});
        // A frame with nothing of it on the glass is no frame to scan.
        if (glass && (wanted.left >= glass->right || wanted.top >= glass->bottom ||
                      wanted.right <= std::max(wanted.left, 0.0) ||
                      wanted.bottom <= std::max(wanted.top, 0.0)))
          return std::nullopt;
        if (!settings_.SetFrame(wanted))
          return std::nullopt;
        std::optional<FrameInches> applied = settings_.Frame();
        if (applied && Differs(*applied, wanted) &&
            (wanted.right > glass->right + kFrameTolerance ||
             wanted.bottom > glass->bottom + kFrameTolerance))
          returnCode = TWRC_CHECKSTATUS;  // cut to the glass
        return applied;
      });
      break;
    default:
      return kBadProtocol;
  }
  if (!frame)
    return kBadValue;
  layout.Frame = ToTwainFrame(*frame);
  layout.DocumentNumber = 1;
  layout.PageNumber = 1;
  layout.FrameNumber = 1;
  return {returnCode, TWCC_SUCCESS};
}
