#include "MainWindowFixture.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTimer>
#include <filesystem>

#include "core/Paths.h"
#include "scan/ScanNextPageDlg.h"
#include "settings/AppSettings.h"
#include "settings/DocumentSizeCatalogue.h"
#include "tree/CTreeFileCtrl.h"

void MainWindowFixture::SetUp() {
  FakeDsmFixture::SetUp();
  QSettings().clear();
  std::filesystem::remove_all(RemoveTrailingSeparator(AppSettings::DefaultArchiveRootFolder()));
  ASSERT_TRUE(SaveDocumentSizes({{"Letter", 8500, 11000},
                                 {"A4", 8268, 11693},
                                 {"Business Card", 3500, 2000},
                                 {"Check", 6000, 2750}}));
}

void MainWindowFixture::TearDown() {
  CloseWindow();
  FakeDsmFixture::TearDown();
}

CFoliantDlg& MainWindowFixture::StartWindow() {
  window_ = std::make_unique<CFoliantDlg>();
  window_->show();
  RunPostedEvents();
  return *window_;
}

void MainWindowFixture::CloseWindow() {
  if (!window_)
    return;
  window_->reject();
  window_.reset();
  RunPostedEvents();
}

void MainWindowFixture::SelectInTree(const std::string& path) {
  auto* tree = Find<CTreeFileCtrl>("destinationTree");
  tree->SelectPath(RemoveTrailingSeparator(path), false);
  RunPostedEvents();
  ASSERT_EQ(tree->GetSelectedPath(), RemoveTrailingSeparator(path));
}

void MainWindowFixture::AnswerNextPage(std::vector<int> choices) {
  choices_ = std::move(choices);
  ScanWorkflowSeams seams;
  seams.chooseNextPage = [this](int) {
    const int choice = choices_.empty() ? static_cast<int>(DONE_SCANNING) : choices_.front();
    if (!choices_.empty())
      choices_.erase(choices_.begin());
    return choice;
  };
  seams.viewFile = [](const std::string&, bool) {};
  Window().SetScanWorkflowSeams(std::move(seams));
}

void MainWindowFixture::PressScan() {
  Find<QPushButton>("scanButton")->click();
  WaitForScanEnd();
}

void MainWindowFixture::WaitForScanEnd() {
  QElapsedTimer timer;
  timer.start();
  while (Window().Workflow().IsScanning() && timer.elapsed() < 120000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  RunPostedEvents();
  ASSERT_FALSE(Window().Workflow().IsScanning());
}

std::string MainWindowFixture::DocumentsRoot() {
  return AppSettings::DefaultArchiveRootFolder();
}

void MainWindowFixture::MakeFolder(const std::string& path) {
  std::filesystem::create_directories(path);
}
