#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <set>

#include "tree/FolderListing.h"

namespace {

namespace fs = std::filesystem;

class FolderListingTest : public ::testing::Test {
 protected:
  void SetUp() override { root_ = dir_.path().toStdString(); }
  std::set<std::string> Folders(const std::string& folder) {
    std::set<std::string> names;
    FolderListing::ForEach(folder, [&](const FolderEntry& entry) {
      if (entry.isDirectory)
        names.insert(entry.name);
      return true;
    });
    return names;
  }
  QTemporaryDir dir_;
  std::string root_;
};

TEST_F(FolderListingTest, LinksCountAsWhatTheyPointAt) {
  fs::create_directories(root_ + "/real");
  std::ofstream(root_ + "/file.txt") << "x";
  fs::create_directory_symlink(root_ + "/real", root_ + "/linked");
  fs::create_symlink(root_ + "/file.txt", root_ + "/filelink");
  fs::create_symlink(root_ + "/missing", root_ + "/dangling");
  EXPECT_EQ(Folders(root_), (std::set<std::string>{"linked", "real"}));
  EXPECT_TRUE(FolderListing::Exists(root_ + "/dangling"));
  EXPECT_FALSE(FolderListing::IsDirectory(root_ + "/dangling"));
}

TEST_F(FolderListingTest, UnreadableOrMissingFoldersReportFailure) {
  std::ofstream(root_ + "/file.txt") << "x";
  const auto visit = [](const FolderEntry&) { return true; };
  EXPECT_FALSE(FolderListing::ForEach(root_ + "/missing", visit));
  EXPECT_FALSE(FolderListing::ForEach(root_ + "/file.txt", visit));
  EXPECT_TRUE(FolderListing::ForEach(root_, visit));
}

TEST_F(FolderListingTest, LinksBackUpTheTreeAreRecognisedAsLoops) {
  fs::create_directories(root_ + "/a/b");
  fs::create_directories(root_ + "/c");
  fs::create_directory_symlink(root_ + "/a", root_ + "/a/b/up");
  fs::create_directory_symlink("..", root_ + "/a/parent");
  fs::create_directory_symlink(root_ + "/a/b", root_ + "/a/b/self");
  fs::create_directory_symlink(root_ + "/c", root_ + "/a/sideways");
  fs::create_directory_symlink("/", root_ + "/a/top");
  EXPECT_TRUE(FolderListing::IsLinkToOwnAncestor(root_ + "/a/b/up"));
  EXPECT_TRUE(FolderListing::IsLinkToOwnAncestor(root_ + "/a/parent"));
  EXPECT_TRUE(FolderListing::IsLinkToOwnAncestor(root_ + "/a/b/self"));
  EXPECT_TRUE(FolderListing::IsLinkToOwnAncestor(root_ + "/a/top"));
  EXPECT_FALSE(FolderListing::IsLinkToOwnAncestor(root_ + "/a/sideways"));
  EXPECT_FALSE(FolderListing::IsLinkToOwnAncestor(root_ + "/a/b"));
  // Two links that lead to each other: the second step is caught.
  fs::create_directory_symlink(root_ + "/a", root_ + "/c/back");
  EXPECT_TRUE(FolderListing::IsLinkToOwnAncestor(root_ + "/a/sideways/back"));
}

}  // namespace
