// Starts the real program: the command line, the log banner, a failed log and
// the end of the program when its window closes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <csignal>

namespace {

QProcess* StartProgram(const QStringList& arguments, const QProcessEnvironment& environment) {
  auto* process = new QProcess;
  process->setProcessEnvironment(environment);
  process->start(DOCKETEER_BINARY, arguments);
  return process;
}

QProcessEnvironment OffscreenEnvironment(const QString& tmp) {
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("QT_QPA_PLATFORM", "offscreen");
  environment.insert("TMPDIR", tmp);
  // The scripted manager: the machine's own SANE backends are not part of
  // what start-up and shutdown are checked for here.
  environment.insert("DOCKETEER_DSM", FAKE_DSM_PATH);
  return environment;
}

TEST(Startup, VersionIsPrintedWithoutAWindow) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.remove("QT_QPA_PLATFORM");
  environment.remove("DISPLAY");
  process.setProcessEnvironment(environment);
  process.start(DOCKETEER_BINARY, {"--version"});
  ASSERT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitCode(), 0);
  EXPECT_EQ(process.readAllStandardOutput().trimmed(), "Docketeer 2.00.0147");
}

TEST(Startup, UnopenableLogStopsStartUp) {
  QTemporaryDir dir;
  // A file where the temporary folder should be: no log folder can exist below it.
  const QString notAFolder = dir.filePath("file");
  QFile file(notAFolder);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  std::unique_ptr<QProcess> process(StartProgram({}, OffscreenEnvironment(notAFolder)));
  ASSERT_TRUE(process->waitForFinished(30000));
  EXPECT_NE(process->exitCode(), 0);
  EXPECT_TRUE(process->readAllStandardError().contains("unable to open log file"));
}

TEST(Startup, BannerFirstAndTheProgramEndsWhenItsWindowCloses) {
  QTemporaryDir dir;
  std::unique_ptr<QProcess> process(StartProgram({}, OffscreenEnvironment(dir.path())));
  ASSERT_TRUE(process->waitForStarted(30000));
  QFile log(dir.filePath("Docketeer/Docketeer.log"));
  QByteArray text;
  for (int i = 0; i < 300 && !text.contains("CFoliantApp::InitInstance()"); ++i) {
    process->waitForFinished(100);
    if (log.open(QIODevice::ReadOnly)) {
      text = log.readAll();
      log.close();
    }
  }
  ASSERT_TRUE(text.contains("CFoliantApp::InitInstance()")) << text.toStdString();
  const QByteArray firstLine = text.left(text.indexOf("\r\n"));
  EXPECT_TRUE(firstLine.startsWith("DebugLog.cpp (")) << firstLine.toStdString();
  EXPECT_TRUE(firstLine.endsWith(") : Starting Docketeer v2.00.0147")) << firstLine.toStdString();

  ::kill(static_cast<pid_t>(process->processId()), SIGTERM);
  ASSERT_TRUE(process->waitForFinished(30000));
  EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(process->exitCode(), 0);
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_TRUE(log.readAll().contains("CFoliantApp::ExitInstance()"));
}

}  // namespace
