#include "settings/LengthValue.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/ContractChecks.h"

namespace {

// Unit and check in one place: every operation that depends on the unit goes through here.
int UnitIndex(Units units) {
  const auto value = static_cast<std::int32_t>(units);
  CheckPrecondition(CONTRACT_LOCATION, IsValidUnits(value));
  return value;
}

std::int32_t ClampToStored(double thousandths) {
  if (std::isnan(thousandths))
    return 0;
  constexpr double kLowest = std::numeric_limits<std::int32_t>::min();
  constexpr double kHighest = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(std::clamp(thousandths, kLowest, kHighest));
}

// The fraction of a thousandths count without its trailing zeros: 500 -> "5", 50 -> "05".
std::string FractionDigits(int thousandths) {
  char digits[4];
  if (thousandths % 100 == 0) {
    std::snprintf(digits, sizeof digits, "%d", thousandths / 100);
  } else if (thousandths % 10 == 0) {
    std::snprintf(digits, sizeof digits, "%02d", thousandths / 10);
  } else {
    std::snprintf(digits, sizeof digits, "%03d", thousandths);
  }
  return digits;
}

}  // namespace

LengthValue::LengthValue(Units units) : units_(units) {}

void LengthValue::SetFromDisplay(double value) {
  const int unit = UnitIndex(units_);
  // The unit's factor is applied as x * 1000 / 2.54 (not x * 393.7...) so that
  // typed centimeter and millimeter values land on the same thousandth.
  double thousandths = value * 1000.0;
  if (unit == 1)
    thousandths /= 2.54;
  if (unit == 2)
    thousandths /= 25.4;
  thousandths_ = ClampToStored(thousandths + 0.5);
}

double LengthValue::ToDisplay() const {
  switch (UnitIndex(units_)) {
    case 1:
      return thousandths_ * 2.54 / 1000.0;
    case 2:
      return thousandths_ * 25.4 / 1000.0;
    default:
      return thousandths_ / 1000.0;
  }
}

std::int64_t LengthValue::DisplayThousandths() const {
  const std::int64_t thousandths = thousandths_;
  switch (UnitIndex(units_)) {
    case 1:
      return thousandths * 254 / 100;
    case 2:
      return thousandths * 254 / 10;
    default:
      return thousandths;
  }
}

std::string LengthValue::UnitName() const {
  static const char* const kNames[] = {"inches", "cm", "mm"};
  return kNames[UnitIndex(units_)];
}

std::string LengthValue::UnitSuffix() const {
  static const char* const kSuffixes[] = {"\"", "cm", "mm"};
  return kSuffixes[UnitIndex(units_)];
}

std::string LengthValue::FormatNumber() const {
  const std::int64_t displayed = DisplayThousandths();
  // Negative lengths keep their sign in front instead of inside the fraction.
  const std::uint64_t magnitude =
      displayed < 0 ? 0 - static_cast<std::uint64_t>(displayed) : displayed;
  std::string text = displayed < 0 ? "-" : "";
  text += std::to_string(magnitude / 1000);
  const int fraction = static_cast<int>(magnitude % 1000);
  if (fraction != 0)
    text.append(".").append(FractionDigits(fraction));
  return text;
}

std::string LengthValue::FormatWithSuffix() const {
  return FormatNumber() + UnitSuffix();
}
