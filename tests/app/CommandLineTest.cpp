// The command line end to end: the built program, run as a script or a
// scanner button runs it, over SANE's test backend.
#include <sys/resource.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <csignal>

#include "CommandLineFixture.h"
#include "TestFiles.h"
#include "platform/claims/ClaimRecord.h"
#include "settings/PerFolderPreferences.h"

namespace {

// Small pages keep every scan quick; the sizes are checked by the workflow's own tests.
const QStringList kLowResolution = {"--resolution", "50"};

class CommandLineTest : public CommandLineFixture {
 protected:
  // A folder of the archive whose documents are named by `format` after `last`.
  std::string MakeFolder(const QString& name, const FileNameFormat& format,
                         const std::string& last) {
    const std::string folder = Archive() + name.toStdString() + "/";
    EXPECT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    FolderChoices choices;
    choices.format = format;
    choices.lastDestination = last;
    PerFolderPreferences(folder).WriteAll(choices);
    return folder;
  }

  CommandRun Scan(const std::string& folder, QStringList options = {}) const {
    return Run(QStringList{"scan", QString::fromStdString(folder)} + kLowResolution + options);
  }
};

TEST_F(CommandLineTest, ScansTakeTheFolderNamesInTurnAndNextNameTellsTheFollowingOne) {
  const struct {
    const char* folder;
    FileNameFormat format;
    std::string last;
  } cases[] = {
      {"Bank",
       {RecurrenceType::Monthly, ItemType::NoItem, RelationType::NoRelation, IndexType::YearMonth},
       "2012-11"},
      {"Checks",
       {RecurrenceType::Sequential, ItemType::Check, RelationType::BlankRelation,
        IndexType::Counter4},
       "Check 0998"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    const std::string folder = MakeFolder(c.folder, c.format, c.last);
    const std::string first = c.format.NextName(c.last);
    const std::string second = c.format.NextName(first);
    for (const std::string& name : {first, second}) {
      const CommandRun run = Scan(folder, {"--format", "jpeg"});
      ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
      EXPECT_EQ(run.out.trimmed().toStdString(), folder + name + ".jpg");
      EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(folder + name + ".jpg")));
      // The debug log holds the workflow's own lines; standard error stays for the command's.
      EXPECT_TRUE(LogText().contains("CFoliantDlg::SaveScannedPage()"));
      EXPECT_FALSE(run.err.contains("CFoliantDlg::"));
    }
    EXPECT_EQ(PerFolderPreferences(folder).ReadLastDestination(), second);
    const CommandRun next = Run({"next-name", QString::fromStdString(folder)});
    EXPECT_EQ(next.exitCode, 0);
    EXPECT_EQ(next.out.trimmed().toStdString(), c.format.NextName(second));
  }
  // The concrete names, so the test does not only agree with itself.
  EXPECT_TRUE(QFileInfo::exists(ArchivePath("Bank/2013-01.jpg")));
  EXPECT_TRUE(QFileInfo::exists(ArchivePath("Checks/Check 1000.jpg")));
}

TEST_F(CommandLineTest, EveryFormatWritesItsKindOfFile) {
  const struct {
    const char* option;
    const char* file;
    std::string magic;
  } cases[] = {
      {"bmp", "bmp.bmp", "BM"},    {"jpeg", "jpeg.jpg", "\xFF\xD8\xFF"},
      {"gif", "gif.gif", "GIF8"},  {"png", "png.png", "\x89PNG"},
      {"tiff", "tiff.tif", "II*"}, {"tiff-lzw", "tiff-lzw.tif", "II*"},
      {"pdf", "pdf.pdf", "%PDF"},  {"pdf-uncompressed", "pdf-uncompressed.pdf", "%PDF"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.option);
    const CommandRun run =
        Scan(Archive(), {"--format", c.option, "--name", c.option, "--mode", "gray"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.trimmed(), ArchivePath(c.file).toUtf8());
    EXPECT_EQ(ReadFileBytes(ArchivePath(c.file).toStdString()).substr(0, c.magic.size()), c.magic);
  }
  // The PDFs' page folders are gone; the compressed one holds a JPEG page.
  EXPECT_FALSE(QFileInfo::exists(ArchivePath("pdf")));
  EXPECT_NE(ReadFileBytes(ArchivePath("pdf.pdf").toStdString()).find("/DCTDecode"),
            std::string::npos);
}

TEST_F(CommandLineTest, TheFeederBatchOfTenPagesBecomesOnePdf) {
  const CommandRun run = Scan(Archive(), {"--feeder", "--format", "pdf", "--name", "Batch"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(run.out.trimmed(), ArchivePath("Batch.pdf").toUtf8());
  EXPECT_EQ(PdfPageCount(ArchivePath("Batch.pdf").toStdString()), 10);
  EXPECT_FALSE(QFileInfo::exists(ArchivePath("Batch")));
}

// A jam is a scanner failure; a scan the scanner cancels is the user's choice.
// Either is told in one line.
TEST_F(CommandLineTest, AJammedOrCancelledFeederExitsWithItsStatusAndLeavesNoDocument) {
  const struct {
    const char* folder;
    const char* status;
    int exitCode;
    const char* says;  // the scanner's own words, where they say more
  } cases[] = {
      {"Fax", "SANE_STATUS_JAMMED", 2, "the scanner reported a failure"},
      {"Void", "SANE_STATUS_CANCELLED", 4, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    ConfigureSane("read-status-code \"" + std::string(c.status) + "\"\n");
    const std::string folder = MakeFolder(c.folder,
                                          {RecurrenceType::Sequential, ItemType::Item,
                                           RelationType::BlankRelation, IndexType::Counter3},
                                          "Item 007");
    const CommandRun run = Scan(folder, {"--feeder", "--format", "pdf"});
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
    // One line: what happened and what was kept; the libraries' own messages go to the log.
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_EQ(
        QDir(QString::fromStdString(folder)).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
        QStringList{"_defaults.ini"});
    // The name stays free for the next try.
    EXPECT_EQ(PerFolderPreferences(folder).ReadLastDestination(), "Item 007");
  }
}

// Ctrl+C, a session that logs out and a closed terminal end a scan alike:
// cancelled, exit 4, nothing claimed left behind.
TEST_F(CommandLineTest, ATerminationSignalCancelsTheScanAndExitsFour) {
  // Slow reads keep the first page under way until the signal comes.
  ConfigureSane("read-delay true\nread-delay-duration 20000\n");
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    SCOPED_TRACE(signal);
    const std::string folder = MakeFolder("Slow" + QString::number(signal),
                                          {RecurrenceType::Sequential, ItemType::Item,
                                           RelationType::BlankRelation, IndexType::Counter3},
                                          "Item 001");
    QFile::remove(root_.filePath("tmp/Docketeer/Docketeer.log"));
    QProcess process;
    process.setProcessEnvironment(environment_);
    process.start(DOCKETEER_BINARY, {"scan", QString::fromStdString(folder), "--feeder", "--format",
                                     "pdf", "--resolution", "300"});
    ASSERT_TRUE(process.waitForStarted());
    for (int i = 0; i < 600 && !LogText().contains("TwainHelper::EnableDataSource()"); ++i)
      process.waitForFinished(100);
    ASSERT_EQ(process.state(), QProcess::Running);
    // SANE's test backend puts SIGTERM back to its default as its reading
    // starts; the program takes it back within a tenth of a second.
    process.waitForFinished(1000);
    ::kill(static_cast<pid_t>(process.processId()), signal);
    ASSERT_TRUE(process.waitForFinished(120000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 4) << process.readAllStandardError().toStdString();
    EXPECT_EQ(QDir(QString::fromStdString(folder))
                  .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
              QStringList{"_defaults.ini"});
    EXPECT_EQ(PerFolderPreferences(folder).ReadLastDestination(), "Item 001");
  }
}

// kill -9 leaves the claim; the next command takes it back: the name is
// proposed and scanned again, given by name too, and its pages are told.
TEST_F(CommandLineTest, TheNameOfAKilledScanIsTakenBack) {
  const FileNameFormat items{RecurrenceType::Sequential, ItemType::Item,
                             RelationType::BlankRelation, IndexType::Counter3};
  ConfigureSane("read-delay true\nread-delay-duration 20000\n");
  const std::string folder = MakeFolder("Killed", items, "Item 001");
  QProcess victim;
  victim.setProcessEnvironment(environment_);
  victim.start(DOCKETEER_BINARY, {"scan", QString::fromStdString(folder), "--feeder", "--format",
                                  "pdf", "--resolution", "75"});
  const QString firstPage = QString::fromStdString(folder) + "Item 002/Page 001.jpg";
  for (int i = 0; i < 600 && !QFileInfo::exists(firstPage); ++i)
    victim.waitForFinished(100);
  ASSERT_TRUE(QFileInfo::exists(firstPage));
  ::kill(static_cast<pid_t>(victim.processId()), SIGKILL);
  victim.waitForFinished();
  ASSERT_TRUE(QFileInfo::exists(QString::fromStdString(folder) + "Item 002.pdf"));
  ConfigureSane();
  // The page folder keeps its pages and holds its number; the empty placeholder goes.
  const CommandRun next = Run({"next-name", QString::fromStdString(folder)});
  EXPECT_EQ(next.out.trimmed(), "Item 003");
  EXPECT_TRUE(next.err.contains(firstPage.left(firstPage.lastIndexOf('/')).toUtf8()))
      << next.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(folder) + "Item 002.pdf"));
  // A claim without pages gives its very name back.
  ASSERT_EQ(Scan(folder, {"--format", "jpeg"}).exitCode, 0);
  const std::string placeholder = folder + "Item 004.jpg";
  ClaimOwner gone = ThisProcess();
  gone.bootId = "a boot before";
  gone.finalFile = "Item 004.jpg";
  ASSERT_EQ(ClaimRecords::Create(folder + ".Item 004.claim", gone), 0);
  QFile(QString::fromStdString(placeholder)).open(QIODevice::WriteOnly);
  const CommandRun again = Scan(folder, {"--format", "jpeg", "--name", "Item 004"});
  EXPECT_EQ(again.exitCode, 0) << again.err.toStdString();
  EXPECT_GT(QFileInfo(QString::fromStdString(placeholder)).size(), 0);
}

TEST_F(CommandLineTest, AFolderThatCannotBeWrittenExitsThreeWithTheReason) {
  std::function<void()> limitWrites;
  QString reason = "Permission denied";
  if (::geteuid() == 0) {
    // Root writes everywhere; a file size limit fails the write the same way a full disk would.
    reason = "File too large";
    limitWrites = [] {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{4096, 4096};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    };
  } else {
    ASSERT_TRUE(QFile::setPermissions(ArchivePath(""), QFile::ReadOwner | QFile::ExeOwner));
  }
  const CommandRun run =
      Run(QStringList{"scan", ArchivePath(""), "--name", "Doc", "--format", "bmp"} + kLowResolution,
          limitWrites);
  QFile::setPermissions(ArchivePath(""), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(run.exitCode, 3) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains(ArchivePath("Doc.bmp").toUtf8())) << run.err.toStdString();
  EXPECT_TRUE(run.err.contains(reason.toUtf8())) << run.err.toStdString();
  EXPECT_TRUE(run.out.isEmpty());
  EXPECT_EQ(QDir(ArchivePath("")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
            QStringList());
}

TEST_F(CommandLineTest, AnExistingDocumentIsRefusedUnlessOverwriteIsGiven) {
  const QStringList options = {"--name", "Receipt", "--format", "png"};
  ASSERT_EQ(Scan(Archive(), options).exitCode, 0);
  QFile(ArchivePath("Receipt.png")).resize(10);
  const CommandRun refused = Scan(Archive(), options);
  EXPECT_EQ(refused.exitCode, 3);
  EXPECT_TRUE(refused.err.contains("Receipt.png already exists; --overwrite replaces it"))
      << refused.err.toStdString();
  EXPECT_EQ(QFileInfo(ArchivePath("Receipt.png")).size(), 10);
  ASSERT_EQ(Scan(Archive(), options + QStringList{"--overwrite"}).exitCode, 0);
  EXPECT_GT(QFileInfo(ArchivePath("Receipt.png")).size(), 10);
}

// The program's own exit status and streams for bad usage; the refusals
// themselves are checked in-process.
TEST_F(CommandLineTest, BadUsageExitsOneWithOneLine) {
  const CommandRun run = Run({"scan", ArchivePath("missing")});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(run.err.startsWith("docketeer: ")) << run.err.toStdString();
  EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
  EXPECT_TRUE(run.out.isEmpty());
}

// What the scanner cannot do is refused at once, as bad usage, before any
// page: a size beyond its glass, a resolution beyond its range, no size at all.
TEST_F(CommandLineTest, WhatTheScannerCannotDoIsRefusedAtOnce) {
  ConfigureSane("geometry_max 300.0\n");  // a glass of 11.81 x 11.81 in
  const QString catalogue =
      root_.filePath("common/Ferncastle/Docketeer 2.0/Shared/DocumentSizes.txt");
  QFile file(catalogue);
  ASSERT_TRUE(file.open(QIODevice::Append));
  file.write("0 0 Nothing\r\n");
  file.close();
  const struct {
    QStringList options;
    const char* told;
  } cases[] = {
      {{"--size", "Legal"}, "larger than the scanner's glass (11.81 x 11.81 in)"},
      {{"--size", "Letter", "--resolution", "2400"}, "from 1 to 1200 dpi"},
      {{"--size", "Nothing"}, "0.00 x 0.00 in"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.options.join(' ').toStdString());
    const CommandRun run = Run(QStringList{"scan", ArchivePath(""), "--name", "Doc"} + c.options);
    EXPECT_EQ(run.exitCode, 1) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(c.told)) << run.err.toStdString();
    EXPECT_EQ(QDir(ArchivePath("")).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList());
  }
}

TEST_F(CommandLineTest, PagesCombineIntoATiffThatConvertsIntoAPdf) {
  const CommandRun scan =
      Scan(Archive(), {"--pages", "3", "--format", "png", "--name", "Letter", "--size", "a4"});
  ASSERT_EQ(scan.exitCode, 0) << scan.err.toStdString();
  EXPECT_EQ(scan.out.trimmed(), ArchivePath("Letter").toUtf8());
  for (const char* page : {"Letter/Page 001.png", "Letter/Page 002.png", "Letter/Page 003.png"})
    EXPECT_TRUE(QFileInfo::exists(ArchivePath(page))) << page;

  const CommandRun combine = Run({"combine", ArchivePath("Letter")});
  ASSERT_EQ(combine.exitCode, 0) << combine.err.toStdString();
  EXPECT_EQ(combine.out.trimmed(), ArchivePath("Letter.tif").toUtf8());
  EXPECT_FALSE(QFileInfo::exists(ArchivePath("Letter")));

  const CommandRun convert = Run({"convert", ArchivePath("Letter.tif")});
  ASSERT_EQ(convert.exitCode, 0) << convert.err.toStdString();
  EXPECT_EQ(convert.out.trimmed(), ArchivePath("Letter.pdf").toUtf8());
  EXPECT_EQ(PdfPageCount(ArchivePath("Letter.pdf").toStdString()), 3);
  EXPECT_TRUE(QFileInfo::exists(ArchivePath("Letter.tif")));

  EXPECT_EQ(Run({"convert", ArchivePath("Letter.tif"), "--uncompressed"}).exitCode, 3);
  const CommandRun again = Run(
      {"convert", ArchivePath("Letter.tif"), "--uncompressed", "--overwrite", "--remove-original"});
  ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
  EXPECT_FALSE(QFileInfo::exists(ArchivePath("Letter.tif")));
  EXPECT_NE(ReadFileBytes(ArchivePath("Letter.pdf").toStdString()).find("/FlateDecode"),
            std::string::npos);
}

// On a terminal (a pseudo-terminal from script(1)) progress is one line
// rewritten in place; --quiet silences it. Elsewhere the tests' own runs show
// that nothing of it reaches a pipe.
TEST_F(CommandLineTest, ProgressIsShownOnATerminalUnlessQuiet) {
  for (const bool quiet : {false, true}) {
    SCOPED_TRACE(quiet ? "quiet" : "shown");
    QString command = "'" DOCKETEER_BINARY "' scan '" + ArchivePath("") + "' --feeder --format pdf";
    command += QString(" --resolution 50 --name ") + (quiet ? "Quiet" : "Shown");
    if (quiet)
      command += " --quiet";
    QProcess process;
    process.setProcessEnvironment(environment_);
    process.start("script", {"--quiet", "--return", "--command", command, "/dev/null"});
    process.closeWriteChannel();
    const CommandRun run = Collect(process);
    EXPECT_EQ(run.exitCode, 0) << run.out.toStdString();
    EXPECT_EQ(run.out.contains("\r\x1b[K"), !quiet) << run.out.toStdString();
  }
}

// A PDF written without its text layer (the language's data is missing) is
// still a document written: exit status 0, and a warning on standard error.
TEST_F(CommandLineTest, APdfWithoutTextIsWrittenWithAWarning) {
  ASSERT_EQ(Scan(Archive(), {"--name", "Note", "--format", "tif"}).exitCode, 0);
  ASSERT_TRUE(QDir().mkpath(root_.filePath("no-tessdata")));
  QProcessEnvironment environment = environment_;
  environment.insert("TESSDATA_PREFIX", root_.filePath("no-tessdata"));
  const auto process = Start({"convert", ArchivePath("Note.tif"), "--ocr"}, &environment);
  const CommandRun run = Collect(*process);
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(run.out.trimmed(), ArchivePath("Note.pdf").toUtf8());
  EXPECT_EQ(PdfPageCount(ArchivePath("Note.pdf").toStdString()), 1);
  EXPECT_FALSE(run.err.isEmpty());
}

TEST_F(CommandLineTest, SourcesListsTheTestDevicesWithTheDefaultMarked) {
  const CommandRun run = Run({"sources"});
  ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
  const QList<QByteArray> lines = run.out.trimmed().split('\n');
  ASSERT_EQ(lines.size(), 2) << run.out.toStdString();
  EXPECT_EQ(lines[0].left(2) + lines[1].left(2), "*   ");
  // A named source scans; an unknown one is a scanner failure.
  const QString second = QString::fromUtf8(lines[1].mid(2));
  EXPECT_EQ(Scan(Archive(), {"--source", second, "--name", "B", "--format", "gif"}).exitCode, 0);
  EXPECT_EQ(Scan(Archive(), {"--source", "No Such Scanner", "--name", "C"}).exitCode, 2);
}

}  // namespace
