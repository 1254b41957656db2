// The program's own scan manager loads the library beside the executable and
// scans from the test backend through the event loop.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include "SaneTestConfig.h"
#include "twain/GlobalMemory.h"
#include "twain/SourceEventFilter.h"
#include "twain/TwainManager.h"

namespace {

enum Ending { kComplete = 1, kCancelled, kFailed };

// The main window's part: records how each scan ended.
class NotifyWindow : public QObject {
 public:
  void Watch(ScanSource& source) {
    connect(&source, &ScanSource::scanComplete, this,
            [this] { notifications.push_back(kComplete); });
    connect(&source, &ScanSource::scanCancelled, this,
            [this] { notifications.push_back(kCancelled); });
    connect(&source, &ScanSource::scanFailed, this, [this] { notifications.push_back(kFailed); });
  }

  std::vector<int> notifications;
};

int WaitForNotification(NotifyWindow& window) {
  QElapsedTimer timer;
  timer.start();
  while (window.notifications.empty() && timer.elapsed() < 60000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return window.notifications.empty() ? 0 : window.notifications.back();
}

struct TwainManagerRun {
  NotifyWindow window;
  TwainManager manager;
  SourceEventFilter filter{manager};

  TwainManagerRun() {
    QCoreApplication::instance()->installEventFilter(&filter);
    window.Watch(manager);
  }
  bool Initialize() {
    return manager.Initialize(2, 0, "2.00.0147", "Ferncastle", "Quillery", "Docketeer", &window);
  }
};

TEST(TwainManagerEndToEnd, LetterPageInGreyArrivesAsOneBitmap) {
  UseSaneTestBackend();
  TwainManagerRun run;
  ASSERT_TRUE(run.Initialize());

  run.manager.StartScan({8500, 11000, 75, PixelType::Gray, false});

  ASSERT_EQ(WaitForNotification(run.window), kComplete);
  const std::vector<TW_HANDLE> images = run.manager.GetImages();
  ASSERT_EQ(images.size(), 1u);
  const auto* header = static_cast<const std::int32_t*>(GlobalLock(images[0]));
  EXPECT_NEAR(header[1], 8.5 * 75, 1);
  EXPECT_NEAR(header[2], 11 * 75, 1);
  GlobalUnlock(images[0]);
}

TEST(TwainManagerEndToEnd, FeederBatchAndASecondScan) {
  UseSaneTestBackend();
  SelectSaneTestFeeder();
  TwainManagerRun run;
  ASSERT_TRUE(run.Initialize());

  run.manager.StartScan({8267, 11692, 50, PixelType::ColorHigh, false});
  ASSERT_EQ(WaitForNotification(run.window), kComplete);
  EXPECT_EQ(run.manager.GetImages().size(), 10u);

  run.window.notifications.clear();
  run.manager.StartScan({8267, 11692, 50, PixelType::BlackAndWhite,
                         false});  // the feeder of the test backend refills
  ASSERT_EQ(WaitForNotification(run.window), kComplete);
  EXPECT_EQ(run.manager.GetImages().size(), 10u);
}

}  // namespace
