#include <gtest/gtest.h>

#include "tree/TreePaths.h"

namespace {

using namespace TreePaths;

TEST(TreePathsTest, SplitSkipsEmptyComponentsAndJoinNeverDoublesSeparators) {
  EXPECT_EQ(Split("/a//b/c/"), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_TRUE(Split("/").empty());
  EXPECT_EQ(Join("/", "x"), "/x");
  EXPECT_EQ(Join("/a", "x"), "/a/x");
  EXPECT_EQ(Join("/a/", "x"), "/a/x");
  EXPECT_EQ(FileName("/a/report.pdf"), "report.pdf");
  EXPECT_EQ(FileName("/"), "");
}

TEST(TreePathsTest, NamesCompareWithoutCaseButInvalidUtf8OnlyByteForByte) {
  struct Case {
    std::string a, b;
    bool equal;
  } cases[] = {
      {"Archive", "ARCHIVE", true},    {"été", "ÉTÉ", true},         {"Ölkosten", "ölkosten", true},
      {"2008", "2009", false},         {"bad\xff", "bad\xff", true}, {"bad\xff", "BAD\xff", false},
      {"bad\xff", "bad\xfe", false},    // both would show as U+FFFD
      {"\xef\xbf\xbd", "\xff", false},  // a real U+FFFD is not an invalid byte
  };
  for (const Case& c : cases)
    EXPECT_EQ(NamesEqual(c.a, c.b), c.equal) << c.a << " / " << c.b;
}

TEST(TreePathsTest, DotFilesAndFolderPreferencesAreHidden) {
  EXPECT_TRUE(IsHiddenFileName(".hidden"));
  EXPECT_TRUE(IsHiddenFileName("_defaults.ini"));
  EXPECT_TRUE(IsHiddenFileName("_DEFAULTS.INI"));
  EXPECT_FALSE(IsHiddenFileName("defaults.ini"));
  EXPECT_FALSE(IsHiddenFileName("report.pdf"));
}

TEST(TreePathsTest, FileMaskListsEverythingByDefault) {
  EXPECT_TRUE(MatchesFileMask("README", "*.*"));
  EXPECT_TRUE(MatchesFileMask("scan.tif", "*.*"));
  EXPECT_TRUE(MatchesFileMask("SCAN.TIF", "*.tif"));
  EXPECT_FALSE(MatchesFileMask("scan.pdf", "*.tif"));
}

TEST(TreePathsTest, ExtensionIsUpperCasedWithoutItsDot) {
  const std::pair<const char*, const char*> cases[] = {
      {"/a/scan.tif", "TIF"},     {"/a/SCAN.TIF", "TIF"},
      {"/a/scan.tiff", "TIFF"},   {"/a/scan", ""},
      {"/a.b/scan", ""},          {"/a/archive.tar.gz", "GZ"},
      {"/a/.profile", "PROFILE"},
  };
  for (const auto& [path, extension] : cases)
    EXPECT_EQ(Extension(path), extension) << path;
}

TEST(TreePathsTest, NewNamesRefuseSeparatorsWindowsCharactersAndDotNames) {
  for (const char* bad : {"", "  ", ".", "..", "a\\b", "a/b", "a:b", "a*b", "a?b", "a\"b", "a<b",
                          "a>b", "a|b", "a\nb"})
    EXPECT_FALSE(IsValidNewName(QString::fromUtf8(bad))) << bad;
  for (const char* good : {"summary", "-rf", "a b", "'quoted'", "Übersicht", ".config", "x."})
    EXPECT_TRUE(IsValidNewName(QString::fromUtf8(good))) << good;
}

TEST(TreePathsTest, LabelsStayOnOneLine) {
  EXPECT_EQ(Label("two\nlines"), QString::fromUtf8("two\xef\xbf\xbdlines"));
  EXPECT_EQ(Label("plain name"), "plain name");
  EXPECT_EQ(Label("bad\xff").size(), 4);
}

TEST(TreePathsTest, NetworkSharesAreLabelledByTheirShareName) {
  const std::pair<const char*, const char*> cases[] = {
      {"//server/docs", "docs"},        {"//server/docs/sub", "docs/sub"},
      {"server:/srv/docs", "srv/docs"}, {"user@host:/home/user", "home/user"},
      {"//server", "server"},           {"server:/", "server:/"},
  };
  for (const auto& [remote, label] : cases)
    EXPECT_EQ(ShareName(remote), label) << remote;
}

TEST(TreePathsTest, NewFolderNamesCountFromTwo) {
  EXPECT_EQ(NewFolderName(1), "New Folder");
  EXPECT_EQ(NewFolderName(2), "New Folder (2)");
  EXPECT_EQ(NewFolderName(99), "New Folder (99)");
}

}  // namespace
