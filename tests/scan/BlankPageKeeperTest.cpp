#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <vector>

#include "workflow/BlankPageKeeper.h"

namespace {

class BlankPageKeeperTest : public ::testing::Test {
 protected:
  std::string Folder() const { return dir_.path().toStdString() + "/"; }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(Folder() + name, std::ios::binary) << bytes;
    return Folder() + name;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  BlankPageKeeper::Trasher Trash() {
    return [this](const std::string& path) {
      trashed_.push_back(path);
      return trashSucceeds_;
    };
  }

  QTemporaryDir dir_;
  std::vector<std::string> trashed_;
  bool trashSucceeds_ = true;
};

TEST_F(BlankPageKeeperTest, PagesSetAsideEarlierUnderTheSameNameAreKept) {
  std::filesystem::create_directory(Folder() + "Doc (blank pages)");
  const std::string earlier = Write("Doc (blank pages)/Blank page 001.png", "earlier");
  BlankPageKeeper keeper(Trash());
  keeper.StartDocument(Folder(), "Doc", true);
  ASSERT_TRUE(keeper.SetAside(Write("page.png", "blank")));
  EXPECT_EQ(Read(earlier), "earlier");
  EXPECT_EQ(Read(Folder() + "Doc (blank pages)/Blank page 001 (2).png"), "blank");
  EXPECT_FALSE(std::filesystem::exists(Folder() + "page.png"));
  EXPECT_EQ(keeper.Count(), 1);
  EXPECT_TRUE(trashed_.empty());
}

TEST_F(BlankPageKeeperTest, APageNoTrashTakesIsKeptBesideTheDocument) {
  trashSucceeds_ = false;
  BlankPageKeeper keeper(Trash());
  keeper.StartDocument(Folder(), "Doc", false);
  const std::string page = Write("Doc.png", "blank");
  EXPECT_TRUE(keeper.SetAside(page));
  EXPECT_FALSE(std::filesystem::exists(page));
  EXPECT_EQ(Read(Folder() + "Doc (blank pages)/Blank page 001.png"), "blank");
  EXPECT_EQ(keeper.Count(), 1);
  EXPECT_EQ(keeper.Place(), Folder() + "Doc (blank pages)/");
  EXPECT_EQ(trashed_, std::vector<std::string>{page});
}

}  // namespace
