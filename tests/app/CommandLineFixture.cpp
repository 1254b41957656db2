#include "CommandLineFixture.h"

#include "SaneTestConfig.h"

#include <QDir>
#include <QFile>
#include <QProcess>

void CommandLineFixture::SetUp() {
  ASSERT_TRUE(root_.isValid());
  environment_ = QProcessEnvironment::systemEnvironment();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DOCKETEER_DSM"})
    environment_.remove(name);
  const QString home = root_.filePath("home");
  const QString common = root_.filePath("common");
  const QString catalogueFolder = common + "/Ferncastle/Docketeer 2.0/Shared";
  for (const QString& folder : {home + "/.config", home + "/.local/share", root_.filePath("tmp"),
                                catalogueFolder, root_.filePath("archive"), root_.filePath("sane")})
    ASSERT_TRUE(QDir().mkpath(folder));
  ASSERT_TRUE(QFile::copy(DOCKETEER_SOURCE_DATA "/DocumentSizes.txt",
                          catalogueFolder + "/DocumentSizes.txt"));
  environment_.insert("HOME", home);
  environment_.insert("XDG_CONFIG_HOME", home + "/.config");
  environment_.insert("XDG_DATA_HOME", home + "/.local/share");
  environment_.insert("TMPDIR", root_.filePath("tmp"));
  environment_.insert("DOCKETEER_COMMON_DATA", common);
  environment_.insert("SANE_CONFIG_DIR", root_.filePath("sane"));
  // What SANE's test backend keeps is unloaded with the manager library before
  // the program ends, so a leak check in the child could not tell it from
  // ours; the workflow's own leaks are checked in process by its tests.
  QString sanitizer = environment_.value("ASAN_OPTIONS");
  environment_.insert("ASAN_OPTIONS",
                      sanitizer + (sanitizer.isEmpty() ? "" : ":") + "detect_leaks=0");
  ConfigureSane();
}

void CommandLineFixture::ConfigureSane(const std::string& extraLines) {
  WriteSaneTestConfig(root_.filePath("sane").toStdString(), extraLines);
}

CommandRun CommandLineFixture::Run(const QStringList& arguments,
                                   const std::function<void()>& inChild) const {
  QProcess process;
  process.setProcessEnvironment(environment_);
  if (inChild)
    process.setChildProcessModifier(inChild);
  process.start(DOCKETEER_BINARY, arguments);
  process.closeWriteChannel();
  return Collect(process);
}

std::unique_ptr<QProcess> CommandLineFixture::Start(const QStringList& arguments,
                                                    const QProcessEnvironment* environment) const {
  auto process = std::make_unique<QProcess>();
  process->setProcessEnvironment(environment != nullptr ? *environment : environment_);
  process->start(DOCKETEER_BINARY, arguments);
  process->closeWriteChannel();
  return process;
}

CommandRun CommandLineFixture::Collect(QProcess& process) {
  CommandRun run;
  if (!process.waitForFinished(180000)) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << "docketeer " << process.arguments().join(' ').toStdString() << " did not end";
  }
  run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
  run.out = process.readAllStandardOutput();
  run.err = process.readAllStandardError();
  return run;
}

QString CommandLineFixture::LogText() const {
  QFile log(root_.filePath("tmp/Docketeer/Docketeer.log"));
  return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}
