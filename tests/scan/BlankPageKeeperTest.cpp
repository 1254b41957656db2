#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "RecordingShell.h"
#include "scan/BlankPageKeeper.h"

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

  QTemporaryDir dir_;
  RecordingShell shell_;
};

TEST_F(BlankPageKeeperTest, PagesSetAsideEarlierUnderTheSameNameAreKept) {
  std::filesystem::create_directory(Folder() + "Doc (blank pages)");
  const std::string earlier = Write("Doc (blank pages)/Blank page 001.png", "earlier");
  BlankPageKeeper keeper;
  keeper.StartDocument(Folder(), "Doc", true);
  ASSERT_TRUE(keeper.SetAside(Write("page.png", "blank")));
  EXPECT_EQ(Read(earlier), "earlier");
  EXPECT_EQ(Read(Folder() + "Doc (blank pages)/Blank page 001 (2).png"), "blank");
  EXPECT_FALSE(std::filesystem::exists(Folder() + "page.png"));
  EXPECT_EQ(keeper.Count(), 1);
  EXPECT_TRUE(shell_.calls.isEmpty());
}

TEST_F(BlankPageKeeperTest, APageTheTrashRefusesStaysWhereItWas) {
  shell_.succeeds = false;
  BlankPageKeeper keeper;
  keeper.StartDocument(Folder(), "Doc", false);
  const std::string page = Write("Doc.png", "blank");
  EXPECT_FALSE(keeper.SetAside(page));
  EXPECT_EQ(Read(page), "blank");
  EXPECT_EQ(keeper.Count(), 0);
  EXPECT_TRUE(keeper.Notice().empty());
  EXPECT_EQ(shell_.calls.size(), 1);
}

}  // namespace
