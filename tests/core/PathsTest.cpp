#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "core/Paths.h"

namespace {

namespace fs = std::filesystem;

TEST(PathsTest, SplitSkipsEmptyComponentsAndJoinNeverDoublesSeparators) {
  EXPECT_EQ(SplitPath("/a//b/c/"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(SplitPath("/").empty());
  EXPECT_EQ(JoinPath("/", "x"), "/x");
  EXPECT_EQ(JoinPath("/a", "x"), "/a/x");
  EXPECT_EQ(JoinPath("/a/", "x"), "/a/x");
  EXPECT_EQ(PathFileName("/a/report.pdf"), "report.pdf");
  EXPECT_EQ(PathFileName("/"), "");
}

TEST(PathsTest, ExtensionIsUpperCasedWithoutItsDot) {
  const std::pair<const char*, const char*> cases[] = {
      {"/a/scan.tif", "TIF"},     {"/a/SCAN.TIF", "TIF"},
      {"/a/scan.tiff", "TIFF"},   {"/a/scan", ""},
      {"/a.b/scan", ""},          {"/a/archive.tar.gz", "GZ"},
      {"/a/.profile", "PROFILE"},
  };
  for (const auto& [path, extension] : cases)
    EXPECT_EQ(PathExtension(path), extension) << path;
}

TEST(PathsTest, NewNamesRefuseSeparatorsWindowsCharactersAndDotNames) {
  for (const char* bad : {"", "  ", ".", "..", "a\\b", "a/b", "a:b", "a*b", "a?b", "a\"b", "a<b",
                          "a>b", "a|b", "a\nb"})
    EXPECT_FALSE(IsValidNewName(QString::fromUtf8(bad))) << bad;
  for (const char* good : {"summary", "-rf", "a b", "'quoted'", "Übersicht", ".config", "x."})
    EXPECT_TRUE(IsValidNewName(QString::fromUtf8(good))) << good;
  // The UTF-8 form follows the same rule character by character.
  for (const char* good : {"\xC3\x9C"
                           "berweisung 2024",
                           "\xE8\xAB\x8B\xE6\xB1\x82\xE6\x9B\xB8 2024-03"})
    EXPECT_TRUE(IsValidNewName(std::string(good))) << good;
  EXPECT_FALSE(IsValidNewName(std::string("..")));
}

TEST(PathsTest, EndsWithSeparator) {
  EXPECT_FALSE(EndsWithSeparator(""));
  EXPECT_FALSE(EndsWithSeparator("/archive/Bank"));
  EXPECT_TRUE(EndsWithSeparator("/archive/Bank/"));
  EXPECT_TRUE(EndsWithSeparator("/"));
}

TEST(PathsTest, RemoveExtensionTakesOnlyTheLastOneOfTheName) {
  const std::pair<const char*, const char*> cases[] = {
      {"/a/Statement.pdf", "/a/Statement"},
      {"/a/Scan.2012.tif", "/a/Scan.2012"},
      {"/a.b/Page 001", "/a.b/Page 001"},  // the dot belongs to a folder
      {"/a/.hidden", "/a/.hidden"},        // a dot-file has no extension
      {"/a/.hidden.txt", "/a/.hidden"},
      {"name.", "name"},
      {"name", "name"},
      {"", ""},
  };
  for (const auto& [path, expected] : cases)
    EXPECT_EQ(RemoveExtension(path), expected) << path;
}

class FileTests : public ::testing::Test {
 protected:
  FileTests() : folder_(fs::temp_directory_path() / "files") {
    fs::create_directories(folder_);
    std::ofstream(file_) << "twelve bytes";
  }
  ~FileTests() override {
    std::error_code ignored;
    fs::permissions(folder_, fs::perms::owner_all, ignored);
    fs::remove_all(folder_, ignored);
  }

  fs::path folder_;
  std::string file_ = (folder_ / "page.tif").string();
};

TEST_F(FileTests, FileExistsForFilesAndFolders) {
  EXPECT_TRUE(FileExists(file_));
  EXPECT_TRUE(FileExists(folder_.string()));
  EXPECT_TRUE(FileExists(folder_.string() + "/"));
  EXPECT_FALSE(FileExists(file_ + ".missing"));
  EXPECT_FALSE(FileExists(""));
}

TEST_F(FileTests, GetFileSizeIsZeroForWhatCannotBeExamined) {
  EXPECT_EQ(GetFileSize(file_), 12u);
  EXPECT_EQ(GetFileSize(file_ + ".missing"), 0u);
  EXPECT_EQ(GetFileSize(folder_.string()), 0u);
  const fs::path big = folder_ / "big.tif";
  std::ofstream(big).put('x');
  fs::resize_file(big, 5000000000);  // sparse
  EXPECT_EQ(GetFileSize(big.string()), 5000000000u);
}

TEST_F(FileTests, IsFileWritableOnlyForExistingWritableFiles) {
  EXPECT_TRUE(IsFileWritable(file_));
  EXPECT_EQ(GetFileSize(file_), 12u) << "the test must not truncate";
  EXPECT_FALSE(IsFileWritable(file_ + ".missing"));
  EXPECT_FALSE(FileExists(file_ + ".missing")) << "the test must not create";
  EXPECT_FALSE(IsFileWritable(folder_.string()));
  const std::string fifo = (folder_ / "pipe").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(IsFileWritable(fifo)) << "and must not hang on a pipe without reader";
}

TEST_F(FileTests, IsFileWritableFalseForReadOnlyFileWhenPermissionsApply) {
  fs::permissions(file_, fs::perms::owner_read);
  if (::geteuid() == 0)
    GTEST_SKIP() << "the superuser writes to read-only files";
  EXPECT_FALSE(IsFileWritable(file_));
}

}  // namespace
