// Scans through the manager against SANE's test backend.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include "SaneTestConfig.h"
#include "ScriptedSaneApi.h"
#include "TwainSession.h"
#include "dsm/Fix32.h"
#include "dsm/LibSaneApi.h"
#include "twain/GlobalMemory.h"

namespace {

struct PixelCase {
  TW_UINT16 pixelType;
  int dotsPerInch;
  int bitsPerPixel;
  int paletteEntries;
};

class FlatbedScan : public ::testing::TestWithParam<PixelCase> {};

// 2 by 1.5 inches, so each resolution gives a known pixel size.
TEST_P(FlatbedScan, GivesBitmapOfTheFrameAtTheResolution) {
  const PixelCase& c = GetParam();
  UseSaneTestBackend();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  ASSERT_EQ(session.OpenManager(), TWRC_SUCCESS);
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  ASSERT_EQ(session.Configure(c.pixelType, c.dotsPerInch), TWRC_SUCCESS);
  ASSERT_EQ(session.SetFrame(0, 0, 2, 1.5), TWRC_SUCCESS);

  const auto transfers = session.Scan();

  ASSERT_EQ(transfers.size(), 1u);
  EXPECT_EQ(transfers[0].returnCode, TWRC_XFERDONE);
  EXPECT_EQ(transfers[0].pendingAfter, 0);
  const DibFacts facts = ReadDibFacts(transfers[0].page);
  EXPECT_NEAR(facts.width, 2 * c.dotsPerInch, 1);
  EXPECT_NEAR(facts.height, 1.5 * c.dotsPerInch, 1);
  EXPECT_EQ(facts.bitsPerPixel, c.bitsPerPixel);
  EXPECT_EQ(facts.paletteEntries, c.paletteEntries);
  EXPECT_TRUE(facts.sizeMatchesBlock);
  FreePages(transfers);
}

INSTANTIATE_TEST_SUITE_P(
    PixelTypesAndResolutions, FlatbedScan,
    ::testing::Values(PixelCase{TWPT_RGB, 75, 24, 0}, PixelCase{TWPT_RGB, 150, 24, 0},
                      PixelCase{TWPT_RGB, 300, 24, 0}, PixelCase{TWPT_GRAY, 75, 8, 256},
                      PixelCase{TWPT_GRAY, 150, 8, 256}, PixelCase{TWPT_GRAY, 300, 8, 256},
                      PixelCase{TWPT_BW, 75, 1, 2}, PixelCase{TWPT_BW, 150, 1, 2},
                      PixelCase{TWPT_BW, 300, 1, 2}));

TEST(BackendScan, FrameOffsetFromTheCornerGivesItsPixelSizeAndReadsBack) {
  UseSaneTestBackend();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  session.SetCapability(ICAP_XRESOLUTION, TWTY_FIX32, Fix32ToWord(ToFix32(100)));
  ASSERT_EQ(session.SetFrame(0.5, 1, 3.5, 3), TWRC_SUCCESS);

  TW_IMAGELAYOUT layout{};
  ASSERT_EQ(session.Source(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, &layout), TWRC_SUCCESS);
  EXPECT_NEAR(FromFix32(layout.Frame.Left), 0.5, 0.01);
  EXPECT_NEAR(FromFix32(layout.Frame.Bottom), 3, 0.01);
  const auto transfers = session.Scan();
  ASSERT_EQ(transfers.size(), 1u);
  const DibFacts facts = ReadDibFacts(transfers[0].page);
  EXPECT_NEAR(facts.width, 300, 1);
  EXPECT_NEAR(facts.height, 200, 1);
  FreePages(transfers);
}

TEST(BackendScan, PhysicalSizeIsTheGeometryRangeInInches) {
  UseSaneTestBackend();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  for (TW_UINT16 cap : {ICAP_PHYSICALWIDTH, ICAP_PHYSICALHEIGHT}) {
    SCOPED_TRACE(cap);
    TW_CAPABILITY capability{cap, TWON_DONTCARE16, nullptr};
    ASSERT_EQ(session.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &capability), TWRC_SUCCESS);
    ASSERT_EQ(capability.ConType, TWON_ONEVALUE);
    const TW_ONEVALUE value = TakeOneValue(capability.hContainer);
    EXPECT_EQ(value.ItemType, TWTY_FIX32);
    EXPECT_NEAR(FromFix32(WordToFix32(value.Item)), 400 / 25.4, 0.001);
  }
}

TEST(BackendScan, PaletteIsRefusedAndOtherPixelTypesStay) {
  UseSaneTestBackend();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  ASSERT_EQ(session.SetCapability(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY), TWRC_SUCCESS);

  EXPECT_EQ(session.SetCapability(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_PALETTE), TWRC_FAILURE);
  QCoreApplication::postEvent(&session.parent, new QEvent(QEvent::User));
  QCoreApplication::processEvents();  // events seen by the source keep the failure's code
  EXPECT_EQ(session.Condition(), TWCC_BADVALUE);
  EXPECT_EQ(session.SetCapability(ICAP_UNITS, TWTY_UINT16, TWUN_CENTIMETERS), TWRC_FAILURE);
  EXPECT_EQ(session.SetCapability(ICAP_UNITS, TWTY_UINT16, TWUN_INCHES), TWRC_SUCCESS);

  TW_CAPABILITY capability{ICAP_PIXELTYPE, TWON_DONTCARE16, nullptr};
  ASSERT_EQ(session.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GETCURRENT, &capability), TWRC_SUCCESS);
  const TW_UINT32 current = TakeOneValue(capability.hContainer).Item;
  EXPECT_EQ(current, TWPT_GRAY);
}

TEST(BackendScan, FeederYieldsItsPagesOneByOneThenNoneArePending) {
  UseSaneTestBackend();
  SelectSaneTestFeeder();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  session.SetCapability(ICAP_XRESOLUTION, TWTY_FIX32, Fix32ToWord(ToFix32(50)));

  const auto transfers = session.Scan();

  ASSERT_EQ(transfers.size(), 10u);  // the test feeder holds ten sheets
  for (std::size_t i = 0; i < transfers.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "sheet " << i + 1);
    EXPECT_EQ(transfers[i].returnCode, TWRC_XFERDONE);
    if (i + 1 < transfers.size())  // exact, or "unknown" while the feeder still runs
      EXPECT_TRUE(transfers[i].pendingAfter == 9 - i || transfers[i].pendingAfter == 0xFFFF);
    else
      EXPECT_EQ(transfers[i].pendingAfter, 0);
    EXPECT_TRUE(ReadDibFacts(transfers[i].page).sizeMatchesBlock);
  }
  FreePages(transfers);
}

// How long disabling takes is measured in bench/; here its order: the device
// is cancelled and its reads have stopped before disabling returns.
TEST(BackendScan, DisablingASlowScanStopsTheDeviceBeforeReturning) {
  UseSaneTestBackend(
      "read-limit true\nread-limit-size 64\nread-delay true\nread-delay-duration 100000\n");
  auto api = std::make_shared<ScriptedSaneApi>();
  std::mutex mutex;
  std::vector<std::string> events;
  auto note = [&](const std::string& event) {
    std::lock_guard lock(mutex);
    if (events.empty() || events.back() != event)
      events.push_back(event);
  };
  api->read = [&](SANE_Handle handle, SANE_Byte* data, SANE_Int max, SANE_Int* length) {
    note("read");
    return api->real.Read(handle, data, max, length);
  };
  api->cancel = [&](SANE_Handle handle) {
    note("cancel");
    api->real.Cancel(handle);
  };
  TwainSession session(api);
  session.OpenManager();
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  ASSERT_EQ(session.Enable(), TWRC_SUCCESS);
  QTest::qWait(300);

  TW_PENDINGXFERS pending{};  // a page may be waiting already: it goes with the batch
  EXPECT_EQ(session.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
  EXPECT_EQ(session.Disable(), TWRC_SUCCESS);
  note("disabled");
  EXPECT_FALSE(session.WaitForMessage(std::chrono::milliseconds(200)).has_value());
  TW_HANDLE page = nullptr;
  EXPECT_EQ(session.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &page), TWRC_FAILURE);
  std::lock_guard lock(mutex);
  EXPECT_EQ(events, (std::vector<std::string>{"read", "cancel", "disabled"}));
}

TEST(BackendScan, ThreePassColourFillsEveryChannel) {
  UseSaneTestBackend("three-pass true\ntest-picture \"Solid white\"\n");
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  session.Configure(TWPT_RGB, 50);
  session.SetFrame(0, 0, 1, 1);

  const auto transfers = session.Scan();

  ASSERT_EQ(transfers.size(), 1u);
  ASSERT_EQ(transfers[0].returnCode, TWRC_XFERDONE);
  const DibFacts facts = ReadDibFacts(transfers[0].page);
  EXPECT_EQ(facts.bitsPerPixel, 24);
  const std::uint8_t* row = DibRow(transfers[0].page, facts.height / 2);
  EXPECT_EQ(row[0], 255);
  EXPECT_EQ(row[1], 255);
  EXPECT_EQ(row[2], 255);
  FreePages(transfers);
}

TEST(BackendScan, HandScannerPageIsReadToTheEndOfTheFrame) {
  UseSaneTestBackend("hand-scanner true\n");
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  session.Configure(TWPT_GRAY, 50);

  const auto transfers = session.Scan();

  ASSERT_EQ(transfers.size(), 1u);
  ASSERT_EQ(transfers[0].returnCode, TWRC_XFERDONE);
  const DibFacts facts = ReadDibFacts(transfers[0].page);
  EXPECT_NEAR(facts.width, 110 / 25.4 * 50, 1);  // the hand scanner is 11 cm wide
  EXPECT_GT(facts.height, 0);
  EXPECT_TRUE(facts.sizeMatchesBlock);
  FreePages(transfers);
}

struct PolarityCase {
  const char* picture;
  std::uint8_t firstByte;
};

class LineartPolarity : public ::testing::TestWithParam<PolarityCase> {};

// Black is palette index 0, so a black page is all zero bits.
TEST_P(LineartPolarity, BlackIsIndexZero) {
  UseSaneTestBackend(std::string("test-picture \"") + GetParam().picture + "\"\n");
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  session.Configure(TWPT_BW, 80);
  session.SetFrame(0, 0, 1, 1);

  const auto transfers = session.Scan();

  ASSERT_EQ(transfers.size(), 1u);
  EXPECT_EQ(DibRow(transfers[0].page, 3)[0], GetParam().firstByte);
  FreePages(transfers);
}

INSTANTIATE_TEST_SUITE_P(Pictures, LineartPolarity,
                         ::testing::Values(PolarityCase{"Solid black", 0x00},
                                           PolarityCase{"Solid white", 0xFF}));

}  // namespace
