#include "core/PixelType.h"

#include "core/ContractChecks.h"

std::optional<PixelType> PixelTypeFromValue(std::int32_t value) {
  if (value < 0 || value >= kPixelTypeCount)
    return std::nullopt;
  return static_cast<PixelType>(value);
}

const char* PixelTypeDisplayName(PixelType pixelType) {
  static constexpr const char* kNames[kPixelTypeCount] = {"Color (high)", "Color (low)", "Gray",
                                                          "Black and White"};
  const std::int32_t value = PixelTypeValue(pixelType);
  CheckResultCode(CONTRACT_LOCATION, value >= 0 && value < kPixelTypeCount, value);
  return kNames[value];
}
