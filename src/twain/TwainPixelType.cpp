#include "twain/TwainPixelType.h"

#include "core/ContractChecks.h"

TW_UINT16 TwainPixelType(PixelType pixelType) {
  static constexpr TW_UINT16 kTwainPixelTypes[kPixelTypeCount] = {TWPT_RGB, TWPT_PALETTE, TWPT_GRAY,
                                                                  TWPT_BW};
  const std::int32_t value = PixelTypeValue(pixelType);
  CheckResultCode(CONTRACT_LOCATION, value >= 0 && value < kPixelTypeCount, value);
  return kTwainPixelTypes[value];
}
