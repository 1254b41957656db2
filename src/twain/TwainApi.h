#pragma once

#include <vector>

#include <string>

#include "twain/TwainTypes.h"

class QObject;

// The binding to the data source manager library: loads it, resolves
// DSM_Entry, and offers one typed call per triplet the program uses. Return
// codes are handed back untouched; only the capability reads interpret them.
//
// The library is DOCKETEER_DSM when that names a file, otherwise
// libdocketeer_dsm.so beside the executable (a build folder), otherwise the
// one in the installed library folder (<libdir>/docketeer).
class TwainApi {
 public:
  // A library that cannot be loaded, or has no DSM_Entry, is a postcondition failure.
  TwainApi();
  ~TwainApi();

  TwainApi(const TwainApi&) = delete;
  TwainApi& operator=(const TwainApi&) = delete;

  // Unloads the library; the triplet calls are invalid afterwards.
  void Release();
  bool IsLoaded() const { return entry_ != nullptr; }

  static std::string LibraryPath();

  TW_UINT16 OpenDsm(TW_IDENTITY* app, QObject** parent);
  TW_UINT16 CloseDsm(TW_IDENTITY* app, QObject** parent);
  TW_UINT16 GetDefaultIdentity(TW_IDENTITY* app, TW_IDENTITY* source);
  // The sources the manager lists, one by one; TWRC_ENDOFLIST after the last.
  TW_UINT16 GetFirstIdentity(TW_IDENTITY* app, TW_IDENTITY* source);
  TW_UINT16 GetNextIdentity(TW_IDENTITY* app, TW_IDENTITY* source);
  TW_UINT16 UserSelectIdentity(TW_IDENTITY* app, TW_IDENTITY* source);
  TW_UINT16 OpenDs(TW_IDENTITY* app, TW_IDENTITY* source);
  TW_UINT16 CloseDs(TW_IDENTITY* app, TW_IDENTITY* source);
  TW_UINT16 ProcessEvent(TW_IDENTITY* app, TW_IDENTITY* source, TW_EVENT* event);
  TW_UINT16 EndXfer(TW_IDENTITY* app, TW_IDENTITY* source, TW_PENDINGXFERS* pending);
  TW_UINT16 ResetXfers(TW_IDENTITY* app, TW_IDENTITY* source, TW_PENDINGXFERS* pending);
  TW_UINT16 DisableDs(TW_IDENTITY* app, TW_IDENTITY* source, TW_USERINTERFACE* ui);
  TW_UINT16 EnableDs(TW_IDENTITY* app, TW_IDENTITY* source, TW_USERINTERFACE* ui);
  TW_UINT16 GetImageInfo(TW_IDENTITY* app, TW_IDENTITY* source, TW_IMAGEINFO* info);
  TW_UINT16 GetImageLayout(TW_IDENTITY* app, TW_IDENTITY* source, TW_IMAGELAYOUT* layout);
  TW_UINT16 SetImageLayout(TW_IDENTITY* app, TW_IDENTITY* source, TW_IMAGELAYOUT* layout);
  TW_UINT16 GetNativeXfer(TW_IDENTITY* app, TW_IDENTITY* source, TW_HANDLE* image);

  // On success `value` receives the container's item (see TwainApi.cpp);
  // on any other code it is left untouched.
  TW_UINT16 GetCapability(TW_IDENTITY* app, TW_IDENTITY* source, TW_UINT16 capability,
                          TW_UINT16 itemType, TW_UINT32& value);
  TW_UINT16 SetCapabilityOneValue16(TW_IDENTITY* app, TW_IDENTITY* source, TW_UINT16 capability,
                                    TW_UINT16 itemType, TW_UINT16 value);
  TW_UINT16 SetCapabilityOneValue32(TW_IDENTITY* app, TW_IDENTITY* source, TW_UINT16 capability,
                                    TW_UINT16 itemType, TW_UINT32 value);

  TW_UINT16 SetUnits(TW_IDENTITY* app, TW_IDENTITY* source, TW_UINT16 units);
  TW_UINT16 SetPixelType(TW_IDENTITY* app, TW_IDENTITY* source, TW_UINT16 pixelType);
  TW_UINT16 SetXResolution(TW_IDENTITY* app, TW_IDENTITY* source, TW_FIX32 resolution);
  TW_UINT16 SetYResolution(TW_IDENTITY* app, TW_IDENTITY* source, TW_FIX32 resolution);
  TW_UINT16 GetPhysicalWidth(TW_IDENTITY* app, TW_IDENTITY* source, TW_FIX32& width);
  TW_UINT16 GetPhysicalHeight(TW_IDENTITY* app, TW_IDENTITY* source, TW_FIX32& height);
  // Every value the source offers for `capability` (see ReadCapabilityItems).
  TW_UINT16 GetOfferedItems(TW_IDENTITY* app, TW_IDENTITY* source, TW_UINT16 capability,
                            TW_UINT16 itemType, std::vector<TW_UINT32>& items);

 private:
  TW_UINT16 Call(TW_IDENTITY* app, TW_IDENTITY* destination, TW_UINT32 group, TW_UINT16 type,
                 TW_UINT16 message, TW_MEMREF data);
  TW_UINT16 GetFix32(TW_IDENTITY* app, TW_IDENTITY* source, TW_UINT16 capability, TW_FIX32& value);
  TW_UINT16 SetCapabilityOneValue(TW_IDENTITY* app, TW_IDENTITY* source, TW_UINT16 capability,
                                  TW_UINT16 itemType, TW_UINT32 item);

  void* library_ = nullptr;
  DSMENTRYPROC entry_ = nullptr;
};
