// The main window end to end, offscreen, over the fake scanner manager.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "MainWindowFixture.h"
#include "ModalDialogs.h"
#include "RecordingShell.h"
#include "ScriptedPrompt.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "settings/AppSettings.h"
#include "settings/PerFolderPreferences.h"
#include "settings/SizeCaption.h"
#include "tree/CTreeFileCtrl.h"
#include "tree/TreeCommand.h"

namespace {

namespace fs = std::filesystem;

int CountFolders(const std::string& root) {
  int count = 0;
  for (const auto& entry : fs::recursive_directory_iterator(root))
    count += entry.is_directory() ? 1 : 0;
  return count;
}

class MainWindowTest : public MainWindowFixture {};

TEST_F(MainWindowTest, OpensWithEveryControlAndTheDefaultSourceInTheTitle) {
  CFoliantDlg& window = StartWindow();

  EXPECT_EQ(window.windowTitle(), "Docketeer - Fake Flatbed");
  EXPECT_TRUE(Find<QPushButton>("scanButton")->isDefault());
  EXPECT_EQ(Find<QPushButton>("scanButton")->text(), "SCAN &NOW!");
  EXPECT_FALSE(Find<QCheckBox>("showScannerUiCheck")->isVisible());
  EXPECT_EQ(Find<QComboBox>("destinationFormatCombo")->count(), 25);
  EXPECT_EQ(Find<QListWidget>("documentSizeList")->item(0)->text(), "A4");  // sorted by name
  EXPECT_EQ(Find<CTreeFileCtrl>("destinationTree")->GetRoot() + "/", DocumentsRoot());
  EXPECT_FALSE(window.windowIcon().isNull());
  // The icon's pictures are compiled in: a missing one would give an empty pixmap.
  for (int size : {16, 48, 256}) {
    const QImage picture = window.windowIcon().pixmap(QSize(size, size)).toImage();
    ASSERT_EQ(picture.size(), QSize(size, size)) << size;
    EXPECT_EQ(qAlpha(picture.pixel(size / 2, size * 3 / 4)), 255) << size;
  }
}

TEST_F(MainWindowTest, DefaultHierarchyIsCreatedOnceAndOnlyForTheDefaultRoot) {
  const std::string other = TempFolder() + "other-archive/";
  AppSettings().SetArchiveRootFolder(other);
  StartWindow();
  CloseWindow();
  EXPECT_FALSE(FileExists(RemoveTrailingSeparator(other)));
  EXPECT_FALSE(FileExists(RemoveTrailingSeparator(DocumentsRoot())));

  QSettings().remove("Settings/ArchiveRootFolder");
  StartWindow();
  CloseWindow();
  const std::string root = DocumentsRoot();
  EXPECT_EQ(CountFolders(root), 292);
  EXPECT_TRUE(fs::is_directory(root + "Houses/House 2 (right click to change)/Mortgages and Loans/"
                                      "Loan 3 (right click to change)/Statements"));

  // An existing root is the user's own: nothing comes back.
  fs::remove_all(root + "Houses");
  StartWindow();
  EXPECT_FALSE(FileExists(root + "Houses"));
}

TEST_F(MainWindowTest, ChoosingAFolderShowsItsChoices) {
  struct Case {
    const char* storedSize;
    int storedWidth;
    const char* shownEntry;  // the list's selection
    int width;               // what the document size becomes
    int height;
  };
  const Case cases[] = {
      {"Letter", 1000, "Letter", 8500, 11000},    // the catalogue's dimensions win
      {"check", 6000, "Check", 6000, 2750},       // names match in any case
      {"Legal (gone)", 8500, "A4", 8268, 11693},  // unknown: the first entry
  };
  auto folderOf = [](const Case& c) { return DocumentsRoot() + "Bank/" + c.storedSize + "/"; };
  for (const Case& c : cases) {
    MakeFolder(folderOf(c));
    FolderChoices stored;
    stored.format = {RecurrenceType::Quarter, ItemType::NoItem, RelationType::BlankRelation,
                     IndexType::YearQuarter};
    stored.lastDestination = "Quarter 2012 Q4";
    stored.multiPage = true;
    stored.rotateNinety = true;
    stored.documentSize = DocumentSize(c.storedSize, c.storedWidth, 4000);
    PerFolderPreferences(folderOf(c)).WriteAll(stored);
  }
  StartWindow();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.storedSize);
    const std::string folder = folderOf(c);
    SelectInTree(folder);

    EXPECT_EQ(Find<QComboBox>("destinationFormatCombo")->currentText(), "Quarter yyyy Qn");
    EXPECT_EQ(Find<QLineEdit>("destinationNameEdit")->text(), "Quarter 2013 Q1");
    EXPECT_TRUE(Find<QCheckBox>("multiPageCheck")->isChecked());
    EXPECT_TRUE(Find<QCheckBox>("rotateNinetyCheck")->isChecked());
    EXPECT_EQ(Find<QListWidget>("documentSizeList")->currentItem()->text(), c.shownEntry);
    const ScanChoices choices = Window().Choices();
    EXPECT_EQ(choices.destinationFolder, folder);
    EXPECT_EQ(choices.documentSize, DocumentSize(c.storedSize, c.width, c.height));
    EXPECT_EQ(Find<QLabel>("documentSizeLabel")->text().toStdString(),
              SizeCaption(choices.documentSize, AppSettings().GetUnits()));
  }
}

// The clean-up boxes are the folder's own; a folder that never chose takes
// the defaults for new folders, and what the window shows it saves.
TEST_F(MainWindowTest, CleanupBoxesFollowTheFolderAndNewFoldersTakeTheDefaults) {
  AppSettings().SetNewFolderCleanup({true, false, true});
  const std::string chosen = DocumentsRoot() + "Chosen/";
  const std::string fresh = DocumentsRoot() + "Fresh/";
  MakeFolder(chosen);
  MakeFolder(fresh);
  FolderChoices stored;
  stored.cleanup = {false, true, false};
  PerFolderPreferences(chosen).WriteAll(stored);
  StartWindow();
  const auto shown = [this] {
    return CleanupChoices{Find<QCheckBox>("skipBlankCheck")->isChecked(),
                          Find<QCheckBox>("uprightCheck")->isChecked(),
                          Find<QCheckBox>("deskewCheck")->isChecked()};
  };

  SelectInTree(chosen);
  EXPECT_EQ(shown(), (CleanupChoices{false, true, false}));
  SelectInTree(fresh);
  EXPECT_EQ(shown(), (CleanupChoices{true, false, true}));

  Find<QCheckBox>("uprightCheck")->setChecked(true);
  Window().ReadControls();
  EXPECT_EQ(Window().Choices().cleanup, (CleanupChoices{true, true, true}));
  Window().SaveFolderPreferences();
  EXPECT_EQ(PerFolderPreferences(fresh).ReadAll().cleanup, (CleanupChoices{true, true, true}));
}

TEST_F(MainWindowTest, AnotherFormatReplacesTheTypedName) {
  StartWindow();
  auto* name = Find<QLineEdit>("destinationNameEdit");
  auto* formats = Find<QComboBox>("destinationFormatCombo");
  name->setText("typed by hand");
  const int yearly = formats->count() - 1;

  formats->setCurrentIndex(yearly);

  EXPECT_EQ(name->text(),
            QString::fromStdString(AppSettings::OfferedNameFormats().at(yearly).NextName("")));
  EXPECT_EQ(Window().Choices().destinationName, name->text().toStdString());
}

TEST_F(MainWindowTest, AFileSelectedInTheTreeMakesItsFolderTheDestination) {
  const std::string folder = DocumentsRoot() + "Taxes/";
  MakeFolder(folder);
  std::ofstream(folder + "2012 Return.pdf") << "%PDF-1.4\n";
  StartWindow();

  SelectInTree(folder + "2012 Return.pdf");

  EXPECT_EQ(Window().GetDestinationFolder(), folder);
  EXPECT_EQ(Window().GetDocumentFolder(),
            folder + Find<QLineEdit>("destinationNameEdit")->text().toStdString() + "/");
}

TEST_F(MainWindowTest, AStoredPositionPastTheRightEdgeComesBackOnScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  QSettings settings;
  settings.setValue("Settings/XPosition", area.right() + 500);
  settings.setValue("Settings/YPosition", area.top() + 10);
  settings.sync();

  CFoliantDlg& window = StartWindow();

  const QRect frame = window.frameGeometry();
  EXPECT_EQ(frame.right(), area.right());
  EXPECT_EQ(frame.top(), area.top() + 10);
  // What the window closes with is where it opens next time.
  window.move(area.left() + 20, area.top() + 30);
  CloseWindow();
  EXPECT_EQ(QSettings().value("Settings/XPosition").toInt(), area.left() + 20);
  EXPECT_EQ(QSettings().value("Settings/YPosition").toInt(), area.top() + 30);
}

TEST_F(MainWindowTest, AdvancedSettingsTakesBackOnOkAndNothingOnCancel) {
  StartWindow();
  const std::string catalogue = DocumentSizesPath();
  fs::remove(catalogue);  // an unchanged catalogue is not rewritten

  WhenModalShown([](QWidget& dialog) {
    dialog.findChild<QCheckBox*>("viewAfterSavingCheck")->setChecked(false);
    static_cast<QDialog&>(dialog).reject();
  });
  Find<QPushButton>("advancedSettingsButton")->click();
  EXPECT_TRUE(Window().Choices().viewAfterSaving);
  EXPECT_FALSE(QSettings().contains("Settings/ViewAfterSaving"));

  WhenModalShown([](QWidget& dialog) {
    dialog.findChild<QCheckBox*>("viewAfterSavingCheck")->setChecked(false);
    static_cast<QDialog&>(dialog).accept();
  });
  Find<QPushButton>("advancedSettingsButton")->click();
  EXPECT_FALSE(Window().Choices().viewAfterSaving);
  EXPECT_FALSE(AppSettings().GetViewAfterSaving());
  EXPECT_FALSE(FileExists(catalogue));
}

TEST_F(MainWindowTest, SelectSourceShowsTheChosenScannerInTheTitle) {
  CFoliantDlg& window = StartWindow();

  Find<QPushButton>("selectSourceButton")->click();

  EXPECT_EQ(window.windowTitle(), "Docketeer - Fake Feeder");
}

TEST_F(MainWindowTest, AFailedSourceSelectionKeepsTheProgramAndTheSource) {
  CFoliantDlg& window = StartWindow();
  Script().Fail("UserSelect");
  ScriptedPrompt prompt;

  Find<QPushButton>("selectSourceButton")->click();

  ASSERT_EQ(prompt.asked.size(), 1);
  EXPECT_EQ(prompt.asked[0].id, PromptId::ScannerError);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), "Docketeer - Fake Flatbed");
  Script().fixedCodes.clear();
  Find<QPushButton>("selectSourceButton")->click();
  EXPECT_EQ(window.windowTitle(), "Docketeer - Fake Feeder");
}

TEST_F(MainWindowTest, AScannerThatCannotStartLeavesTheWindowOpen) {
  Script().Fail("OpenDsm");
  ScriptedPrompt prompt;

  CFoliantDlg& window = StartWindow();

  ASSERT_EQ(prompt.asked.size(), 1);
  EXPECT_EQ(prompt.asked[0].id, PromptId::ScannerInitError);
  EXPECT_TRUE(window.isVisible());
  EXPECT_EQ(window.windowTitle(), "Docketeer");
  // Choosing a scanner then is refused with a message, not a crash.
  prompt.asked.clear();
  Find<QPushButton>("selectSourceButton")->click();
  ASSERT_EQ(prompt.asked.size(), 1);
  EXPECT_EQ(prompt.asked[0].id, PromptId::ScannerError);
}

TEST_F(MainWindowTest, EnterScansUnlessATreeNameIsBeingEditedAndEscapeCloses) {
  const std::string folder = DocumentsRoot() + "Utilities/";
  MakeFolder(folder);
  CFoliantDlg& window = StartWindow();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  SelectInTree(folder);
  auto* tree = Find<CTreeFileCtrl>("destinationTree");

  tree->RunCommand(TreeCommand::Rename);
  RunPostedEvents();
  auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(tree->isAncestorOf(editor));
  editor->setText("Water");
  QTest::keyClick(editor, Qt::Key_Return);
  RunPostedEvents();

  EXPECT_TRUE(fs::is_directory(DocumentsRoot() + "Water"));
  EXPECT_TRUE(Script().userInterfaces.empty());
  EXPECT_TRUE(window.isVisible());

  QTest::keyClick(Find<QLineEdit>("destinationNameEdit"), Qt::Key_Return);
  EXPECT_EQ(Script().userInterfaces.size(), 1u);

  // Escape first stops the scan under way, then closes the window.
  QTest::keyClick(Find<QListWidget>("documentSizeList"), Qt::Key_Escape);
  RunPostedEvents();
  EXPECT_TRUE(window.isVisible());
  EXPECT_FALSE(window.Workflow().IsScanning());
  QTest::keyClick(Find<QListWidget>("documentSizeList"), Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.result(), QDialog::Rejected);
}

TEST_F(MainWindowTest, HelpThatCannotBeOpenedSaysSo) {
  StartWindow();
  RecordingShell shell;
  shell.succeeds = false;
  ScriptedPrompt prompt;

  Find<QPushButton>("helpButton")->click();

  ASSERT_EQ(prompt.asked.size(), 1);
  EXPECT_EQ(prompt.asked[0].text, "Failed to launch help.");
}

}  // namespace
