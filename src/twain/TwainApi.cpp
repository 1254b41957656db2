#include "twain/TwainApi.h"

#include <dlfcn.h>

#include <cstdlib>
#include <filesystem>
#include <vector>

#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "platform/InstallLayout.h"
#include "twain/CapabilityContainer.h"
#include "twain/Fix32.h"
#include "twain/GlobalMemory.h"
#include "twain/GlobalMemoryLock.h"

namespace {

constexpr char kLibraryName[] = "libdocketeer_dsm.so";

const char* LoaderError() {
  const char* text = ::dlerror();
  return text != nullptr ? text : "unknown error";
}

}  // namespace

std::string TwainApi::LibraryPath() {
  const char* chosen = std::getenv("DOCKETEER_DSM");
  if (chosen != nullptr && *chosen != '\0')
    return chosen;
  const std::vector<std::string> folders = InstallLayout::ManagerLibraryFolders();
  std::error_code error;
  for (const std::string& folder : folders) {
    const std::filesystem::path candidate = std::filesystem::path(folder) / kLibraryName;
    if (std::filesystem::is_regular_file(candidate, error))
      return candidate.string();
  }
  // None is there: the installed place is the one the load failure names.
  return folders.empty() ? std::string(kLibraryName)
                         : (std::filesystem::path(folders.back()) / kLibraryName).string();
}

TwainApi::TwainApi() {
  const std::string path = LibraryPath();
  library_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library_ == nullptr) {
    Log(LOG_LOCATION, "TwainApi::TwainApi(): Cannot load %s: %s", path.c_str(), LoaderError());
  }
  CheckPostcondition(CONTRACT_LOCATION, library_ != nullptr);
  Log(LOG_LOCATION, "TwainApi::TwainApi(): Loaded %s", path.c_str());
  entry_ = reinterpret_cast<DSMENTRYPROC>(::dlsym(library_, kDsmEntryName));
  if (entry_ == nullptr) {
    Log(LOG_LOCATION, "TwainApi::TwainApi(): No %s in %s", kDsmEntryName, path.c_str());
    Release();
  }
  CheckPostcondition(CONTRACT_LOCATION, entry_ != nullptr);
}

TwainApi::~TwainApi() {
  Release();
}

void TwainApi::Release() {
  if (library_ != nullptr)
    ::dlclose(library_);
  library_ = nullptr;
  entry_ = nullptr;
}

TW_UINT16 TwainApi::Call(TW_IDENTITY* app, TW_IDENTITY* destination, TW_UINT32 group,
                         TW_UINT16 type, TW_UINT16 message, TW_MEMREF data) {
  CheckPrecondition(CONTRACT_LOCATION, entry_ != nullptr);
  return entry_(app, destination, group, type, message, data);
}

TW_UINT16 TwainApi::OpenDsm(TW_IDENTITY* app, QObject** parent) {
  return Call(app, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, parent);
}

TW_UINT16 TwainApi::CloseDsm(TW_IDENTITY* app, QObject** parent) {
  return Call(app, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, parent);
}

TW_UINT16 TwainApi::GetDefaultIdentity(TW_IDENTITY* app, TW_IDENTITY* source) {
  return Call(app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, source);
}

TW_UINT16 TwainApi::GetFirstIdentity(TW_IDENTITY* app, TW_IDENTITY* source) {
  return Call(app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, source);
}

TW_UINT16 TwainApi::GetNextIdentity(TW_IDENTITY* app, TW_IDENTITY* source) {
  return Call(app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, source);
}

TW_UINT16 TwainApi::UserSelectIdentity(TW_IDENTITY* app, TW_IDENTITY* source) {
  return Call(app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, source);
}

TW_UINT16 TwainApi::OpenDs(TW_IDENTITY* app, TW_IDENTITY* source) {
  return Call(app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, source);
}

TW_UINT16 TwainApi::CloseDs(TW_IDENTITY* app, TW_IDENTITY* source) {
  return Call(app, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, source);
}

TW_UINT16 TwainApi::ProcessEvent(TW_IDENTITY* app, TW_IDENTITY* source, TW_EVENT* event) {
  return Call(app, source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, event);
}

TW_UINT16 TwainApi::EndXfer(TW_IDENTITY* app, TW_IDENTITY* source, TW_PENDINGXFERS* pending) {
  return Call(app, source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, pending);
}

TW_UINT16 TwainApi::ResetXfers(TW_IDENTITY* app, TW_IDENTITY* source, TW_PENDINGXFERS* pending) {
  return Call(app, source, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, pending);
}

TW_UINT16 TwainApi::DisableDs(TW_IDENTITY* app, TW_IDENTITY* source, TW_USERINTERFACE* ui) {
  return Call(app, source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, ui);
}

TW_UINT16 TwainApi::EnableDs(TW_IDENTITY* app, TW_IDENTITY* source, TW_USERINTERFACE* ui) {
  return Call(app, source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, ui);
}

TW_UINT16 TwainApi::GetImageInfo(TW_IDENTITY* app, TW_IDENTITY* source, TW_IMAGEINFO* info) {
  return Call(app, source, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, info);
}

TW_UINT16 TwainApi::GetImageLayout(TW_IDENTITY* app, TW_IDENTITY* source, TW_IMAGELAYOUT* layout) {
  return Call(app, source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, layout);
}

TW_UINT16 TwainApi::SetImageLayout(TW_IDENTITY* app, TW_IDENTITY* source, TW_IMAGELAYOUT* layout) {
  return Call(app, source, DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, layout);
}

TW_UINT16 TwainApi::GetNativeXfer(TW_IDENTITY* app, TW_IDENTITY* source, TW_HANDLE* image) {
  return Call(app, source, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, image);
}

TW_UINT16 TwainApi::GetCapability(TW_IDENTITY* app, TW_IDENTITY* source, TW_UINT16 capability,
                                  TW_UINT16 itemType, TW_UINT32& value) {
  TW_CAPABILITY request{capability, TWON_DONTCARE16, nullptr};
  const TW_UINT16 code = Call(app, source, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &request);
  if (code != TWRC_SUCCESS)
    return code;
  {
    const GlobalMemoryLock container(request.hContainer);
    request.hContainer = nullptr;
    value = ReadCapabilityItem(container.Data(), container.Size(), request.ConType, itemType);
  }
  return TWRC_SUCCESS;
}

TW_UINT16 TwainApi::GetOfferedItems(TW_IDENTITY* app, TW_IDENTITY* source, TW_UINT16 capability,
                                    TW_UINT16 itemType, std::vector<TW_UINT32>& items) {
  TW_CAPABILITY request{capability, TWON_DONTCARE16, nullptr};
  const TW_UINT16 code = Call(app, source, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &request);
  if (code != TWRC_SUCCESS)
    return code;
  const GlobalMemoryLock container(request.hContainer);
  items = ReadCapabilityItems(container.Data(), container.Size(), request.ConType, itemType);
  return TWRC_SUCCESS;
}

TW_UINT16 TwainApi::SetCapabilityOneValue(TW_IDENTITY* app, TW_IDENTITY* source,
                                          TW_UINT16 capability, TW_UINT16 itemType,
                                          TW_UINT32 item) {
  TW_HANDLE handle = GlobalAlloc(sizeof(TW_ONEVALUE));
  CheckPostcondition(CONTRACT_LOCATION, handle != nullptr);
  const GlobalMemoryLock container(handle);
  auto* oneValue = static_cast<TW_ONEVALUE*>(container.Data());
  oneValue->ItemType = itemType;
  oneValue->Item = item;
  TW_CAPABILITY request{capability, TWON_ONEVALUE, handle};
  return Call(app, source, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &request);
}

TW_UINT16 TwainApi::SetCapabilityOneValue16(TW_IDENTITY* app, TW_IDENTITY* source,
                                            TW_UINT16 capability, TW_UINT16 itemType,
                                            TW_UINT16 value) {
  return SetCapabilityOneValue(app, source, capability, itemType, value);
}

TW_UINT16 TwainApi::SetCapabilityOneValue32(TW_IDENTITY* app, TW_IDENTITY* source,
                                            TW_UINT16 capability, TW_UINT16 itemType,
                                            TW_UINT32 value) {
  return SetCapabilityOneValue(app, source, capability, itemType, value);
}

TW_UINT16 TwainApi::SetUnits(TW_IDENTITY* app, TW_IDENTITY* source, TW_UINT16 units) {
  return SetCapabilityOneValue16(app, source, ICAP_UNITS, TWTY_UINT16, units);
}

TW_UINT16 TwainApi::SetPixelType(TW_IDENTITY* app, TW_IDENTITY* source, TW_UINT16 pixelType) {
  return SetCapabilityOneValue16(app, source, ICAP_PIXELTYPE, TWTY_UINT16, pixelType);
}

TW_UINT16 TwainApi::SetXResolution(TW_IDENTITY* app, TW_IDENTITY* source, TW_FIX32 resolution) {
  return SetCapabilityOneValue32(app, source, ICAP_XRESOLUTION, TWTY_FIX32,
                                 Fix32ToWord(resolution));
}

TW_UINT16 TwainApi::SetYResolution(TW_IDENTITY* app, TW_IDENTITY* source, TW_FIX32 resolution) {
  return SetCapabilityOneValue32(app, source, ICAP_YRESOLUTION, TWTY_FIX32,
                                 Fix32ToWord(resolution));
}

TW_UINT16 TwainApi::GetFix32(TW_IDENTITY* app, TW_IDENTITY* source, TW_UINT16 capability,
                             TW_FIX32& value) {
  TW_UINT32 word = 0;
  const TW_UINT16 code = GetCapability(app, source, capability, TWTY_FIX32, word);
  if (code == TWRC_SUCCESS)
    value = WordToFix32(word);
  return code;
}

TW_UINT16 TwainApi::GetPhysicalWidth(TW_IDENTITY* app, TW_IDENTITY* source, TW_FIX32& width) {
  return GetFix32(app, source, ICAP_PHYSICALWIDTH, width);
}

TW_UINT16 TwainApi::GetPhysicalHeight(TW_IDENTITY* app, TW_IDENTITY* source, TW_FIX32& height) {
  return GetFix32(app, source, ICAP_PHYSICALHEIGHT, height);
}
