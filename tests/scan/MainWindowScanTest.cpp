// Documents scanned through the real main window over the fake manager.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "MainWindowFixture.h"
#include "RecordingShell.h"
#include "ScriptedPrompt.h"
#include "core/Paths.h"
#include "scan/ScanNextPageDlg.h"
#include "scan/ScanStatusLine.h"
#include "settings/AppSettings.h"
#include "settings/PerFolderPreferences.h"
#include "tree/CTreeFileCtrl.h"

namespace {

namespace fs = std::filesystem;

class MainWindowScanTest : public MainWindowFixture {
 protected:
  // Scans that deliver one page each.
  void ScriptOnePageScans(int scans) {
    AddPages(scans);
    for (int i = 0; i < scans; ++i)
      Script().pendingCounts.push_back(0);
    Script().eventsOnEnable = {MSG_XFERREADY};
  }
};

TEST_F(MainWindowScanTest, APeriodFolderProposesTheNextNameAfterEachDocument) {
  struct Case {
    const char* folder;
    FileNameFormat format;
    const char* last;
    const char* file;
    const char* next;
  };
  const Case cases[] = {
      {"Bank/Quarterly/",
       {RecurrenceType::Quarter, ItemType::NoItem, RelationType::BlankRelation,
        IndexType::YearQuarter},
       "Quarter 2012 Q4",
       "Quarter 2013 Q1.pdf",
       "Quarter 2013 Q2"},
      {"Bank/Monthly/",
       {RecurrenceType::Month, ItemType::NoItem, RelationType::Ending, IndexType::YearMonthDay},
       "Month Ending 2012-12-31",
       "Month Ending 2013-01-31.pdf",
       "Month Ending 2013-02-28"},
  };
  for (const Case& c : cases) {
    MakeFolder(DocumentsRoot() + c.folder);
    FolderChoices stored;
    stored.format = c.format;
    stored.lastDestination = c.last;
    PerFolderPreferences(DocumentsRoot() + c.folder).WriteAll(stored);
  }
  AppSettings().SetUpdateDestinationAfterScanning(true);
  AppSettings().SetFileFormatType(FileFormatType::PdfCompressed);
  StartWindow();
  AnswerNextPage({});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    ScriptOnePageScans(1);
    ScriptedPrompt prompt;
    SelectInTree(DocumentsRoot() + c.folder);
    PressScan();
    EXPECT_TRUE(fs::exists(DocumentsRoot() + c.folder + c.file));
    EXPECT_EQ(Find<QLineEdit>("destinationNameEdit")->text().toStdString(), c.next);
    EXPECT_EQ(PerFolderPreferences(DocumentsRoot() + c.folder).ReadAll().lastDestination,
              fs::path(c.file).stem().string());
    EXPECT_TRUE(prompt.asked.isEmpty());
    EXPECT_FALSE(fs::exists(DocumentsRoot() + c.folder + fs::path(c.file).stem().string()));
  }
}

// Documents another process filed while the window showed its proposal: the
// window's scan moves on past them and leaves them as they are.
TEST_F(MainWindowScanTest, TheProposedNameMovesOnPastDocumentsFiledMeanwhile) {
  const std::string folder = DocumentsRoot() + "Fax/";
  MakeFolder(folder);
  FolderChoices stored;
  stored.format = {RecurrenceType::Sequential, ItemType::Item, RelationType::BlankRelation,
                   IndexType::Counter4};
  stored.lastDestination = "Item 0007";
  PerFolderPreferences(folder).WriteAll(stored);
  AppSettings().SetUpdateDestinationAfterScanning(true);
  AppSettings().SetFileFormatType(FileFormatType::PdfCompressed);
  StartWindow();
  AnswerNextPage({});
  SelectInTree(folder);
  ASSERT_EQ(Find<QLineEdit>("destinationNameEdit")->text(), "Item 0008");
  for (const char* name : {"Item 0008.pdf", "Item 0009.pdf"})
    std::ofstream(folder + name) << "filed elsewhere";
  stored.lastDestination = "Item 0009";
  PerFolderPreferences(folder).WriteAll(stored);
  ScriptOnePageScans(1);
  ScriptedPrompt prompt;
  PressScan();
  EXPECT_TRUE(prompt.asked.isEmpty());
  EXPECT_GT(fs::file_size(folder + "Item 0010.pdf"), 0u);
  EXPECT_EQ(fs::file_size(folder + "Item 0008.pdf"), std::string("filed elsewhere").size());
  EXPECT_EQ(PerFolderPreferences(folder).ReadLastDestination(), "Item 0010");
  EXPECT_EQ(Find<QLineEdit>("destinationNameEdit")->text(), "Item 0011");
}

TEST_F(MainWindowScanTest, AThreePageJpegDocumentKeepsItsFolderWithTheNextPageName) {
  const std::string folder = DocumentsRoot() + "Receipts/";
  MakeFolder(folder);
  FolderChoices stored;
  stored.multiPage = true;
  stored.lastDestination = "Month Ending 2012-12-31";
  PerFolderPreferences(folder).WriteAll(stored);
  AppSettings().SetFileFormatType(FileFormatType::Jpeg);
  StartWindow();
  AnswerNextPage({SCAN_NEXT_PAGE, SCAN_NEXT_PAGE, DONE_SCANNING});
  ScriptOnePageScans(3);
  ScriptedPrompt prompt;
  SelectInTree(folder);
  PressScan();
  const std::string document = folder + "Month Ending 2013-01-31/";
  for (const char* page : {"Page 001.jpg", "Page 002.jpg", "Page 003.jpg"})
    EXPECT_TRUE(fs::exists(document + page)) << page;
  // The page folder proposes the page after the last it holds.
  EXPECT_EQ(PerFolderPreferences(document).ReadAll().lastDestination, "Page 003");
  EXPECT_EQ(PerFolderPreferences(folder).ReadAll().lastDestination, "Month Ending 2013-01-31");
  EXPECT_TRUE(prompt.asked.isEmpty());
}

// Picking the folder with the keyboard and pressing Enter in the tree scans
// into it; on a file Enter still opens it and Alt+Enter shows its properties.
TEST_F(MainWindowScanTest, EnterInTheTreeScansIntoAFolderAndOpensAFile) {
  const std::string folder = DocumentsRoot() + "Receipts/";
  MakeFolder(folder);
  std::ofstream(folder + "Old.pdf") << "%PDF-1.4\n";
  AppSettings().SetFileFormatType(FileFormatType::Png);
  AppSettings().SetUseDefaultViewer(true);
  StartWindow();
  AnswerNextPage({});
  ScriptOnePageScans(1);
  ScriptedPrompt prompt;
  RecordingShell shell;
  auto* tree = Find<CTreeFileCtrl>("destinationTree");

  SelectInTree(folder);
  const std::string name = Find<QLineEdit>("destinationNameEdit")->text().toStdString();
  QTest::keyClick(tree, Qt::Key_Return);
  WaitForScanEnd();
  EXPECT_TRUE(fs::exists(folder + name + ".png"));
  EXPECT_TRUE(prompt.asked.isEmpty());

  SelectInTree(folder + "Old.pdf");
  QTest::keyClick(tree, Qt::Key_Return);
  RunPostedEvents();
  QTest::keyClick(tree, Qt::Key_Return, Qt::AltModifier);
  RunPostedEvents();
  const QString file = QString::fromStdString(folder + "Old.pdf");
  EXPECT_EQ(shell.calls, QStringList({"OpenUrl " + QUrl::fromLocalFile(file).toString(),
                                      "ShowProperties " + file}));
  EXPECT_FALSE(Window().Workflow().IsScanning());
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3)
      << "the document, Old.pdf and the folder's preferences, and no second scan";
  EXPECT_TRUE(prompt.asked.isEmpty());
}

// During a scan SCAN NOW! is Stop; Stop ends the scan through the scanner, the
// status line says so, and the buttons below never move whatever it says.
TEST_F(MainWindowScanTest, StopEndsTheScanAndTheStatusLineMovesNothing) {
  const std::string folder = DocumentsRoot() + "Receipts/";
  MakeFolder(folder);
  MakeFolder(DocumentsRoot() + "Other/");
  AppSettings().SetFileFormatType(FileFormatType::Png);
  StartWindow();
  AnswerNextPage({});
  ScriptOnePageScans(1);
  ScriptedPrompt prompt;
  auto* scan = Find<QPushButton>("scanButton");
  auto* help = Find<QPushButton>("helpButton");
  auto* status = Find<ScanStatusLine>("scanStatus");
  const QRect helpAt = help->geometry();
  SelectInTree(folder);

  PressScan();
  EXPECT_TRUE(status->text().startsWith("Saved <a href=")) << status->text().toStdString();
  EXPECT_EQ(help->geometry(), helpAt);
  SelectInTree(DocumentsRoot() + "Other/");
  EXPECT_TRUE(status->text().isEmpty());

  // A scan whose scanner never offers a page: it runs until stopped.
  Script().eventsOnEnable.clear();
  SelectInTree(folder);
  scan->click();
  ASSERT_TRUE(Window().Workflow().IsScanning());
  EXPECT_EQ(scan->text(), "&Stop");
  EXPECT_TRUE(status->text().startsWith("Scanning page 1")) << status->text().toStdString();
  scan->click();
  WaitForScanEnd();
  EXPECT_FALSE(Window().Workflow().IsScanning());
  EXPECT_EQ(scan->text(), "SCAN &NOW!");
  EXPECT_EQ(status->text(), "Scan stopped");
  EXPECT_EQ(help->geometry(), helpAt);
  EXPECT_TRUE(prompt.asked.isEmpty());
}

}  // namespace
