#include "dsm/LibSaneApi.h"

namespace {

std::string TextOrEmpty(SANE_String_Const text) {
  return text != nullptr ? text : "";
}

}  // namespace

SANE_Status LibSaneApi::Init() {
  SANE_Int version = 0;
  return sane_init(&version, nullptr);
}

void LibSaneApi::Exit() {
  sane_exit();
}

SANE_Status LibSaneApi::GetDevices(std::vector<SaneDeviceInfo>& devices) {
  const SANE_Device** list = nullptr;
  const SANE_Status status = sane_get_devices(&list, SANE_FALSE);
  devices.clear();
  if (status != SANE_STATUS_GOOD || list == nullptr)
    return status;
  for (; *list != nullptr; ++list) {
    const SANE_Device& device = **list;
    devices.push_back({TextOrEmpty(device.name), TextOrEmpty(device.vendor),
                       TextOrEmpty(device.model), TextOrEmpty(device.type)});
  }
  return status;
}

SANE_Status LibSaneApi::Open(const std::string& name, SANE_Handle* handle) {
  return sane_open(name.c_str(), handle);
}

void LibSaneApi::Close(SANE_Handle handle) {
  sane_close(handle);
}

const SANE_Option_Descriptor* LibSaneApi::GetOptionDescriptor(SANE_Handle handle, SANE_Int option) {
  return sane_get_option_descriptor(handle, option);
}

SANE_Status LibSaneApi::ControlOption(SANE_Handle handle, SANE_Int option, SANE_Action action,
                                      void* value, SANE_Int* info) {
  return sane_control_option(handle, option, action, value, info);
}

SANE_Status LibSaneApi::GetParameters(SANE_Handle handle, SANE_Parameters* parameters) {
  return sane_get_parameters(handle, parameters);
}

SANE_Status LibSaneApi::Start(SANE_Handle handle) {
  return sane_start(handle);
}

SANE_Status LibSaneApi::Read(SANE_Handle handle, SANE_Byte* data, SANE_Int maxLength,
                             SANE_Int* length) {
  return sane_read(handle, data, maxLength, length);
}

void LibSaneApi::Cancel(SANE_Handle handle) {
  sane_cancel(handle);
}
