#include <unistd.h>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "TreeFixture.h"
#include "tree/CTreeFileItem.h"

namespace {

namespace fs = std::filesystem;

class TreeListingTest : public TreeFixture {};

TEST_F(TreeListingTest, FoldersComeBeforeFilesAndNamesSortWithoutCase) {
  MakeFile("gamma.pdf");
  MakeFile("Beta.pdf");
  MakeFile("alpha.pdf");
  MakeFolder("zeta");
  MakeFolder("Epsilon");
  MakeFolder("delta");
  tree_->SetRoot(root_);
  EXPECT_EQ(Labels(),
            (QStringList{"delta", "Epsilon", "zeta", "alpha.pdf", "Beta.pdf", "gamma.pdf"}));
}

TEST_F(TreeListingTest, HiddenFilesAreLeftOutButHiddenFoldersAreListed) {
  MakeFile(".hidden");
  MakeFile("_defaults.ini");
  MakeFolder(".config");
  MakeFile("visible.txt");
  tree_->SetRoot(root_);
  EXPECT_EQ(Labels(), (QStringList{".config", "visible.txt"}));
}

TEST_F(TreeListingTest, ExpandButtonOnlyWhereSomethingCanBeShown) {
  MakeFolder("empty");
  MakeFile("onlyhidden/_defaults.ini");
  MakeFile("onlyhidden/.dot");
  MakeFile("withfile/a.pdf");
  MakeFolder("withfolder/sub");
  tree_->SetRoot(root_);
  EXPECT_FALSE(HasButton(Item("empty")));
  EXPECT_FALSE(HasButton(Item("onlyhidden")));
  EXPECT_TRUE(HasButton(Item("withfile")));
  EXPECT_TRUE(HasButton(Item("withfolder")));
}

TEST_F(TreeListingTest, ChildrenAreReadOnExpandAndForgottenOnCollapse) {
  MakeFile("2008/jan.pdf");
  tree_->SetRoot(root_);
  QTreeWidgetItem* year = Item("2008");
  EXPECT_EQ(year->childCount(), 0);
  year->setExpanded(true);
  EXPECT_EQ(Labels(year), QStringList{"jan.pdf"});
  MakeFile("2008/feb.pdf");
  year->setExpanded(false);
  EXPECT_EQ(year->childCount(), 0);
  EXPECT_TRUE(HasButton(year));
  year->setExpanded(true);
  EXPECT_EQ(Labels(year), (QStringList{"feb.pdf", "jan.pdf"}));
}

TEST_F(TreeListingTest, RootIsStoredWithoutTrailingSeparator) {
  MakeFolder("a");
  tree_->SetRoot(root_ + "/");
  EXPECT_EQ(tree_->GetRoot(), root_);
  EXPECT_EQ(Labels(), QStringList{"a"});
}

TEST_F(TreeListingTest, MissingRootLeavesTheTreeEmpty) {
  tree_->SetRoot(root_ + "/nowhere");
  EXPECT_EQ(tree_->topLevelItemCount(), 0);
  EXPECT_EQ(tree_->GetSelectedPath(), "");
}

TEST_F(TreeListingTest, FindItemByPathIgnoresCaseAndOnlyFindsLoadedItems) {
  MakeFile("2008/Taxes/return.pdf");
  MakeFolder("2008x");
  tree_->SetRoot(root_);
  QTreeWidgetItem* year = Item("2008");
  ASSERT_NE(year, nullptr);
  const std::string shouted = dir_.path().toStdString() + "/ARCHIVE/2008/";
  EXPECT_EQ(tree_->FindItemByPath(shouted), year);
  EXPECT_EQ(Item("2008/Taxes"), nullptr);  // not loaded yet
  year->setExpanded(true);
  EXPECT_NE(Item("2008/taxes"), nullptr);
  EXPECT_EQ(tree_->FindItemByPath(root_), nullptr);
  EXPECT_EQ(tree_->FindItemByPath(root_ + "x/2008"), nullptr);  // a sibling of the root
  EXPECT_EQ(tree_->FindItemByPath("/elsewhere/2008"), nullptr);
  EXPECT_EQ(tree_->FindItemByPath(""), nullptr);
}

TEST_F(TreeListingTest, RefreshSelectsTheSameItemAgainAndReloadsAnExpandedOne) {
  MakeFile("2008/Taxes/return.pdf");
  tree_->SetRoot(root_);
  Expand("2008");
  QTreeWidgetItem* taxes = Expand("2008/Taxes");
  tree_->setCurrentItem(taxes);
  QSignalSpy changes(tree_.get(), &CTreeFileCtrl::selectedPathChanged);
  tree_->Rebuild();
  EXPECT_EQ(tree_->GetSelectedPath(), Path("2008/Taxes"));
  EXPECT_EQ(Labels(tree_->currentItem()), QStringList{"return.pdf"});
  EXPECT_GE(changes.count(), 1);
}

TEST_F(TreeListingTest, SelectingAVanishedItemRemovesItAndStillReports) {
  MakeFolder("gone");
  MakeFolder("stays");
  tree_->SetRoot(root_);
  fs::remove(Path("gone"));
  QSignalSpy changes(tree_.get(), &CTreeFileCtrl::selectedPathChanged);
  Select("gone");
  EXPECT_EQ(changes.count(), 1);
  QTest::qWait(0);
  QCoreApplication::processEvents();
  EXPECT_EQ(Labels(), QStringList{"stays"});
}

TEST_F(TreeListingTest, ExpandingAVanishedFolderRemovesIt) {
  MakeFile("gone/a.pdf");
  tree_->SetRoot(root_);
  fs::remove_all(Path("gone"));
  Expand("gone");
  QCoreApplication::processEvents();
  EXPECT_TRUE(Labels().isEmpty());
}

TEST_F(TreeListingTest, BackListIsBoundedAtTwentyOne) {
  for (int i = 0; i < 31; ++i)
    MakeFolder("f" + std::to_string(i));
  tree_->SetRoot(root_);
  for (int i = 0; i < 31; ++i)
    Select("f" + std::to_string(i));
  EXPECT_EQ(tree_->BackHistoryCount(), 21);
}

TEST_F(TreeListingTest, BackAndForwardReturnToTheItemsSelectedBefore) {
  MakeFolder("a");
  MakeFolder("b");
  MakeFolder("c");
  tree_->SetRoot(root_);
  Select("a");
  Select("b");
  Select("c");
  tree_->GoBack();
  EXPECT_EQ(tree_->GetSelectedPath(), Path("b"));
  tree_->GoBack();
  EXPECT_EQ(tree_->GetSelectedPath(), Path("a"));
  tree_->GoForward();
  EXPECT_EQ(tree_->GetSelectedPath(), Path("b"));
  tree_->GoForward();
  EXPECT_EQ(tree_->GetSelectedPath(), Path("c"));
  EXPECT_FALSE(tree_->CanGoForward());
}

TEST_F(TreeListingTest, HistoryNeverHandsBackDeletedItems) {
  MakeFile("year/jan.pdf");
  MakeFolder("other");
  tree_->SetRoot(root_);
  Expand("year");
  Select("year/jan.pdf");
  Select("other");
  Item("year")->setExpanded(false);  // deletes jan.pdf's item
  EXPECT_EQ(tree_->BackHistoryCount(), 0);
  EXPECT_FALSE(tree_->IsCommandEnabled(TreeCommand::Back));
  tree_->GoBack();
  EXPECT_EQ(tree_->GetSelectedPath(), Path("other"));
}

TEST_F(TreeListingTest, ResyncAddsNewEntriesRemovesVanishedOnesAndKeepsTheRest) {
  MakeFile("year/jan.pdf");
  MakeFile("year/feb.pdf");
  MakeFolder("collapsed");
  tree_->SetRoot(root_);
  QTreeWidgetItem* year = Expand("year");
  QTreeWidgetItem* jan = Item("year/jan.pdf");
  tree_->setCurrentItem(jan);
  MakeFile("year/mar.pdf");
  fs::remove(Path("year/feb.pdf"));
  MakeFile("collapsed/new.pdf");
  const long long before = tree_->InsertedItemCount();
  tree_->ResyncAll();
  EXPECT_EQ(Labels(year), (QStringList{"jan.pdf", "mar.pdf"}));
  EXPECT_EQ(tree_->InsertedItemCount() - before, 1);
  EXPECT_EQ(tree_->currentItem(), jan);
  EXPECT_TRUE(year->isExpanded());
  EXPECT_TRUE(HasButton(Item("collapsed")));
}

TEST_F(TreeListingTest, NamesThatDifferOnlyInCaseAreKeptApart) {
  MakeFile("Report.pdf");
  tree_->SetRoot(root_);
  MakeFile("report.pdf");
  tree_->ResyncAll();
  EXPECT_EQ(tree_->topLevelItemCount(), 2);
  EXPECT_EQ(tree_->ItemPath(Item("report.pdf")), Path("report.pdf"));
  EXPECT_EQ(tree_->ItemPath(Item("Report.pdf")), Path("Report.pdf"));
  EXPECT_NE(Item("REPORT.PDF"), nullptr);
}

TEST_F(TreeListingTest, OddNamesAreListedAndFoundByTheirBytes) {
  const std::string names[] = {"with space", "quote\"d", "new\nline", "bad\xff", "-rf", "ümlaut"};
  for (const auto& name : names)
    MakeFile(name);
  tree_->SetRoot(root_);
  EXPECT_EQ(tree_->topLevelItemCount(), 6);
  for (const auto& name : names) {
    SCOPED_TRACE(name);
    QTreeWidgetItem* item = Item(name);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(tree_->ItemPath(item), Path(name));
    EXPECT_FALSE(item->text(0).contains('\n'));
  }
}

TEST_F(TreeListingTest, LinkLoopsAreShownButNeverWalked) {
  MakeFolder("a");
  fs::create_directory_symlink(Path("a"), Path("a/again"));
  tree_->SetRoot(root_);
  QTreeWidgetItem* again = (Expand("a"), Item("a/again"));
  ASSERT_NE(again, nullptr);
  EXPECT_FALSE(HasButton(again));
  again->setExpanded(true);
  EXPECT_EQ(again->childCount(), 0);
  tree_->ResyncAll();
  EXPECT_EQ(again->childCount(), 0);
}

TEST_F(TreeListingTest, UnreadableFolderShowsNothingAndNoError) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "permissions do not bind the superuser";
  MakeFile("locked/secret.pdf");
  fs::permissions(Path("locked"), fs::perms::none);
  tree_->SetRoot(root_);
  QTreeWidgetItem* locked = Item("locked");
  ASSERT_NE(locked, nullptr);
  locked->setExpanded(true);
  EXPECT_EQ(locked->childCount(), 0);
  fs::permissions(Path("locked"), fs::perms::owner_all);
}

TEST_F(TreeListingTest, VanishedRootEmptiesTheTreeOnResync) {
  MakeFile("year/jan.pdf");
  tree_->SetRoot(root_);
  Expand("year");
  fs::remove_all(root_);
  tree_->ResyncAll();
  EXPECT_EQ(tree_->topLevelItemCount(), 0);
}

TEST_F(TreeListingTest, WithoutRootTheComputerAndNetworkNodesAreShown) {
  tree_->SetRoot("");
  ASSERT_EQ(tree_->topLevelItemCount(), 2);
  EXPECT_EQ(tree_->topLevelItem(0), tree_->ComputerNode());
  EXPECT_EQ(tree_->topLevelItem(1), tree_->NetworkNode());
  EXPECT_EQ(Labels(), (QStringList{"Computer", "Network"}));
  EXPECT_TRUE(HasButton(tree_->ComputerNode()));
  EXPECT_TRUE(HasButton(tree_->NetworkNode()));
  tree_->ComputerNode()->setExpanded(true);
  ASSERT_GE(tree_->ComputerNode()->childCount(), 1);  // "/" at least
  EXPECT_EQ(tree_->ItemPath(tree_->ComputerNode()->child(0)), "/");
  tree_->NetworkNode()->setExpanded(true);  // lists mounted network file systems, if any
}

TEST_F(TreeListingTest, WithoutRootPathsAreFoundBelowTheirVolume) {
  MakeFile("year/jan.pdf");
  tree_->SetRoot("");
  tree_->SelectPath(Path("year"), false);
  EXPECT_EQ(tree_->GetSelectedPath(), Path("year"));
  tree_->Rebuild();
  EXPECT_EQ(tree_->GetSelectedPath(), Path("year"));
}

}  // namespace

namespace {

// The labels a loaded folder must show: its folders, then its files, each
// group sorted without regard to case.
QStringList ExpectedLabels(const std::string& folder) {
  QStringList folders, files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const QString name = QString::fromStdString(entry.path().filename().string());
    (entry.is_directory() ? folders : files) << name;
  }
  const auto byName = [](const QString& a, const QString& b) {
    return a.toCaseFolded() < b.toCaseFolded();
  };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  return folders + files;
}

class TreeConsistencyTest : public TreeFixture {
 protected:
  void ExpectLoadedFoldersMatchTheDisk(QTreeWidgetItem* item, const std::string& folder) {
    EXPECT_EQ(Labels(item), ExpectedLabels(folder)) << folder;
    for (int i = 0; i < item->childCount(); ++i)
      if (item->child(i)->childCount() > 0)
        ExpectLoadedFoldersMatchTheDisk(item->child(i), tree_->ItemPath(item->child(i)));
  }
};

}  // namespace

// Random changes on disk and in the tree; after every re-check each loaded
// folder shows exactly what the disk holds, in order.
TEST_F(TreeConsistencyTest, ReChecksKeepTheTreeInStepWithTheDisk) {
  std::mt19937 random(2024);
  const std::string names[] = {"a", "B", "c", "D.pdf", "e.tif", "F.jpg"};
  tree_->SetRoot(root_);
  for (int step = 0; step < 300; ++step) {
    std::string folder = root_;
    for (int depth = random() % 3; depth > 0 && fs::is_directory(folder); --depth)
      folder += "/" + names[random() % 3];
    const std::string path = folder + "/" + names[random() % 6];
    if (!fs::is_directory(folder))
      continue;
    switch (random() % 4) {
      case 0:
        fs::exists(path) ? (void)fs::remove_all(path) : (void)0;
        break;
      case 1:
        path.find('.') == std::string::npos ? (void)fs::create_directory(path)
                                            : (void)(std::ofstream(path) << "x");
        break;
      case 2:
        if (QTreeWidgetItem* item = tree_->FindItemByPath(folder))
          item->setExpanded(true);
        break;
      case 3:
        if (QTreeWidgetItem* item = tree_->FindItemByPath(folder))
          item->setExpanded(false);
        break;
    }
    tree_->ResyncAll();
    ASSERT_NO_FATAL_FAILURE(ExpectLoadedFoldersMatchTheDisk(tree_->invisibleRootItem(), root_));
  }
}
