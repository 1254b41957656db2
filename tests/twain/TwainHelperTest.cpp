#include <QEvent>
#include <cstring>
#include <memory>

#include "FakeDsmFixture.h"
#include "core/ContractError.h"
#include "twain/Fix32.h"
#include "twain/GlobalMemory.h"
#include "twain/TwainHelper.h"
#include "twain/TwainPixelType.h"

namespace {

using CallList = std::vector<std::string>;

class TwainHelperTest : public FakeDsmFixture {
 protected:
  void SetUp() override {
    FakeDsmFixture::SetUp();
    helper_ = std::make_unique<TwainHelper>();
  }
  void TearDown() override {
    helper_.reset();
    FakeDsmFixture::TearDown();
  }

  void Open() {
    helper_->OpenDataSourceManager(2, 0, "2.00.0147", "Ferncastle", "Quillery", "Docketeer",
                                   &window_);
    helper_->SelectDefaultDataSource();
  }
  void OpenSource() {
    Open();
    helper_->OpenDataSource();
  }
  void Enable(int width = 8500, int height = 11000, PixelType pixelType = PixelType::ColorHigh) {
    OpenSource();
    helper_->EnableDataSource({width, height, 300, pixelType, false});
  }
  // Enabled, with the source announcing a transfer.
  void ReadyToTransfer() {
    Enable();
    auto event = std::make_unique<FakeSourceEvent>(Script().eventType, MSG_XFERREADY);
    ASSERT_EQ(helper_->PreTranslateMessage(event.get()), XFER_READY_MSG);
    ForgetCalls();
  }
  TW_UINT16 LastPixelTypeSent() const {
    TW_UINT16 sent = 0xffff;
    for (const auto& set : Script().capabilitySets) {
      if (set.capability == ICAP_PIXELTYPE)
        sent = static_cast<TW_UINT16>(set.item);
    }
    return sent;
  }
  void FreeAll(std::vector<TW_HANDLE>& images) {
    for (TW_HANDLE image : images)
      GlobalFree(image);
    images.clear();
  }

  QObject window_;
  std::unique_ptr<TwainHelper> helper_;
};

TEST(Fix32, ConvertsThousandthsResolutionsAndWords) {
  struct Case {
    int thousandths;
    TW_INT16 whole;
    TW_UINT16 frac;
  };
  for (const Case& c : {Case{1250, 1, 16384}, Case{0, 0, 0}, Case{999, 0, 65470},
                        Case{31999, 31, 65470}, Case{11690, 11, 45219}}) {
    SCOPED_TRACE(c.thousandths);
    const TW_FIX32 value = ThousandthsToFix32(c.thousandths);
    EXPECT_EQ(value.Whole, c.whole);
    EXPECT_EQ(value.Frac, c.frac);
  }
  EXPECT_EQ(Fix32ToThousandths(TW_FIX32{11, 45220}), 11690);
  EXPECT_EQ(Fix32ToThousandths(TW_FIX32{1, 16384}), 1250);
  EXPECT_EQ(Fix32ToThousandths(TW_FIX32{-1, 0}), -1000);
  EXPECT_EQ(Fix32ToThousandths(TW_FIX32{8, 65535}), 8999);
  const TW_FIX32 resolution = ResolutionToFix32(70000);
  EXPECT_EQ(resolution.Whole, 70000 - 65536);
  EXPECT_EQ(resolution.Frac, 0);
  const TW_FIX32 back = WordToFix32(Fix32ToWord(TW_FIX32{-3, 0x8001}));
  EXPECT_EQ(back.Whole, -3);
  EXPECT_EQ(back.Frac, 0x8001);
  EXPECT_EQ(Fix32ToWord(TW_FIX32{-1, 2}), 0x0002ffffu);
}

TEST(PixelTypes, MapToTwainAndRefuseOtherValues) {
  EXPECT_EQ(TwainPixelType(PixelType::ColorHigh), TWPT_RGB);
  EXPECT_EQ(TwainPixelType(PixelType::ColorLow), TWPT_PALETTE);
  EXPECT_EQ(TwainPixelType(PixelType::Gray), TWPT_GRAY);
  EXPECT_EQ(TwainPixelType(PixelType::BlackAndWhite), TWPT_BW);
  EXPECT_STREQ(PixelTypeDisplayName(PixelType::BlackAndWhite), "Black and White");
  try {
    TwainPixelType(static_cast<PixelType>(7));
    ADD_FAILURE() << "no failure for 7";
  } catch (const postcondition_error& error) {
    EXPECT_EQ(error.error_code(), 7);
  }
  EXPECT_THROW(TwainPixelType(static_cast<PixelType>(-1)), postcondition_error);
}

TEST_F(TwainHelperTest, OpeningTheManagerIntroducesTheApplication) {
  Open();
  const TW_IDENTITY& app = Script().appIdentity;
  EXPECT_EQ(app.Version.MajorNum, 2);
  EXPECT_EQ(app.Version.MinorNum, 0);
  EXPECT_EQ(app.Version.Language, TWLG_USA);
  EXPECT_EQ(app.Version.Country, TWCY_USA);
  EXPECT_STREQ(app.Version.Info, "2.00.0147");
  EXPECT_EQ(app.ProtocolMajor, 1);
  EXPECT_EQ(app.ProtocolMinor, 8);
  EXPECT_EQ(TW_UINT32{app.SupportedGroups}, 3u);
  EXPECT_STREQ(app.Manufacturer, "Ferncastle");
  EXPECT_STREQ(app.ProductFamily, "Quillery");
  EXPECT_STREQ(app.ProductName, "Docketeer");
  EXPECT_EQ(Script().parent, &window_);
  EXPECT_TRUE(helper_->IsDataSourceManagerOpen());
  EXPECT_TRUE(helper_->IsDataSourceSelected());
  EXPECT_EQ(helper_->GetDataSourceName(), "Fake Flatbed");
  EXPECT_EQ(Calls(), (CallList{"OpenDsm", "GetDefault"}));
}

TEST_F(TwainHelperTest, BadOpeningArgumentsFailBeforeAnyCall) {
  const std::string tooLong(33, 'x');
  QObject* window = &window_;
  auto open = [&](int major, int minor, const std::string& info, const std::string& name,
                  QObject* parent) {
    helper_->OpenDataSourceManager(major, minor, info, "Ferncastle", "Quillery", name, parent);
  };
  EXPECT_THROW(open(-1, 0, "2.0", "Docketeer", window), precondition_error);
  EXPECT_THROW(open(2, -1, "2.0", "Docketeer", window), precondition_error);
  EXPECT_THROW(open(2, 0, "", "Docketeer", window), precondition_error);
  EXPECT_THROW(open(2, 0, "2.0", tooLong, window), precondition_error);
  EXPECT_THROW(open(2, 0, "2.0", "Docketeer", nullptr), precondition_error);
  EXPECT_TRUE(Calls().empty());
  open(2, 0, "2.0", std::string(32, 'y'), window);
  EXPECT_THROW(open(2, 0, "2.0", "Docketeer", window), precondition_error);
}

TEST_F(TwainHelperTest, ARefusedManagerOpenLeavesTheManagerClosed) {
  Script().Queue("OpenDsm", {TWRC_FAILURE});
  try {
    Open();
    ADD_FAILURE() << "no failure";
  } catch (const postcondition_error& error) {
    EXPECT_EQ(error.error_code(), TWRC_FAILURE);
  }
  EXPECT_FALSE(helper_->IsDataSourceManagerOpen());
  Open();
  EXPECT_TRUE(helper_->IsDataSourceManagerOpen());
}

TEST_F(TwainHelperTest, EnableNegotiatesResolutionPixelTypeUnitsAndFrame) {
  Enable(8500, 11000, PixelType::Gray);
  EXPECT_EQ(Calls(), (CallList{"OpenDsm", "GetDefault", "OpenDs", "SetCapability ICAP_XRESOLUTION",
                               "SetCapability ICAP_YRESOLUTION", "SetCapability ICAP_PIXELTYPE",
                               "SetCapability ICAP_UNITS", "GetCapability ICAP_PHYSICALWIDTH",
                               "GetCapability ICAP_PHYSICALHEIGHT", "GetImageLayout",
                               "SetImageLayout", "EnableDs"}));
  EXPECT_EQ(LastPixelTypeSent(), TWPT_GRAY);
  ASSERT_EQ(Script().userInterfaces.size(), 1u);
  EXPECT_EQ(Script().userInterfaces[0].ShowUI, 0);
  EXPECT_EQ(Script().userInterfaces[0].ModalUI, 1);
  EXPECT_EQ(TW_HANDLE{Script().userInterfaces[0].hParent}, &window_);
  EXPECT_TRUE(helper_->IsDataSourceEnabled());
}

TEST_F(TwainHelperTest, PaletteRefusedFallsBackToRgbAndLogsBothAttempts) {
  Script().Queue("SetCapability ICAP_PIXELTYPE", {TWRC_FAILURE});
  Enable(8500, 11000, PixelType::ColorLow);
  EXPECT_EQ(LastPixelTypeSent(), TWPT_RGB);
  EXPECT_EQ(CountCalls("SetCapability ICAP_PIXELTYPE"), 2);
  const std::string log = LogText();
  const auto first = log.find("Setting pixel type = 1");
  const auto refused = log.find("Result = 1", first);
  const auto second = log.find("Setting pixel type = 2", refused);
  const auto accepted = log.find("Result = 0", second);
  EXPECT_NE(accepted, std::string::npos) << log;
  EXPECT_TRUE(helper_->IsDataSourceEnabled());
}

TEST_F(TwainHelperTest, PixelTypeRefusedTwiceFailsTheEnable) {
  Script().Fail("SetCapability ICAP_PIXELTYPE");
  EXPECT_THROW(Enable(8500, 11000, PixelType::ColorLow), postcondition_error);
  EXPECT_TRUE(helper_->IsDataSourceOpen());
  EXPECT_FALSE(helper_->IsDataSourceEnabled());
  EXPECT_EQ(CountCalls("EnableDs"), 0);
}

TEST_F(TwainHelperTest, RefusedResolutionStillEnables) {
  Script().Fail("SetCapability ICAP_XRESOLUTION");
  Script().Fail("SetCapability ICAP_YRESOLUTION");
  Enable();
  EXPECT_TRUE(helper_->IsDataSourceEnabled());
  EXPECT_EQ(CountCalls("SetCapability ICAP_XRESOLUTION"), 1);
  EXPECT_EQ(CountCalls("EnableDs"), 1);
}

TEST_F(TwainHelperTest, TheFrameStartsTopLeftAndIsClampedToTheGlass) {
  SetGlass(TW_FIX32{8, 32768}, TW_FIX32{11, 45220});
  Enable(1250, 14000);
  ASSERT_EQ(Script().layoutsSet.size(), 1u);
  const TW_IMAGELAYOUT& layout = Script().layoutsSet[0];
  EXPECT_EQ(layout.Frame.Left.Whole, 0);
  EXPECT_EQ(layout.Frame.Top.Whole, 0);
  EXPECT_EQ(layout.Frame.Top.Frac, 0);
  EXPECT_EQ(layout.Frame.Right.Whole, 1);
  EXPECT_EQ(layout.Frame.Right.Frac, 16384);
  EXPECT_EQ(layout.Frame.Bottom.Whole, 11);
  EXPECT_EQ(layout.Frame.Bottom.Frac, 45219);
  EXPECT_EQ(TW_UINT32{layout.DocumentNumber}, 4u);
  EXPECT_EQ(TW_UINT32{layout.PageNumber}, 5u);
  EXPECT_EQ(TW_UINT32{layout.FrameNumber}, 6u);
}

TEST_F(TwainHelperTest, EnableRefusesOutOfRangeRequestsBeforeAnyCall) {
  OpenSource();
  ForgetCalls();
  struct Case {
    int width, height, resolution, pixelType;
  };
  for (const Case& c : {Case{0, 100, 300, 0}, Case{32000, 100, 300, 0}, Case{100, 0, 300, 0},
                        Case{100, 32000, 300, 0}, Case{100, 100, 0, 0}, Case{100, 100, 10000, 0},
                        Case{100, 100, 300, -1}, Case{100, 100, 300, 4}}) {
    SCOPED_TRACE(testing::Message() << c.width << " x " << c.height << " at " << c.resolution
                                    << " dpi, pixel type " << c.pixelType);
    const ScanRequest request{c.width, c.height, c.resolution, static_cast<PixelType>(c.pixelType),
                              true};
    EXPECT_THROW(helper_->EnableDataSource(request), precondition_error);
  }
  EXPECT_TRUE(Calls().empty());
}

TEST_F(TwainHelperTest, ARefusedEnableLeavesTheSourceOpen) {
  Script().Fail("EnableDs", TWRC_CANCEL);
  try {
    Enable();
    ADD_FAILURE() << "no failure";
  } catch (const postcondition_error& error) {
    EXPECT_EQ(error.error_code(), TWRC_CANCEL);
  }
  EXPECT_TRUE(helper_->IsDataSourceOpen());
  EXPECT_FALSE(helper_->IsDataSourceEnabled());
  helper_->ResetDataSource();
  EXPECT_FALSE(helper_->IsDataSourceOpen());
  EXPECT_TRUE(helper_->IsDataSourceManagerOpen());
  EXPECT_TRUE(helper_->IsDataSourceSelected());
}

TEST_F(TwainHelperTest, CancelledSelectionKeepsThePreviousSource) {
  Open();
  Script().Queue("UserSelect", {TWRC_CANCEL});
  helper_->SelectDataSource();
  EXPECT_EQ(helper_->GetDataSourceName(), "Fake Flatbed");
  helper_->SelectDataSource();
  EXPECT_EQ(helper_->GetDataSourceName(), "Fake Feeder");
  helper_->OpenDataSource();
  EXPECT_TRUE(helper_->IsDataSourceOpen());
}

TEST_F(TwainHelperTest, SelectionFailuresReachTheCaller) {
  Script().hasDefaultSource = false;
  helper_->OpenDataSourceManager(2, 0, "2.00.0147", "Ferncastle", "Quillery", "Docketeer",
                                 &window_);
  EXPECT_THROW(helper_->SelectDefaultDataSource(), postcondition_error);
  EXPECT_FALSE(helper_->IsDataSourceSelected());
  EXPECT_THROW(helper_->OpenDataSource(), precondition_error);
  Script().Queue("UserSelect", {TWRC_FAILURE});
  EXPECT_THROW(helper_->SelectDataSource(), postcondition_error);
  EXPECT_FALSE(helper_->IsDataSourceSelected());
}

TEST_F(TwainHelperTest, GetDataSourceSizeOpensReadsAndClosesTheSource) {
  SetGlass(TW_FIX32{8, 32768}, TW_FIX32{11, 45220});
  Open();
  ForgetCalls();
  const DataSourceSize size = helper_->GetDataSourceSize();
  EXPECT_EQ(size.width, 8500);
  EXPECT_EQ(size.height, 11690);
  EXPECT_EQ(Calls(), (CallList{"OpenDs", "GetCapability ICAP_PHYSICALWIDTH",
                               "GetCapability ICAP_PHYSICALHEIGHT", "CloseDs"}));
  helper_->OpenDataSource();
  EXPECT_THROW(helper_->GetDataSourceSize(), precondition_error);
}

TEST_F(TwainHelperTest, GetDataSourceSizeClosesTheSourceWhenAReadFails) {
  Open();
  Script().Fail("GetCapability ICAP_PHYSICALHEIGHT", TWRC_CHECKSTATUS);
  try {
    helper_->GetDataSourceSize();
    ADD_FAILURE() << "no failure";
  } catch (const postcondition_error& error) {
    EXPECT_EQ(error.error_code(), TWRC_CHECKSTATUS);
  }
  EXPECT_FALSE(helper_->IsDataSourceOpen());
  EXPECT_EQ(Calls().back(), "CloseDs");
  EXPECT_NE(LogText().find("TwainHelper::GetDataSourceSize(): Caught exception"),
            std::string::npos);
}

TEST_F(TwainHelperTest, SourceEventsAreRecognisedOnlyWhileTheSourceIsOpen) {
  auto sourceEvent = [&](TW_UINT16 message) {
    return std::make_unique<FakeSourceEvent>(Script().eventType, message);
  };
  QEvent other(QEvent::User);
  Open();
  EXPECT_EQ(helper_->PreTranslateMessage(sourceEvent(MSG_XFERREADY).get()), NOT_SOURCE_EVENT);
  helper_->OpenDataSource();
  EXPECT_EQ(helper_->PreTranslateMessage(&other), NOT_SOURCE_EVENT);
  const std::pair<TW_UINT16, int> cases[] = {{MSG_XFERREADY, XFER_READY_MSG},
                                             {MSG_CLOSEDSREQ, CLOSE_MSG},
                                             {MSG_CLOSEDSOK, OK_MSG},
                                             {MSG_DEVICEEVENT, NULL_MSG},
                                             {MSG_NULL, NULL_MSG}};
  for (const auto& [message, code] : cases) {
    EXPECT_EQ(helper_->PreTranslateMessage(sourceEvent(message).get()), code) << message;
  }
}

TEST_F(TwainHelperTest, TransferKeepsGoingWhileTheCountIsUnknown) {
  AddPages(3);
  Script().pendingCounts = {kUnknownPendingCount, kUnknownPendingCount, 0};
  std::vector<std::vector<std::uint8_t>> expected(Script().pages.begin(), Script().pages.end());
  ReadyToTransfer();
  std::vector<TW_HANDLE> images;
  helper_->TransferImages(images);
  ASSERT_EQ(images.size(), 3u);
  for (std::size_t i = 0; i < images.size(); ++i)
    EXPECT_EQ(BlockBytes(images[i]), expected[i]);
  EXPECT_EQ(CountCalls("GetNativeXfer"), 3);
  EXPECT_EQ(CountCalls("EndXfer"), 3);
  EXPECT_EQ(CountCalls("ResetXfers"), 0);
  EXPECT_TRUE(helper_->IsDataSourceEnabled());
  FreeAll(images);
  EXPECT_THROW(helper_->TransferImages(images = {nullptr}), precondition_error);
}

struct FirstPageCase {
  const char* name;
  int pages;
  TW_UINT16 answer;  // the source's answer to the first transfer
};

class TwainHelperFirstPageTest : public TwainHelperTest,
                                 public ::testing::WithParamInterface<FirstPageCase> {};

// A cancel or a failure before any page ends the transfer and resets the
// source without raising, so the scan can end as usual.
TEST_P(TwainHelperFirstPageTest, EndsAndResetsWithoutRaising) {
  AddPages(GetParam().pages);
  Script().Queue("GetNativeXfer", {GetParam().answer});
  ReadyToTransfer();
  std::vector<TW_HANDLE> images;
  EXPECT_NO_THROW(helper_->TransferImages(images));
  EXPECT_TRUE(images.empty());
  EXPECT_EQ(Calls(), (CallList{"GetImageInfo", "GetNativeXfer", "EndXfer", "ResetXfers"}));
  EXPECT_NO_THROW(helper_->DisableDataSource());
}

INSTANTIATE_TEST_SUITE_P(Answers, TwainHelperFirstPageTest,
                         ::testing::Values(FirstPageCase{"Cancel", 2, TWRC_CANCEL},
                                           FirstPageCase{"Failure", 1, TWRC_FAILURE}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TwainHelperTest, FailureAfterTwoPagesKeepsThemAndLeavesTheTransferState) {
  AddPages(4);
  Script().Queue("GetNativeXfer", {TWRC_XFERDONE, TWRC_XFERDONE, TWRC_FAILURE});
  ReadyToTransfer();
  std::vector<TW_HANDLE> images;
  helper_->TransferImages(images);
  EXPECT_EQ(images.size(), 2u);
  EXPECT_NE(LogText().find("TwainHelper::TransferImages() ignoring failure because "
                           "images.size() = 2"),
            std::string::npos);
  EXPECT_EQ(Calls().back(), "ResetXfers");
  // The source is out of its transfer state, so the end of the scan succeeds.
  helper_->DisableDataSource();
  helper_->CloseDataSource();
  FreeAll(images);
}

TEST_F(TwainHelperTest, RefusedEndAfterAFailureStillKeepsThePages) {
  AddPages(2);
  Script().Queue("GetNativeXfer", {TWRC_XFERDONE, TWRC_FAILURE});
  Script().Queue("EndXfer", {TWRC_SUCCESS, TWRC_FAILURE});
  Script().Fail("ResetXfers");
  ReadyToTransfer();
  std::vector<TW_HANDLE> images;
  EXPECT_NO_THROW(helper_->TransferImages(images));
  EXPECT_EQ(images.size(), 1u);
  FreeAll(images);
}

TEST_F(TwainHelperTest, UnknownTransferAnswersAreRetriedButNotForever) {
  AddPages(1);
  Script().Queue("GetNativeXfer", {TWRC_CHECKSTATUS});
  ReadyToTransfer();
  std::vector<TW_HANDLE> images;
  helper_->TransferImages(images);
  EXPECT_EQ(images.size(), 1u);
  EXPECT_EQ(CountCalls("GetNativeXfer"), 2);
  FreeAll(images);
  helper_->DisableDataSource();

  Script().pages.clear();
  AddPages(1);
  Script().Fail("GetNativeXfer", TWRC_CHECKSTATUS);
  helper_->EnableDataSource({8500, 11000, 300, PixelType::ColorHigh, false});
  auto event = std::make_unique<FakeSourceEvent>(Script().eventType, MSG_XFERREADY);
  helper_->PreTranslateMessage(event.get());
  ForgetCalls();
  helper_->TransferImages(images);
  EXPECT_TRUE(images.empty());
  EXPECT_EQ(CountCalls("GetNativeXfer"), TwainHelper::kMaxUnknownTransferAnswers + 1);
  EXPECT_EQ(Calls().back(), "ResetXfers");
}

TEST_F(TwainHelperTest, ARefusedImageInfoRaisesWithThePagesSoFar) {
  AddPages(2);
  Script().Queue("GetImageInfo", {TWRC_SUCCESS, TWRC_FAILURE});
  ReadyToTransfer();
  std::vector<TW_HANDLE> images;
  EXPECT_THROW(helper_->TransferImages(images), postcondition_error);
  EXPECT_EQ(images.size(), 1u);
  EXPECT_TRUE(helper_->IsDataSourceEnabled());
  FreeAll(images);
}

TEST_F(TwainHelperTest, DestructionDisablesClosesAndClosesTheManagerInOrder) {
  Enable();
  ForgetCalls();
  helper_.reset();
  EXPECT_EQ(Calls(), (CallList{"ResetXfers", "DisableDs", "CloseDs", "CloseDsm"}));
  EXPECT_FALSE(Script().managerOpen);
}

TEST_F(TwainHelperTest, DestructionSwallowsARefusal) {
  Enable();
  Script().Fail("DisableDs");
  ForgetCalls();
  EXPECT_NO_THROW(helper_.reset());
  EXPECT_EQ(Calls(), (CallList{"ResetXfers", "DisableDs"}));
  EXPECT_NE(LogText().find("TwainHelper::~TwainHelper(): Eating exception"), std::string::npos);
}

}  // namespace
