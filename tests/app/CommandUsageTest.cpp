// The command line's refusals of bad usage, in-process: each is exit status 1
// with the message and usage on standard error, nothing on standard output.
#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandArguments.h"
#include "app/CommandLine.h"
#include "app/CommandUsage.h"
#include "app/ExitStatus.h"
#include "app/ScanOptions.h"

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
    EXPECT_EQ(outcome.status, kExitUsage);
    EXPECT_NE(outcome.err.find(CommandUsage(arguments.front())), std::string::npos);
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
    EXPECT_NE(outcome.err.find(CommandUsage(arguments.front())), std::string::npos);
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
