// The manager's "Select Source" dialog and the source's own Scan window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "ModalDialogs.h"
#include "SaneTestConfig.h"
#include "ScriptedSaneApi.h"
#include "TwainSession.h"
#include "dsm/DsmSettings.h"

namespace {

QWidget* VisibleScanWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == "sourceScanDialog" && widget->isVisible())
      return widget;
  return nullptr;
}

// Opens the default source, lets `configure` set it up, enables it with the
// source's own window and returns that window (null when it did not show).
QWidget* OpenScanWindow(TwainSession& session, const std::function<void()>& configure = {}) {
  session.OpenManager();
  if (session.OpenDefaultSource() != TWRC_SUCCESS)
    return nullptr;
  if (configure)
    configure();
  if (session.Enable(true) != TWRC_SUCCESS)
    return nullptr;
  return VisibleScanWindow();
}

bool ListFilled(QWidget& dialog) {
  return dialog.findChild<QListWidget*>("sourceList")->count() == 2;
}

TEST(SelectSource, ChosenDeviceAndScanSourceAreRemembered) {
  UseSaneTestBackend();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  WhenModalReady(ListFilled, [](QWidget& dialog) {
    dialog.findChild<QListWidget*>("sourceList")->setCurrentRow(1);
    WhenModalReady(
        [](QWidget& d) { return d.findChild<QComboBox*>("scanSourceCombo")->count() == 2; },
        [](QWidget& d) {
          d.findChild<QComboBox*>("scanSourceCombo")->setCurrentIndex(1);
          d.findChild<QPushButton*>("okButton")->click();
        });
  });

  TW_IDENTITY chosen{};
  ASSERT_EQ(session.Manager(DAT_IDENTITY, MSG_USERSELECT, &chosen), TWRC_SUCCESS);

  EXPECT_EQ(DsmSettings::DefaultDevice(), "test:1");
  EXPECT_EQ(DsmSettings::ScanSource("test:1"), "Automatic Document Feeder");
  TW_IDENTITY byDefault{};
  ASSERT_EQ(session.Manager(DAT_IDENTITY, MSG_GETDEFAULT, &byDefault), TWRC_SUCCESS);
  EXPECT_EQ(byDefault.Id, chosen.Id);
  EXPECT_STREQ(byDefault.ProductName, chosen.ProductName);
}

TEST(SelectSource, CancelKeepsTheEarlierDefault) {
  UseSaneTestBackend();
  DsmSettings::SetDefaultDevice("test:0");
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  session.OpenManager();
  WhenModalReady(ListFilled, [](QWidget& dialog) {
    dialog.findChild<QListWidget*>("sourceList")->setCurrentRow(1);
    dialog.findChild<QPushButton*>("cancelButton")->click();
  });

  TW_IDENTITY chosen{};
  EXPECT_EQ(session.Manager(DAT_IDENTITY, MSG_USERSELECT, &chosen), TWRC_CANCEL);
  EXPECT_EQ(DsmSettings::DefaultDevice(), "test:0");
}

TEST(SourceScanWindow, ScanButtonStartsTheBatch) {
  UseSaneTestBackend();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  QWidget* window = OpenScanWindow(session);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(session.WaitForMessage(std::chrono::milliseconds(200)).has_value());

  window->findChild<QPushButton*>("scanButton")->click();

  EXPECT_EQ(session.WaitForMessage(), MSG_XFERREADY);
  FreePages(session.TransferAll());

  // After the batch the window stays for the next one until the source is disabled.
  QTest::qWait(100);
  ASSERT_EQ(VisibleScanWindow(), window);
  auto* scan = window->findChild<QPushButton*>("scanButton");
  ASSERT_TRUE(scan->isEnabled());
  scan->click();
  EXPECT_EQ(session.WaitForMessage(), MSG_XFERREADY);
  FreePages(session.TransferAll());
  EXPECT_EQ(session.Disable(), TWRC_SUCCESS);
  EXPECT_EQ(VisibleScanWindow(), nullptr);
}

TEST(SourceScanWindow, FeederChosenThereIsUsedAndRemembered) {
  UseSaneTestBackend();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  QWidget* window = OpenScanWindow(session, [&] { session.Configure(TWPT_GRAY, 30); });
  ASSERT_NE(window, nullptr);
  auto* sources = window->findChild<QComboBox*>("scanSourceCombo");
  ASSERT_EQ(sources->count(), 2);
  sources->setCurrentText("Automatic Document Feeder");

  window->findChild<QPushButton*>("scanButton")->click();

  ASSERT_EQ(session.WaitForMessage(), MSG_XFERREADY);
  const auto transfers = session.TransferAll();
  EXPECT_EQ(transfers.size(), 10u);
  FreePages(transfers);
  EXPECT_EQ(DsmSettings::ScanSource("test:0"), "Automatic Document Feeder");
}

TEST(SourceScanWindow, CancelAsksToCloseTheSource) {
  UseSaneTestBackend();
  TwainSession session(std::make_shared<ScriptedSaneApi>());
  QWidget* window = OpenScanWindow(session);
  ASSERT_NE(window, nullptr);

  window->findChild<QPushButton*>("cancelButton")->click();

  EXPECT_EQ(session.WaitForMessage(), MSG_CLOSEDSREQ);
  EXPECT_EQ(session.Disable(), TWRC_SUCCESS);
  EXPECT_EQ(session.Manager(DAT_IDENTITY, MSG_CLOSEDS, &session.source), TWRC_SUCCESS);
}

}  // namespace
