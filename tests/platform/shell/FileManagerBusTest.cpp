#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QUrl>
#include <cstdlib>

#include "platform/DesktopShell.h"
#include "platform/PropertiesDlg.h"

namespace {

// Plays the desktop's file manager on a private session bus.
class FakeFileManager : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

 public:
  QStringList shown;
  bool refuses = false;

 public slots:
  void ShowItemProperties(const QStringList& uris, const QString&) {
    shown += uris;
    if (refuses)
      sendErrorReply(QDBusError::Failed, "no properties here");
  }
};

class FileManagerBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
    if (daemon.isEmpty())
      GTEST_SKIP() << "dbus-daemon is not installed";
    daemon_.start(daemon, {"--session", "--nofork", "--print-address"});
    ASSERT_TRUE(daemon_.waitForReadyRead(10000));
    const QByteArray address = daemon_.readLine().trimmed();
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.constData(), 1);
    fileManagerBus_ = QDBusConnection::connectToBus(QString::fromUtf8(address), "fake-manager");
    ASSERT_TRUE(fileManagerBus_.registerService("org.freedesktop.FileManager1"));
    ASSERT_TRUE(fileManagerBus_.registerObject("/org/freedesktop/FileManager1", &manager_,
                                               QDBusConnection::ExportAllSlots));
    QFile file(path_);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  }
  void TearDown() override {
    if (daemon_.state() != QProcess::NotRunning) {
      daemon_.kill();
      daemon_.waitForFinished();
    }
  }

  static bool OwnDialogShown() {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (qobject_cast<PropertiesDlg*>(widget) != nullptr && widget->isVisible())
        return true;
    return false;
  }

  QProcess daemon_;
  QDBusConnection fileManagerBus_{QString()};
  FakeFileManager manager_;
  QString path_ = QDir::temp().filePath("Tax 2012.pdf");
};

TEST_F(FileManagerBusTest, AsksTheFileManagerAndFallsBackWhenItRefuses) {
  DesktopShell shell;
  ASSERT_TRUE(shell.ShowProperties(path_));
  ASSERT_TRUE(QTest::qWaitFor([&] { return manager_.shown.size() == 1; }, 10000));
  EXPECT_EQ(manager_.shown.first(), QUrl::fromLocalFile(path_).toString());
  QTest::qWait(50);
  EXPECT_FALSE(OwnDialogShown());

  manager_.refuses = true;
  ASSERT_TRUE(shell.ShowProperties(path_));
  EXPECT_TRUE(QTest::qWaitFor(&OwnDialogShown, 10000));
}

}  // namespace

#include "FileManagerBusTest.moc"
