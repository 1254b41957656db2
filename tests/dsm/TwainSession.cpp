#include "TwainSession.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstring>

#include "dsm/CapabilityContainer.h"
#include "dsm/Fix32.h"
#include "twain/GlobalMemory.h"

TwainSession::TwainSession(std::shared_ptr<SaneApi> api) : manager_(std::move(api)) {
  parent.installEventFilter(this);
  std::strcpy(application.ProductName, "Session");
}

TwainSession::~TwainSession() {
  TW_USERINTERFACE ui{0, 1, &parent};
  Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
  Manager(DAT_IDENTITY, MSG_CLOSEDS, &source);
  void* handle = &parent;
  Manager(DAT_PARENT, MSG_CLOSEDSM, &handle);
}

TW_UINT16 TwainSession::Manager(TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
  return manager_.Entry(&application, nullptr, DG_CONTROL, dat, message, data);
}

TW_UINT16 TwainSession::Source(TW_UINT32 group, TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
  return manager_.Entry(&application, &source, group, dat, message, data);
}

TW_UINT16 TwainSession::OpenManager() {
  void* handle = &parent;
  return Manager(DAT_PARENT, MSG_OPENDSM, &handle);
}

TW_UINT16 TwainSession::OpenDefaultSource() {
  const TW_UINT16 found = Manager(DAT_IDENTITY, MSG_GETDEFAULT, &source);
  return found != TWRC_SUCCESS ? found : Manager(DAT_IDENTITY, MSG_OPENDS, &source);
}

TW_UINT16 TwainSession::Condition() {
  TW_STATUS status{};
  Source(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
  return status.ConditionCode;
}

TW_UINT16 TwainSession::SetCapability(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item) {
  TW_CAPABILITY capability{cap, TWON_ONEVALUE, MakeOneValue(itemType, item)};
  const TW_UINT16 result = Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
  GlobalFree(capability.hContainer);
  return result;
}

TW_UINT16 TwainSession::SetFrame(double left, double top, double right, double bottom) {
  TW_IMAGELAYOUT layout{};
  Source(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout);
  layout.Frame = {ToFix32(left), ToFix32(top), ToFix32(right), ToFix32(bottom)};
  return Source(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout);
}

TW_UINT16 TwainSession::Configure(TW_UINT16 pixelType, int dotsPerInch) {
  const TW_UINT16 pixels = SetCapability(ICAP_PIXELTYPE, TWTY_UINT16, pixelType);
  const TW_UINT16 resolution =
      SetCapability(ICAP_XRESOLUTION, TWTY_FIX32, Fix32ToWord(ToFix32(dotsPerInch)));
  return pixels != TWRC_SUCCESS ? pixels : resolution;
}

TW_UINT16 TwainSession::Enable(bool showUi) {
  TW_USERINTERFACE ui{static_cast<TW_BOOL>(showUi), 1, &parent};
  return Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
}

TW_UINT16 TwainSession::Disable() {
  TW_USERINTERFACE ui{0, 1, &parent};
  return Source(DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui);
}

bool TwainSession::eventFilter(QObject* watched, QEvent* event) {
  TW_EVENT twainEvent{event, MSG_NULL};
  if (Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &twainEvent) != TWRC_DSEVENT)
    return QObject::eventFilter(watched, event);
  if (twainEvent.TWMessage != MSG_NULL)
    messages.push_back(twainEvent.TWMessage);
  return true;
}

std::optional<TW_UINT16> TwainSession::WaitForMessage(std::chrono::milliseconds limit) {
  const std::size_t seen = messages.size();
  QElapsedTimer timer;
  timer.start();
  while (messages.size() == seen && timer.elapsed() < limit.count())
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  if (messages.size() == seen)
    return std::nullopt;
  return messages.back();
}

std::vector<TwainSession::Transfer> TwainSession::TransferAll() {
  std::vector<Transfer> transfers;
  for (;;) {
    TW_IMAGEINFO info{};
    Source(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info);
    TW_HANDLE page = nullptr;
    const TW_UINT16 result = Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &page);
    TW_PENDINGXFERS pending{};
    if (result != TWRC_XFERDONE) {
      Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
      Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
      transfers.push_back({result, page, pending.Count});
      return transfers;
    }
    Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    transfers.push_back({result, page, pending.Count});
    if (pending.Count == 0)
      return transfers;
  }
}

std::vector<TwainSession::Transfer> TwainSession::Scan() {
  if (Enable() != TWRC_SUCCESS || WaitForMessage() != MSG_XFERREADY)
    return {};
  return TransferAll();
}

std::vector<TwainSession::Transfer> TwainSession::ScanAsAnnounced() {
  std::vector<Transfer> transfers;
  if (Enable() != TWRC_SUCCESS)
    return transfers;
  while (WaitForMessage() == MSG_XFERREADY) {
    TW_IMAGEINFO info{};
    Source(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info);
    TW_HANDLE page = nullptr;
    const TW_UINT16 result = Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &page);
    TW_PENDINGXFERS pending{};
    Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
    if (result != TWRC_XFERDONE)
      Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
    transfers.push_back({result, page, pending.Count});
    if (result != TWRC_XFERDONE || pending.Count == 0)
      break;
  }
  return transfers;
}

DibFacts ReadDibFacts(TW_HANDLE page) {
  DibFacts facts;
  const auto* block = static_cast<const std::uint8_t*>(GlobalLock(page));
  if (block == nullptr)
    return facts;
  std::int32_t width = 0, height = 0, colours = 0;
  std::uint16_t bits = 0;
  std::memcpy(&width, block + 4, 4);
  std::memcpy(&height, block + 8, 4);
  std::memcpy(&bits, block + 14, 2);
  std::memcpy(&colours, block + 32, 4);
  GlobalUnlock(page);
  facts = {width, height, bits, colours, false};
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  facts.sizeMatchesBlock = GlobalSize(page) >= 40 + 4u * colours + stride * height;
  return facts;
}

const std::uint8_t* DibRow(TW_HANDLE page, int rowFromTop) {
  const DibFacts facts = ReadDibFacts(page);
  const auto* block = static_cast<const std::uint8_t*>(GlobalLock(page));
  GlobalUnlock(page);
  const std::size_t stride =
      (static_cast<std::size_t>(facts.width) * facts.bitsPerPixel + 31) / 32 * 4;
  return block + 40 + 4 * facts.paletteEntries + stride * (facts.height - 1 - rowFromTop);
}

void FreePages(const std::vector<TwainSession::Transfer>& transfers) {
  for (const TwainSession::Transfer& transfer : transfers)
    GlobalFree(transfer.page);
}

TW_ONEVALUE TakeOneValue(TW_HANDLE container) {
  TW_ONEVALUE value{};
  if (const void* block = GlobalLock(container)) {
    std::memcpy(&value, block, sizeof value);
    GlobalUnlock(container);
  }
  GlobalFree(container);
  return value;
}
