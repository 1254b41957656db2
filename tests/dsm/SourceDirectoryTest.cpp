#include <gtest/gtest.h>

#include <QString>
#include <set>

#include "dsm/CapabilityContainer.h"
#include "dsm/Fix32.h"
#include "dsm/SourceDirectory.h"
#include "dsm/StallWatchdog.h"
#include "twain/GlobalMemory.h"

namespace {

TEST(SourceDirectory, ProductNamesAreUniqueAndFitAnIdentity) {
  const std::vector<SaneDeviceInfo> devices = {
      {"test:0", "Noname", "frontend-tester virtual device", "virtual device"},
      {"test:1", "Noname", "frontend-tester virtual device", "virtual device"},
      {"test:2", "Noname", "frontend-tester virtual device", "virtual device"},
      {"usb:1", "", "", "scanner"},
      {"usb:2", "Ünïcödé Ünïcödé Ünïcödé", "Scanner", "scanner"},
  };
  const std::vector<std::string> names = MakeProductNames(devices);
  EXPECT_EQ(names[0], "Noname frontend-tester virtual d");
  EXPECT_EQ(names[1], "Noname frontend-tester virtu (2)");
  EXPECT_EQ(names[3], "usb:1");
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  for (const std::string& name : names) {
    EXPECT_LE(name.size(), 32u);
    EXPECT_EQ(QString::fromUtf8(name.c_str()).toUtf8().toStdString(), name) << "split character";
  }
}

TEST(SourceDirectory, DeviceKeepsItsIdWhenTheListChanges) {
  SourceDirectory directory(10);
  directory.Update({{"b", "V", "M", ""}, {"a", "V", "M", ""}});
  const TW_UINT32 idOfB = directory.FindByDevice("b")->identity.Id;
  directory.Update({{"c", "V", "N", ""}, {"b", "V", "M", ""}});
  EXPECT_EQ(directory.FindByDevice("b")->identity.Id, idOfB);
  EXPECT_NE(directory.FindByDevice("c")->identity.Id, idOfB);
  EXPECT_EQ(directory.FindByDevice("a"), nullptr);
  EXPECT_EQ(directory.FindByProductName("V N")->device.name, "c");
}

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

TEST(Fix32, ConvertsBothWays) {
  EXPECT_EQ(ToFix32(1.25).Whole, 1);
  EXPECT_EQ(ToFix32(1.25).Frac, 16384);
  EXPECT_DOUBLE_EQ(FromFix32(TW_FIX32{11, 45220}), 11 + 45220 / 65536.0);
  EXPECT_EQ(Fix32ToWord(TW_FIX32{300, 0}), 300u);
  EXPECT_EQ(WordToFix32(Fix32ToWord(ToFix32(8.5))).Frac, 32768);
}

TEST(StallWatchdog, FiresOnlyWhenNotKicked) {
  std::atomic<int> stalls{0};
  {
    // Kicked for twice its timeout, with a wide margin for a busy machine.
    StallWatchdog kicked(std::chrono::milliseconds(400), [&] { ++stalls; });
    for (int i = 0; i < 40; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      kicked.Kick();
    }
    EXPECT_FALSE(kicked.HasFired());
  }
  EXPECT_EQ(stalls.load(), 0);
  StallWatchdog silent(std::chrono::milliseconds(50), [&] { ++stalls; });
  for (int i = 0; i < 400 && stalls.load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(silent.HasFired());
  EXPECT_EQ(stalls.load(), 1);
}

TEST(StallWatchdog, TripFiresAtOnce) {
  std::atomic<int> stalls{0};
  StallWatchdog watchdog(std::chrono::hours(1), [&] { ++stalls; });
  watchdog.Trip();
  for (int i = 0; i < 100 && stalls.load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(stalls.load(), 1);
}

}  // namespace
