// Devices that misbehave: the scan ends with a clear TWAIN failure, no crash,
// nothing leaked and the worker joined.
#include <gtest/gtest.h>

#include <sane/saneopts.h>
#include <QElapsedTimer>
#include <QSettings>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>

#include "SaneTestConfig.h"
#include "ScriptedSaneApi.h"
#include "TwainSession.h"
#include "dsm/Fix32.h"

namespace {

struct Prepared {
  std::shared_ptr<ScriptedSaneApi> api = std::make_shared<ScriptedSaneApi>();
  std::unique_ptr<TwainSession> session;
};

// A small grey page from the test backend, with a feeder when asked.
Prepared Prepare(bool feeder) {
  UseSaneTestBackend();
  if (feeder)
    SelectSaneTestFeeder();
  Prepared prepared;
  prepared.session = std::make_unique<TwainSession>(prepared.api);
  prepared.session->OpenManager();
  return prepared;
}

void ConfigureSmallPage(TwainSession& session) {
  session.Configure(TWPT_GRAY, 50);
  session.SetFrame(0, 0, 2, 2);
}

// Scans one small grey page from the default source and returns its one outcome.
TW_UINT16 ScanSmallPage(TwainSession& session) {
  EXPECT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  ConfigureSmallPage(session);
  const auto transfers = session.Scan();
  EXPECT_EQ(transfers.size(), 1u);
  FreePages(transfers);
  return transfers.empty() ? TWRC_SUCCESS : transfers[0].returnCode;
}

struct InjectedError {
  SANE_Status status;
  int goodPages;
  TW_UINT16 expected;
};

class ErrorAfterGoodPages : public ::testing::TestWithParam<InjectedError> {};

// After the good pages every read answers the injected status, as the test
// backend's read-return-value option does.
TEST_P(ErrorAfterGoodPages, MapsToTheTwainOutcome) {
  const InjectedError& c = GetParam();
  Prepared prepared = Prepare(true);
  ScriptedSaneApi& api = *prepared.api;
  std::atomic<int> starts = 0;
  api.start = [&](SANE_Handle handle) {
    ++starts;
    return api.real.Start(handle);
  };
  api.read = [&](SANE_Handle handle, SANE_Byte* data, SANE_Int maxLength, SANE_Int* length) {
    if (starts.load() <= c.goodPages)
      return api.real.Read(handle, data, maxLength, length);
    *length = 0;
    return c.status;
  };
  TwainSession& session = *prepared.session;
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  ConfigureSmallPage(session);

  const auto transfers = session.Scan();

  ASSERT_EQ(transfers.size(), static_cast<std::size_t>(c.goodPages + 1));
  for (int page = 0; page < c.goodPages; ++page) {
    EXPECT_EQ(transfers[page].returnCode, TWRC_XFERDONE);
    EXPECT_GT(transfers[page].pendingAfter, 0);
  }
  EXPECT_EQ(transfers.back().returnCode, c.expected);
  EXPECT_EQ(transfers.back().page, nullptr);
  EXPECT_EQ(transfers.back().pendingAfter, 0);
  FreePages(transfers);
  EXPECT_EQ(session.Disable(), TWRC_SUCCESS);
}

INSTANTIATE_TEST_SUITE_P(SaneStatuses, ErrorAfterGoodPages,
                         ::testing::Values(InjectedError{SANE_STATUS_JAMMED, 2, TWRC_FAILURE},
                                           InjectedError{SANE_STATUS_IO_ERROR, 2, TWRC_FAILURE},
                                           InjectedError{SANE_STATUS_CANCELLED, 2, TWRC_CANCEL},
                                           InjectedError{SANE_STATUS_NO_MEM, 1, TWRC_FAILURE},
                                           InjectedError{SANE_STATUS_CANCELLED, 0, TWRC_CANCEL}));

// The backend's own injection, set in its configuration, on the first page.
TEST(DeviceFault, JammedFirstPageFromTheBackendIsAFailure) {
  UseSaneTestBackend("read-status-code \"SANE_STATUS_JAMMED\"\n");
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  EXPECT_EQ(ScanSmallPage(session), TWRC_FAILURE);
}

TEST(DeviceFault, DeviceThatVanishedBeforeOpeningFailsAndAnotherStillOpens) {
  Prepared prepared = Prepare(false);
  prepared.api->open = [&](const std::string& name, SANE_Handle* handle) {
    return name == "test:0" ? SANE_STATUS_IO_ERROR : prepared.api->real.Open(name, handle);
  };
  TwainSession& session = *prepared.session;
  EXPECT_EQ(session.OpenDefaultSource(), TWRC_FAILURE);
  TW_STATUS status{};
  ASSERT_EQ(session.Manager(DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
  EXPECT_EQ(status.ConditionCode, TWCC_NODS);  // gone, not a bad value

  TW_IDENTITY second{};
  ASSERT_EQ(session.Manager(DAT_IDENTITY, MSG_GETFIRST, &second), TWRC_SUCCESS);
  ASSERT_EQ(session.Manager(DAT_IDENTITY, MSG_GETNEXT, &second), TWRC_SUCCESS);
  session.source = second;
  EXPECT_EQ(session.Manager(DAT_IDENTITY, MSG_OPENDS, &session.source), TWRC_SUCCESS);
}

TEST(DeviceFault, ShortReadsStillGiveTheWholePage) {
  Prepared prepared = Prepare(false);
  ScriptedSaneApi& api = *prepared.api;
  api.read = [&](SANE_Handle handle, SANE_Byte* data, SANE_Int, SANE_Int* length) {
    return api.real.Read(handle, data, 7, length);
  };
  TwainSession& session = *prepared.session;
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  ConfigureSmallPage(session);

  const auto transfers = session.Scan();

  ASSERT_EQ(transfers.size(), 1u);
  EXPECT_EQ(transfers[0].returnCode, TWRC_XFERDONE);
  EXPECT_NEAR(ReadDibFacts(transfers[0].page).height, 100, 1);
  FreePages(transfers);
}

TEST(DeviceFault, ReadLongerThanAskedIsAFailure) {
  Prepared prepared = Prepare(false);
  ScriptedSaneApi& api = *prepared.api;
  api.read = [&](SANE_Handle handle, SANE_Byte* data, SANE_Int maxLength, SANE_Int* length) {
    const SANE_Status status = api.real.Read(handle, data, maxLength / 2, length);
    *length = maxLength + 16;
    return status;
  };
  EXPECT_EQ(ScanSmallPage(*prepared.session), TWRC_FAILURE);
}

// SANE promises the parameters only while a frame lasts: a device that
// describes something else once the frame has ended still gives its page.
TEST(DeviceFault, ParametersThatChangeAfterTheFrameKeepThePage) {
  Prepared prepared = Prepare(false);
  ScriptedSaneApi& api = *prepared.api;
  std::atomic<bool> frameEnded = false;
  api.read = [&](SANE_Handle handle, SANE_Byte* data, SANE_Int maxLength, SANE_Int* length) {
    const SANE_Status status = api.real.Read(handle, data, maxLength, length);
    frameEnded = frameEnded || status == SANE_STATUS_EOF;
    return status;
  };
  api.getParameters = [&](SANE_Handle handle, SANE_Parameters* parameters) {
    const SANE_Status status = api.real.GetParameters(handle, parameters);
    if (frameEnded)
      parameters->pixels_per_line += 8;
    return status;
  };
  EXPECT_EQ(ScanSmallPage(*prepared.session), TWRC_XFERDONE);
}

// A device that vanishes in the middle of a batch answers reads with an
// invalid-value status: the program is told to check the device.
TEST(DeviceFault, DeviceThatVanishesDuringTheScanAsksForACheckOfTheDevice) {
  Prepared prepared = Prepare(false);
  ScriptedSaneApi& api = *prepared.api;
  api.read = [&](SANE_Handle, SANE_Byte*, SANE_Int, SANE_Int* length) {
    *length = 0;
    return SANE_STATUS_INVAL;
  };
  TwainSession& session = *prepared.session;
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  ConfigureSmallPage(session);
  ASSERT_EQ(session.Enable(), TWRC_SUCCESS);
  ASSERT_EQ(session.WaitForMessage(), MSG_XFERREADY);
  TW_HANDLE page = nullptr;
  EXPECT_EQ(session.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &page), TWRC_FAILURE);
  EXPECT_EQ(session.Condition(), TWCC_CHECKDEVICEONLINE);
  TW_PENDINGXFERS pending{};
  session.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &pending);
}

// The test backend asked for 8 bits delivers 16: pages still come as 8-bit grey.
TEST(DeviceFault, SixteenBitSamplesAreReducedToEight) {
  UseSaneTestBackend("test-picture \"Solid white\"\n");
  auto api = std::make_shared<ScriptedSaneApi>();
  api->controlOption = [&](SANE_Handle handle, SANE_Int option, SANE_Action action, void* value,
                           SANE_Int* info) {
    const SANE_Option_Descriptor* descriptor = api->real.GetOptionDescriptor(handle, option);
    if (action == SANE_ACTION_SET_VALUE && descriptor->name != nullptr &&
        std::strcmp(descriptor->name, SANE_NAME_BIT_DEPTH) == 0)
      *static_cast<SANE_Word*>(value) = 16;
    return api->real.ControlOption(handle, option, action, value, info);
  };
  TwainSession session(api);
  session.OpenManager();
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  ConfigureSmallPage(session);

  const auto transfers = session.Scan();

  ASSERT_EQ(transfers.size(), 1u);
  ASSERT_EQ(transfers[0].returnCode, TWRC_XFERDONE);
  EXPECT_EQ(ReadDibFacts(transfers[0].page).bitsPerPixel, 8);
  EXPECT_EQ(DibRow(transfers[0].page, 10)[5], 255);
  FreePages(transfers);
}

// A device that goes silent: reads block until someone cancels them.
TEST(DeviceFault, SilentDeviceTimesOutWithAFailure) {
  Prepared prepared = Prepare(false);
  QSettings().setValue("DataSourceManager/StallTimeoutSeconds", 0.3);
  ScriptedSaneApi& api = *prepared.api;
  std::mutex mutex;
  std::condition_variable wake;
  bool cancelled = false;
  api.read = [&](SANE_Handle, SANE_Byte*, SANE_Int, SANE_Int* length) {
    std::unique_lock lock(mutex);
    wake.wait(lock, [&] { return cancelled; });
    *length = 0;
    return SANE_STATUS_CANCELLED;
  };
  api.cancel = [&](SANE_Handle handle) {
    {
      std::lock_guard lock(mutex);
      cancelled = true;
    }
    wake.notify_all();
    api.real.Cancel(handle);
  };
  TwainSession& session = *prepared.session;
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  ConfigureSmallPage(session);
  QElapsedTimer timer;
  timer.start();

  const auto transfers = session.Scan();

  ASSERT_EQ(transfers.size(), 1u);
  EXPECT_EQ(transfers[0].returnCode, TWRC_FAILURE);
  EXPECT_GE(timer.elapsed(), 250);
  EXPECT_LT(timer.elapsed(), 10000);
}

}  // namespace
