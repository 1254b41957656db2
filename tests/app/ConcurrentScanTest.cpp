// Several scans filing into one folder at the same moment, as a scanner button
// and a second computer do: every document keeps its own name.
#include <csignal>

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "CommandLineFixture.h"
#include "SaneTestConfig.h"
#include "TestFiles.h"
#include "settings/PerFolderPreferences.h"

namespace {

const FileNameFormat kItems{RecurrenceType::Sequential, ItemType::Item, RelationType::BlankRelation,
                            IndexType::Counter3};

class ConcurrentScanTest : public CommandLineFixture {
 protected:
  std::string MakeFolder(const QString& name) {
    const std::string folder = Archive() + name.toStdString() + "/";
    EXPECT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    FolderChoices choices;
    choices.format = kItems;
    choices.lastDestination = "Item 007";
    PerFolderPreferences(folder).WriteAll(choices);
    return folder;
  }

  // Starts `count` scans at once and waits for all of them.
  std::vector<CommandRun> ScanAtOnce(int count, const QStringList& arguments) const {
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int i = 0; i < count; ++i)
      processes.push_back(Start(arguments));
    std::vector<CommandRun> runs;
    for (auto& process : processes)
      runs.push_back(Collect(*process));
    return runs;
  }

  static QStringList Entries(const std::string& folder) {
    return QDir(QString::fromStdString(folder))
        .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden, QDir::Name);
  }
};

TEST_F(ConcurrentScanTest, ScansStartedTogetherTakeConsecutiveNamesAndLoseNothing) {
  const struct {
    const char* folder;
    QStringList options;
    const char* extension;
  } cases[] = {
      {"Pdf", {"--format", "pdf"}, ".pdf"},
      {"Tiff", {"--format", "tiff", "--pages", "2"}, ".tif"},
      {"Jpeg", {"--format", "jpeg"}, ".jpg"},
      {"Feeder", {"--format", "pdf", "--feeder"}, ".pdf"},
  };
  constexpr int kScans = 4;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    const std::string folder = MakeFolder(c.folder);
    const std::vector<CommandRun> runs = ScanAtOnce(
        kScans,
        QStringList{"scan", QString::fromStdString(folder), "--resolution", "50"} + c.options);
    QStringList expected{"_defaults.ini"};
    std::string name = "Item 007";
    for (int i = 0; i < kScans; ++i) {
      name = kItems.NextName(name);
      expected << QString::fromStdString(name) + c.extension;
    }
    expected.sort();
    QSet<QByteArray> printed;
    for (const CommandRun& run : runs) {
      EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
      printed.insert(run.out.trimmed());
    }
    EXPECT_EQ(printed.size(), kScans);
    EXPECT_EQ(Entries(folder), expected);
    EXPECT_EQ(PerFolderPreferences(folder).ReadLastDestination(), name);
  }
}

TEST_F(ConcurrentScanTest, OfScansGivenOneNameExactlyOneWinsAndTheOthersExitThree) {
  const std::vector<CommandRun> runs = ScanAtOnce(
      5, {"scan", ArchivePath(""), "--resolution", "50", "--format", "pdf", "--name", "Same"});
  int won = 0;
  for (const CommandRun& run : runs) {
    EXPECT_TRUE(run.exitCode == 0 || run.exitCode == 3) << run.err.toStdString();
    won += run.exitCode == 0 ? 1 : 0;
  }
  EXPECT_EQ(won, 1);
  EXPECT_EQ(Entries(Archive()), (QStringList{"Same.pdf", "_defaults.ini"}));
  EXPECT_EQ(PdfPageCount(ArchivePath("Same.pdf").toStdString()), 1);
}

TEST_F(ConcurrentScanTest, AScanKilledInItsBatchBlocksNobody) {
  const std::string folder = MakeFolder("Killed");
  // The victim reads slowly from its own scanner configuration.
  const QString slowSane = root_.filePath("sane-slow");
  WriteSaneTestConfig(slowSane.toStdString(), "read-delay true\nread-delay-duration 20000\n");
  QProcessEnvironment slow = environment_;
  slow.insert("SANE_CONFIG_DIR", slowSane);
  const QStringList batch = {
      "scan", QString::fromStdString(folder), "--resolution", "75", "--format", "pdf", "--feeder"};
  auto victim = Start(batch, &slow);
  const QString firstPage = QString::fromStdString(folder) + "Item 008/Page 001.jpg";
  for (int i = 0; i < 600 && !QFileInfo::exists(firstPage); ++i)
    victim->waitForFinished(100);
  ASSERT_TRUE(QFileInfo::exists(firstPage));
  auto other = Start(batch);
  ::kill(static_cast<pid_t>(victim->processId()), SIGKILL);
  victim->waitForFinished();
  const CommandRun completed = Collect(*other);
  ASSERT_EQ(completed.exitCode, 0) << completed.err.toStdString();
  EXPECT_EQ(completed.out.trimmed().toStdString(), folder + "Item 009.pdf");
  EXPECT_EQ(PdfPageCount(folder + "Item 009.pdf"), 10);
  // The unfinished document's pages stay where they were; the next scan goes on past them.
  EXPECT_TRUE(QFileInfo::exists(firstPage));
  const CommandRun next = Run(batch.mid(0, 6));
  ASSERT_EQ(next.exitCode, 0) << next.err.toStdString();
  EXPECT_EQ(next.out.trimmed().toStdString(), folder + "Item 010.pdf");
}

}  // namespace
