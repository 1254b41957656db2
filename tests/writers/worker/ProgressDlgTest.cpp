#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "core/DebugLog.h"
#include "writers/worker/ProgressDlg.h"

namespace {

// Lets a test drive the 100 ms ticks itself instead of waiting for them.
class TickedProgressDlg : public ProgressDlg {
 public:
  void Tick(int count) {
    for (int i = 0; i < count; ++i)
      OnTimer();
  }
  QString PercentText() const { return findChild<QLabel*>("percentText")->text(); }
  int BarValue() const { return findChild<QProgressBar*>("progressBar")->value(); }
};

struct TickCase {
  int estimatedDuration;
  int ticks;
  int percent;
};

class ProgressPercentTest : public ::testing::TestWithParam<TickCase> {};

TEST_P(ProgressPercentTest, BarAndTextShowTheEstimateButNeverAHundred) {
  const TickCase& c = GetParam();
  TickedProgressDlg dialog;
  dialog.SetEstimatedDuration(c.estimatedDuration);
  dialog.Tick(c.ticks);
  EXPECT_EQ(dialog.BarValue(), c.percent);
  EXPECT_EQ(dialog.PercentText(), QString("%1%").arg(c.percent));
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgressPercentTest,
                         ::testing::Values(TickCase{10000, 1, 1}, TickCase{10000, 50, 50},
                                           TickCase{10000, 98, 98}, TickCase{10000, 99, 99},
                                           TickCase{10000, 400, 99}, TickCase{0, 1, 99},
                                           TickCase{300, 1, 33}, TickCase{300, 3, 99},
                                           // 6 hours of ticks: the product needs 64 bits
                                           TickCase{INT_MAX, 216000, 1}));

TEST(ProgressDlgTest, WorkFinishedAtOnceStillShowsOneTick) {
  ProgressDlg dialog;
  dialog.SetCaption("Combining...");
  dialog.SetEstimatedDuration(1000);
  dialog.MarkForDestruction();
  QString titleWhileShown;
  QTimer::singleShot(0, [&] { titleWhileShown = dialog.windowTitle(); });
  EXPECT_EQ(dialog.exec(), 0);
  EXPECT_EQ(titleWhileShown, "Combining...");
  EXPECT_EQ(dialog.findChild<QLabel*>("percentText")->text(), "10%");
  EXPECT_FALSE(dialog.isVisible());
}

TEST(ProgressDlgTest, EscapeDoesNotEndTheDialogWhileTheWorkRuns) {
  ProgressDlg dialog;
  bool visibleAfterEscape = false;
  QTimer::singleShot(0, [&] {
    QTest::keyClick(&dialog, Qt::Key_Escape);
    dialog.close();
    visibleAfterEscape = dialog.isVisible();
    dialog.MarkForDestruction();
  });
  dialog.exec();
  EXPECT_TRUE(visibleAfterEscape);
  EXPECT_FALSE(dialog.findChild<QPushButton*>("cancelButton")->isEnabled());
}

std::string ReadLog() {
  std::ifstream file(LogFilePath());
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST(ProgressDlgTest, EndedWithoutTheWorkFinishingLeavesALogLine) {
  ASSERT_TRUE(OpenDebugLog());
  {
    ProgressDlg dialog;
    QTimer::singleShot(0, &dialog, [&] { dialog.done(0); });
    dialog.exec();
  }
  {
    ProgressDlg finished;
    finished.MarkForDestruction();
    finished.exec();
    ProgressDlg neverRun;
  }
  CloseDebugLog();
  const std::string line =
      "ProgressDlg::OnDestroy(): Unexpected condition: isMarkedForDestruction is FALSE";
  const std::string log = ReadLog();
  ASSERT_NE(log.find(line), std::string::npos);
  EXPECT_EQ(log.find(line), log.rfind(line)) << "only the dialog that was ended otherwise";
}

}  // namespace
