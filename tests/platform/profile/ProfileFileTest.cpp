#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "FileSizeLimit.h"
#include "platform/profile/FolderLock.h"
#include "platform/profile/ProfileFile.h"

namespace {

class ProfileFileTest : public ::testing::Test {
 protected:
  std::string PathOf(const char* name) const { return dir_.filePath(name).toStdString(); }

  static void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }

  static std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
  }

  QStringList Entries() const {
    return QDir(dir_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  }

  QTemporaryDir dir_;
};

TEST_F(ProfileFileTest, WritesAndReadsBackThroughANewFile) {
  const ProfileFile file(PathOf("_defaults.ini"));
  EXPECT_TRUE(file.CanWrite());
  EXPECT_EQ(file.ReadString("Settings", "A"), std::nullopt);
  EXPECT_EQ(file.ReadInt("Settings", "A", 42), 42);

  ASSERT_TRUE(file.WriteStrings("Settings", {{"A", "7"}, {"B", "text with  blanks"}}));
  ASSERT_TRUE(file.WriteString("Settings", "A", "-8"));
  EXPECT_EQ(ReadBytes(file.Path()), "[Settings]\r\nA=-8\r\nB=text with  blanks\r\n");
  EXPECT_EQ(file.ReadInt("Settings", "a", 0), -8);
  EXPECT_EQ(file.ReadString("SETTINGS", "b"), "text with  blanks");
  EXPECT_EQ(Entries(), QStringList{"_defaults.ini"});
}

TEST_F(ProfileFileTest, KeepsLinesItDoesNotKnowWhenRewriting) {
  const std::string path = PathOf("_defaults.ini");
  WriteBytes(path, "; notes\n[Other]\nX=1\n[Settings]\nA=1");
  ASSERT_TRUE(ProfileFile(path).WriteString("Settings", "B", "2"));
  EXPECT_EQ(ReadBytes(path), "; notes\n[Other]\nX=1\n[Settings]\nA=1\nB=2\n");
}

TEST_F(ProfileFileTest, ReadsAMegabyteLineAndGarbageWithoutFailing) {
  const std::string path = PathOf("_defaults.ini");
  std::string garbage(3 * 1024 * 1024, '\xfe');
  garbage[1000] = '\0';
  WriteBytes(path, garbage + "\n[Settings]\nA=" + std::string(2 * 1024 * 1024, 'x') + "\nB=5\n");
  const ProfileFile file(path);
  EXPECT_EQ(file.ReadString("Settings", "A")->size(), 2u * 1024 * 1024);
  EXPECT_EQ(file.ReadInt("Settings", "B", 0), 5);
}

TEST_F(ProfileFileTest, LeavesAnOversizedFileAlone) {
  const std::string tooLarge = "[Settings]\nA=1\n" + std::string(ProfileFile::kMaxFileSize, ';');
  const std::string tooLong = "[Settings]\nA=1" + std::string(ProfileFile::kMaxLineCount, '\n');
  for (const std::string& contents : {tooLarge, tooLong}) {
    SCOPED_TRACE(&contents == &tooLarge ? "too large" : "too many lines");
    const std::string path = PathOf("_defaults.ini");
    WriteBytes(path, contents);
    const ProfileFile file(path);
    EXPECT_EQ(file.ReadInt("Settings", "A", 9), 9);
    EXPECT_FALSE(file.WriteString("Settings", "A", "2"));
    EXPECT_EQ(QFileInfo(QString::fromStdString(path)).size(), qint64(contents.size()));
  }
}

TEST_F(ProfileFileTest, AFailedWriteLeavesTheOldFileWhole) {
  const std::string path = PathOf("_defaults.ini");
  const std::string original = "[Settings]\r\nLastDestination=Statement 2012-12\r\n";
  WriteBytes(path, original);

  const ProfileFile file(path);
  bool written = true;
  {
    const FileSizeLimit fullDisk(1024);
    ASSERT_TRUE(fullDisk.Active());
    written = file.WriteString("Settings", "Notes", std::string(4096, 'n'));
  }

  EXPECT_FALSE(written);
  EXPECT_EQ(file.ReadString("Settings", "Notes"), std::nullopt);
  EXPECT_EQ(ReadBytes(path), original);
  EXPECT_EQ(Entries(), QStringList{"_defaults.ini"});
}

// What the file cannot hold exactly is refused with false, never thrown and
// never stored changed; the file stays as it was.
TEST_F(ProfileFileTest, RefusesWhatItCannotStoreExactly) {
  const std::string utf16 = std::string(
      "\xff\xfe[\0S\0]\0\n\0A\0=\0"
      "1\0\n\0",
      18);
  struct Case {
    const char* name;
    std::string before;  // the file's bytes; empty: no file
    std::string section, key, value;
    bool stored;
  };
  const Case cases[] = {
      {"line break in value", "", "Settings", "LastDestination", "x\n[Settings]\nItemType=99",
       false},
      {"line feed in key", "", "Settings", "A\nB", "1", false},
      {"bracket in section", "", "Set]tings", "A", "1", false},
      {"empty key", "", "Settings", "", "1", false},
      {"Latin-1 into UTF-16", utf16, "S", "B", "Geb\xe4ude", false},
      {"Latin-1 key into UTF-16", utf16, "S", "\xe4", "1", false},
      {"UTF-8 into UTF-16", utf16, "S", "B", "Geb\xc3\xa4ude", true},
      {"Latin-1 into a plain file", "[S]\n", "S", "B", "Geb\xe4ude", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = PathOf("_defaults.ini");
    QFile::remove(QString::fromStdString(path));
    if (!c.before.empty())
      WriteBytes(path, c.before);
    const ProfileFile file(path);
    EXPECT_EQ(file.WriteString(c.section, c.key, c.value), c.stored);
    if (c.stored) {
      EXPECT_EQ(ProfileFile(path).ReadString(c.section, c.key), c.value);
    } else {
      EXPECT_EQ(ReadBytes(path), c.before);
      EXPECT_EQ(Entries(), c.before.empty() ? QStringList{} : QStringList{"_defaults.ini"});
    }
  }
}

TEST_F(ProfileFileTest, SomethingOtherThanAFileIsNeitherReadNorWritten) {
  const std::string folder = PathOf("folder.ini");
  ASSERT_TRUE(QDir().mkdir(QString::fromStdString(folder)));
  const std::string fifo = PathOf("fifo.ini");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string link = PathOf("link.ini");
  WriteBytes(PathOf("target.txt"), "[Settings]\nA=1\n");
  ASSERT_TRUE(
      QFile::link(QString::fromStdString(PathOf("target.txt")), QString::fromStdString(link)));

  QElapsedTimer timer;
  timer.start();
  for (const std::string& path : {folder, fifo, link}) {
    SCOPED_TRACE(path);
    const ProfileFile file(path);
    EXPECT_FALSE(file.CanWrite());
    EXPECT_FALSE(file.WriteString("Settings", "A", "2"));
  }
  // Reading a FIFO must not wait for a writer; a link is followed for reading only.
  EXPECT_EQ(ProfileFile(fifo).ReadString("Settings", "A"), std::nullopt);
  EXPECT_EQ(ProfileFile(link).ReadString("Settings", "A"), "1");
  EXPECT_EQ(ReadBytes(PathOf("target.txt")), "[Settings]\nA=1\n");
  EXPECT_LT(timer.elapsed(), 10000);
}

TEST_F(ProfileFileTest, CannotWriteAReadOnlyFile) {
  if (::geteuid() == 0)
    GTEST_SKIP() << "root writes read-only files";
  const std::string path = PathOf("_defaults.ini");
  WriteBytes(path, "[Settings]\nA=1\n");
  ::chmod(path.c_str(), 0444);
  const ProfileFile file(path);
  EXPECT_FALSE(file.CanWrite());
  EXPECT_FALSE(file.WriteString("Settings", "A", "2"));
  EXPECT_EQ(file.ReadInt("Settings", "A", 0), 1);
}

TEST_F(ProfileFileTest, TwoProcessesUpdatingOneFileKeepEachOthersKeys) {
  const std::string path = PathOf("_defaults.ini");
  WriteBytes(path, "[Settings]\r\nShared=yes\r\n");
  const std::string start = PathOf("start");
  constexpr int kUpdates = 300;
  QProcess first;
  QProcess second;
  first.start(PROFILE_UPDATER, {QString::fromStdString(path), "A", QString::number(kUpdates),
                                QString::fromStdString(start)});
  second.start(PROFILE_UPDATER, {QString::fromStdString(path), "B", QString::number(kUpdates),
                                 QString::fromStdString(start)});
  ASSERT_TRUE(first.waitForStarted() && second.waitForStarted());
  WriteBytes(start, "");
  ASSERT_TRUE(first.waitForFinished(100000) && second.waitForFinished(100000));
  ASSERT_EQ(first.exitCode(), 0) << first.readAllStandardError().toStdString();
  ASSERT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();

  // Each update adds a key of its own: an update made from a stale reading
  // would drop the other process's latest key.
  const ProfileFile file(path);
  EXPECT_EQ(file.ReadString("Settings", "Shared"), "yes");
  for (const char* prefix : {"A", "B"}) {
    EXPECT_EQ(file.ReadInt("Settings", std::string(prefix) + "Count", 0), kUpdates) << prefix;
    int missing = 0;
    for (int i = 0; i < kUpdates; ++i)
      missing += file.ReadString("Settings", prefix + std::to_string(i)) ? 0 : 1;
    EXPECT_EQ(missing, 0) << prefix;
  }
  EXPECT_EQ(Entries(), (QStringList{"_defaults.ini", "start"}));
}

TEST_F(ProfileFileTest, AFolderLockHeldElsewhereDelaysTheWriteButNeverFailsIt) {
  // A lock that is never given back (a hung process, a stuck share) is waited for a
  // while, then the write goes ahead as it would where folders cannot be locked.
  const FolderLock stuck(dir_.path().toStdString());
  ASSERT_TRUE(stuck.Held());
  const ProfileFile file(PathOf("_defaults.ini"));
  EXPECT_TRUE(file.WriteString("Settings", "A", "1"));
  EXPECT_EQ(ProfileFile(file.Path()).ReadInt("Settings", "A", 0), 1);
}

TEST(ParseProfileInt, ReadsTheLeadingDecimalInteger) {
  struct {
    const char* text;
    std::optional<std::int32_t> expected;
  } const cases[] = {
      {"12", 12},
      {"-1", -1},
      {"+7", 7},
      {" 3 ", 3},
      {"12abc", 12},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", {}},
      {"99999999999", {}},
      {"abc", {}},
      {"", {}},
      {"-", {}},
      {"0x10", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseProfileInt(c.text), c.expected) << c.text;
  }
}

}  // namespace
