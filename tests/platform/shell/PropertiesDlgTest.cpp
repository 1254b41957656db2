#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <cstdlib>

#include "platform/DesktopShell.h"
#include "platform/PropertiesDlg.h"

namespace {

QString Label(const QWidget& dialog, const char* name) {
  return dialog.findChild<QLabel*>(name)->text();
}

PropertiesDlg* ShownPropertiesDlg() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (auto* dialog = qobject_cast<PropertiesDlg*>(widget); dialog && dialog->isVisible())
      return dialog;
  return nullptr;
}

class PropertiesDlgTest : public ::testing::Test {
 protected:
  PropertiesDlgTest() {
    // No session bus: the real file manager must never be asked.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus", 1);
    QFile file(path_);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("twelve bytes");
  }
  ~PropertiesDlgTest() override {
    if (PropertiesDlg* dialog = ShownPropertiesDlg())
      delete dialog;
  }

  QString path_ = QDir::temp().filePath("Statement 2012-12.pdf");
};

TEST_F(PropertiesDlgTest, DescribesTheFile) {
  PropertiesDlg dialog(path_);
  EXPECT_EQ(dialog.windowTitle(), "Statement 2012-12.pdf Properties");
  EXPECT_EQ(Label(dialog, "typeText"), "PDF document");
  EXPECT_EQ(Label(dialog, "locationText"), QDir::tempPath());
  EXPECT_TRUE(Label(dialog, "sizeText").endsWith("(12 bytes)"))
      << Label(dialog, "sizeText").toStdString();
  EXPECT_FALSE(dialog.findChild<QCheckBox*>("readOnlyBox")->isChecked());
}

TEST_F(PropertiesDlgTest, OwnerMakesTheFileReadOnlyAndWritableAgain) {
  QFile::setPermissions(path_, QFile::permissions(path_) | QFileDevice::WriteGroup);
  PropertiesDlg dialog(path_);
  auto* readOnly = dialog.findChild<QCheckBox*>("readOnlyBox");
  ASSERT_TRUE(readOnly->isEnabled());
  readOnly->setChecked(true);
  dialog.accept();
  EXPECT_EQ(QFile::permissions(path_) &
                (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther),
            QFileDevice::Permissions());
  EXPECT_TRUE(PropertiesDlg::IsReadOnly(path_));

  PropertiesDlg again(path_);
  auto* box = again.findChild<QCheckBox*>("readOnlyBox");
  EXPECT_TRUE(box->isChecked());
  box->setChecked(false);
  again.accept();
  EXPECT_TRUE(QFile::permissions(path_) & QFileDevice::WriteOwner);
}

TEST_F(PropertiesDlgTest, ChangingAMissingFileSaysWhy) {
  EXPECT_FALSE(PropertiesDlg::SetReadOnly("/no/such/file", true).isEmpty());
}

TEST_F(PropertiesDlgTest, WithoutAFileManagerTheShellShowsOurOwnDialog) {
  DesktopShell shell;
  EXPECT_TRUE(shell.ShowProperties(path_));
  PropertiesDlg* shown = ShownPropertiesDlg();
  ASSERT_NE(shown, nullptr);
  EXPECT_TRUE(shown->windowTitle().startsWith("Statement 2012-12.pdf"));
  EXPECT_FALSE(shown->isModal());
}

TEST_F(PropertiesDlgTest, NothingToShowForAMissingPath) {
  DesktopShell shell;
  EXPECT_FALSE(shell.ShowProperties("/no/such/file.pdf"));
  EXPECT_EQ(ShownPropertiesDlg(), nullptr);
}

}  // namespace
