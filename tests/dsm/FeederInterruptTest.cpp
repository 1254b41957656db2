// Ctrl+C in the middle of a feeder batch, through the built program: the
// pages read so far are kept and the program ends with 4, wherever between
// the pages the interrupt falls.
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <csignal>

#include "CommandLineFixture.h"

namespace {

constexpr int kTries = 20;
constexpr int kEndsWithin = 10000;  // ms: a hang, not a slow machine under sanitizers

using FeederInterruptTest = CommandLineFixture;

TEST_F(FeederInterruptTest, AnInterruptedFeederBatchEndsWithFourEveryTime) {
  // Slow reads keep the batch of ten sheets under way for a few seconds.
  ConfigureSane("read-delay true\nread-delay-duration 20000\n");
  qint64 slowest = 0;
  for (int attempt = 0; attempt < kTries; ++attempt) {
    SCOPED_TRACE(attempt);
    const QString name = QString("Batch %1").arg(attempt);
    // TIFF: no text recognition, whose own start is not what is measured here.
    std::unique_ptr<QProcess> scan = Start({"scan", ArchivePath(""), "--feeder", "--format", "tiff",
                                            "--resolution", "50", "--name", name});
    ASSERT_TRUE(scan->waitForStarted());
    const QDir pages(ArchivePath(name));
    while (scan->state() == QProcess::Running &&
           pages.entryList(QDir::Files).size() < 1 + attempt % 3)
      scan->waitForFinished(10);
    ASSERT_EQ(scan->state(), QProcess::Running) << scan->readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(scan->processId()), SIGINT);
    QElapsedTimer ending;
    ending.start();
    const bool ended = scan->waitForFinished(kEndsWithin);
    slowest = std::max(slowest, ending.elapsed());
    if (!ended) {
      scan->kill();
      scan->waitForFinished();
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(scan->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(scan->exitCode(), 4) << scan->readAllStandardError().toStdString();
    EXPECT_FALSE(pages.entryList(QDir::Files).isEmpty());
  }
  RecordProperty("slowest_end_ms", static_cast<int>(slowest));
}

}  // namespace
