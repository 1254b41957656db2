#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "RecordingShell.h"
#include "core/DebugLog.h"
#include "dialogs/CAboutDlg.h"

namespace {

TEST(AboutDlg, ShowsTheVersionText) {
  CAboutDlg dlg;
  auto* version = dlg.findChild<QLabel*>("versionLabel");
  ASSERT_NE(version, nullptr);
  EXPECT_EQ(version->text(), "Docketeer Version 2.00.0147");
}

TEST(AboutDlg, ViewDebugLogOpensTheFolderNotTheFile) {
  RecordingShell shell;
  CAboutDlg dlg;
  auto* button = dlg.findChild<QPushButton*>("viewDebugLogButton");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(), "View Debug Log...");
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(shell.calls, QStringList{"OpenFolder " + QString::fromStdString(LogFolder())});
}

TEST(AboutDlg, LinkOpensTheConfiguredSite) {
  RecordingShell shell;
  QSettings().setValue("Settings/WebSiteBase", "https://site.test/");
  CAboutDlg dlg;
  auto* link = dlg.findChild<QLabel*>("webSiteLink");
  ASSERT_NE(link, nullptr);
  EXPECT_TRUE(link->text().contains("Docketeer Web Site"));
  emit link->linkActivated("#");
  EXPECT_EQ(shell.calls, QStringList{"OpenUrl https://site.test/Docketeer/index.htm"});
  QSettings().remove("Settings/WebSiteBase");
}

TEST(AboutDlg, GuideLinksOpenItsSectionsAndHideWithoutAGuide) {
  RecordingShell shell;
  CAboutDlg dlg;
  auto* links = dlg.findChild<QLabel*>("guideLinks");
  ASSERT_NE(links, nullptr);
  EXPECT_TRUE(links->isHidden());
  dlg.SetGuide("/opt/help/index.html");
  EXPECT_FALSE(links->isHidden());
  emit links->linkActivated("messages");
  emit links->linkActivated("");
  EXPECT_EQ(shell.calls, QStringList({"OpenUrl file:///opt/help/index.html#messages",
                                      "OpenUrl file:///opt/help/index.html"}));
}

TEST(AboutDlg, ShellFailuresAreNotReported) {
  RecordingShell shell;
  shell.succeeds = false;
  CAboutDlg dlg;
  QTest::mouseClick(dlg.findChild<QPushButton*>("viewDebugLogButton"), Qt::LeftButton);
  EXPECT_EQ(shell.calls.size(), 1);
}

}  // namespace
