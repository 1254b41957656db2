#include "BenchSession.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstring>

#include "twain/GlobalMemory.h"

bool BenchSession::Load(const std::string& library) {
  void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
  entry_ = handle ? reinterpret_cast<DSMENTRYPROC>(::dlsym(handle, kDsmEntryName)) : nullptr;
  if (entry_ == nullptr)
    std::fprintf(stderr, "cannot load %s\n", library.c_str());
  return entry_ != nullptr;
}

bool BenchSession::Open(QObject* parent, const char* productName) {
  std::strncpy(application_.ProductName, productName, sizeof application_.ProductName - 1);
  parentHandle_ = parent;
  Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parentHandle_);
  Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &source_);
  if (Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source_) == TWRC_SUCCESS)
    return true;
  std::fprintf(stderr, "no source\n");
  return false;
}

void BenchSession::NegotiateColourA4(int dpi, int pages) {
  SetOneValue(CAP_FEEDERENABLED, TWTY_BOOL, 1);
  if (pages > 0)
    SetOneValue(CAP_XFERCOUNT, TWTY_INT16, static_cast<TW_UINT32>(pages));
  SetOneValue(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_RGB);
  SetOneValue(ICAP_XRESOLUTION, TWTY_FIX32, static_cast<TW_UINT32>(dpi));
  TW_IMAGELAYOUT layout{};
  Source(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout);
  layout.Frame = {{0, 0}, {0, 0}, {8, 17039}, {11, 45220}};  // A4: 8.27 by 11.69 inches
  Source(DG_IMAGE, DAT_IMAGELAYOUT, MSG_SET, &layout);
}

void BenchSession::Close() {
  Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source_);
  Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parentHandle_);
}

TW_UINT16 BenchSession::Call(TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 dat,
                             TW_UINT16 message, TW_MEMREF data) {
  return entry_(&application_, destination, group, dat, message, data);
}

TW_UINT16 BenchSession::SetOneValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 item) {
  TW_HANDLE container = GlobalAlloc(sizeof(TW_ONEVALUE));
  auto* value = static_cast<TW_ONEVALUE*>(GlobalLock(container));
  value->ItemType = itemType;
  value->Item = item;
  GlobalUnlock(container);
  TW_CAPABILITY capability{cap, TWON_ONEVALUE, container};
  const TW_UINT16 result = Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &capability);
  GlobalFree(container);
  return result;
}
