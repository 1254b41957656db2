// The main window over our own manager library and SANE's test backend.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLabel>

#include "SaneTestConfig.h"
#include "ScriptedPrompt.h"
#include "scan/CFoliantDlg.h"
#include "settings/AppSettings.h"

namespace {

void RunEvents() {
  for (int round = 0; round < 3; ++round)
    QCoreApplication::processEvents();
}

TEST(MainWindowOverSane, OpensWithTheTestScannerChosen) {
  UseSaneTestBackend();
  ScriptedPrompt prompt;
  CFoliantDlg window;
  window.show();
  RunEvents();

  EXPECT_TRUE(prompt.asked.isEmpty());
  EXPECT_TRUE(window.windowTitle().startsWith("Docketeer - "))
      << window.windowTitle().toStdString();
  EXPECT_FALSE(window.findChild<QLabel*>("documentSizeLabel")->text().isEmpty());
  window.reject();
}

}  // namespace
