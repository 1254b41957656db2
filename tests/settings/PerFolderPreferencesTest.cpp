#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/ContractError.h"
#include "settings/PerFolderPreferences.h"

namespace {

class PerFolderPreferencesTest : public ::testing::Test {
 protected:
  std::string Folder() const { return dir_.path().toStdString() + "/"; }

  void WriteFile(const std::string& bytes) const {
    std::ofstream(Folder() + "_defaults.ini", std::ios::binary) << bytes;
  }

  std::string ReadFile() const {
    std::ifstream in(Folder() + "_defaults.ini", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  QTemporaryDir dir_;
};

TEST_F(PerFolderPreferencesTest, ANewFolderProposesTheDefaults) {
  const PerFolderPreferences preferences(Folder());
  EXPECT_EQ(preferences.FilePath(), Folder() + "_defaults.ini");
  EXPECT_EQ(preferences.ReadFormat(),
            (FileNameFormat{RecurrenceType::Month, ItemType::NoItem, RelationType::Ending,
                            IndexType::YearMonthDay}));
  EXPECT_EQ(preferences.ReadLastDestination(), "");
  EXPECT_FALSE(preferences.ReadMultiPage());
  EXPECT_FALSE(preferences.ReadRotateNinety());
  EXPECT_EQ(preferences.ReadDocumentSize(), DocumentSize("Statement (large)", 8500, 11000));
  EXPECT_TRUE(preferences.CanWrite());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(preferences.FilePath())));
}

TEST_F(PerFolderPreferencesTest, AllTenKeysRoundTrip) {
  const FileNameFormat format{RecurrenceType::Quarterly, ItemType::Invoice, RelationType::For,
                              IndexType::YearQuarter};
  {
    const PerFolderPreferences preferences(Folder());
    preferences.WriteFormat(format);
    preferences.WriteLastDestination("Quarterly Invoice For 2012 Q4");
    preferences.WriteMultiPage(true);
    preferences.WriteRotateNinety(true);
    preferences.WriteDocumentSize(DocumentSize("Photo 4x6", 4000, 6000));
  }
  EXPECT_EQ(ReadFile(),
            "[Settings]\r\nRecurrenceType=15\r\nItemType=4\r\nRelationType=4\r\nIndexType=4\r\n"
            "LastDestination=Quarterly Invoice For 2012 Q4\r\nMultiPage=1\r\nRotateNinety=1\r\n"
            "DocumentSizeName=Photo 4x6\r\nDocumentSizeWidth=4000\r\nDocumentSizeHeight=6000\r\n");

  const PerFolderPreferences reread(Folder());
  EXPECT_EQ(reread.ReadFormat(), format);
  EXPECT_EQ(reread.ReadLastDestination(), "Quarterly Invoice For 2012 Q4");
  EXPECT_TRUE(reread.ReadMultiPage());
  EXPECT_TRUE(reread.ReadRotateNinety());
  EXPECT_EQ(reread.ReadDocumentSize(), DocumentSize("Photo 4x6", 4000, 6000));
  reread.WriteMultiPage(false);
  EXPECT_FALSE(reread.ReadMultiPage());
}

TEST_F(PerFolderPreferencesTest, HandEditedValuesAreReadTheWindowsWay) {
  WriteFile("[settings]\nmultipage = 2\nROTATENINETY=0\nlastdestination=  Statement 2012-12  ");
  const PerFolderPreferences preferences(Folder());
  EXPECT_TRUE(preferences.ReadMultiPage());
  EXPECT_FALSE(preferences.ReadRotateNinety());
  EXPECT_EQ(preferences.ReadLastDestination(), "Statement 2012-12");
  preferences.WriteMultiPage(preferences.ReadMultiPage());
  EXPECT_EQ(ReadFile(),
            "[settings]\nMultiPage=1\nROTATENINETY=0\nlastdestination=  Statement "
            "2012-12  \n");
}

TEST_F(PerFolderPreferencesTest, OutOfRangeFormatValuesReadAsTheDefaultFormat) {
  const char* const files[] = {
      "[Settings]\nRecurrenceType=99\n",
      "[Settings]\nIndexType=-1\n",
      "[Settings]\nItemType=7\nRelationType=2\n",
      "[Settings]\nRelationType=2147483648\nItemType=3\nRecurrenceType=1\n",
  };
  for (const char* file : files) {
    WriteFile(file);
    EXPECT_EQ(PerFolderPreferences(Folder()).ReadFormat(), PerFolderPreferences::DefaultFormat())
        << file;
  }
  WriteFile("[Settings]\nRecurrenceType=1\nItemType=2\nRelationType=1\nIndexType=8\n");
  EXPECT_EQ(PerFolderPreferences(Folder()).ReadFormat(),
            (FileNameFormat{RecurrenceType::Sequential, ItemType::Page, RelationType::BlankRelation,
                            IndexType::Counter3}));
}

TEST_F(PerFolderPreferencesTest, LongTextIsCutTo259CharactersWithoutSplittingOne) {
  WriteFile("[Settings]\nLastDestination=" + std::string(300, 'x') +
            "\nDocumentSizeName=" + std::string(258, 'y') + "\xc3\xa9\xc3\xa9\n");
  const PerFolderPreferences preferences(Folder());
  EXPECT_EQ(preferences.ReadLastDestination(), std::string(259, 'x'));
  EXPECT_EQ(preferences.ReadDocumentSize().Name(), std::string(258, 'y') + "\xc3\xa9");
}

TEST_F(PerFolderPreferencesTest, TextFromAWindowsCodePageKeepsItsLetters) {
  WriteFile("[Settings]\r\nLastDestination=M\xfcller 2012-12\r\n");
  EXPECT_EQ(PerFolderPreferences(Folder()).ReadLastDestination(), "M\xc3\xbcller 2012-12");
}

TEST_F(PerFolderPreferencesTest, UnusableSizesReadAsTheDefaultSize) {
  WriteFile("[Settings]\nDocumentSizeName=Odd\nDocumentSizeWidth=-5\nDocumentSizeHeight=abc\n");
  EXPECT_EQ(PerFolderPreferences(Folder()).ReadDocumentSize(), DocumentSize("Odd", 8500, 11000));
}

TEST_F(PerFolderPreferencesTest, GarbageReadsAsDefaultsAndIsKeptWhenWriting) {
  const std::string garbage(
      "\x7f"
      "ELF\x02\x01\x01\0\0\0[\xff\xfe=\n",
      15);
  WriteFile(garbage);
  const PerFolderPreferences preferences(Folder());
  EXPECT_EQ(preferences.ReadFormat(), PerFolderPreferences::DefaultFormat());
  EXPECT_EQ(preferences.ReadDocumentSize(), PerFolderPreferences::DefaultDocumentSize());
  preferences.WriteRotateNinety(true);
  EXPECT_TRUE(preferences.ReadRotateNinety());
  EXPECT_EQ(ReadFile().substr(0, garbage.size() - 1), garbage.substr(0, garbage.size() - 1));
}

TEST_F(PerFolderPreferencesTest, ALineBreakInATextNeverForgesOtherKeys) {
  const PerFolderPreferences preferences(Folder());
  preferences.WriteLastDestination("x\r\nRecurrenceType=99");
  preferences.WriteDocumentSize(DocumentSize("A\n[Other]", 1, 2));
  const PerFolderPreferences reread(Folder());
  EXPECT_EQ(reread.ReadLastDestination(), "x  RecurrenceType=99");
  EXPECT_EQ(reread.ReadDocumentSize(), DocumentSize("A [Other]", 1, 2));
  EXPECT_EQ(reread.ReadFormat(), PerFolderPreferences::DefaultFormat());
}

TEST_F(PerFolderPreferencesTest, WriteAllStoresEveryChoiceInOneFile) {
  WriteFile("[Settings]\nMultiPage=1\n[Notes]\nkept=yes\n");
  const FolderChoices choices{FileNameFormat{RecurrenceType::Sequential, ItemType::Page,
                                             RelationType::BlankRelation, IndexType::Counter3},
                              "Page 004", false, true, DocumentSize("A5", 5827, 8268), {}};
  PerFolderPreferences(Folder()).WriteAll(choices);
  EXPECT_EQ(PerFolderPreferences(Folder()).ReadAll(), choices);
  EXPECT_EQ(ReadFile(),
            "[Settings]\nMultiPage=0\nRecurrenceType=1\nItemType=2\nRelationType=1\n"
            "IndexType=8\nLastDestination=Page 004\nRotateNinety=1\nDocumentSizeName=A5\n"
            "DocumentSizeWidth=5827\nDocumentSizeHeight=8268\nSkipBlankPages=0\n"
            "UprightPages=0\nDeskewPages=0\n[Notes]\nkept=yes\n");
}

// Each clean-up choice a folder has not stored yet comes from the defaults
// for new folders; a stored one, even off, stays the folder's own.
TEST_F(PerFolderPreferencesTest, CleanupChoicesFallBackOneByOneToTheNewFolderDefaults) {
  struct Case {
    const char* file;
    CleanupChoices newFolder;
    CleanupChoices read;
  };
  const Case cases[] = {
      {"", {}, {}},
      {"", {true, true, true}, {true, true, true}},
      {"[Settings]\nSkipBlankPages=0\n", {true, false, true}, {false, false, true}},
      {"[Settings]\nUprightPages=1\nDeskewPages=0\n", {false, false, true}, {false, true, false}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.file);
    WriteFile(test.file);
    EXPECT_EQ(PerFolderPreferences(Folder()).ReadAll(test.newFolder).cleanup, test.read);
  }
  FolderChoices choices;
  choices.cleanup = {true, false, true};
  PerFolderPreferences(Folder()).WriteAll(choices);
  EXPECT_EQ(PerFolderPreferences(Folder()).ReadAll({false, true, false}), choices);
}

TEST_F(PerFolderPreferencesTest, AFileFromWindowsNotepadKeepsItsChoicesAndItsForm) {
  const FolderChoices stored{FileNameFormat{RecurrenceType::Sequential, ItemType::Page,
                                            RelationType::BlankRelation, IndexType::Counter3},
                             "Page 004", true, true, DocumentSize("A5", 5827, 8268), {}};
  // Notepad's byte order mark sits right before the first key, and old Macs end lines with CR.
  const char* const forms[][2] = {{"\xEF\xBB\xBF", "\r\n"}, {"", "\r"}, {"\xEF\xBB\xBF", "\n"}};
  for (const auto& [mark, end] : forms) {
    SCOPED_TRACE(std::string(mark) + end);
    std::string file = mark;
    for (const char* line :
         {"[Settings]", "RecurrenceType=1", "ItemType=2", "RelationType=1", "IndexType=8",
          "LastDestination=Page 004", "MultiPage=1", "RotateNinety=1", "DocumentSizeName=A5",
          "DocumentSizeWidth=5827", "DocumentSizeHeight=8268"}) {
      file.append(line).append(end);
    }
    WriteFile(file);
    EXPECT_EQ(PerFolderPreferences(Folder()).ReadAll(), stored);

    FolderChoices next = stored;
    next.lastDestination = "Page 005";
    PerFolderPreferences(Folder()).WriteAll(next);
    EXPECT_EQ(PerFolderPreferences(Folder()).ReadAll(), next);
    std::string expected = file;
    expected.replace(expected.find("Page 004"), 8, "Page 005");
    for (const char* added : {"SkipBlankPages=0", "UprightPages=0", "DeskewPages=0"})
      expected.append(added).append(end);
    EXPECT_EQ(ReadFile(), expected);
  }
}

TEST_F(PerFolderPreferencesTest, AFolderWhoseNameIsNotUtf8KeepsItsPreferences) {
  // Paths are bytes: archives copied from old shares carry names in a legacy code page.
  const std::string folder = Folder() + "\xff\xfe-archive/";
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  std::ofstream(folder + "_defaults.ini", std::ios::binary)
      << "[Settings]\r\nMultiPage=1\r\nLastDestination=Statement 2012-11\r\nNotes=mine\r\n";
  EXPECT_TRUE(PerFolderPreferences(folder).ReadMultiPage());

  FolderChoices choices = PerFolderPreferences(folder).ReadAll();
  EXPECT_EQ(choices.lastDestination, "Statement 2012-11");
  choices.lastDestination = "Statement 2012-12";
  ASSERT_TRUE(PerFolderPreferences(folder).CanWrite());
  PerFolderPreferences(folder).WriteAll(choices);
  EXPECT_EQ(PerFolderPreferences(folder).ReadAll(), choices);
  std::ifstream in(folder + "_defaults.ini", std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  EXPECT_NE(bytes.str().find("Notes=mine\r\n"), std::string::npos) << bytes.str();
  // Qt leaves names that are not UTF-8 out of its listings; the bytes tell.
  std::vector<std::string> entries;
  for (const auto& entry : std::filesystem::directory_iterator(Folder()))
    entries.push_back(entry.path().filename().string());
  EXPECT_EQ(entries, std::vector<std::string>{"\xff\xfe-archive"});
}

TEST_F(PerFolderPreferencesTest, CannotWriteWhereAFolderTakesTheFilesPlace) {
  ASSERT_TRUE(QDir().mkdir(QString::fromStdString(Folder() + "_defaults.ini")));
  const PerFolderPreferences preferences(Folder());
  EXPECT_FALSE(preferences.CanWrite());
  EXPECT_EQ(preferences.ReadDocumentSize(), PerFolderPreferences::DefaultDocumentSize());
}

TEST_F(PerFolderPreferencesTest, TheFolderMustEndInASeparator) {
  EXPECT_THROW(PerFolderPreferences(dir_.path().toStdString()), precondition_error);
  EXPECT_THROW(PerFolderPreferences(""), precondition_error);
}

}  // namespace

namespace {

TEST_F(PerFolderPreferencesTest, TheRecordedNameOnlyMovesForwardAlongTheSeries) {
  const FileNameFormat checks{RecurrenceType::Sequential, ItemType::Check,
                              RelationType::BlankRelation, IndexType::Counter4};
  const struct {
    const char* stored;
    const char* written;
    const char* kept;
  } cases[] = {
      {"", "Check 0010", "Check 0010"},
      {"Check 0009", "Check 0010", "Check 0010"},
      // Scans that finished out of order: the later name stays.
      {"Check 0012", "Check 0010", "Check 0012"},
      // A name of no series the format knows is simply replaced.
      {"Receipts", "Check 0010", "Check 0010"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored);
    FolderChoices choices;
    choices.format = checks;
    choices.lastDestination = c.stored;
    PerFolderPreferences(Folder()).WriteAll(choices);
    choices.lastDestination = c.written;
    PerFolderPreferences(Folder()).WriteAll(choices);
    EXPECT_EQ(PerFolderPreferences(Folder()).ReadLastDestination(), c.kept);
  }
}

}  // namespace
