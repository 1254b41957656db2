#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "dsm/SaneApi.h"

// What the manager remembers between runs, in its own group of the
// application's settings: the last chosen device, each device's scan source
// and how long a silent device is waited for.
class DsmSettings {
 public:
  static std::string DefaultDevice();
  static void SetDefaultDevice(const std::string& deviceName);
  // The last chosen device as it was listed, so that the next start can name
  // it before SANE has listed the devices again.
  static std::optional<SaneDeviceInfo> RememberedDefault();
  static void RememberDefault(const SaneDeviceInfo& device);
  static std::string ScanSource(const std::string& deviceName);
  static void SetScanSource(const std::string& deviceName, const std::string& source);
  static std::chrono::milliseconds StallTimeout();
};
