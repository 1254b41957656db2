// Triplets out of sequence answer TWRC_FAILURE and leave the manager usable.
#include <gtest/gtest.h>

#include <QEvent>
#include <QSettings>
#include <future>

#include "SaneTestConfig.h"
#include "ScriptedSaneApi.h"
#include "TwainSession.h"
#include "dsm/LibSaneApi.h"

namespace {

TEST(ManagerSequence, CallsBeforeOpeningTheManagerFail) {
  UseSaneTestBackend();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  TW_IDENTITY identity{};
  EXPECT_EQ(session.Manager(DAT_IDENTITY, MSG_GETDEFAULT, &identity), TWRC_FAILURE);
  EXPECT_EQ(session.Manager(DAT_IDENTITY, MSG_OPENDS, &identity), TWRC_FAILURE);
  void* parent = &session.parent;
  EXPECT_EQ(session.Manager(DAT_PARENT, MSG_CLOSEDSM, &parent), TWRC_FAILURE);
  EXPECT_EQ(session.Source(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &identity), TWRC_FAILURE);
}

TEST(ManagerSequence, OpeningAssignsTheApplicationIdAndOnlyOnce) {
  UseSaneTestBackend();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  ASSERT_EQ(session.OpenManager(), TWRC_SUCCESS);
  EXPECT_NE(session.application.Id, 0u);
  EXPECT_EQ(session.OpenManager(), TWRC_FAILURE);
  TW_IDENTITY first{};
  ASSERT_EQ(session.Manager(DAT_IDENTITY, MSG_GETDEFAULT, &first), TWRC_SUCCESS);
  EXPECT_STREQ(first.ProductName, "Noname frontend-tester");
}

TEST(ManagerSequence, SourceStatesRefuseCallsOutOfOrder) {
  UseSaneTestBackend();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  TW_HANDLE page = nullptr;
  TW_PENDINGXFERS pending{};
  TW_IMAGEINFO info{};
  EXPECT_EQ(session.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &page), TWRC_FAILURE);
  EXPECT_EQ(session.Condition(), TWCC_SEQERROR);
  EXPECT_EQ(session.Source(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_FAILURE);
  EXPECT_EQ(session.Source(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info), TWRC_FAILURE);
  EXPECT_EQ(session.Disable(), TWRC_FAILURE);
  EXPECT_EQ(session.Source(DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, nullptr), TWRC_FAILURE);

  TW_IDENTITY second = session.source;
  EXPECT_EQ(session.Manager(DAT_IDENTITY, MSG_OPENDS, &second), TWRC_FAILURE);  // one at a time

  ASSERT_EQ(session.Enable(), TWRC_SUCCESS);
  EXPECT_EQ(session.Enable(), TWRC_FAILURE);
  EXPECT_EQ(session.SetCapability(ICAP_PIXELTYPE, TWTY_UINT16, TWPT_GRAY), TWRC_FAILURE);
  EXPECT_EQ(session.Manager(DAT_IDENTITY, MSG_CLOSEDS, &session.source), TWRC_FAILURE);
  void* parent = &session.parent;
  EXPECT_EQ(session.Manager(DAT_PARENT, MSG_CLOSEDSM, &parent), TWRC_FAILURE);

  ASSERT_EQ(session.WaitForMessage(), MSG_XFERREADY);
  const auto transfers = session.TransferAll();
  FreePages(transfers);
  EXPECT_EQ(session.Disable(), TWRC_SUCCESS);
  EXPECT_EQ(session.Manager(DAT_IDENTITY, MSG_CLOSEDS, &session.source), TWRC_SUCCESS);
  EXPECT_EQ(session.Manager(DAT_PARENT, MSG_CLOSEDSM, &parent), TWRC_SUCCESS);
}

TEST(ManagerSequence, UnknownSourceAndOtherEventsAreNotOurs) {
  UseSaneTestBackend();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  ASSERT_EQ(session.OpenDefaultSource(), TWRC_SUCCESS);
  QEvent foreign(QEvent::User);
  TW_EVENT event{&foreign, MSG_NULL};
  EXPECT_EQ(session.Source(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event), TWRC_NOTDSEVENT);
  session.source.Id += 100;  // a source that is not open
  TW_CAPABILITY capability{ICAP_UNITS, TWON_DONTCARE16, nullptr};
  EXPECT_EQ(session.Source(DG_CONTROL, DAT_CAPABILITY, MSG_GET, &capability), TWRC_FAILURE);
  session.source.Id -= 100;
}

TEST(ManagerSequence, DefaultIsTheRememberedDeviceElseTheFirst) {
  UseSaneTestBackend();
  QSettings().setValue("DataSourceManager/DefaultSource", "test:1");
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  TW_IDENTITY identity{};
  ASSERT_EQ(session.Manager(DAT_IDENTITY, MSG_GETDEFAULT, &identity), TWRC_SUCCESS);
  TW_IDENTITY first{};
  session.Manager(DAT_IDENTITY, MSG_GETFIRST, &first);
  EXPECT_NE(identity.Id, first.Id);
  QSettings().setValue("DataSourceManager/DefaultSource", "gone:7");
  ASSERT_EQ(session.Manager(DAT_IDENTITY, MSG_GETDEFAULT, &identity), TWRC_SUCCESS);
  EXPECT_EQ(identity.Id, first.Id);
}

// Listing scanners can take seconds; the device chosen last time is named at
// once, and opened once the listing has ended.
TEST(ManagerSequence, RememberedDefaultAnswersBeforeTheListingEnds) {
  UseSaneTestBackend();
  TW_IDENTITY before{};
  {
    TwainSession first(std::make_shared<ScriptedSaneApi>());
    first.OpenManager();
    ASSERT_EQ(first.Manager(DAT_IDENTITY, MSG_GETDEFAULT, &before), TWRC_SUCCESS);
  }
  auto api = std::make_shared<ScriptedSaneApi>();
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<bool> listingStarted{false};
  api->getDevices = [&](std::vector<SaneDeviceInfo>& devices) {
    listingStarted = true;
    released.wait();
    return api->real.GetDevices(devices);
  };
  TwainSession session(api);
  ASSERT_EQ(session.OpenManager(), TWRC_SUCCESS);
  TW_IDENTITY identity{};
  ASSERT_EQ(session.Manager(DAT_IDENTITY, MSG_GETDEFAULT, &identity), TWRC_SUCCESS);
  EXPECT_STREQ(identity.ProductName, before.ProductName);
  EXPECT_EQ(released.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
  release.set_value();
  session.source = identity;
  EXPECT_EQ(session.Manager(DAT_IDENTITY, MSG_OPENDS, &session.source), TWRC_SUCCESS);
  EXPECT_EQ(session.Manager(DAT_IDENTITY, MSG_CLOSEDS, &session.source), TWRC_SUCCESS);
  TW_IDENTITY listed{};
  int count = 0;
  for (TW_UINT16 message = MSG_GETFIRST;
       session.Manager(DAT_IDENTITY, message, &listed) == TWRC_SUCCESS; message = MSG_GETNEXT)
    ++count;
  EXPECT_TRUE(listingStarted);
  EXPECT_GT(count, 1);
  ASSERT_EQ(session.Manager(DAT_IDENTITY, MSG_GETDEFAULT, &listed), TWRC_SUCCESS);
  EXPECT_EQ(listed.Id, identity.Id);
}

TEST(ManagerSequence, NoDeviceMeansNoDefault) {
  UseNoSaneBackend();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  TW_IDENTITY identity{};
  EXPECT_EQ(session.Manager(DAT_IDENTITY, MSG_GETDEFAULT, &identity), TWRC_FAILURE);
  EXPECT_EQ(session.Manager(DAT_IDENTITY, MSG_GETFIRST, &identity), TWRC_ENDOFLIST);
}

}  // namespace
