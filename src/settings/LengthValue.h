#pragma once

#include <cstdint>
#include <string>

#include "settings/Units.h"

// One length in thousandths of an inch, shown to and typed by the user in a
// display unit. Every operation that depends on the unit checks it first.
class LengthValue {
 public:
  explicit LengthValue(Units units);

  Units GetUnits() const { return units_; }
  void Set(std::int32_t thousandths) { thousandths_ = thousandths; }
  std::int32_t Get() const { return thousandths_; }

  // Rounds to the nearest thousandth of an inch, halves upward; values beyond
  // the stored range are clamped and a value that is not a number stores 0.
  void SetFromDisplay(double value);
  double ToDisplay() const;
  // Thousandths of the display unit, truncated (8500 thousandths of an inch
  // give 21590 in centimeters). Wide enough for any stored length.
  std::int64_t DisplayThousandths() const;

  std::string UnitName() const;
  std::string UnitSuffix() const;
  // "8.5", "21.59", "8.05", "8.005", "11": a full stop as decimal mark, no
  // trailing zeros, no grouping, whatever the locale.
  std::string FormatNumber() const;
  std::string FormatWithSuffix() const;

 private:
  Units units_;
  std::int32_t thousandths_ = 0;
};
