#pragma once

#include <chrono>
#include <string>

// What the manager remembers between runs, in its own group of the
// application's settings: the last chosen device, each device's scan source
// and how long a silent device is waited for.
class DsmSettings {
 public:
  static std::string DefaultDevice();
  static void SetDefaultDevice(const std::string& deviceName);
  static std::string ScanSource(const std::string& deviceName);
  static void SetScanSource(const std::string& deviceName, const std::string& source);
  static std::chrono::milliseconds StallTimeout();
};
