#pragma once

#include "dsm/SaneApi.h"

// The seam over the installed libsane.
class LibSaneApi final : public SaneApi {
 public:
  SANE_Status Init() override;
  void Exit() override;
  SANE_Status GetDevices(std::vector<SaneDeviceInfo>& devices) override;
  SANE_Status Open(const std::string& name, SANE_Handle* handle) override;
  void Close(SANE_Handle handle) override;
  const SANE_Option_Descriptor* GetOptionDescriptor(SANE_Handle handle, SANE_Int option) override;
  SANE_Status ControlOption(SANE_Handle handle, SANE_Int option, SANE_Action action, void* value,
                            SANE_Int* info) override;
  SANE_Status GetParameters(SANE_Handle handle, SANE_Parameters* parameters) override;
  SANE_Status Start(SANE_Handle handle) override;
  SANE_Status Read(SANE_Handle handle, SANE_Byte* data, SANE_Int maxLength,
                   SANE_Int* length) override;
  void Cancel(SANE_Handle handle) override;
};
