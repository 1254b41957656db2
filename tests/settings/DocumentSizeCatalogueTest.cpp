#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "FileSizeLimit.h"
#include "core/Paths.h"
#include "platform/InstallLayout.h"
#include "settings/DocumentSizeCatalogue.h"

namespace {

DocumentSizeCatalogue Parse(const std::string& text) {
  std::istringstream in(text);
  return ParseDocumentSizes(in);
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

struct ParseCase {
  const char* name;
  std::string text;
  DocumentSizeCatalogue expected;
};

class CatalogueParsing : public ::testing::TestWithParam<ParseCase> {};

TEST_P(CatalogueParsing, ReadsRecordsUntilTheFirstUnreadableLine) {
  EXPECT_EQ(Parse(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CatalogueParsing,
    ::testing::Values(
        ParseCase{"CrLf",
                  "8500 11000 Statement (large)\r\n8268 11693 A4\r\n",
                  {{"Statement (large)", 8500, 11000}, {"A4", 8268, 11693}}},
        ParseCase{"Lf", "3500 2000 Business Card\n", {{"Business Card", 3500, 2000}}},
        ParseCase{"LastLineWithoutLineEnd",
                  "8500 14000 Legal\r\n6000 2750 Check",
                  {{"Legal", 8500, 14000}, {"Check", 6000, 2750}}},
        ParseCase{"LeadingBlanksLostTrailingKept", "1 2    Receipt  \r\n", {{"Receipt  ", 1, 2}}},
        ParseCase{"NumbersAloneEndTheList",
                  "0 0 First\r\n1 2\r\n\r\n  Photo 4x6\r\n3 4 Next\r\n",
                  {{"First", 0, 0}}},
        ParseCase{"NumbersAndBlanksAloneEndTheList", "1 2 \t\n3 4 Next\n", {}},
        ParseCase{"NegativeNumbers", "-1 -2 Odd\n", {{"Odd", -1, -2}}},
        ParseCase{"StopsAtBadNumber", "1 2 A\nx 3 B\n4 5 C\n", {{"A", 1, 2}}},
        ParseCase{"StopsAtOverflow", "1 2 A\n99999999999 3 B\n", {{"A", 1, 2}}},
        ParseCase{"NumbersWithoutName", "1 2 A\n3 4", {{"A", 1, 2}}},
        ParseCase{"LegacyCodePage",
                  "5827 8268 Format A5 (\xe9t\xe9)\r\n",
                  {{"Format A5 (\xc3\xa9t\xc3\xa9)", 5827, 8268}}},
        ParseCase{"Garbage", std::string("\x89PNG\r\n\x1a\n\0\0", 10), {}},
        ParseCase{"Empty", "", {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DocumentSizeCatalogue, EqualityCountsOrderNamesAndSizes) {
  const DocumentSizeCatalogue catalogue{{"A4", 8268, 11693}, {"Letter", 8500, 11000}};
  EXPECT_EQ(catalogue, (DocumentSizeCatalogue{{"A4", 8268, 11693}, {"Letter", 8500, 11000}}));
  EXPECT_NE(catalogue, (DocumentSizeCatalogue{{"Letter", 8500, 11000}, {"A4", 8268, 11693}}));
  EXPECT_NE(catalogue, (DocumentSizeCatalogue{{"a4", 8268, 11693}, {"Letter", 8500, 11000}}));
  EXPECT_NE(catalogue, (DocumentSizeCatalogue{{"A4", 8268, 11693}}));
  DocumentSize resized = catalogue[0];
  resized.SetSize(8268, 11692);
  EXPECT_NE(resized, catalogue[0]);
}

class CatalogueFile : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("DOCKETEER_COMMON_DATA", dir_.path().toUtf8().constData(), 1); }
  void TearDown() override { ::unsetenv("DOCKETEER_COMMON_DATA"); }

  QTemporaryDir dir_;
};

TEST_F(CatalogueFile, LivesInTheSharedFolderOfTheCommonData) {
  EXPECT_EQ(DocumentSizesPath(),
            dir_.path().toStdString() + "/Ferncastle/Docketeer 2.0/Shared/DocumentSizes.txt");
  ::unsetenv("DOCKETEER_COMMON_DATA");
  const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
  EXPECT_EQ(DocumentSizesPath(),
            data.toStdString() + "/Ferncastle/Docketeer 2.0/Shared/DocumentSizes.txt");
}

TEST_F(CatalogueFile, NoFileGivesAnEmptyCatalogue) {
  EXPECT_TRUE(LoadDocumentSizes(dir_.filePath("none.txt").toStdString()).empty());
}

// The program reads the default shipped with it until the user changes the
// list; from then on the user's own copy, whatever it holds, and reading
// never writes it.
TEST_F(CatalogueFile, TheDefaultIsReadUntilTheUserHasAnOwnCopy) {
  const std::string shipped = InstallLayout::DefaultDocumentSizesPath();
  ASSERT_TRUE(FileExists(shipped)) << shipped;
  EXPECT_EQ(DocumentSizesSourcePath(), shipped);
  const DocumentSizeCatalogue defaults = LoadDocumentSizes();
  ASSERT_FALSE(defaults.empty());
  EXPECT_EQ(defaults, LoadDocumentSizes(shipped));
  EXPECT_FALSE(FileExists(DocumentSizesPath())) << "loading wrote the user's copy";

  DocumentSizeCatalogue changed = defaults;
  changed.pop_back();
  ASSERT_TRUE(SaveDocumentSizes(changed));
  EXPECT_EQ(DocumentSizesSourcePath(), DocumentSizesPath());
  EXPECT_EQ(LoadDocumentSizes(), changed);
  EXPECT_EQ(LoadDocumentSizes(shipped), defaults) << "the save touched the shipped default";

  // A user who removed every size keeps an empty list.
  ASSERT_TRUE(SaveDocumentSizes({}));
  EXPECT_TRUE(LoadDocumentSizes().empty());
}

TEST_F(CatalogueFile, SavedCatalogueLoadsBackUnchanged) {
  const DocumentSizeCatalogue catalogue{{"Statement (large)", 8500, 11000},
                                        {"Receipt ", 3150, 11000},
                                        {"A4", 8268, 11693},
                                        {"Statement (large)", 8500, 11000},
                                        {"Ünïcode", 1, 2}};
  ASSERT_TRUE(SaveDocumentSizes(catalogue));
  EXPECT_EQ(LoadDocumentSizes(), catalogue);
  EXPECT_EQ(ReadBytes(DocumentSizesPath()).substr(0, 30), "8500 11000 Statement (large)\r\n");
}

TEST_F(CatalogueFile, NamesThatWouldBreakTheLineFormatAreSavedOnOneLine) {
  ASSERT_TRUE(SaveDocumentSizes({{"", 1, 2}, {"Two\nLines", 3, 4}, {"   ", 5, 6}, {"Last", 7, 8}}));
  EXPECT_EQ(LoadDocumentSizes(),
            (DocumentSizeCatalogue{
                {"Unnamed", 1, 2}, {"Two Lines", 3, 4}, {"Unnamed", 5, 6}, {"Last", 7, 8}}));
}

TEST_F(CatalogueFile, AFailedSaveKeepsTheOldCatalogue) {
  const DocumentSizeCatalogue old{{"Letter", 8500, 11000}};
  ASSERT_TRUE(SaveDocumentSizes(old));
  // A folder where the temporary file would go makes the rewrite fail.
  const std::string path = DocumentSizesPath();
  ASSERT_TRUE(QFile::remove(QString::fromStdString(path)));
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(path)));
  EXPECT_FALSE(SaveDocumentSizes({{"A4", 8268, 11693}}));
  ASSERT_TRUE(QDir().rmdir(QString::fromStdString(path)));

  ASSERT_TRUE(SaveDocumentSizes(old));
  bool written = true;
  {
    const FileSizeLimit fullDisk(64);
    ASSERT_TRUE(fullDisk.Active());
    written = SaveDocumentSizes(DocumentSizeCatalogue(20, {"A4", 8268, 11693}));
  }
  EXPECT_FALSE(written);
  EXPECT_EQ(LoadDocumentSizes(), old);
}

TEST_F(CatalogueFile, AFifoInItsPlaceDoesNotHangTheLoad) {
  const std::string path = DocumentSizesPath();
  ASSERT_TRUE(QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath()));
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  EXPECT_TRUE(LoadDocumentSizes().empty());
}

std::string Utf16Le(std::string_view ascii) {
  std::string bytes("\xff\xfe");
  for (const char c : ascii)
    bytes.append({c, '\0'});
  return bytes;
}

struct FormCase {
  const char* name;
  std::string file;
  DocumentSizeCatalogue loaded;
  std::string saved;  // after a save of the loaded sizes and "9 9 New"
};

class CatalogueForms : public CatalogueFile, public ::testing::WithParamInterface<FormCase> {};

TEST_P(CatalogueForms, ReadsTheFileAndKeepsEveryLineAndItsFormOnSaving) {
  const FormCase& c = GetParam();
  const std::string path = DocumentSizesPath();
  ASSERT_TRUE(QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath()));
  std::ofstream(path, std::ios::binary) << c.file;
  DocumentSizeCatalogue sizes = LoadDocumentSizes();
  EXPECT_EQ(sizes, c.loaded);
  sizes.emplace_back("New", 9, 9);
  ASSERT_TRUE(SaveDocumentSizes(sizes));
  EXPECT_EQ(ReadBytes(path), c.saved);
  EXPECT_EQ(LoadDocumentSizes(), sizes);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CatalogueForms,
    ::testing::Values(FormCase{"Utf8Mark",
                               "\xEF\xBB\xBF"
                               "8500 11000 Letter\r\n8268 11693 A4\r\n",
                               {{"Letter", 8500, 11000}, {"A4", 8268, 11693}},
                               "\xEF\xBB\xBF"
                               "8500 11000 Letter\r\n8268 11693 A4\r\n9 9 New\r\n"},
                      FormCase{"CrOnly",
                               "8500 11000 Letter\r8268 11693 A4\r",
                               {{"Letter", 8500, 11000}, {"A4", 8268, 11693}},
                               "8500 11000 Letter\r8268 11693 A4\r9 9 New\r"},
                      FormCase{"Lf",
                               "8500 11000 Letter\n",
                               {{"Letter", 8500, 11000}},
                               "8500 11000 Letter\n9 9 New\n"},
                      FormCase{"Utf16",
                               Utf16Le("8500 11000 Letter\r\n"),
                               {{"Letter", 8500, 11000}},
                               Utf16Le("8500 11000 Letter\r\n9 9 New\r\n")},
                      FormCase{"SizeWithoutAName",
                               "8500 11000 Letter\r\n3000 2000\r\n",
                               {{"Letter", 8500, 11000}},
                               "8500 11000 Letter\r\n9 9 New\r\n3000 2000\r\n"},
                      FormCase{"SizeWithoutANameBeforeAnother",
                               "8500 11000 Letter\r\n8500 11000\r\n8500 14000 Legal\r\n",
                               {{"Letter", 8500, 11000}},
                               "8500 11000 Letter\r\n9 9 New\r\n8500 11000\r\n"
                               "8500 14000 Legal\r\n"},
                      FormCase{"LinesAfterAnUnreadableOne",
                               "1 2 A\nx 3 B\n4 5 C\n; mine\n",
                               {{"A", 1, 2}},
                               "1 2 A\n9 9 New\nx 3 B\n4 5 C\n; mine\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CatalogueFile, ALinkIsSavedThroughToItsTarget) {
  const std::string path = DocumentSizesPath();
  const QString folder = QFileInfo(QString::fromStdString(path)).absolutePath();
  ASSERT_TRUE(QDir().mkpath(folder));
  const std::string target = dir_.filePath("site-sizes.txt").toStdString();
  std::ofstream(target, std::ios::binary) << "8500 11000 Letter\r\n";
  ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);

  ASSERT_TRUE(SaveDocumentSizes({{"Letter", 8500, 11000}, {"A4", 8268, 11693}}));
  EXPECT_TRUE(QFileInfo(QString::fromStdString(path)).isSymLink());
  EXPECT_EQ(ReadBytes(target), "8500 11000 Letter\r\n8268 11693 A4\r\n");
  EXPECT_EQ(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{"DocumentSizes.txt"});
}

TEST_F(CatalogueFile, AFolderWhoseNameIsNotUtf8IsUsedAsItIs) {
  const std::string common = dir_.path().toStdString() + "/\xff\xfe-data";
  ::setenv("DOCKETEER_COMMON_DATA", common.c_str(), 1);
  ASSERT_TRUE(SaveDocumentSizes({{"Letter", 8500, 11000}}));
  EXPECT_EQ(LoadDocumentSizes(), (DocumentSizeCatalogue{{"Letter", 8500, 11000}}));
  EXPECT_EQ(ReadBytes(common + "/Ferncastle/Docketeer 2.0/Shared/DocumentSizes.txt"),
            "8500 11000 Letter\r\n");
  // Qt leaves names that are not UTF-8 out of its listings; the bytes tell.
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path().toStdString()))
    entries.push_back(entry.path().filename().string());
  EXPECT_EQ(entries, std::vector<std::string>{"\xff\xfe-data"});
}

TEST_F(CatalogueFile, AnOversizedFileIsNeitherReadNorReplaced) {
  const std::string path = DocumentSizesPath();
  ASSERT_TRUE(QDir().mkpath(QFileInfo(QString::fromStdString(path)).absolutePath()));
  const std::string huge = "8500 11000 Letter\r\n" + std::string(kMaxDocumentSizesFileSize, 'x');
  std::ofstream(path, std::ios::binary) << huge;
  EXPECT_TRUE(LoadDocumentSizes().empty());
  EXPECT_FALSE(SaveDocumentSizes({{"A4", 8268, 11693}}));
  EXPECT_EQ(ReadBytes(path).size(), huge.size());
}

TEST(CatalogueInstall, TheDefaultCatalogueLandsWhereTheProgramLooks) {
  ASSERT_FALSE(FileExists(DocumentSizesPath()));
  QProcess script;
  script.start("bash", {DOCKETEER_SOURCE_DIR "/scripts/install-catalogue.sh"});
  ASSERT_TRUE(script.waitForFinished(60000));
  ASSERT_EQ(script.exitCode(), 0) << script.readAllStandardError().toStdString();

  const DocumentSizeCatalogue installed = LoadDocumentSizes();
  ASSERT_FALSE(installed.empty());
  EXPECT_EQ(installed.front(), DocumentSize("Statement (large)", 8500, 11000));
  for (const char* name :
       {"Letter", "Legal", "A4", "A5", "Check", "Receipt", "Business Card", "Photo 4x6"}) {
    EXPECT_TRUE(std::ranges::any_of(installed, [&](const auto& s) { return s.Name() == name; }))
        << name;
  }
  // An existing catalogue is the user's: a second run leaves it alone.
  ASSERT_TRUE(SaveDocumentSizes({{"Mine", 1, 2}}));
  script.start("bash", {DOCKETEER_SOURCE_DIR "/scripts/install-catalogue.sh"});
  ASSERT_TRUE(script.waitForFinished(60000));
  EXPECT_EQ(LoadDocumentSizes(), (DocumentSizeCatalogue{{"Mine", 1, 2}}));
}

}  // namespace
