#include <QCoreApplication>
#include <memory>

#include "twain/GlobalMemory.h"

#include "FakeDsmFixture.h"
#include "core/ContractError.h"
#include "twain/SourceEventFilter.h"
#include "twain/TwainManager.h"
#include "twain/TwainPixelType.h"

namespace {

using CallList = std::vector<std::string>;
using Notice = NotifyWindow::Notice;

constexpr Notice kComplete = NotifyWindow::Complete;
constexpr Notice kCancelled = NotifyWindow::Cancelled;
constexpr Notice kError = NotifyWindow::Error;
constexpr Notice kPage = NotifyWindow::Page;

// Drives the manager as the main window does: every event of the application
// passes the manager first, and the outcome arrives at a window of its own.
class TwainManagerTest : public FakeDsmFixture {
 protected:
  void SetUp() override {
    FakeDsmFixture::SetUp();
    manager_ = std::make_unique<TwainManager>();
    filter_ = std::make_unique<SourceEventFilter>(*manager_);
    QCoreApplication::instance()->installEventFilter(filter_.get());
    window_.Watch(*manager_);
  }
  void TearDown() override {
    filter_.reset();
    manager_.reset();
    FakeDsmFixture::TearDown();
  }

  bool Initialize() {
    return manager_->Initialize(2, 0, "2.00.0147", "Ferncastle", "Quillery", "Docketeer", &window_);
  }
  // One scan whose source announces a transfer as soon as it is enabled.
  void Scan(int pages) {
    AddPages(pages);
    Script().eventsOnEnable = {MSG_XFERREADY};
    manager_->StartScan({8500, 11000, 300, PixelType::ColorHigh, false});
    RunPostedEvents();
  }
  void ScanWithEvent(TW_UINT16 message) {
    Script().eventsOnEnable = {message};
    manager_->StartScan({8500, 11000, 300, PixelType::Gray, false});
    RunPostedEvents();
  }

  NotifyWindow window_;
  std::unique_ptr<TwainManager> manager_;
  std::unique_ptr<SourceEventFilter> filter_;
};

TEST_F(TwainManagerTest, ACompletedScanHoldsThePagesAndDefersTheEnd) {
  ASSERT_TRUE(Initialize());
  std::vector<std::vector<std::uint8_t>> expected;
  Scan(2);
  EXPECT_EQ(window_.notices, std::vector<Notice>{kComplete});
  const std::vector<TW_HANDLE> images = manager_->GetImages();
  ASSERT_EQ(images.size(), 2u);
  EXPECT_EQ(BlockBytes(images[0]), MakePage(3, 2, 0x10));
  EXPECT_EQ(BlockBytes(images[1]), MakePage(4, 2, 0x20));
  EXPECT_TRUE(manager_->IsDataSourceEnabled());
  EXPECT_EQ(CountCalls("DisableDs"), 0);
}

TEST_F(TwainManagerTest, EachPageIsOfferedAsItsTransferEndsAndTakenPagesLeaveTheManager) {
  ASSERT_TRUE(Initialize());
  std::vector<std::size_t> heldAtEachOffer;
  window_.onPage = [&] { heldAtEachOffer.push_back(manager_->GetImages().size()); };
  Scan(3);
  EXPECT_EQ(window_.order, (std::vector<Notice>{kPage, kPage, kPage, kComplete}));
  std::vector<TW_HANDLE> taken = manager_->TakeImages();
  ASSERT_EQ(taken.size(), 3u);
  EXPECT_EQ(BlockBytes(taken[0]), MakePage(3, 2, 0x10));
  EXPECT_EQ(BlockBytes(taken[2]), MakePage(5, 2, 0x30));
  EXPECT_TRUE(manager_->GetImages().empty());
  EXPECT_TRUE(manager_->TakeImages().empty());
  for (TW_HANDLE page : taken)
    GlobalFree(page);  // the caller's now; the manager must not free them again

  // Pages taken at each offer: the manager holds one page at a time.
  window_.onPage = [&] {
    for (TW_HANDLE page : manager_->TakeImages())
      GlobalFree(page);
  };
  window_.order.clear();
  Scan(3);
  EXPECT_EQ(window_.order.back(), kComplete);
  EXPECT_EQ(window_.pages, 6);
  EXPECT_TRUE(manager_->GetImages().empty());
}

// The source announces a page only once it has read it; in between, the
// manager returns to the event loop instead of waiting in a transfer.
TEST_F(TwainManagerTest, APageNotYetReadIsWaitedForInTheEventLoop) {
  ASSERT_TRUE(Initialize());
  Script().announceEachPage = false;
  Scan(2);
  EXPECT_EQ(window_.pages, 1);
  EXPECT_TRUE(window_.notices.empty());
  EXPECT_EQ(CountCalls("GetNativeXfer"), 1);
  PostFakeSourceEvent(Script(), &window_, MSG_XFERREADY);
  RunPostedEvents();
  EXPECT_EQ(window_.pages, 2);
  EXPECT_EQ(window_.notices, std::vector<Notice>{kComplete});
  EXPECT_EQ(manager_->GetImages().size(), 2u);
}

TEST_F(TwainManagerTest, ACloseRequestInTheMiddleOfABatchCompletesWithThePagesSoFar) {
  ASSERT_TRUE(Initialize());
  Script().announceEachPage = false;
  Scan(3);
  PostFakeSourceEvent(Script(), &window_, MSG_CLOSEDSREQ);
  RunPostedEvents();
  EXPECT_EQ(window_.notices, std::vector<Notice>{kComplete});
  EXPECT_EQ(manager_->GetImages().size(), 1u);
  ForgetCalls();
  Script().eventsOnEnable.clear();
  manager_->StartScan({8500, 11000, 300, PixelType::ColorHigh, false});
  ASSERT_GE(Calls().size(), 2u);
  EXPECT_EQ(Calls()[0], "DisableDs");
}

TEST_F(TwainManagerTest, TwoScansInARowEndTheFirstBeforeStartingTheSecond) {
  ASSERT_TRUE(Initialize());
  Scan(1);
  ForgetCalls();
  Script().eventsOnEnable.clear();
  manager_->StartScan({8500, 11000, 300, PixelType::ColorHigh, false});
  EXPECT_TRUE(manager_->GetImages().empty());
  ASSERT_GE(Calls().size(), 3u);
  EXPECT_EQ(Calls()[0], "DisableDs");
  EXPECT_EQ(Calls()[1], "CloseDs");
  EXPECT_EQ(Calls()[2], "OpenDs");
  EXPECT_TRUE(manager_->IsDataSourceEnabled());
  EXPECT_EQ(window_.notices, std::vector<Notice>{kComplete});
}

TEST_F(TwainManagerTest, WithAHeldPageLimitTheNextPageWaitsUntilThePageBeforeIsTaken) {
  ASSERT_TRUE(Initialize());
  manager_->SetHeldPageLimit(1);
  Scan(3);
  EXPECT_EQ(manager_->GetImages().size(), 1u);
  EXPECT_EQ(window_.pages, 1);
  std::vector<std::vector<std::uint8_t>> taken;
  for (int round = 0; round < 3; ++round) {
    for (TW_HANDLE page : manager_->TakeImages()) {
      taken.push_back(BlockBytes(page));
      GlobalFree(page);
    }
    RunPostedEvents();
  }
  EXPECT_EQ(taken, (std::vector<std::vector<std::uint8_t>>{
                       MakePage(3, 2, 0x10), MakePage(4, 2, 0x20), MakePage(5, 2, 0x30)}));
  EXPECT_EQ(window_.pages, 3);
  EXPECT_EQ(window_.notices, std::vector<Notice>{kComplete});
}

TEST_F(TwainManagerTest, CancelBeforeTheFirstPageIsReportedAsCancelledAndAFailureAsAnError) {
  ASSERT_TRUE(Initialize());
  Script().Queue("GetNativeXfer", {TWRC_CANCEL});
  Scan(1);
  EXPECT_EQ(window_.notices, std::vector<Notice>{kCancelled});
  EXPECT_TRUE(manager_->GetImages().empty());

  Script().Queue("GetNativeXfer", {TWRC_FAILURE});
  Scan(1);
  EXPECT_EQ(window_.notices, (std::vector<Notice>{kCancelled, kError}));
  EXPECT_TRUE(manager_->GetImages().empty());
}

TEST_F(TwainManagerTest, FailureAfterTwoPagesKeepsThemReportsTheErrorAndEndsCleanly) {
  ASSERT_TRUE(Initialize());
  Script().Queue("GetNativeXfer", {TWRC_XFERDONE, TWRC_XFERDONE, TWRC_FAILURE});
  Scan(3);
  EXPECT_EQ(manager_->GetImages().size(), 2u);
  EXPECT_EQ(window_.pages, 2);
  Script().eventsOnEnable.clear();
  manager_->StartScan({8500, 11000, 300, PixelType::ColorHigh, false});
  RunPostedEvents();
  EXPECT_EQ(window_.notices, std::vector<Notice>{kError});
  EXPECT_TRUE(manager_->IsDataSourceEnabled());
}

struct SourceMessageCase {
  const char* name;
  TW_UINT16 message;
  std::vector<Notice> notices;
};

class TwainManagerSourceMessageTest : public TwainManagerTest,
                                      public ::testing::WithParamInterface<SourceMessageCase> {};

// A message from the source in place of a page: the window hears what it
// means, and whatever it ends is ended later, not inside the event.
TEST_P(TwainManagerSourceMessageTest, IsReportedAndLeavesTheSourceEnabled) {
  ASSERT_TRUE(Initialize());
  ScanWithEvent(GetParam().message);
  EXPECT_EQ(window_.notices, GetParam().notices);
  EXPECT_TRUE(manager_->IsDataSourceEnabled());
  EXPECT_EQ(CountCalls("DisableDs"), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, TwainManagerSourceMessageTest,
    ::testing::Values(SourceMessageCase{"CloseRequestPostsNothing", MSG_CLOSEDSREQ, {}},
                      SourceMessageCase{
                          "CloseOkIsReportedAsCancelled", MSG_CLOSEDSOK, {kCancelled}},
                      SourceMessageCase{"OtherMessagesChangeNothing", MSG_DEVICEEVENT, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TwainManagerTest, ACloseRequestClosesAtTheNextScan) {
  ASSERT_TRUE(Initialize());
  ScanWithEvent(MSG_CLOSEDSREQ);
  ForgetCalls();
  Script().eventsOnEnable.clear();
  manager_->StartScan({8500, 11000, 300, PixelType::ColorHigh, false});
  ASSERT_GE(Calls().size(), 2u);
  EXPECT_EQ(Calls()[0], "DisableDs");
  EXPECT_EQ(Calls()[1], "CloseDs");
}

TEST_F(TwainManagerTest, AFailureWhileEnablingReportsAnErrorAndAllowsARetry) {
  ASSERT_TRUE(Initialize());
  Script().Queue("SetImageLayout", {TWRC_FAILURE});
  Scan(1);
  EXPECT_EQ(window_.notices, std::vector<Notice>{kError});
  EXPECT_TRUE(manager_->IsDataSourceManagerOpen());
  EXPECT_FALSE(manager_->IsDataSourceOpen());
  EXPECT_TRUE(manager_->IsDataSourceSelected());
  manager_->StartScan({8500, 11000, 300, PixelType::ColorHigh, false});
  RunPostedEvents();
  EXPECT_EQ(window_.notices, (std::vector<Notice>{kError, kComplete}));
  EXPECT_EQ(manager_->GetImages().size(), 1u);
}

TEST_F(TwainManagerTest, AFailedTransferReportsOneErrorAndKeepsThePagesSoFar) {
  ASSERT_TRUE(Initialize());
  Script().Queue("GetImageInfo", {TWRC_SUCCESS, TWRC_FAILURE});
  Scan(2);
  EXPECT_EQ(window_.notices, std::vector<Notice>{kError});
  EXPECT_EQ(manager_->GetImages().size(), 1u);
  EXPECT_FALSE(manager_->IsDataSourceOpen());
  // The source was taken out of its transfer state, so the next scan works.
  Scan(1);
  EXPECT_EQ(window_.notices, (std::vector<Notice>{kError, kComplete}));
}

TEST_F(TwainManagerTest, AnEndAlreadyDoneByARecoveryIsNotReportedAgain) {
  ASSERT_TRUE(Initialize());
  Scan(1);
  // The source announces a transfer again before the pages were taken: that
  // failure resets the source, and the pending end must not fail later.
  PostFakeSourceEvent(Script(), &window_, MSG_XFERREADY);
  RunPostedEvents();
  EXPECT_EQ(window_.notices, (std::vector<Notice>{kComplete, kError}));
  Scan(1);
  EXPECT_EQ(window_.notices, (std::vector<Notice>{kComplete, kError, kComplete}));
}

TEST_F(TwainManagerTest, OrdinaryEventsPassThrough) {
  ASSERT_TRUE(Initialize());
  Script().eventsOnEnable.clear();
  manager_->StartScan({8500, 11000, 300, PixelType::ColorHigh, false});
  QEvent ordinary(QEvent::User);
  EXPECT_FALSE(manager_->PreTranslateMessage(&ordinary));
  QCoreApplication::postEvent(&window_, new QEvent(QEvent::User));
  RunPostedEvents();
  EXPECT_EQ(window_.otherEvents, 1);
  EXPECT_TRUE(window_.notices.empty());
}

TEST_F(TwainManagerTest, WithoutADefaultSourceTheWindowStillHearsOfLaterScans) {
  Script().hasDefaultSource = false;
  EXPECT_TRUE(Initialize());
  EXPECT_FALSE(manager_->IsDataSourceSelected());
  Scan(1);
  EXPECT_EQ(window_.notices, std::vector<Notice>{kError});
  manager_->SelectDataSource();
  manager_->StartScan({8500, 11000, 300, PixelType::ColorHigh, false});
  RunPostedEvents();
  EXPECT_EQ(window_.notices, (std::vector<Notice>{kError, kComplete}));
}

TEST_F(TwainManagerTest, InitializeReportsAManagerThatWouldNotOpen) {
  Script().Fail("OpenDsm");
  EXPECT_FALSE(Initialize());
  EXPECT_THROW(
      manager_->Initialize(2, 0, "2.00.0147", "Ferncastle", "Quillery", "Docketeer", nullptr),
      precondition_error);
}

TEST_F(TwainManagerTest, SelectionAndSizeFailuresReachTheCaller) {
  ASSERT_TRUE(Initialize());
  Script().Queue("UserSelect", {TWRC_FAILURE});
  EXPECT_THROW(manager_->SelectDataSource(), postcondition_error);
  Script().Fail("GetCapability ICAP_PHYSICALWIDTH");
  EXPECT_THROW(manager_->GetDataSourceSize(), postcondition_error);
  EXPECT_FALSE(manager_->IsDataSourceOpen());
}

TEST_F(TwainManagerTest, PendingEndsRunBeforeSelectionAndSize) {
  ASSERT_TRUE(Initialize());
  Scan(1);
  ForgetCalls();
  manager_->SelectDataSource();
  EXPECT_EQ(Calls(), (CallList{"DisableDs", "CloseDs", "UserSelect"}));
  EXPECT_EQ(manager_->GetDataSourceName(), "Fake Feeder");
  EXPECT_EQ(manager_->GetDataSourceSize().width, 8500);
}

TEST_F(TwainManagerTest, DestructionAfterACompletedScanEndsEverything) {
  ASSERT_TRUE(Initialize());
  Scan(2);
  ForgetCalls();
  manager_.reset();
  EXPECT_EQ(Calls(), (CallList{"DisableDs", "CloseDs", "CloseDsm"}));
  EXPECT_FALSE(Script().managerOpen);
}

TEST_F(TwainManagerTest, DestructionWhileEnabledWithoutAPendingEndIsQuiet) {
  ASSERT_TRUE(Initialize());
  Script().eventsOnEnable.clear();
  manager_->StartScan({8500, 11000, 300, PixelType::ColorHigh, false});
  ForgetCalls();
  manager_.reset();
  EXPECT_EQ(Calls(), (CallList{"DisableDs", "CloseDs", "CloseDsm"}));
  EXPECT_EQ(LogText().find("Eating exception"), std::string::npos);
  EXPECT_FALSE(Script().managerOpen);
}

TEST_F(TwainManagerTest, UninitializeEndsAnEnabledSourceFirst) {
  ASSERT_TRUE(Initialize());
  Script().eventsOnEnable.clear();
  manager_->StartScan({8500, 11000, 300, PixelType::ColorHigh, false});
  ForgetCalls();
  manager_->Uninitialize();
  EXPECT_EQ(Calls(), (CallList{"DisableDs", "CloseDs", "CloseDsm"}));
  EXPECT_FALSE(manager_->IsDataSourceManagerOpen());
  ForgetCalls();
  manager_.reset();
  EXPECT_TRUE(Calls().empty());
}

}  // namespace
