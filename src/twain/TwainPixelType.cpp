#include "twain/TwainPixelType.h"

#include "core/ContractChecks.h"

TW_UINT16 TwainPixelType(int pixelType) {
  static constexpr TW_UINT16 kTwainPixelTypes[kPixelTypeCount] = {TWPT_RGB, TWPT_PALETTE, TWPT_GRAY,
                                                                  TWPT_BW};
  CheckResultCode(CONTRACT_LOCATION, pixelType >= 0 && pixelType < kPixelTypeCount, pixelType);
  return kTwainPixelTypes[pixelType];
}
