#pragma once

#include <QApplication>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FakeDsmFixture.h"
#include "scan/CFoliantDlg.h"

// Starts the real main window offscreen over the fake scanner manager, with
// fresh settings, an empty documents folder and a small size catalogue.
class MainWindowFixture : public FakeDsmFixture {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Shows the window (which initialises it) and lets its events run.
  CFoliantDlg& StartWindow();
  CFoliantDlg& Window() { return *window_; }
  void CloseWindow();

  template <typename Widget>
  Widget* Find(const char* name) {
    Widget* widget = window_->findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  // Selects a path in the tree as a click would.
  void SelectInTree(const std::string& path);

  // The next-page dialog answers from `choices` (then DONE_SCANNING); viewing does nothing.
  void AnswerNextPage(std::vector<int> choices);
  // Presses SCAN NOW! and runs the events until the scan has ended.
  void PressScan();
  // Runs the events until the scan in progress, if any, has ended.
  void WaitForScanEnd();

  // Runs `act` on the next modal dialog once it is shown.

  static std::string DocumentsRoot();
  static void MakeFolder(const std::string& path);

 private:
  std::unique_ptr<CFoliantDlg> window_;
  std::vector<int> choices_;
};
