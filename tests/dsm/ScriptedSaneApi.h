#pragma once

#include <chrono>
#include <functional>
#include <thread>

#include "dsm/LibSaneApi.h"

// The real libsane with faults put in between: each hook, when set, answers in
// place of the real call and may call `real` itself.
//
// The test backend's reader thread is cancelled asynchronously. Cancelled in the
// middle of an allocation, it would leave the sanitizer's allocator locked and
// hang the test process, so a cancel first gives the reader time to reach a
// blocking write or its end.
class ScriptedSaneApi final : public SaneApi {
 public:
  LibSaneApi real;
  std::function<SANE_Status(std::vector<SaneDeviceInfo>&)> getDevices;
  std::function<SANE_Status(const std::string&, SANE_Handle*)> open;
  std::function<SANE_Status(SANE_Handle)> start;
  std::function<SANE_Status(SANE_Handle, SANE_Parameters*)> getParameters;
  std::function<SANE_Status(SANE_Handle, SANE_Byte*, SANE_Int, SANE_Int*)> read;
  std::function<SANE_Status(SANE_Handle, SANE_Int, SANE_Action, void*, SANE_Int*)> controlOption;
  std::function<void(SANE_Handle)> cancel;

  SANE_Status Init() override { return real.Init(); }
  void Exit() override { real.Exit(); }
  SANE_Status GetDevices(std::vector<SaneDeviceInfo>& devices) override {
    return getDevices ? getDevices(devices) : real.GetDevices(devices);
  }
  SANE_Status Open(const std::string& name, SANE_Handle* handle) override {
    return open ? open(name, handle) : real.Open(name, handle);
  }
  void Close(SANE_Handle handle) override { real.Close(handle); }
  const SANE_Option_Descriptor* GetOptionDescriptor(SANE_Handle handle, SANE_Int option) override {
    return real.GetOptionDescriptor(handle, option);
  }
  SANE_Status ControlOption(SANE_Handle handle, SANE_Int option, SANE_Action action, void* value,
                            SANE_Int* info) override {
    return controlOption ? controlOption(handle, option, action, value, info)
                         : real.ControlOption(handle, option, action, value, info);
  }
  SANE_Status GetParameters(SANE_Handle handle, SANE_Parameters* parameters) override {
    return getParameters ? getParameters(handle, parameters)
                         : real.GetParameters(handle, parameters);
  }
  SANE_Status Start(SANE_Handle handle) override {
    return start ? start(handle) : real.Start(handle);
  }
  SANE_Status Read(SANE_Handle handle, SANE_Byte* data, SANE_Int maxLength,
                   SANE_Int* length) override {
    return read ? read(handle, data, maxLength, length)
                : real.Read(handle, data, maxLength, length);
  }
  void Cancel(SANE_Handle handle) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    cancel ? cancel(handle) : real.Cancel(handle);
  }
};
