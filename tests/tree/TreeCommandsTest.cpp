#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <filesystem>

#include "RecordingShell.h"
#include "ScriptedPrompt.h"
#include "TreeFixture.h"

namespace {

namespace fs = std::filesystem;

class TreeCommandsTest : public TreeFixture {
 protected:
  void SetUp() override {
    TreeFixture::SetUp();
    tree_->SetAllowDelete(true);
    tree_->SetAllowRename(true);
  }
  // Lets posted commands and deferred work run.
  static void Settle() {
    for (int i = 0; i < 3; ++i)
      QCoreApplication::processEvents();
  }
  QLineEdit* Editor() const { return tree_->findChild<QLineEdit*>(); }
  void TypeLabel(const QString& text) {
    QLineEdit* editor = Editor();
    ASSERT_NE(editor, nullptr);
    editor->setText(text);
    QTest::keyClick(editor, Qt::Key_Return);
    Settle();
  }
  std::map<TreeCommand, bool> EnabledCommands() const {
    std::map<TreeCommand, bool> enabled;
    for (TreeCommand command :
         {TreeCommand::Open, TreeCommand::Rename, TreeCommand::Delete, TreeCommand::NewSubfolder,
          TreeCommand::CombineToTiff, TreeCommand::ConvertToPdfCompressed, TreeCommand::ExploreHere,
          TreeCommand::Properties})
      enabled[command] = tree_->IsCommandEnabled(command);
    return enabled;
  }
  RecordingShell shell_;
};

TEST_F(TreeCommandsTest, ContextMenuHasItsEntriesInOrder) {
  tree_->SetRoot(root_);
  std::unique_ptr<QMenu> menu(tree_->CreateContextMenu());
  QStringList texts;
  for (QAction* action : menu->actions())
    texts << (action->isSeparator() ? "-" : action->text());
  EXPECT_EQ(texts, (QStringList{"&Open", "&Rename", "&Move to Trash", "-", "New &Subfolder",
                                "&New Root Folder", "-", "&Combine to TIFF",
                                "Con&vert to PDF (compressed)", "Conver&t to PDF (uncompressed)",
                                "-", "&Explore Here", "-", "&Properties"}));
  // Without a selection only New Root Folder is offered.
  for (QAction* action : menu->actions()) {
    if (action->isSeparator())
      continue;
    EXPECT_EQ(action->isEnabled(), action->text() == "&New Root Folder")
        << action->text().toStdString();
  }
}

TEST_F(TreeCommandsTest, RightClickSelectsWhatIsUnderTheCursorAndOpensTheMenu) {
  MakeFile("report.pdf");
  tree_->SetRoot(root_);
  QSignalSpy changes(tree_.get(), &CTreeFileCtrl::selectedPathChanged);
  const auto rightClick = [&](QPoint at) {
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree_->viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree_->viewport(), &event);
    auto* menu = tree_->findChild<QMenu*>("treeContextMenu");
    EXPECT_TRUE(menu != nullptr && menu->isVisible());
    return menu;
  };
  QMenu* menu = rightClick(tree_->visualItemRect(Item("report.pdf")).center());
  EXPECT_EQ(tree_->GetSelectedPath(), Path("report.pdf"));
  menu->close();
  Settle();
  menu = rightClick(QPoint(5, tree_->viewport()->height() - 5));  // below every item
  EXPECT_EQ(tree_->GetSelectedPath(), "");
  EXPECT_EQ(changes.count(), 2);
  menu->close();
  Settle();
}

TEST_F(TreeCommandsTest, ShiftF10OpensTheMenuAndItsEntriesRunTheirCommands) {
  MakeFile("report.pdf");
  tree_->SetRoot(root_);
  Select("report.pdf");
  QTest::keyClick(tree_.get(), Qt::Key_F10, Qt::ShiftModifier);
  auto* menu = tree_->findChild<QMenu*>("treeContextMenu");
  ASSERT_NE(menu, nullptr);
  EXPECT_TRUE(menu->isVisible());
  ScriptedPrompt prompt({PromptAnswer::Yes});  // in case Shift still counts as held
  menu->findChild<QAction*>("deleteAction")->trigger();
  Settle();
  EXPECT_FALSE(fs::exists(Path("report.pdf")));
  EXPECT_EQ(tree_->topLevelItemCount(), 0);
}

TEST_F(TreeCommandsTest, EnablingRulesFollowTheKindOfItem) {
  MakeFolder("folder");
  MakeFile("SCAN.TIF");
  MakeFile("scan.tiff");
  MakeFile("scan.jpg");
  tree_->SetRoot(root_);
  // Open, Rename, Delete, Explore and Properties hold for every kind here;
  // the folder commands and the conversion depend on the kind.
  const auto rules = [](bool folder, bool convertible) {
    using C = TreeCommand;
    return std::map<TreeCommand, bool>{{C::Open, true},
                                       {C::Rename, true},
                                       {C::Delete, true},
                                       {C::NewSubfolder, folder},
                                       {C::CombineToTiff, folder},
                                       {C::ConvertToPdfCompressed, convertible},
                                       {C::ExploreHere, true},
                                       {C::Properties, true}};
  };
  struct Case {
    const char* item;
    std::map<TreeCommand, bool> enabled;
  } cases[] = {
      {"folder", rules(true, false)},
      {"SCAN.TIF", rules(false, true)},
      {"scan.tiff", rules(false, false)},
      {"scan.jpg", rules(false, false)},
  };
  for (const Case& c : cases) {
    Select(c.item);
    EXPECT_EQ(EnabledCommands(), c.enabled) << c.item;
  }
}

TEST_F(TreeCommandsTest, DrivesAndFallbackNodesCannotBeRenamedOrDeleted) {
  tree_->SetRoot("");
  tree_->setCurrentItem(tree_->ComputerNode());
  EXPECT_FALSE(tree_->IsCommandEnabled(TreeCommand::Rename));
  EXPECT_FALSE(tree_->IsCommandEnabled(TreeCommand::Delete));
  tree_->ComputerNode()->setExpanded(true);
  tree_->setCurrentItem(tree_->ComputerNode()->child(0));  // "/"
  EXPECT_FALSE(tree_->IsCommandEnabled(TreeCommand::Rename));
  EXPECT_FALSE(tree_->IsCommandEnabled(TreeCommand::Delete));
  EXPECT_TRUE(tree_->IsCommandEnabled(TreeCommand::NewSubfolder));
  tree_->setCurrentItem(tree_->NetworkNode());
  EXPECT_FALSE(tree_->IsCommandEnabled(TreeCommand::Open));
  EXPECT_FALSE(tree_->IsCommandEnabled(TreeCommand::Rename));
}

TEST_F(TreeCommandsTest, ForwardedCommandsReachTheMainWindowAsSignals) {
  MakeFolder("folder");
  MakeFile("scan.tif");
  tree_->SetRoot(root_);
  QSignalSpy combine(tree_.get(), &CTreeFileCtrl::combineToTiffRequested);
  QSignalSpy explore(tree_.get(), &CTreeFileCtrl::exploreRequested);
  QSignalSpy compressed(tree_.get(), &CTreeFileCtrl::convertToCompressedPdfRequested);
  QSignalSpy uncompressed(tree_.get(), &CTreeFileCtrl::convertToUncompressedPdfRequested);
  Select("folder");
  tree_->RunCommand(TreeCommand::CombineToTiff);
  tree_->RunCommand(TreeCommand::ConvertToPdfCompressed);  // greyed for a folder: ignored
  tree_->RunCommand(TreeCommand::ExploreHere);
  Select("scan.tif");
  tree_->RunCommand(TreeCommand::ConvertToPdfCompressed);
  tree_->RunCommand(TreeCommand::ConvertToPdfUncompressed);
  EXPECT_EQ(combine.count(), 1);
  EXPECT_EQ(explore.count(), 1);
  EXPECT_EQ(compressed.count(), 1);
  EXPECT_EQ(uncompressed.count(), 1);
}

TEST_F(TreeCommandsTest, KeysPostTheirCommands) {
  MakeFile("year/jan.pdf");
  tree_->SetRoot(root_);
  Expand("year");
  Select("year/jan.pdf");
  QSignalSpy open(tree_.get(), &CTreeFileCtrl::openRequested);
  QTest::keyClick(tree_.get(), Qt::Key_Return);
  Settle();
  EXPECT_EQ(open.count(), 1);
  QTest::keyClick(tree_.get(), Qt::Key_Return, Qt::AltModifier);
  Settle();
  EXPECT_EQ(shell_.calls,
            QStringList{"ShowProperties " + QString::fromStdString(Path("year/jan.pdf"))});
  QTest::keyClick(tree_.get(), Qt::Key_Backspace);
  EXPECT_EQ(tree_->GetSelectedPath(), Path("year"));
  QTest::keyClick(tree_.get(), Qt::Key_Return);  // a folder's Enter is the window's
  Settle();
  EXPECT_EQ(open.count(), 1);
  QTest::keyClick(tree_.get(), Qt::Key_Left, Qt::AltModifier);
  Settle();
  EXPECT_EQ(tree_->GetSelectedPath(), Path("year/jan.pdf"));
  QTest::keyClick(tree_.get(), Qt::Key_Right, Qt::AltModifier);
  Settle();
  EXPECT_EQ(tree_->GetSelectedPath(), Path("year"));
  MakeFile("new.pdf");
  QTest::keyClick(tree_.get(), Qt::Key_F5);
  Settle();
  EXPECT_NE(Item("new.pdf"), nullptr);
  EXPECT_EQ(tree_->GetSelectedPath(), Path("year"));
}

TEST_F(TreeCommandsTest, KeysGoToTheLabelWhileItIsEdited) {
  MakeFile("report.pdf");
  tree_->SetRoot(root_);
  Select("report.pdf");
  QTest::keyClick(tree_.get(), Qt::Key_F2);
  Settle();
  QLineEdit* editor = Editor();
  ASSERT_NE(editor, nullptr);
  editor->setCursorPosition(0);
  QTest::keyClick(editor, Qt::Key_Delete);
  Settle();
  EXPECT_EQ(editor->text(), "eport.pdf");
  EXPECT_TRUE(fs::exists(Path("report.pdf")));
  QTest::keyClick(editor, Qt::Key_Escape);
  Settle();
  EXPECT_TRUE(fs::exists(Path("report.pdf")));
  EXPECT_EQ(Item("report.pdf")->text(0), "report.pdf");
}

TEST_F(TreeCommandsTest, DoubleClickOpensFilesAndOnlyExpandsFoldersWithChildren) {
  MakeFile("year/jan.pdf");
  MakeFile("report.pdf");
  tree_->SetRoot(root_);
  QSignalSpy open(tree_.get(), &CTreeFileCtrl::openRequested);
  for (const char* name : {"report.pdf", "year"}) {
    Select(name);
    const QPoint centre = tree_->visualItemRect(Item(name)).center();
    // What the desktop delivers: a click, then the double click and its release.
    QTest::mouseClick(tree_->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(tree_->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseRelease(tree_->viewport(), Qt::LeftButton, {}, centre);
    Settle();
  }
  EXPECT_EQ(open.count(), 1);
  EXPECT_TRUE(Item("year")->isExpanded());
}

TEST_F(TreeCommandsTest, RenameChangesTheNameOnDiskAndTheLabel) {
  MakeFile("year/report.pdf");
  tree_->SetRoot(root_);
  Select("year");
  ASSERT_TRUE(tree_->Rename(Item("year")));
  TypeLabel("2009");
  EXPECT_TRUE(fs::exists(Path("2009/report.pdf")));
  QTreeWidgetItem* renamed = Item("2009");
  ASSERT_NE(renamed, nullptr);
  EXPECT_EQ(renamed->text(0), "2009");
  EXPECT_EQ(tree_->GetSelectedPath(), Path("2009"));
}

TEST_F(TreeCommandsTest, RenamedFolderTakesItsLoadedChildrenAlong) {
  MakeFile("year/report.pdf");
  tree_->SetRoot(root_);
  Expand("year");
  tree_->Rename(Item("year"));
  TypeLabel("2009");
  QTreeWidgetItem* child = Item("2009/report.pdf");
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(tree_->ItemPath(child), Path("2009/report.pdf"));
  tree_->ResyncAll();
  EXPECT_NE(Item("2009/report.pdf"), nullptr);
}

TEST_F(TreeCommandsTest, RenameWithASeparatorIsRefusedWithTheSyntaxMessage) {
  MakeFile("report.pdf");
  tree_->SetRoot(root_);
  ScriptedPrompt prompt;
  for (const char* text : {"a\\b", "a/b"}) {
    tree_->Rename(Item("report.pdf"));
    TypeLabel(text);
  }
  ASSERT_EQ(prompt.asked.size(), 2);
  EXPECT_EQ(prompt.asked[0].caption, "Error Renaming File or Folder");
  EXPECT_EQ(prompt.asked[0].text,
            "Cannot rename report.pdf: The filename, directory name, or volume label syntax is "
            "incorrect.");
  EXPECT_EQ(Item("report.pdf")->text(0), "report.pdf");
  EXPECT_TRUE(fs::exists(Path("report.pdf")));
}

TEST_F(TreeCommandsTest, RenameOntoAnExistingNameIsRefusedAndLosesNothing) {
  MakeFile("report.pdf", "report");
  MakeFile("summary.pdf", "summary");
  tree_->SetRoot(root_);
  ScriptedPrompt prompt;
  tree_->Rename(Item("report.pdf"));
  TypeLabel("summary.pdf");
  ASSERT_EQ(prompt.asked.size(), 1);
  EXPECT_TRUE(prompt.asked[0].text.startsWith("Cannot rename report.pdf: "));
  EXPECT_EQ(fs::file_size(Path("report.pdf")), 6u);
  EXPECT_EQ(fs::file_size(Path("summary.pdf")), 7u);
  EXPECT_EQ(Labels(), (QStringList{"report.pdf", "summary.pdf"}));
}

TEST_F(TreeCommandsTest, RenameIsRefusedWhenNotAllowed) {
  MakeFile("report.pdf");
  tree_->SetAllowRename(false);
  tree_->SetRoot(root_);
  EXPECT_FALSE(tree_->Rename(Item("report.pdf")));
  tree_->editItem(Item("report.pdf"));
  EXPECT_EQ(Editor(), nullptr);
}

TEST_F(TreeCommandsTest, DeleteMovesToTheTrashAndRemovesTheItem) {
  MakeFile("year/jan.pdf");
  MakeFolder("other");
  tree_->SetRoot(root_);
  Expand("year");
  Select("year/jan.pdf");
  Select("year");
  QTest::keyClick(tree_.get(), Qt::Key_Delete);
  Settle();
  EXPECT_EQ(shell_.calls, QStringList{"MoveToTrash " + QString::fromStdString(Path("year"))});
  EXPECT_FALSE(fs::exists(Path("year")));
  EXPECT_EQ(Labels(), QStringList{"other"});
  EXPECT_FALSE(tree_->CanGoBack());  // jan.pdf went with its folder
}

TEST_F(TreeCommandsTest, DeletingTheFolderOfTheSelectedItemMovesTheSelectionAway) {
  MakeFile("year/jan.pdf");
  MakeFolder("other");
  tree_->SetRoot(root_);
  Expand("year");
  Select("year/jan.pdf");
  QSignalSpy changes(tree_.get(), &CTreeFileCtrl::selectedPathChanged);
  EXPECT_TRUE(tree_->Delete(Item("year")));
  EXPECT_GE(changes.count(), 1);
  EXPECT_FALSE(tree_->GetSelectedPath().starts_with(Path("year")));
  tree_->ResyncAll();
  EXPECT_EQ(Labels(), QStringList{"other"});
}

TEST_F(TreeCommandsTest, FailedTrashKeepsTheItemAndSaysWhy) {
  MakeFile("report.pdf");
  tree_->SetRoot(root_);
  Select("report.pdf");
  shell_.succeeds = false;
  ScriptedPrompt prompt;
  EXPECT_FALSE(tree_->Delete(Item("report.pdf")));
  ASSERT_EQ(prompt.asked.size(), 1);
  EXPECT_TRUE(prompt.asked[0].text.startsWith("Cannot delete \"report.pdf\""));
  EXPECT_NE(Item("report.pdf"), nullptr);
  EXPECT_TRUE(fs::exists(Path("report.pdf")));
}

TEST_F(TreeCommandsTest, ShiftDeleteAsksFirstAndDeletesPermanently) {
  MakeFile("keep.pdf");
  MakeFile("drop/a.pdf");
  fs::create_directory_symlink(Path("drop"), Path("link"));
  tree_->SetRoot(root_);
  ScriptedPrompt prompt({PromptAnswer::No, PromptAnswer::Yes, PromptAnswer::Yes});
  Select("keep.pdf");
  QTest::keyClick(tree_.get(), Qt::Key_Delete, Qt::ShiftModifier);
  Settle();
  EXPECT_TRUE(fs::exists(Path("keep.pdf")));
  EXPECT_NE(Item("keep.pdf"), nullptr);
  EXPECT_TRUE(tree_->Delete(Item("link"), true));  // the link, never what it points to
  EXPECT_TRUE(fs::exists(Path("drop/a.pdf")));
  EXPECT_TRUE(tree_->Delete(Item("drop"), true));
  EXPECT_FALSE(fs::exists(Path("drop")));
  EXPECT_EQ(prompt.asked.size(), 3);
  EXPECT_TRUE(shell_.calls.isEmpty());
  EXPECT_EQ(Labels(), QStringList{"keep.pdf"});
}

TEST_F(TreeCommandsTest, NewSubfolderTakesTheNextFreeNameAndStartsEditing) {
  MakeFolder("year/New Folder");
  MakeFolder("year/New Folder (2)");
  MakeFile("year/jan.pdf");
  tree_->SetRoot(root_);
  Select("year");
  tree_->RunCommand(TreeCommand::NewSubfolder);
  EXPECT_TRUE(fs::is_directory(Path("year/New Folder (3)")));
  QTreeWidgetItem* year = Item("year");
  EXPECT_TRUE(year->isExpanded());
  EXPECT_EQ(Labels(year),
            (QStringList{"New Folder", "New Folder (2)", "New Folder (3)", "jan.pdf"}));
  ASSERT_NE(Editor(), nullptr);
  EXPECT_EQ(Editor()->text(), "New Folder (3)");
  EXPECT_FALSE(tree_->IsBusy());
  TypeLabel("Taxes");
  EXPECT_TRUE(fs::is_directory(Path("year/Taxes")));
}

TEST_F(TreeCommandsTest, NewRootFolderWorksWithoutSelectionAndNotWithoutRoot) {
  tree_->SetRoot(root_);
  tree_->RunCommand(TreeCommand::NewRootFolder);
  EXPECT_TRUE(fs::is_directory(Path("New Folder")));
  EXPECT_EQ(Labels(), QStringList{"New Folder"});
  tree_->SetRoot("");
  tree_->RunCommand(TreeCommand::NewRootFolder);
  EXPECT_EQ(tree_->topLevelItemCount(), 2);
}

TEST_F(TreeCommandsTest, PropertiesGoToTheDesktopShell) {
  MakeFile("report.pdf");
  tree_->SetRoot(root_);
  Select("report.pdf");
  tree_->RunCommand(TreeCommand::Properties);
  EXPECT_EQ(shell_.calls,
            QStringList{"ShowProperties " + QString::fromStdString(Path("report.pdf"))});
}

}  // namespace
