#include <QProcess>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "TreeFixture.h"
#include "platform/claims/FileSystemKind.h"
#include "tree/FolderChangedEvent.h"
#include "tree/RemoteFolderPoller.h"

namespace {

namespace fs = std::filesystem;

class TreeMonitorTest : public TreeFixture {
 protected:
  void SetUp() override {
    TreeFixture::SetUp();
    tree_->SetAutoRefresh(true);
  }
  // Another program changes the disk.
  static void Run(const QString& program, const QStringList& arguments) {
    ASSERT_EQ(QProcess::execute(program, arguments), 0);
  }
  QString Q(const std::string& relative) const { return QString::fromStdString(Path(relative)); }
};

TEST_F(TreeMonitorTest, OneMonitorWatchesTheRoot) {
  tree_->SetRoot(root_);
  EXPECT_EQ(tree_->MonitorCount(), 1);
  tree_->SetRoot("");
  EXPECT_EQ(tree_->MonitorCount(), 0);
}

TEST_F(TreeMonitorTest, FileCreatedByAnotherProgramAppearsInAnExpandedFolder) {
  MakeFolder("year/deep");
  tree_->SetRoot(root_);
  QTreeWidgetItem* year = Expand("year");
  QTreeWidgetItem* deep = Item("year/deep");
  ASSERT_FALSE(HasButton(deep));
  Run("touch", {Q("year/scan.pdf"), Q("year/deep/page.pdf")});
  EXPECT_TRUE(QTest::qWaitFor([&] { return Item("year/scan.pdf") != nullptr; }, 10000));
  EXPECT_TRUE(year->isExpanded());
  EXPECT_TRUE(QTest::qWaitFor([&] { return HasButton(Item("year/deep")); }, 10000));
}

TEST_F(TreeMonitorTest, FolderDeletedOutsideDisappears) {
  MakeFile("year/jan.pdf");
  MakeFolder("other");
  tree_->SetRoot(root_);
  Expand("year");
  Run("rm", {"-r", "--", Q("year")});
  EXPECT_TRUE(QTest::qWaitFor([&] { return Item("year") == nullptr; }, 10000));
  EXPECT_EQ(Labels(), QStringList{"other"});
}

TEST_F(TreeMonitorTest, FoldersMadeLaterAreWatchedToo) {
  tree_->SetRoot(root_);
  Run("mkdir", {"-p", Q("a/b")});
  EXPECT_TRUE(QTest::qWaitFor([&] { return Item("a") != nullptr; }, 10000));
  Expand("a");
  Expand("a/b");
  Run("touch", {Q("a/b/late.pdf")});
  EXPECT_TRUE(QTest::qWaitFor([&] { return Item("a/b/late.pdf") != nullptr; }, 10000));
}

TEST_F(TreeMonitorTest, NoNoticeOfTheOldRootAfterTheRootChanged) {
  const std::string otherRoot = dir_.path().toStdString() + "/Other";
  fs::create_directories(otherRoot);
  tree_->SetRoot(root_);
  MakeFile("burst.pdf");  // a notice of the old root may be on its way now
  tree_->SetRoot(otherRoot);
  const long long before = tree_->InsertedItemCount();
  std::ofstream(otherRoot + "/unnoticed.pdf") << "x";
  // Only the new root's monitor may report; the old root's notices are gone.
  fs::remove(otherRoot + "/unnoticed.pdf");
  QTest::qWait(400);
  EXPECT_EQ(tree_->InsertedItemCount(), before);
  EXPECT_EQ(tree_->topLevelItemCount(), 0);
}

TEST_F(TreeMonitorTest, NoticesAreDroppedWithoutAutoRefresh) {
  tree_->SetRoot(root_);
  MakeFile("quiet.pdf");
  tree_->SetAutoRefresh(false);  // rebuilds: quiet.pdf is listed now
  MakeFile("later.pdf");
  QCoreApplication::postEvent(tree_.get(), new FolderChangedEvent(0));
  QTest::qWait(300);
  EXPECT_EQ(Item("later.pdf"), nullptr);
}

TEST_F(TreeMonitorTest, ChangesFollowNewSubfolderCommand) {
  MakeFolder("year");
  tree_->SetAllowRename(true);
  tree_->SetRoot(root_);
  Select("year");
  tree_->RunCommand(TreeCommand::NewSubfolder);
  Run("touch", {Q("year/outside.pdf")});
  EXPECT_TRUE(QTest::qWaitFor([&] { return Item("year/outside.pdf") != nullptr; }, 10000));
}

// Another computer's documents on a network share come without a notice: the
// tree looks at the shown folders and re-reads them only when they changed.
TEST_F(TreeMonitorTest, ShownFoldersOnANetworkShareAreReReadWhenTheyChange) {
  tree_->SetRoot(root_);
  for (const FileSystemKind kind : {FileSystemKind::Local, FileSystemKind::Remote}) {
    const bool remote = kind == FileSystemKind::Remote;
    SCOPED_TRACE(remote);
    SetFileSystemKindForTesting([kind](const std::string&) { return kind; });
    const std::string folder = remote ? "share" : "local";
    MakeFolder(folder);
    tree_->Rebuild();
    Expand(folder);
    RemoteFolderPoller& poller = tree_->RemotePoller();
    EXPECT_FALSE(poller.PollShownFolders());
    // Written without running the event loop, so no change notice can be the one that shows it.
    MakeFile(folder + "/filed-elsewhere.pdf");
    EXPECT_EQ(poller.PollShownFolders(), remote);
    EXPECT_EQ(Item(folder + "/filed-elsewhere.pdf") != nullptr, remote);
    EXPECT_FALSE(poller.PollShownFolders());
  }
  SetFileSystemKindForTesting({});
}

}  // namespace
