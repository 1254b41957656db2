#include "core/PixelType.h"

#include "core/ContractChecks.h"

const char* PixelTypeDisplayName(int pixelType) {
  static constexpr const char* kNames[kPixelTypeCount] = {"Color (high)", "Color (low)", "Gray",
                                                          "Black and White"};
  CheckResultCode(CONTRACT_LOCATION, pixelType >= 0 && pixelType < kPixelTypeCount, pixelType);
  return kNames[pixelType];
}
