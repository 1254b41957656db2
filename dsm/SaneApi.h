#pragma once

#include <sane/sane.h>

#include <string>
#include <vector>

// One scanner as sane_get_devices() lists it, copied out of SANE's own memory.
struct SaneDeviceInfo {
  std::string name;
  std::string vendor;
  std::string model;
  std::string type;
};

// Every call into SANE passes through this seam. Backends hang and crash, so
// the rest of the library never calls libsane directly: tests put scripted
// faults in between, and an out-of-process bridge could take its place.
// Apart from Cancel, each handle is used on one thread only.
class SaneApi {
 public:
  virtual ~SaneApi() = default;

  virtual SANE_Status Init() = 0;
  virtual void Exit() = 0;
  virtual SANE_Status GetDevices(std::vector<SaneDeviceInfo>& devices) = 0;
  virtual SANE_Status Open(const std::string& name, SANE_Handle* handle) = 0;
  virtual void Close(SANE_Handle handle) = 0;
  virtual const SANE_Option_Descriptor* GetOptionDescriptor(SANE_Handle handle,
                                                            SANE_Int option) = 0;
  virtual SANE_Status ControlOption(SANE_Handle handle, SANE_Int option, SANE_Action action,
                                    void* value, SANE_Int* info) = 0;
  virtual SANE_Status GetParameters(SANE_Handle handle, SANE_Parameters* parameters) = 0;
  virtual SANE_Status Start(SANE_Handle handle) = 0;
  virtual SANE_Status Read(SANE_Handle handle, SANE_Byte* data, SANE_Int maxLength,
                           SANE_Int* length) = 0;
  // The SANE standard allows this one call from any thread while a read blocks.
  virtual void Cancel(SANE_Handle handle) = 0;
};
