#include <gtest/gtest.h>

#include <unistd.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/trash/UserTrash.h"

namespace fs = std::filesystem;

namespace {

// Each case points the data folder somewhere of its own and works from a
// folder of its own, so a file that lands "below the current folder" shows.
class UserTrashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::getenv("XDG_DATA_HOME");
    previous_ = fs::current_path();
    fs::create_directory(Root() + "/work");
    fs::current_path(Root() + "/work");
  }
  void TearDown() override {
    fs::current_path(previous_);
    ::setenv("XDG_DATA_HOME", saved_.c_str(), 1);
  }
  std::string Root() const { return dir_.path().toStdString(); }
  std::string Page() const {
    const std::string page = Root() + "/Doc.png";
    std::ofstream(page) << "blank";
    return page;
  }

  QTemporaryDir dir_;
  std::string saved_;
  fs::path previous_;
};

TEST_F(UserTrashTest, MakesTheTrashOfAFreshAccountAndMovesThePageThere) {
  ::setenv("XDG_DATA_HOME", (Root() + "/fresh/share").c_str(), 1);
  const std::string page = Page();
  ASSERT_TRUE(MoveToUserTrash(page));
  EXPECT_FALSE(fs::exists(page));
  EXPECT_TRUE(fs::exists(Root() + "/fresh/share/Trash/files/Doc.png"));
  EXPECT_TRUE(fs::exists(Root() + "/fresh/share/Trash/info/Doc.png.trashinfo"));
  EXPECT_TRUE(fs::is_empty(Root() + "/work"));
}

// A data folder that cannot hold a trash (a file in its place) takes nothing,
// and the page stays where it was; nothing lands in the current folder.
TEST_F(UserTrashTest, WithoutATrashThePageStaysWhereItWas) {
  std::ofstream(Root() + "/not-a-folder") << "x";
  ::setenv("XDG_DATA_HOME", (Root() + "/not-a-folder").c_str(), 1);
  const std::string page = Page();
  EXPECT_FALSE(MoveToUserTrash(page));
  EXPECT_TRUE(fs::exists(page));
  EXPECT_TRUE(fs::is_empty(Root() + "/work"));
}

}  // namespace
