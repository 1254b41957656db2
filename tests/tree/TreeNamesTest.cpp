#include <gtest/gtest.h>

#include "tree/TreeNames.h"

namespace {

using namespace TreeNames;

TEST(TreeNamesTest, NamesCompareWithoutCaseButInvalidUtf8OnlyByteForByte) {
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

TEST(TreeNamesTest, DotFilesAndFolderPreferencesAreHidden) {
  EXPECT_TRUE(IsHiddenFileName(".hidden"));
  EXPECT_TRUE(IsHiddenFileName("_defaults.ini"));
  EXPECT_TRUE(IsHiddenFileName("_DEFAULTS.INI"));
  EXPECT_FALSE(IsHiddenFileName("defaults.ini"));
  EXPECT_FALSE(IsHiddenFileName("report.pdf"));
}

TEST(TreeNamesTest, FileMaskListsEverythingByDefault) {
  EXPECT_TRUE(MatchesFileMask("README", "*.*"));
  EXPECT_TRUE(MatchesFileMask("scan.tif", "*.*"));
  EXPECT_TRUE(MatchesFileMask("SCAN.TIF", "*.tif"));
  EXPECT_FALSE(MatchesFileMask("scan.pdf", "*.tif"));
}

TEST(TreeNamesTest, LabelsStayOnOneLine) {
  EXPECT_EQ(Label("two\nlines"), QString::fromUtf8("two\xef\xbf\xbdlines"));
  EXPECT_EQ(Label("plain name"), "plain name");
  EXPECT_EQ(Label("bad\xff").size(), 4);
}

TEST(TreeNamesTest, NetworkSharesAreLabelledByTheirShareName) {
  const std::pair<const char*, const char*> cases[] = {
      {"//server/docs", "docs"},        {"//server/docs/sub", "docs/sub"},
      {"server:/srv/docs", "srv/docs"}, {"user@host:/home/user", "home/user"},
      {"//server", "server"},           {"server:/", "server:/"},
  };
  for (const auto& [remote, label] : cases)
    EXPECT_EQ(ShareName(remote), label) << remote;
}

TEST(TreeNamesTest, NewFolderNamesCountFromTwo) {
  EXPECT_EQ(NewFolderName(1), "New Folder");
  EXPECT_EQ(NewFolderName(2), "New Folder (2)");
  EXPECT_EQ(NewFolderName(99), "New Folder (99)");
}

}  // namespace
