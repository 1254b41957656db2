#include <cstdlib>

#include "FakeDsmFixture.h"
#include "core/ContractError.h"
#include "twain/Fix32.h"
#include "twain/TwainApi.h"
#include "twain/TwainManager.h"

namespace {

class TwainApiTest : public FakeDsmFixture {
 protected:
  void SetUp() override {
    FakeDsmFixture::SetUp();
    api_ = std::make_unique<TwainApi>();
    QObject* parent = &window_;
    ASSERT_EQ(api_->OpenDsm(&app_, &parent), TWRC_SUCCESS);
    ASSERT_EQ(api_->GetDefaultIdentity(&app_, &source_), TWRC_SUCCESS);
    ASSERT_EQ(api_->OpenDs(&app_, &source_), TWRC_SUCCESS);
    ForgetCalls();
  }

  TW_UINT16 Get(TW_UINT16 capability, TW_UINT16 itemType, TW_UINT32& value) {
    return api_->GetCapability(&app_, &source_, capability, itemType, value);
  }

  QObject window_;
  std::unique_ptr<TwainApi> api_;
  TW_IDENTITY app_{};
  TW_IDENTITY source_{};
};

constexpr TW_UINT16 kSomeCapability = 0x8001;

struct ContainerCase {
  const char* name;
  FakeCapability container;
  TW_UINT32 expected;
};

TEST_F(TwainApiTest, GetCapabilityReadsTheItemOfEveryContainerKind) {
  const ContainerCase cases[] = {
      {"one value", {TWON_ONEVALUE, TWTY_FIX32, {0xb0a4000b}}, 0xb0a4000b},
      {"enumeration gives its first item, not the current one",
       {TWON_ENUMERATION, TWTY_UINT32, {100, 200, 300}, 2},
       100},
      {"empty enumeration", {TWON_ENUMERATION, TWTY_UINT32, {}}, 0},
      {"array", {TWON_ARRAY, TWTY_FIX32, {0x00010002, 7}}, 0x00010002},
      {"empty array", {TWON_ARRAY, TWTY_FIX32, {}}, 0},
      {"range gives its minimum", {TWON_RANGE, TWTY_UINT32, {50, 1200, 50, 300, 600}}, 50},
      {"16-bit array item keeps the high half zero", {TWON_ARRAY, TWTY_UINT16, {3, 5}}, 3},
  };
  for (const ContainerCase& c : cases) {
    SCOPED_TRACE(c.name);
    Script().capabilities[kSomeCapability] = c.container;
    TW_UINT32 value = 0xdeadbeef;
    EXPECT_EQ(Get(kSomeCapability, c.container.itemType, value), TWRC_SUCCESS);
    EXPECT_EQ(value, c.expected);
  }
}

// What a source offers, as the resolutions a scan may ask for.
TEST_F(TwainApiTest, OfferedItemsAreEveryItemOrTheBoundsOfARange) {
  const struct {
    const char* name;
    FakeCapability container;
    std::vector<TW_UINT32> expected;
  } cases[] = {
      {"one value", {TWON_ONEVALUE, TWTY_FIX32, {300}}, {300}},
      {"enumeration", {TWON_ENUMERATION, TWTY_FIX32, {75, 150, 300}, 1}, {75, 150, 300}},
      {"empty array", {TWON_ARRAY, TWTY_FIX32, {}}, {}},
      {"range gives its bounds", {TWON_RANGE, TWTY_FIX32, {1, 1200, 1, 300, 300}}, {1, 1200}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Script().capabilities[ICAP_XRESOLUTION] = c.container;
    std::vector<TW_UINT32> items{99};
    EXPECT_EQ(api_->GetOfferedItems(&app_, &source_, ICAP_XRESOLUTION, TWTY_FIX32, items),
              TWRC_SUCCESS);
    EXPECT_EQ(items, c.expected);
  }
}

TEST_F(TwainApiTest, GetCapabilityRaisesOnContainersItCannotRead) {
  Script().capabilities[kSomeCapability] = {TWON_ONEVALUE, TWTY_UINT16, {1}};
  TW_UINT32 value = 0;
  EXPECT_THROW(Get(kSomeCapability, TWTY_FIX32, value), postcondition_error);

  Script().capabilities[kSomeCapability] = {TWON_ENUMERATION, TWTY_UINT16, {1}};
  EXPECT_THROW(Get(kSomeCapability, TWTY_UINT32, value), postcondition_error);

  Script().capabilities[kSomeCapability] = {9, TWTY_UINT16, {1}};
  EXPECT_THROW(Get(kSomeCapability, TWTY_UINT16, value), postcondition_error);
}

TEST_F(TwainApiTest, RefusedGetReturnsTheSourcesCodeAndLeavesTheValue) {
  Script().Fail("GetCapability 0x8001", TWRC_CHECKSTATUS);
  Script().capabilities[kSomeCapability] = {TWON_ONEVALUE, TWTY_UINT16, {1}};
  TW_UINT32 value = 0xdeadbeef;
  EXPECT_EQ(Get(kSomeCapability, TWTY_UINT16, value), TWRC_CHECKSTATUS);
  EXPECT_EQ(value, 0xdeadbeefu);
}

TEST_F(TwainApiTest, OneValueSetsWriteASixByteContainer) {
  EXPECT_EQ(api_->SetPixelType(&app_, &source_, TWPT_GRAY), TWRC_SUCCESS);
  EXPECT_EQ(api_->SetYResolution(&app_, &source_, ResolutionToFix32(600)), TWRC_SUCCESS);
  EXPECT_EQ(api_->SetCapabilityOneValue16(&app_, &source_, kSomeCapability, TWTY_UINT16, 0xffff),
            TWRC_SUCCESS);
  Script().Fail("SetCapability ICAP_UNITS", TWRC_FAILURE);
  EXPECT_EQ(api_->SetUnits(&app_, &source_, TWUN_INCHES), TWRC_FAILURE);

  const auto& sets = Script().capabilitySets;
  ASSERT_EQ(sets.size(), 3u);
  EXPECT_EQ(sets[0].capability, ICAP_PIXELTYPE);
  EXPECT_EQ(sets[0].itemType, TWTY_UINT16);
  EXPECT_EQ(sets[0].item, TW_UINT32{TWPT_GRAY});
  EXPECT_EQ(sets[1].capability, ICAP_YRESOLUTION);
  EXPECT_EQ(sets[1].itemType, TWTY_FIX32);
  EXPECT_EQ(sets[1].item, 600u);
  EXPECT_EQ(sets[2].item, 0x0000ffffu);
  for (const FakeCapabilitySet& set : sets) {
    EXPECT_EQ(set.containerType, TWON_ONEVALUE);
    EXPECT_EQ(set.containerSize, 6u);
  }
}

TEST_F(TwainApiTest, PhysicalSizeReadsFix32Items) {
  SetGlass(TW_FIX32{-2, 1}, TW_FIX32{11, 45220});
  TW_FIX32 width{0, 0};
  TW_FIX32 height{0, 0};
  EXPECT_EQ(api_->GetPhysicalWidth(&app_, &source_, width), TWRC_SUCCESS);
  EXPECT_EQ(api_->GetPhysicalHeight(&app_, &source_, height), TWRC_SUCCESS);
  EXPECT_EQ(width.Whole, -2);
  EXPECT_EQ(width.Frac, 1);
  EXPECT_EQ(height.Whole, 11);
  EXPECT_EQ(height.Frac, 45220);
  EXPECT_EQ(Calls(), (std::vector<std::string>{"GetCapability ICAP_PHYSICALWIDTH",
                                               "GetCapability ICAP_PHYSICALHEIGHT"}));
}

TEST_F(TwainApiTest, ManagerCallsAreAddressedToTheManagerAndSourceCallsToTheSource) {
  TW_IMAGELAYOUT layout{};
  EXPECT_EQ(api_->GetImageLayout(&app_, &source_, &layout), TWRC_SUCCESS);
  EXPECT_EQ(TW_UINT32{layout.DocumentNumber}, 4u);
  EXPECT_EQ(api_->CloseDs(&app_, &source_), TWRC_SUCCESS);
  QObject* parent = &window_;
  EXPECT_EQ(api_->CloseDsm(&app_, &parent), TWRC_SUCCESS);
  EXPECT_EQ(Script().wrongDestinations, 0);
  EXPECT_FALSE(Script().managerOpen);
  EXPECT_EQ(Script().parent, &window_);
}

struct LoadCase {
  const char* name;
  const char* library;
};

TEST(TwainApiLoading, ALibraryThatCannotBeUsedFailsConstruction) {
  const LoadCase cases[] = {
      {"missing file", "/nonexistent/libdocketeer_dsm.so"},
      {"no DSM_Entry", NO_ENTRY_DSM_PATH},
  };
  for (const LoadCase& c : cases) {
    SCOPED_TRACE(c.name);
    ::setenv("DOCKETEER_DSM", c.library, 1);
    EXPECT_THROW(TwainApi(), postcondition_error);
    EXPECT_THROW(TwainManager(), postcondition_error);
  }
  ::unsetenv("DOCKETEER_DSM");
}

TEST(TwainApiLoading, TheManagerIsLookedForBesideTheExecutable) {
  ::unsetenv("DOCKETEER_DSM");
  const std::string path = TwainApi::LibraryPath();
  EXPECT_TRUE(path.starts_with("/")) << path;
  EXPECT_TRUE(path.ends_with("/libdocketeer_dsm.so")) << path;
}

}  // namespace
