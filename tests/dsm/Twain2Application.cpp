#include "Twain2Application.h"

#include <dlfcn.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

Twain2Application* current = nullptr;  // the callback has only the RefCon to go by

TW_FIX32 Fix32(double value) {
  const auto whole = static_cast<TW_INT16>(std::floor(value));
  return {whole, static_cast<TW_UINT16>(std::lround((value - whole) * 65536.0) & 0xFFFF)};
}

}  // namespace

Twain2Application::Twain2Application() {
  library_ = ::dlopen(DOCKETEER_DSM_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (library_ != nullptr)
    entry_ = reinterpret_cast<DSMENTRYPROC>(::dlsym(library_, "DSM_Entry"));
  application.Version = {1, 0, TWLG_USA, TWCY_USA, "1.0"};
  application.ProtocolMajor = 2;
  application.ProtocolMinor = 4;
  application.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_APP2;
  std::strcpy(application.Manufacturer, "Ferncastle");
  std::strcpy(application.ProductFamily, "Tests");
  std::strcpy(application.ProductName, "Callback application");
  current = this;
}

// The library stays loaded: its manager lives until the process ends.
Twain2Application::~Twain2Application() {
  current = nullptr;
}

TW_UINT16 Twain2Application::Call(TW_IDENTITY* origin, TW_IDENTITY* destination, TW_UINT32 group,
                                  TW_UINT16 dat, TW_UINT16 message, TW_MEMREF data) {
  return entry_(origin, destination, group, dat, message, data);
}

TW_UINT16 Twain2Application::ManagerCondition() {
  TW_STATUS status{};
  return Manager(DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS ? status.ConditionCode : 0xFFFF;
}

TW_UINT16 Twain2Application::SourceCondition() {
  TW_STATUS status{};
  return Source(DG_CONTROL, DAT_STATUS, MSG_GET, &status) == TWRC_SUCCESS ? status.ConditionCode
                                                                          : 0xFFFF;
}

TW_UINT16 Twain2Application::OnSourceMessage(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16,
                                             TW_UINT16 message, TW_MEMREF data) {
  auto* self = reinterpret_cast<Twain2Application*>(data);
  if (self == nullptr || self != current)
    return TWRC_FAILURE;
  {
    std::lock_guard lock(self->mutex_);
    self->messages_.push_back(message);
    self->callbackThread = std::this_thread::get_id();
    self->callbackRefCon = reinterpret_cast<TW_UINTPTR>(data);
  }
  self->news_.notify_all();
  return TWRC_SUCCESS;
}

TW_UINT16 Twain2Application::OpenWithCallback() {
  void* parent = nullptr;
  if (TW_UINT16 rc = Manager(DAT_PARENT, MSG_OPENDSM, &parent); rc != TWRC_SUCCESS)
    return rc;
  entryPoint.Size = sizeof entryPoint;
  if (TW_UINT16 rc = Manager(DAT_ENTRYPOINT, MSG_GET, &entryPoint); rc != TWRC_SUCCESS)
    return rc;
  if (TW_UINT16 rc = Manager(DAT_IDENTITY, MSG_GETDEFAULT, &source); rc != TWRC_SUCCESS)
    return rc;
  if (TW_UINT16 rc = Manager(DAT_IDENTITY, MSG_OPENDS, &source); rc != TWRC_SUCCESS)
    return rc;
  TW_CALLBACK2 callback{reinterpret_cast<TW_MEMREF>(&OnSourceMessage),
                        reinterpret_cast<TW_UINTPTR>(this), 0};
  return Source(DG_CONTROL, DAT_CALLBACK2, MSG_REGISTER_CALLBACK, &callback);
}

TW_UINT16 Twain2Application::SetOne(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item) {
  TW_HANDLE container = entryPoint.DSM_MemAllocate(sizeof(TW_ONEVALUE));
  TW_ONEVALUE value{itemType, item};
  std::memcpy(entryPoint.DSM_MemLock(container), &value, sizeof value);
  entryPoint.DSM_MemUnlock(container);
  TW_CAPABILITY capability{cap, TWON_ONEVALUE, container};
  const TW_UINT16 rc = Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
  entryPoint.DSM_MemFree(container);
  return rc;
}

TW_UINT16 Twain2Application::SetFrameInches(double left, double top, double right, double bottom) {
  TW_IMAGELAYOUT layout{};
  layout.Frame = {Fix32(left), Fix32(top), Fix32(right), Fix32(bottom)};
  return Source(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout);
}

TW_UINT16 Twain2Application::Enable() {
  TW_USERINTERFACE ui{0, 0, nullptr};
  return Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui);
}

std::optional<TW_UINT16> Twain2Application::WaitForMessage(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  if (!news_.wait_for(lock, limit, [this] { return !messages_.empty(); }))
    return std::nullopt;
  const TW_UINT16 message = messages_.front();
  messages_.pop_front();
  return message;
}

std::optional<PnmPage> Twain2Application::TakeByMemory() {
  TW_IMAGEINFO info{};
  TW_SETUPMEMXFER setup{};
  if (Source(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS ||
      Source(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS)
    return std::nullopt;
  PnmPage page;
  page.width = info.ImageWidth;
  page.height = info.ImageLength;
  page.bitsPerPixel = info.BitsPerPixel;
  page.pixels.resize(page.RowBytes() * static_cast<std::size_t>(page.height));
  // Seven rows and a bit: strips of whole rows, several to a page.
  if (setup.MinBufSize == 0 || setup.MinBufSize > setup.Preferred ||
      setup.Preferred > setup.MaxBufSize)
    return std::nullopt;
  std::vector<std::uint8_t> buffer(setup.MinBufSize * 7 + 1);
  for (;;) {
    TW_IMAGEMEMXFER strip{};
    strip.Memory = {TWMF_APPOWNS | TWMF_POINTER, static_cast<TW_UINT32>(buffer.size()),
                    buffer.data()};
    const TW_UINT16 rc = Source(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &strip);
    if ((rc != TWRC_SUCCESS && rc != TWRC_XFERDONE) || strip.BytesPerRow != page.RowBytes() ||
        strip.YOffset + strip.Rows > static_cast<TW_UINT32>(page.height) ||
        (rc == TWRC_SUCCESS && strip.Rows != 7))
      return std::nullopt;
    std::memcpy(page.pixels.data() + strip.YOffset * page.RowBytes(), buffer.data(),
                strip.BytesWritten);
    if (rc == TWRC_XFERDONE)
      break;
  }
  if (page.bitsPerPixel == 1)  // TWAIN's 0 is black, PBM's 1
    for (std::uint8_t& byte : page.pixels)
      byte = static_cast<std::uint8_t>(~byte);
  return page;
}

namespace {

// A bottom-up device-independent bitmap in scanimage's layout.
PnmPage PageFromDib(const std::uint8_t* block) {
  std::int32_t width = 0, height = 0;
  std::uint16_t bits = 0;
  std::uint32_t colours = 0;
  std::memcpy(&width, block + 4, 4);
  std::memcpy(&height, block + 8, 4);
  std::memcpy(&bits, block + 14, 2);
  std::memcpy(&colours, block + 32, 4);
  PnmPage page{width, height, bits, {}};
  const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
  const std::uint8_t* rows = block + 40 + colours * 4;
  for (std::int32_t y = 0; y < height; ++y) {
    const std::uint8_t* row = rows + stride * static_cast<std::size_t>(height - 1 - y);
    for (std::size_t x = 0; x < page.RowBytes(); ++x) {
      const std::size_t source = bits == 24 ? x - x % 3 + (2 - x % 3) : x;  // BGR to RGB
      page.pixels.push_back(bits == 1 ? static_cast<std::uint8_t>(~row[x]) : row[source]);
    }
  }
  return page;
}

}  // namespace

std::optional<PnmPage> Twain2Application::TakeNative() {
  TW_HANDLE handle = nullptr;
  if (Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &handle) != TWRC_XFERDONE)
    return std::nullopt;
  PnmPage page = PageFromDib(static_cast<const std::uint8_t*>(entryPoint.DSM_MemLock(handle)));
  entryPoint.DSM_MemUnlock(handle);
  entryPoint.DSM_MemFree(handle);
  return page;
}

TW_UINT16 Twain2Application::EndTransfer() {
  TW_PENDINGXFERS pending{};
  Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending);
  return pending.Count;
}

std::optional<PnmPage> Twain2Application::TakeByFile(const std::string& path) {
  TW_SETUPFILEXFER setup{};
  path.copy(setup.FileName, sizeof setup.FileName - 1);
  setup.Format = TWFF_BMP;
  if (Source(DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup) != TWRC_SUCCESS ||
      Source(DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr) != TWRC_XFERDONE)
    return std::nullopt;
  std::ifstream file(path, std::ios::binary);
  const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
  if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
    return std::nullopt;
  return PageFromDib(bytes.data() + 14);
}
