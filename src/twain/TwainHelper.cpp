#include "twain/TwainHelper.h"

#include <QObject>
#include <algorithm>
#include <cstring>
#include <exception>

#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "twain/Fix32.h"
#include "twain/GlobalMemory.h"
#include "twain/TwainPixelType.h"

namespace {

constexpr std::size_t kMaxIdentityText = 32;
constexpr int kMaxScanLength = 31999;
constexpr int kMaxResolution = 9999;

void MustSucceed(const ContractLocation& location, TW_UINT16 code) {
  CheckResultCode(location, code == TWRC_SUCCESS, code);
}

bool IsIdentityText(const std::string& text) {
  return !text.empty() && text.size() <= kMaxIdentityText;
}

void CopyIdentityText(TW_STR32& field, const std::string& text) {
  std::memset(field, 0, sizeof field);
  std::memcpy(field, text.data(), std::min(text.size(), kMaxIdentityText));
}

void ZeroIdentity(TW_IDENTITY& identity) {
  std::memset(&identity, 0, sizeof identity);
}

}  // namespace

TwainHelper::TwainHelper() {
  ZeroIdentity(appIdentity_);
  ZeroIdentity(dataSourceIdentity_);
}

TwainHelper::~TwainHelper() {
  Log(LOG_LOCATION, "TwainHelper::~TwainHelper()");
  try {
    // A scan ended early (a signal) may leave a page pending, and a source
    // refuses to be disabled until its transfers are reset.
    if (isDataSourceEnabled_) {
      TW_PENDINGXFERS pending{};
      api_.ResetXfers(&appIdentity_, &dataSourceIdentity_, &pending);
      DisableDataSource();
    }
    if (isDataSourceOpen_)
      CloseDataSource();
    if (isDataSourceManagerOpen_)
      CloseDataSourceManager();
  } catch (const std::exception&) {
    Log(LOG_LOCATION, "TwainHelper::~TwainHelper(): Eating exception");
  }
  api_.Release();
}

void TwainHelper::CheckTwainInvariant() const {
  CheckInvariant(CONTRACT_LOCATION, !isDataSourceManagerOpen_ || !parentWindow_.isNull());
  CheckInvariant(CONTRACT_LOCATION, !isDataSourceOpen_ || isDataSourceManagerOpen_);
  CheckInvariant(CONTRACT_LOCATION, !isDataSourceEnabled_ || isDataSourceOpen_);
}

TW_USERINTERFACE TwainHelper::UserInterface(bool showUi) const {
  return TW_USERINTERFACE{static_cast<TW_BOOL>(showUi), 1, parentWindow_.data()};
}

void TwainHelper::OpenDataSourceManager(int majorVersion, int minorVersion,
                                        const std::string& versionInfo,
                                        const std::string& manufacturer,
                                        const std::string& productFamily,
                                        const std::string& productName, QObject* parent) {
  Log(LOG_LOCATION, "TwainHelper::OpenDataSourceManager()");
  CheckTwainInvariant();
  CheckPrecondition(CONTRACT_LOCATION, !isDataSourceManagerOpen_);
  CheckPrecondition(CONTRACT_LOCATION, majorVersion >= 0);
  CheckPrecondition(CONTRACT_LOCATION, minorVersion >= 0);
  CheckPrecondition(CONTRACT_LOCATION, IsIdentityText(versionInfo));
  CheckPrecondition(CONTRACT_LOCATION, IsIdentityText(manufacturer));
  CheckPrecondition(CONTRACT_LOCATION, IsIdentityText(productFamily));
  CheckPrecondition(CONTRACT_LOCATION, IsIdentityText(productName));
  CheckPrecondition(CONTRACT_LOCATION, parent != nullptr);

  ZeroIdentity(appIdentity_);
  appIdentity_.Version.MajorNum = static_cast<TW_UINT16>(majorVersion);
  appIdentity_.Version.MinorNum = static_cast<TW_UINT16>(minorVersion);
  appIdentity_.Version.Language = TWLG_USA;
  appIdentity_.Version.Country = TWCY_USA;
  CopyIdentityText(appIdentity_.Version.Info, versionInfo);
  appIdentity_.ProtocolMajor = TWON_PROTOCOLMAJOR;
  appIdentity_.ProtocolMinor = TWON_PROTOCOLMINOR;
  appIdentity_.SupportedGroups = DG_CONTROL | DG_IMAGE;
  CopyIdentityText(appIdentity_.Manufacturer, manufacturer);
  CopyIdentityText(appIdentity_.ProductFamily, productFamily);
  CopyIdentityText(appIdentity_.ProductName, productName);

  parentWindow_ = parent;
  QObject* parentHandle = parent;
  const TW_UINT16 code = api_.OpenDsm(&appIdentity_, &parentHandle);
  if (code != TWRC_SUCCESS)
    ZeroIdentity(appIdentity_);
  MustSucceed(CONTRACT_LOCATION, code);
  isDataSourceManagerOpen_ = true;
  CheckTwainInvariant();
}

void TwainHelper::CloseDataSourceManager() {
  Log(LOG_LOCATION, "TwainHelper::CloseDataSourceManager()");
  CheckTwainInvariant();
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceManagerOpen_);
  QObject* parentHandle = parentWindow_.data();
  MustSucceed(CONTRACT_LOCATION, api_.CloseDsm(&appIdentity_, &parentHandle));
  isDataSourceManagerOpen_ = false;
  CheckTwainInvariant();
}

void TwainHelper::SelectDefaultDataSource() {
  Log(LOG_LOCATION, "TwainHelper::SelectDefaultDataSource()");
  CheckTwainInvariant();
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceManagerOpen_);
  TW_IDENTITY chosen;
  ZeroIdentity(chosen);
  MustSucceed(CONTRACT_LOCATION, api_.GetDefaultIdentity(&appIdentity_, &chosen));
  dataSourceIdentity_ = chosen;
  isDataSourceSelected_ = true;
  CheckTwainInvariant();
}

void TwainHelper::SelectDataSource() {
  Log(LOG_LOCATION, "TwainHelper::SelectDataSource()");
  CheckTwainInvariant();
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceManagerOpen_);
  CheckPrecondition(CONTRACT_LOCATION, !isDataSourceOpen_);
  // The manager fills a copy, so a cancelled dialog cannot disturb the
  // identity of the source already chosen.
  TW_IDENTITY chosen = dataSourceIdentity_;
  const TW_UINT16 code = api_.UserSelectIdentity(&appIdentity_, &chosen);
  if (code != TWRC_CANCEL) {
    MustSucceed(CONTRACT_LOCATION, code);
    dataSourceIdentity_ = chosen;
    Log(LOG_LOCATION, "TwainHelper::SelectDataSource(): isDataSourceSelected_ = true");
    isDataSourceSelected_ = true;
  }
  CheckTwainInvariant();
}

std::vector<std::string> TwainHelper::ListDataSources() {
  Log(LOG_LOCATION, "TwainHelper::ListDataSources()");
  CheckTwainInvariant();
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceManagerOpen_);
  std::vector<std::string> names;
  TW_IDENTITY listed;
  ZeroIdentity(listed);
  for (TW_UINT16 code = api_.GetFirstIdentity(&appIdentity_, &listed); code == TWRC_SUCCESS;
       code = api_.GetNextIdentity(&appIdentity_, &listed)) {
    names.emplace_back(listed.ProductName, strnlen(listed.ProductName, sizeof listed.ProductName));
    ZeroIdentity(listed);
  }
  return names;
}

bool TwainHelper::SelectDataSourceNamed(const std::string& productName) {
  Log(LOG_LOCATION, "TwainHelper::SelectDataSourceNamed(): %s", productName.c_str());
  CheckTwainInvariant();
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceManagerOpen_);
  CheckPrecondition(CONTRACT_LOCATION, !isDataSourceOpen_);
  TW_IDENTITY listed;
  ZeroIdentity(listed);
  for (TW_UINT16 code = api_.GetFirstIdentity(&appIdentity_, &listed); code == TWRC_SUCCESS;
       code = api_.GetNextIdentity(&appIdentity_, &listed)) {
    if (productName ==
        std::string(listed.ProductName, strnlen(listed.ProductName, sizeof listed.ProductName))) {
      dataSourceIdentity_ = listed;
      isDataSourceSelected_ = true;
      CheckTwainInvariant();
      return true;
    }
    ZeroIdentity(listed);
  }
  return false;
}

void TwainHelper::OpenDataSource() {
  Log(LOG_LOCATION, "TwainHelper::OpenDataSource()");
  CheckTwainInvariant();
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceManagerOpen_);
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceSelected_);
  CheckPrecondition(CONTRACT_LOCATION, !isDataSourceOpen_);
  MustSucceed(CONTRACT_LOCATION, api_.OpenDs(&appIdentity_, &dataSourceIdentity_));
  isDataSourceOpen_ = true;
  CheckTwainInvariant();
}

void TwainHelper::CloseDataSource() {
  Log(LOG_LOCATION, "TwainHelper::CloseDataSource()");
  CheckTwainInvariant();
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceManagerOpen_);
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceSelected_);
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceOpen_);
  MustSucceed(CONTRACT_LOCATION, api_.CloseDs(&appIdentity_, &dataSourceIdentity_));
  isDataSourceOpen_ = false;
  CheckTwainInvariant();
}

void TwainHelper::EnableDataSource(const ScanRequest& request) {
  Log(LOG_LOCATION, "TwainHelper::EnableDataSource()");
  CheckTwainInvariant();
  CheckPrecondition(CONTRACT_LOCATION, request.width >= 1 && request.width <= kMaxScanLength);
  CheckPrecondition(CONTRACT_LOCATION, request.height >= 1 && request.height <= kMaxScanLength);
  CheckPrecondition(CONTRACT_LOCATION,
                    request.resolution >= 1 && request.resolution <= kMaxResolution);
  CheckPrecondition(CONTRACT_LOCATION,
                    PixelTypeFromValue(PixelTypeValue(request.pixelType)).has_value());
  CheckPrecondition(CONTRACT_LOCATION, !parentWindow_.isNull());
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceManagerOpen_);
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceSelected_);
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceOpen_);
  CheckPrecondition(CONTRACT_LOCATION, !isDataSourceEnabled_);

  NegotiateResolution(request.resolution);
  NegotiatePixelType(request.pixelType);
  if (request.feeder.has_value())
    NegotiateFeeder(*request.feeder);
  MustSucceed(CONTRACT_LOCATION, api_.SetUnits(&appIdentity_, &dataSourceIdentity_, TWUN_INCHES));
  const DataSourceSize glass = ReadPhysicalSize();
  SetFrame(std::min(request.width, glass.width), std::min(request.height, glass.height));

  TW_USERINTERFACE ui = UserInterface(request.showUi);
  transferFailed_ = false;
  MustSucceed(CONTRACT_LOCATION, api_.EnableDs(&appIdentity_, &dataSourceIdentity_, &ui));
  showUi_ = request.showUi;
  isDataSourceEnabled_ = true;
  CheckTwainInvariant();
}

// Many sources offer fewer resolutions than asked for; they pick their own,
// so a refusal is only logged.
void TwainHelper::NegotiateResolution(int resolution) {
  const TW_FIX32 value = ResolutionToFix32(resolution);
  Log(LOG_LOCATION, "Setting X resolution = %d", resolution);
  Log(LOG_LOCATION, "Result = %d", api_.SetXResolution(&appIdentity_, &dataSourceIdentity_, value));
  Log(LOG_LOCATION, "Setting Y resolution = %d", resolution);
  Log(LOG_LOCATION, "Result = %d", api_.SetYResolution(&appIdentity_, &dataSourceIdentity_, value));
}

// Sources often refuse the palette type; full colour is the nearest they all offer.
void TwainHelper::NegotiatePixelType(PixelType pixelType) {
  Log(LOG_LOCATION, "Setting pixel type = %d", PixelTypeValue(pixelType));
  TW_UINT16 code =
      api_.SetPixelType(&appIdentity_, &dataSourceIdentity_, TwainPixelType(pixelType));
  Log(LOG_LOCATION, "Result = %d", code);
  if (code != TWRC_SUCCESS) {
    Log(LOG_LOCATION, "Setting pixel type = %d", TWPT_RGB);
    code = api_.SetPixelType(&appIdentity_, &dataSourceIdentity_, TWPT_RGB);
    Log(LOG_LOCATION, "Result = %d", code);
  }
  MustSucceed(CONTRACT_LOCATION, code);
}

// A scan asked of the feeder cannot go on without one; a source that has
// nothing but a feeder keeps it when the glass is asked for.
void TwainHelper::NegotiateFeeder(bool feeder) {
  Log(LOG_LOCATION, "Setting feeder enabled = %d", feeder ? 1 : 0);
  const TW_UINT16 code = api_.SetCapabilityOneValue16(&appIdentity_, &dataSourceIdentity_,
                                                      CAP_FEEDERENABLED, TWTY_BOOL, feeder ? 1 : 0);
  Log(LOG_LOCATION, "Result = %d", code);
  if (feeder)
    MustSucceed(CONTRACT_LOCATION, code);
}

DataSourceSize TwainHelper::ReadPhysicalSize() {
  TW_FIX32 width{0, 0};
  TW_FIX32 height{0, 0};
  MustSucceed(CONTRACT_LOCATION, api_.GetPhysicalWidth(&appIdentity_, &dataSourceIdentity_, width));
  MustSucceed(CONTRACT_LOCATION,
              api_.GetPhysicalHeight(&appIdentity_, &dataSourceIdentity_, height));
  return DataSourceSize{Fix32ToThousandths(width), Fix32ToThousandths(height)};
}

// The scan area always starts at the source's top-left corner.
void TwainHelper::SetFrame(int width, int height) {
  TW_IMAGELAYOUT layout;
  std::memset(&layout, 0, sizeof layout);
  MustSucceed(CONTRACT_LOCATION, api_.GetImageLayout(&appIdentity_, &dataSourceIdentity_, &layout));
  TW_FRAME& frame = layout.Frame;
  frame.Left = ThousandthsToFix32(0);
  frame.Top = ThousandthsToFix32(0);
  frame.Right = ThousandthsToFix32(width);
  frame.Bottom = ThousandthsToFix32(height);
  Log(LOG_LOCATION, "Setting frame = (%d %d/65535, %d %d/65535) - (%d %d/65535, %d %d/65535)",
      frame.Left.Whole, frame.Left.Frac, frame.Top.Whole, frame.Top.Frac, frame.Right.Whole,
      frame.Right.Frac, frame.Bottom.Whole, frame.Bottom.Frac);
  MustSucceed(CONTRACT_LOCATION, api_.SetImageLayout(&appIdentity_, &dataSourceIdentity_, &layout));
}

void TwainHelper::DisableDataSource() {
  Log(LOG_LOCATION, "TwainHelper::DisableDataSource()");
  CheckTwainInvariant();
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceManagerOpen_);
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceSelected_);
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceOpen_);
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceEnabled_);
  TW_USERINTERFACE ui = UserInterface(showUi_);
  MustSucceed(CONTRACT_LOCATION, api_.DisableDs(&appIdentity_, &dataSourceIdentity_, &ui));
  isDataSourceEnabled_ = false;
  CheckTwainInvariant();
}

void TwainHelper::CheckTransferPreconditions() const {
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceManagerOpen_);
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceSelected_);
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceOpen_);
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceEnabled_);
}

void TwainHelper::TransferImages(std::vector<TW_HANDLE>& images) {
  Log(LOG_LOCATION, "TwainHelper::TransferImages()");
  CheckTwainInvariant();
  CheckPrecondition(CONTRACT_LOCATION, images.empty());
  CheckTransferPreconditions();
  int unknownAnswers = 0;
  while (TransferOnePage(images, static_cast<int>(images.size()), unknownAnswers) !=
         PageTransfer::Done) {
  }
  CheckTwainInvariant();
}

bool TwainHelper::TransferImage(std::vector<TW_HANDLE>& images, int pagesDelivered) {
  Log(LOG_LOCATION, "TwainHelper::TransferImage()");
  CheckTwainInvariant();
  CheckTransferPreconditions();
  int unknownAnswers = 0;
  PageTransfer outcome = PageTransfer::Again;
  while (outcome == PageTransfer::Again)
    outcome = TransferOnePage(images, pagesDelivered, unknownAnswers);
  CheckTwainInvariant();
  return outcome == PageTransfer::MorePending;
}

// One native transfer: Again when the source's answer asks for another try.
// `pagesDelivered` counts the pages this scan delivered before this transfer.
TwainHelper::PageTransfer TwainHelper::TransferOnePage(std::vector<TW_HANDLE>& images,
                                                       int pagesDelivered, int& unknownAnswers) {
  Log(LOG_LOCATION, "TwainHelper::TransferImages(): Getting image.");
  TW_IMAGEINFO info;
  std::memset(&info, 0, sizeof info);
  MustSucceed(CONTRACT_LOCATION, api_.GetImageInfo(&appIdentity_, &dataSourceIdentity_, &info));
  TW_HANDLE image = nullptr;
  const TW_UINT16 code = api_.GetNativeXfer(&appIdentity_, &dataSourceIdentity_, &image);
  switch (code) {
    case TWRC_XFERDONE:
      Log(LOG_LOCATION, "TwainHelper::TransferImages(): TWRC_XFERDONE");
      if (image == nullptr) {
        Log(LOG_LOCATION, "TwainHelper::TransferImages(): No image was delivered");
        StopAfterFailure(pagesDelivered);
        return PageTransfer::Done;
      }
      images.push_back(image);
      return EndTransfer() ? PageTransfer::MorePending : PageTransfer::Done;
    case TWRC_CANCEL:
      Log(LOG_LOCATION, "TwainHelper::TransferImages(): TWRC_CANCEL");
      GlobalFree(image);
      EndAndResetTransfers(true);
      return PageTransfer::Done;
    case TWRC_FAILURE:
      Log(LOG_LOCATION, "TwainHelper::TransferImages(): TWRC_FAILURE");
      GlobalFree(image);
      StopAfterFailure(pagesDelivered);
      return PageTransfer::Done;
    default:
      GlobalFree(image);
      Log(LOG_LOCATION, "TwainHelper::TransferImages(): Unknown return code %d", code);
      if (++unknownAnswers <= kMaxUnknownTransferAnswers)
        return PageTransfer::Again;
      StopAfterFailure(pagesDelivered);
      return PageTransfer::Done;
  }
}

bool TwainHelper::EndTransfer() {
  TW_PENDINGXFERS pending;
  std::memset(&pending, 0, sizeof pending);
  MustSucceed(CONTRACT_LOCATION, api_.EndXfer(&appIdentity_, &dataSourceIdentity_, &pending));
  const bool isPendingXfers = pending.Count != 0;
  Log(LOG_LOCATION, "TwainHelper::TransferImages(): pendingXfers.Count = %d, isPendingXfers = %d",
      pending.Count, isPendingXfers);
  return isPendingXfers;
}

// After a failed transfer. Pages already delivered are kept and the source is
// still taken out of its transfer state; a refusal then is only logged, as
// those pages matter more than the source's answer. The failure itself is
// kept for the caller: a jammed feeder must not pass for the end of the batch.
void TwainHelper::StopAfterFailure(int pagesDelivered) {
  transferFailed_ = true;
  if (pagesDelivered == 0) {
    EndAndResetTransfers(true);
    return;
  }
  Log(LOG_LOCATION, "TwainHelper::TransferImages() ignoring failure because images.size() = %d",
      pagesDelivered);
  EndAndResetTransfers(false);
}

void TwainHelper::EndAndResetTransfers(bool mustSucceed) {
  TW_PENDINGXFERS pending;
  std::memset(&pending, 0, sizeof pending);
  const TW_UINT16 endCode = api_.EndXfer(&appIdentity_, &dataSourceIdentity_, &pending);
  if (mustSucceed)
    MustSucceed(CONTRACT_LOCATION, endCode);
  std::memset(&pending, 0, sizeof pending);
  const TW_UINT16 resetCode = api_.ResetXfers(&appIdentity_, &dataSourceIdentity_, &pending);
  if (mustSucceed)
    MustSucceed(CONTRACT_LOCATION, resetCode);
  if (endCode != TWRC_SUCCESS || resetCode != TWRC_SUCCESS) {
    Log(LOG_LOCATION, "TwainHelper::TransferImages(): End = %d, reset = %d", endCode, resetCode);
  }
}

std::string TwainHelper::GetDataSourceName() {
  const char* name = dataSourceIdentity_.ProductName;
  const std::string text(name, strnlen(name, sizeof dataSourceIdentity_.ProductName));
  Log(LOG_LOCATION, "Getting data source name: %s", text.c_str());
  CheckTwainInvariant();
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceManagerOpen_);
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceSelected_);
  return text;
}

DataSourceSize TwainHelper::GetDataSourceSize() {
  Log(LOG_LOCATION, "TwainHelper::GetDataSourceSize()");
  CheckTwainInvariant();
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceManagerOpen_);
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceSelected_);
  CheckPrecondition(CONTRACT_LOCATION, !isDataSourceOpen_);
  OpenDataSource();
  DataSourceSize size{0, 0};
  try {
    size = ReadPhysicalSize();
  } catch (const contract_error&) {
    Log(LOG_LOCATION, "TwainHelper::GetDataSourceSize(): Caught exception");
    CloseDataSource();
    throw;
  }
  CloseDataSource();
  Log(LOG_LOCATION, "TwainHelper::GetDataSourceSize(): Size = %d, %d", size.width, size.height);
  CheckTwainInvariant();
  return size;
}

std::optional<ResolutionRange> TwainHelper::GetResolutionRange() {
  Log(LOG_LOCATION, "TwainHelper::GetResolutionRange()");
  CheckPrecondition(CONTRACT_LOCATION, isDataSourceSelected_ && !isDataSourceOpen_);
  OpenDataSource();
  std::vector<TW_UINT32> items;
  TW_UINT16 code = TWRC_FAILURE;
  try {
    code = api_.GetOfferedItems(&appIdentity_, &dataSourceIdentity_, ICAP_XRESOLUTION, TWTY_FIX32,
                                items);
  } catch (const contract_error&) {
    CloseDataSource();
    throw;
  }
  CloseDataSource();
  if (code != TWRC_SUCCESS || items.empty())
    return std::nullopt;
  ResolutionRange range{kMaxResolution, 0};
  for (const TW_UINT32 item : items) {
    const TW_FIX32 value = WordToFix32(item);
    const int dotsPerInch = value.Whole + (value.Frac >= 0x8000 ? 1 : 0);
    range.lowest = std::min(range.lowest, dotsPerInch);
    range.highest = std::max(range.highest, dotsPerInch);
  }
  Log(LOG_LOCATION, "TwainHelper::GetResolutionRange(): %d - %d", range.lowest, range.highest);
  return range;
}

void TwainHelper::ResetDataSource() {
  Log(LOG_LOCATION, "TwainHelper::ResetDataSource()");
  // A failure in the middle of a transfer leaves the source in its transfer
  // state, where it refuses to be disabled; without this every later scan
  // would fail until the program restarts.
  if (isDataSourceEnabled_) {
    TW_PENDINGXFERS pending;
    std::memset(&pending, 0, sizeof pending);
    api_.EndXfer(&appIdentity_, &dataSourceIdentity_, &pending);
    api_.ResetXfers(&appIdentity_, &dataSourceIdentity_, &pending);
  }
  TW_USERINTERFACE ui = UserInterface(showUi_);
  api_.DisableDs(&appIdentity_, &dataSourceIdentity_, &ui);
  isDataSourceEnabled_ = false;
  api_.CloseDs(&appIdentity_, &dataSourceIdentity_);
  isDataSourceOpen_ = false;
  CheckTwainInvariant();
}

int TwainHelper::PreTranslateMessage(QEvent* message) {
  if (!isDataSourceOpen_)
    return NOT_SOURCE_EVENT;
  TW_EVENT event{message, MSG_NULL};
  if (api_.ProcessEvent(&appIdentity_, &dataSourceIdentity_, &event) == TWRC_NOTDSEVENT) {
    return NOT_SOURCE_EVENT;
  }
  Log(LOG_LOCATION, "TwainHelper::PreTranslateMessage(): %d", event.TWMessage);
  switch (event.TWMessage) {
    case MSG_XFERREADY:
      Log(LOG_LOCATION, "TwainHelper::PreTranslateMessage(): XFER_READY_MSG");
      return XFER_READY_MSG;
    case MSG_CLOSEDSREQ:
      Log(LOG_LOCATION, "TwainHelper::PreTranslateMessage(): MSG_CLOSEDSREQ");
      return CLOSE_MSG;
    case MSG_CLOSEDSOK:
      Log(LOG_LOCATION, "TwainHelper::PreTranslateMessage(): OK_MSG");
      return OK_MSG;
    default:
      Log(LOG_LOCATION, "TwainHelper::PreTranslateMessage(): MSG_NULL");
      return NULL_MSG;
  }
}

bool TwainHelper::IsDataSourceManagerOpen() const {
  CheckTwainInvariant();
  return isDataSourceManagerOpen_;
}

bool TwainHelper::IsDataSourceSelected() const {
  CheckTwainInvariant();
  return isDataSourceSelected_;
}

bool TwainHelper::IsDataSourceOpen() const {
  CheckTwainInvariant();
  return isDataSourceOpen_;
}

bool TwainHelper::IsDataSourceEnabled() const {
  CheckTwainInvariant();
  return isDataSourceEnabled_;
}
