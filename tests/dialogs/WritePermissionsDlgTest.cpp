#include <gtest/gtest.h>

#include <unistd.h>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>

#include "DialogTestHelpers.h"
#include "RecordingShell.h"
#include "dialogs/WritePermissionsDlg.h"

namespace {

const QString kPath = "/archive/Bank/_defaults.ini";

TEST(WritePermissionsDlg, ExplainsAndLeadsToTheFileProperties) {
  RecordingShell shell;
  WritePermissionsDlg dlg;
  dlg.SetFilePath(kPath);
  dlg.show();
  EXPECT_EQ(dlg.windowTitle(), "Insufficent Write Privileges");
  EXPECT_TRUE(Child<QLabel>(dlg, "whyText")->text().contains("another user account.  While"));
  EXPECT_EQ(Child<QLabel>(dlg, "filePathLabel")->text(), kPath);
  auto* modify = Child<QPushButton>(dlg, "modifyWritePrivilegesButton");
  EXPECT_EQ(modify->text(), "Click Here to Modify Write Privileges...");
  QTest::mouseClick(modify, Qt::LeftButton);
  EXPECT_EQ(shell.calls, QStringList{"ShowProperties " + kPath});
  EXPECT_TRUE(dlg.isVisible()) << "the dialog stays while the properties are open";
}

// Answers each question in turn and counts the questions.
struct ScriptedAnswers {
  QList<int> answers;
  int shown = 0;
  WritePermissionsDlg::Shower Shower() {
    return [this](WritePermissionsDlg& dlg) {
      ++shown;
      EXPECT_EQ(dlg.GetFilePath(), kPath);
      return answers.isEmpty() ? int(QDialog::Rejected) : answers.takeFirst();
    };
  }
};

TEST(WritePermissionsDlg, AsksAgainUntilWritableOrCancelled) {
  const struct {
    QList<bool> writable;  // the answers of the file test, in turn
    QList<int> answers;
    int shown;
    bool result;
  } cases[] = {
      {{true}, {}, 0, true},
      {{false, true}, {QDialog::Accepted}, 1, true},
      {{false, false, false, true},
       {QDialog::Accepted, QDialog::Accepted, QDialog::Accepted},
       3,
       true},
      {{false, false}, {QDialog::Accepted, QDialog::Rejected}, 2, false},
      {{false}, {QDialog::Rejected}, 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases + 1);
    QList<bool> writable = c.writable;
    ScriptedAnswers script{c.answers};
    const bool result = WritePermissionsDlg::AskUntilWritable(
        nullptr, kPath, [&] { return writable.isEmpty() || writable.takeFirst(); },
        script.Shower());
    EXPECT_EQ(script.shown, c.shown);
    EXPECT_EQ(result, c.result);
    EXPECT_TRUE(writable.isEmpty()) << "asked the file as often as expected";
  }
}

TEST(WritePermissionsDlg, GrantingAccessInThePropertiesEndsTheQuestions) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "file permissions do not bind the superuser";
  const QString path =
      QStandardPaths::writableLocation(QStandardPaths::TempLocation) + "/_defaults.ini";
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.close();
  file.setPermissions(QFile::ReadOwner);
  int shown = 0;
  const bool result = WritePermissionsDlg::AskUntilWritable(
      nullptr, path, [&] { return QFileInfo(path).isWritable(); },
      [&](WritePermissionsDlg&) {
        // The first OK changes nothing; before the second the owner grants write access.
        if (++shown == 2)
          file.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        return int(QDialog::Accepted);
      });
  EXPECT_TRUE(result);
  EXPECT_EQ(shown, 2);
}

TEST(WritePermissionsDlg, RunsModallyByDefault) {
  int checks = 0;
  WhenModalShown([](QWidget& modal) {
    ASSERT_EQ(modal.objectName(), "WritePermissionsDlg");
    Click(modal, "cancelButton");
  });
  EXPECT_FALSE(WritePermissionsDlg::AskUntilWritable(nullptr, kPath, [&] { return ++checks > 5; }));
  EXPECT_EQ(checks, 1);
}

}  // namespace
