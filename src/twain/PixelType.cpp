#include "twain/PixelType.h"

#include "app/core/ContractChecks.h"

namespace {

struct PixelTypeEntry {
  TW_UINT16 twainPixelType;
  const char* displayName;
};

constexpr PixelTypeEntry kPixelTypes[kPixelTypeCount] = {
    {TWPT_RGB, "Color (high)"},
    {TWPT_PALETTE, "Color (low)"},
    {TWPT_GRAY, "Gray"},
    {TWPT_BW, "Black and White"},
};

const PixelTypeEntry& EntryOf(int pixelType) {
  CheckResultCode(CONTRACT_LOCATION, pixelType >= 0 && pixelType < kPixelTypeCount, pixelType);
  return kPixelTypes[pixelType];
}

}  // namespace

TW_UINT16 TwainPixelType(int pixelType) {
  return EntryOf(pixelType).twainPixelType;
}

const char* PixelTypeDisplayName(int pixelType) {
  return EntryOf(pixelType).displayName;
}
