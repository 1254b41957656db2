#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "dsm/SaneApi.h"

// The allowed values of a numeric option: a list, or a range with its step.
struct NumberChoices {
  std::vector<double> list;
  double minimum = 0;
  double maximum = 0;
  double step = 0;
  bool isRange = false;

  bool IsEmpty() const { return !isRange && list.empty(); }
  double Nearest(double wanted) const;
};

// One opened SANE device and its options by name. Not thread-safe: the owner
// calls it on the device's own thread only.
class SaneDevice {
 public:
  explicit SaneDevice(SaneApi& api);
  ~SaneDevice();
  SaneDevice(const SaneDevice&) = delete;
  SaneDevice& operator=(const SaneDevice&) = delete;

  SANE_Status Open(const std::string& name);
  void Close();
  bool IsOpen() const { return handle_ != nullptr; }
  SANE_Handle Handle() const { return handle_; }
  SaneApi& Api() const { return api_; }

  // True when the option exists, is active and may be set by software.
  bool IsSettable(const char* name) const;
  bool IsActive(const char* name) const;
  std::vector<std::string> StringChoices(const char* name) const;
  NumberChoices NumberChoicesOf(const char* name) const;
  // The unit of a numeric option (SANE_UNIT_MM for geometry on nearly all devices).
  SANE_Unit UnitOf(const char* name) const;

  std::optional<std::string> GetString(const char* name);
  SANE_Status SetString(const char* name, const std::string& value);
  std::optional<double> GetNumber(const char* name);
  SANE_Status SetNumber(const char* name, double value);

 private:
  const SANE_Option_Descriptor* Descriptor(const char* name) const;
  int IndexOf(const char* name) const;
  SANE_Status Control(int index, SANE_Action action, void* value);
  void LoadOptionNames();

  SaneApi& api_;
  SANE_Handle handle_ = nullptr;
  std::map<std::string, int> indexes_;
};
