#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "tree/FolderChangedEvent.h"
#include "tree/TreeChangeMonitor.h"

namespace {

// Stands in for the tree: hands the monitors' notices back to them and counts
// the re-checks they ask for.
class NoticeReceiver : public QObject {
 public:
  TreeChangeMonitor* monitor = nullptr;
  int notices = 0;

  bool event(QEvent* event) override {
    if (event->type() != FolderChangedEvent::kType)
      return QObject::event(event);
    ++notices;
    monitor->OnFolderChanged(static_cast<FolderChangedEvent*>(event)->Index());
    return true;
  }
};

class TreeChangeMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    folder_ = dir_.path().toStdString();
    receiver_.monitor = &monitor_;
  }
  static void Settle() { QCoreApplication::processEvents(); }

  QTemporaryDir dir_;
  std::string folder_;
  bool busy_ = false;
  int resyncs_ = 0;
  NoticeReceiver receiver_;  // outlives the monitor, which removes its notices on the way out
  TreeChangeMonitor monitor_{receiver_, {[this] { return busy_; }, [this] { ++resyncs_; }}};
};

TEST_F(TreeChangeMonitorTest, ChangeOnDiskLeadsToAReCheck) {
  monitor_.SetAutoRefresh(true);
  monitor_.Start(folder_, true);
  // The first notice comes once the watch is set up, before anything changed.
  ASSERT_TRUE(QTest::qWaitFor([&] { return resyncs_ > 0; }, 10000));
  resyncs_ = 0;
  std::ofstream(folder_ + "/page.pdf") << "x";
  EXPECT_TRUE(QTest::qWaitFor([&] { return resyncs_ > 0; }, 10000));
}

TEST_F(TreeChangeMonitorTest, NoticeIsDroppedWhenNotWantedOrStale) {
  struct Case {
    const char* name;
    bool autoRefresh;
    bool busy;
    int index;
    bool resync;
  };
  const Case cases[] = {
      {"wanted", true, false, 0, true},
      {"refresh off", false, false, 0, false},
      {"tree changing the disk itself", true, true, 0, false},
      {"monitor stopped since", true, false, 1, false},
      {"no monitor", true, false, -1, false},
  };
  monitor_.Start(folder_, true);
  for (const Case& c : cases) {
    monitor_.SetAutoRefresh(c.autoRefresh);
    busy_ = c.busy;
    resyncs_ = 0;
    monitor_.OnFolderChanged(c.index);
    EXPECT_EQ(resyncs_ > 0, c.resync) << c.name;
  }
}

TEST_F(TreeChangeMonitorTest, EachFolderIsWatchedOnceAndStoppedWithoutRegardToCase) {
  QDir(dir_.path()).mkdir("Year");
  monitor_.Start(folder_, true);
  monitor_.Start(folder_ + "/", true);
  monitor_.Start(folder_ + "/Year", false);
  EXPECT_EQ(monitor_.Count(), 2);
  monitor_.Stop(folder_ + "/elsewhere");
  EXPECT_EQ(monitor_.Count(), 2);
  monitor_.Stop(folder_ + "/YEAR/");
  EXPECT_EQ(monitor_.Count(), 1);
}

TEST_F(TreeChangeMonitorTest, NoticesOnTheirWayAreDroppedWhenAllStop) {
  monitor_.SetAutoRefresh(true);
  monitor_.Start(folder_, true);
  QCoreApplication::postEvent(&receiver_, new FolderChangedEvent(0));
  monitor_.StopAll();
  Settle();
  EXPECT_EQ(monitor_.Count(), 0);
  EXPECT_EQ(receiver_.notices, 0);
}

}  // namespace
