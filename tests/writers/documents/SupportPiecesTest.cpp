#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QFile>
#include <QTemporaryDir>

#include "WriterTestSupport.h"
#include "writers/PageNameFormat.h"
#include "writers/StagedOutputFile.h"

using namespace writer_tests;

namespace {

TEST(PageNameFormat, AcceptsOneIntegerOnly) {
  struct Case {
    const char* format;
    const char* page3;  // nullptr when refused
  } cases[] = {
      {"Page %03d.jpg", "Page 003.jpg"},
      {"%d", "3"},
      {"100%% page %i.png", "100% page 3.png"},
      {"p%-4dx", "p3   x"},
      {"p%s", nullptr},
      {"p%d%d", nullptr},
      {"page", nullptr},
      {"%n", nullptr},
      {"p%", nullptr},
      {"%999999999d", nullptr},
      {"%.999d", nullptr},
      {"%ld", nullptr},
      {"%*d", nullptr},
  };
  for (const Case& c : cases) {
    const auto name = FormatPageName(c.format, 3);
    if (c.page3 == nullptr)
      EXPECT_FALSE(name.has_value()) << c.format;
    else
      EXPECT_EQ(name.value_or("<refused>"), c.page3) << c.format;
  }
}

TEST(StagedOutputFile, CommitReplacesAndDiscardLeavesNothing) {
  QTemporaryDir folder;
  const std::string target = PathIn(folder.path(), "doc.tif");
  {
    StagedOutputFile output(target);
    ASSERT_TRUE(output.Create());
    EXPECT_EQ(Entries(folder.path()).size(), 1);
    EXPECT_TRUE(Entries(folder.path())[0].startsWith(".docketeer-"));
  }
  EXPECT_TRUE(Entries(folder.path()).isEmpty());

  StagedOutputFile output(target);
  ASSERT_TRUE(output.Create());
  QFile file(QString::fromStdString(output.TemporaryPath()));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("done");
  file.close();
  ASSERT_TRUE(output.Commit());
  EXPECT_EQ(Entries(folder.path()), QStringList{"doc.tif"});
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask) << "the umask decides, as for any saved file";
}

TEST(StagedOutputFile, CannotStageInAMissingFolder) {
  StagedOutputFile output("/no/such/folder/doc.tif");
  EXPECT_FALSE(output.Create());
  EXPECT_FALSE(output.Commit());
}

}  // namespace
