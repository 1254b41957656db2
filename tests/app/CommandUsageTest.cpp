// The command line's refusals of bad usage, in-process: each is exit status 1
// with one line on standard error that points to the command's help, nothing
// on standard output. And the exit statuses the help and the manual page list.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cctype>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "app/CommandUsage.h"
#include "app/ExitStatus.h"
#include "app/ScanOptions.h"
#include "app/SearchCommand.h"

namespace {

struct Outcome {
  std::optional<int> status;
  std::string out;
  std::string err;
};

Outcome RunInProcess(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(), "docketeer");
  std::vector<char*> argv;
  for (std::string& argument : arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  Outcome outcome;
  outcome.status = RunCommandLine(static_cast<int>(arguments.size()), argv.data());
  outcome.out = testing::internal::GetCapturedStdout();
  outcome.err = testing::internal::GetCapturedStderr();
  return outcome;
}

// One line that ends by pointing to the help of the command, or of the
// program for a command it does not know.
void ExpectOneLineWithPointer(const Outcome& outcome, const std::string& command) {
  const std::string help =
      command.empty() ? "docketeer --help" : "docketeer " + command + " --help";
  EXPECT_EQ(outcome.err.rfind("docketeer: ", 0), 0U) << outcome.err;
  EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << outcome.err;
  EXPECT_TRUE(outcome.err.ends_with("; see " + help + "\n")) << outcome.err;
}

// Every row is refused before any command starts its work.
TEST(CommandUsage, BadUsageIsRefusedWithExitStatusOne) {
  const std::vector<std::string> cases[] = {
      {"scan"},
      {"scan", "folder", "second folder"},
      {"scan", "folder", "--format", "webp"},
      {"scan", "folder", "--resolution", "0"},
      {"scan", "folder", "--resolution", "10000"},
      {"scan", "folder", "--resolution", "300dpi"},
      {"scan", "folder", "--resolution"},
      {"scan", "folder", "--mode", "sepia"},
      {"scan", "folder", "--pages", "two"},
      {"scan", "folder", "--pages", "0"},
      {"scan", "folder", "--feeder", "--pages", "2"},
      {"scan", "folder", "--colour"},
      {"scan", "folder", "--rotate=yes"},
      {"scan", "folder", "--ocr", "--no-ocr"},
      {"scan", "folder", "--ocr-language", "eng+klingon"},
      {"scan", "folder", "--deskew", "--no-deskew"},
      {"next-name"},
      {"combine", "folder", "extra"},
      {"convert"},
      {"convert", "a.tif", "b.tif"},
      {"sources", "extra"},
      {"search"},
      {"search", "roof", "--since", "yesterday"},
      {"search", "roof", "--until", "2026-02-30"},
      {"pages"},
      {"pages", "a.pdf"},
      {"pages", "a.pdf", "--turn", "3:45"},
      {"pages", "a.pdf", "--turn", "3"},
      {"pages", "a.pdf", "--remove", "2,"},
      {"pages", "a.pdf", "--remove", "6-4"},
      {"pages", "a.pdf", "--move", "2-5"},
      {"pages", "a.pdf", "--split-after", "0"},
      {"pages", "missing.pdf", "--turn", "1:90"},
      {"join", "a.pdf", "--output", "b.pdf"},
      {"join", "a.pdf", "b.pdf"},
      {"scna", "folder"},
  };
  for (const std::vector<std::string>& arguments : cases) {
    std::string line;
    for (const std::string& argument : arguments)
      line += argument + " ";
    SCOPED_TRACE(line);
    const Outcome outcome = RunInProcess(arguments);
    // search keeps grep's statuses, where 1 means nothing found.
    EXPECT_EQ(outcome.status,
              arguments.front() == "search" ? int{kSearchExitError} : int{kExitUsage});
    ExpectOneLineWithPointer(outcome, arguments.front() == "scna" ? "" : arguments.front());
    EXPECT_TRUE(outcome.out.empty());
  }
}

// The refusals that look at the disk or the size catalogue, still made before
// any scanner is opened or any file written.
TEST(CommandUsage, RefusalsOfTheDiskAndTheCatalogueAreBadUsage) {
  QTemporaryDir archive;
  ASSERT_TRUE(archive.isValid());
  const std::string folder = archive.path().toStdString();
  const std::vector<std::string> cases[] = {
      {"scan", folder, "--size", "Napkin"},
      {"scan", folder, "--name", "a/b"},
      {"scan", folder + "/missing"},
      {"convert", folder + "/missing.tif"},
  };
  for (const std::vector<std::string>& arguments : cases) {
    SCOPED_TRACE(arguments.back());
    const Outcome outcome = RunInProcess(arguments);
    EXPECT_EQ(outcome.status, kExitUsage);
    ExpectOneLineWithPointer(outcome, arguments.front());
    EXPECT_TRUE(outcome.out.empty());
  }
  EXPECT_TRUE(QDir(archive.path()).isEmpty());
}

TEST(CommandUsage, HelpPrintsTheCommandsUsageAndSucceeds) {
  for (const char* command :
       {"scan", "next-name", "combine", "convert", "sources", "search", "pages", "join"}) {
    SCOPED_TRACE(command);
    const Outcome outcome = RunInProcess({command, "--help"});
    EXPECT_EQ(outcome.status, kExitDone);
    EXPECT_EQ(outcome.out, CommandUsage(command));
    EXPECT_TRUE(outcome.err.empty());
  }
  // Options the program does not know belong to the window's toolkit.
  EXPECT_EQ(RunInProcess({"-style", "fusion"}).status, std::nullopt);
}

// Input that cannot be read is its own status, apart from what cannot be written.
TEST(CommandExitStatus, EachKindOfFailureHasItsStatus) {
  QTemporaryDir archive;
  ASSERT_TRUE(archive.isValid());
  const std::string root = archive.path().toStdString();
  ASSERT_TRUE(QDir(archive.path()).mkpath("Empty"));
  ASSERT_TRUE(QDir(archive.path()).mkpath("Damaged"));
  for (const char* file : {"/Damaged/Page 001.tif", "/Notes.tif"}) {
    std::ofstream(root + file) << "not an image at all";
  }
  std::ofstream(root + "/Taken.tif") << "not an image either";
  std::ofstream(root + "/Taken.pdf") << "%PDF-1.4";
  const struct {
    std::vector<std::string> arguments;
    ExitStatus status;
  } cases[] = {
      {{"combine", root + "/Empty"}, kExitInput},
      {{"combine", root + "/Damaged"}, kExitInput},
      {{"convert", root + "/Notes.tif"}, kExitInput},
      {{"convert", root + "/Taken.tif"}, kExitWrite},  // the PDF exists: nothing is read
      {{"pages", root + "/Notes.tif", "--turn", "1:90"}, kExitInput},
      {{"join", root + "/Notes.tif", root + "/Damaged/Page 001.tif", "--output",
        root + "/Joined.tif"},
       kExitInput},
      {{"join", root + "/Notes.tif", root + "/Damaged/Page 001.tif", "--output",
        root + "/Taken.tif"},
       kExitWrite},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments.back());
    const Outcome outcome = RunInProcess(c.arguments);
    EXPECT_EQ(outcome.status, c.status) << outcome.err;
    EXPECT_TRUE(outcome.out.empty());
  }
  EXPECT_FALSE(QFile::exists(archive.filePath("Notes.pdf")));
  EXPECT_FALSE(QFile::exists(archive.filePath("Damaged.tif")));
  EXPECT_FALSE(QFile::exists(archive.filePath("Joined.tif")));
}

// The help and the manual page hold the same table of exit statuses.
TEST(CommandExitStatus, TheHelpAndTheManualPageListEveryStatus) {
  std::ifstream page(DOCKETEER_SOURCE_DATA "/docketeer.1.in");
  const std::string manual((std::istreambuf_iterator<char>(page)), {});
  ASSERT_FALSE(manual.empty());
  const std::string help = CommandUsage("");
  const std::string table = help.substr(help.find("Exit status:"));
  for (const ExitStatusMeaning& row : ExitStatusMeanings()) {
    const std::string number = std::to_string(static_cast<int>(row.status));
    SCOPED_TRACE(number);
    EXPECT_NE(table.find("\n  " + number + "  " + row.meaning), std::string::npos);
    std::string sentence = row.meaning;
    sentence[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(sentence[0])));
    EXPECT_NE(manual.find(".B " + number + "\n" + sentence), std::string::npos);
  }
  for (const char* command : {"scan", "combine", "convert"})
    EXPECT_NE(std::string(CommandUsage(command)).find(table), std::string::npos) << command;
}

TEST(ScanOptions, ReadsTheValuesItAccepts) {
  CommandArguments parsed;
  ASSERT_FALSE(ParseCommandArguments({"--format", "tif", "--resolution", "9999", "--mode", "gray",
                                      "--pages=3", "--rotate", "--name", "Doc", "--", "--folder"},
                                     ScanOptionSpecs(), parsed)
                   .has_value());
  ScanOptions options;
  ASSERT_FALSE(ReadScanOptions(parsed, options).has_value());
  EXPECT_EQ(options.folder, "--folder");
  EXPECT_EQ(options.format, FileFormatType::Tiff);
  EXPECT_EQ(options.resolution, 9999);
  EXPECT_EQ(options.pixelType, PixelType::Gray);
  EXPECT_EQ(options.pages, 3);
  EXPECT_TRUE(options.rotate);
  EXPECT_FALSE(options.feeder);
  EXPECT_EQ(options.name, "Doc");
  EXPECT_FALSE(options.sizeName.has_value());
}

}  // namespace
