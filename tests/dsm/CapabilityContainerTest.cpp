#include <gtest/gtest.h>

#include <cstddef>

#include "dsm/CapabilityContainer.h"
#include "twain/GlobalMemory.h"

namespace {

TEST(CapabilityContainer, SixteenBitItemsArePackedAtTheirSize) {
  TW_HANDLE handle = MakeEnumeration(TWTY_UINT16, {TWPT_BW, TWPT_GRAY, TWPT_RGB}, 2, 0);
  EXPECT_EQ(GlobalSize(handle), offsetof(TW_ENUMERATION, ItemList) + 6);
  const auto* enumeration = static_cast<const TW_ENUMERATION*>(GlobalLock(handle));
  EXPECT_EQ(enumeration->ItemList[2], TWPT_GRAY);
  EXPECT_EQ(enumeration->ItemList[4], TWPT_RGB);
  GlobalUnlock(handle);
  TW_CAPABILITY capability{ICAP_PIXELTYPE, TWON_ENUMERATION, handle};
  EXPECT_EQ(ReadSetValue(capability)->item, TWPT_RGB);
  GlobalFree(handle);
}

TEST(CapabilityContainer, SetValueIsReadOnlyFromWhatTheBlockHolds) {
  TW_HANDLE oneValue = MakeOneValue(TWTY_UINT16, 0xABCD0002);
  TW_CAPABILITY capability{ICAP_PIXELTYPE, TWON_ONEVALUE, oneValue};
  EXPECT_EQ(ReadSetValue(capability)->item, 2u);  // upper half of a 16-bit item ignored
  capability.ConType = TWON_RANGE;
  EXPECT_FALSE(ReadSetValue(capability));
  GlobalFree(oneValue);

  TW_HANDLE lying = MakeEnumeration(TWTY_UINT16, {1}, 0, 0);
  static_cast<TW_ENUMERATION*>(GlobalLock(lying))->CurrentIndex = 5000;
  GlobalUnlock(lying);
  TW_CAPABILITY enumeration{ICAP_PIXELTYPE, TWON_ENUMERATION, lying};
  EXPECT_FALSE(ReadSetValue(enumeration));
  GlobalFree(lying);
  TW_CAPABILITY empty{ICAP_PIXELTYPE, TWON_ONEVALUE, nullptr};
  EXPECT_FALSE(ReadSetValue(empty));
}

}  // namespace
