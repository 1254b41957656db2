// Feeder batches as the program takes them: one page per transfer-ready, the
// event loop running in between.
#include <gtest/gtest.h>

#include <atomic>
#include <future>

#include "SaneTestConfig.h"
#include "ScriptedSaneApi.h"
#include "TwainSession.h"

namespace {

std::unique_ptr<TwainSession> FeederSession(std::shared_ptr<ScriptedSaneApi> api,
                                            const std::string& backendLines = "") {
  UseSaneTestBackend(backendLines);
  SelectSaneTestFeeder();
  auto session = std::make_unique<TwainSession>(std::move(api));
  session->OpenManager();
  EXPECT_EQ(session->OpenDefaultSource(), TWRC_SUCCESS);
  session->Configure(TWPT_GRAY, 50);
  session->SetFrame(0, 0, 2, 2);
  return session;
}

int DonePages(const std::vector<TwainSession::Transfer>& transfers) {
  int done = 0;
  for (const auto& transfer : transfers)
    done += transfer.returnCode == TWRC_XFERDONE && transfer.page != nullptr ? 1 : 0;
  return done;
}

// The test backend changes its parameters once a frame has ended; every page
// of the feeder must still arrive.
TEST(FeederBatch, FuzzyParametersGiveEveryPage) {
  auto session = FeederSession(std::make_shared<ScriptedSaneApi>(), "fuzzy-parameters true\n");
  const auto transfers = session->ScanAsAnnounced();
  EXPECT_EQ(DonePages(transfers), 10);
  EXPECT_EQ(transfers.size(), 10u);
  EXPECT_EQ(transfers.back().pendingAfter, 0);
  FreePages(transfers);
}

TEST(FeederBatch, TransferCountOfOneLeavesTheRestInTheFeeder) {
  auto session = FeederSession(std::make_shared<ScriptedSaneApi>());
  for (const TW_UINT32 invalid : {0u, 0xFFFEu}) {  // 0 and -2
    SCOPED_TRACE(invalid);
    EXPECT_EQ(session->SetCapability(CAP_XFERCOUNT, TWTY_INT16, invalid), TWRC_FAILURE);
    EXPECT_EQ(session->Condition(), TWCC_BADVALUE);
  }
  ASSERT_EQ(session->SetCapability(CAP_XFERCOUNT, TWTY_INT16, 1), TWRC_SUCCESS);
  auto transfers = session->ScanAsAnnounced();
  ASSERT_EQ(transfers.size(), 1u);
  EXPECT_EQ(transfers[0].returnCode, TWRC_XFERDONE);
  EXPECT_EQ(transfers[0].pendingAfter, 0);
  FreePages(transfers);
  ASSERT_EQ(session->Disable(), TWRC_SUCCESS);

  ASSERT_EQ(session->SetCapability(CAP_XFERCOUNT, TWTY_INT16, 0xFFFF), TWRC_SUCCESS);
  transfers = session->ScanAsAnnounced();
  EXPECT_EQ(DonePages(transfers), 9);  // the sheets left in the feeder
  FreePages(transfers);
}

// While the next sheet is still being read, ending a transfer answers at once
// ("more to come") and the page is announced once read.
TEST(FeederBatch, EndingATransferDoesNotWaitForTheNextSheet) {
  auto api = std::make_shared<ScriptedSaneApi>();
  std::atomic<int> starts = 0;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  api->start = [&](SANE_Handle handle) {
    ++starts;
    return api->real.Start(handle);
  };
  api->read = [&](SANE_Handle handle, SANE_Byte* data, SANE_Int max, SANE_Int* length) {
    if (starts.load() == 2)
      released.wait();  // the second sheet is slow
    return api->real.Read(handle, data, max, length);
  };
  auto session = FeederSession(api);
  ASSERT_EQ(session->SetCapability(CAP_XFERCOUNT, TWTY_INT16, 2), TWRC_SUCCESS);
  ASSERT_EQ(session->Enable(), TWRC_SUCCESS);
  ASSERT_EQ(session->WaitForMessage(), MSG_XFERREADY);
  TW_HANDLE page = nullptr;
  ASSERT_EQ(session->Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &page), TWRC_XFERDONE);
  TW_PENDINGXFERS pending{};
  ASSERT_EQ(session->Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
  EXPECT_EQ(pending.Count, 0xFFFF);
  EXPECT_FALSE(session->WaitForMessage(std::chrono::milliseconds(100)).has_value());
  release.set_value();
  ASSERT_EQ(session->WaitForMessage(), MSG_XFERREADY);
  TW_HANDLE second = nullptr;
  EXPECT_EQ(session->Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &second), TWRC_XFERDONE);
  EXPECT_EQ(session->Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
  EXPECT_EQ(pending.Count, 0);
  FreePages({{TWRC_XFERDONE, page, 0}, {TWRC_XFERDONE, second, 0}});
}

// The feeder's next sheet is started to learn whether it exists, but not
// read while the application has not taken the page before it.
TEST(FeederBatch, ReadsAtMostOnePageAhead) {
  auto api = std::make_shared<ScriptedSaneApi>();
  std::atomic<int> starts = 0;
  std::atomic<int> readsOfLaterSheets = 0;
  api->start = [&](SANE_Handle handle) {
    ++starts;
    return api->real.Start(handle);
  };
  api->read = [&](SANE_Handle handle, SANE_Byte* data, SANE_Int max, SANE_Int* length) {
    if (starts.load() > 1)
      ++readsOfLaterSheets;
    return api->real.Read(handle, data, max, length);
  };
  auto session = FeederSession(api);
  ASSERT_EQ(session->Enable(), TWRC_SUCCESS);
  ASSERT_EQ(session->WaitForMessage(), MSG_XFERREADY);
  // A message that never comes lets the reader run ahead if it would.
  session->WaitForMessage(std::chrono::milliseconds(300));
  EXPECT_EQ(starts.load(), 2);
  EXPECT_EQ(readsOfLaterSheets.load(), 0);
  TW_PENDINGXFERS pending{};
  EXPECT_EQ(session->Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending), TWRC_SUCCESS);
  EXPECT_EQ(session->Disable(), TWRC_SUCCESS);
}

}  // namespace
