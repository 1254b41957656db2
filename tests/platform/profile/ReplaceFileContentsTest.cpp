#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/profile/ReplaceFileContents.h"

namespace {

class ReplaceFileContentsTest : public ::testing::Test {
 protected:
  std::string PathOf(const char* name) const { return dir_.filePath(name).toStdString(); }

  static std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  static mode_t ModeOf(const std::string& path) {
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
  }

  QStringList Entries() const {
    return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  QTemporaryDir dir_;
  std::string error_;
};

TEST_F(ReplaceFileContentsTest, ANewFileGetsTheUsualPermissions) {
  const mode_t saved = ::umask(027);
  const bool written = ReplaceFileContents(PathOf("new.txt"), "abc", error_);
  ::umask(saved);
  ASSERT_TRUE(written) << error_;
  EXPECT_EQ(ReadBytes(PathOf("new.txt")), "abc");
  EXPECT_EQ(ModeOf(PathOf("new.txt")), mode_t(0640));
}

TEST_F(ReplaceFileContentsTest, AnExistingFileKeepsItsPermissionsAndLeavesNoTemporaryFile) {
  const std::string path = PathOf("old.txt");
  std::ofstream(path) << "a much longer old text";
  ::chmod(path.c_str(), 0604);
  ASSERT_TRUE(ReplaceFileContents(path, "new", error_)) << error_;
  ASSERT_TRUE(ReplaceFileContents(path, "", error_)) << error_;
  EXPECT_EQ(ReadBytes(path), "");
  EXPECT_EQ(ModeOf(path), mode_t(0604));
  EXPECT_EQ(Entries(), QStringList{"old.txt"});
}

TEST_F(ReplaceFileContentsTest, FailsWithAReasonWhereNoFileCanBeMade) {
  EXPECT_FALSE(ReplaceFileContents(PathOf("missing/x.txt"), "abc", error_));
  EXPECT_FALSE(error_.empty());
  ASSERT_TRUE(QDir().mkdir(dir_.filePath("folder")));
  EXPECT_FALSE(ReplaceFileContents(PathOf("folder"), "abc", error_));
  EXPECT_EQ(Entries(), QStringList{"folder"});
}

}  // namespace
