#include "app/CommandLine.h"

#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "app/ArchiveCommandLine.h"
#include "app/CommandApplication.h"
#include "app/CommandArguments.h"
#include "app/CommandUsage.h"
#include "app/ExitStatus.h"
#include "app/IndexCommand.h"
#include "app/NextNameCommand.h"
#include "app/ProgressLine.h"
#include "app/PagesCommand.h"
#include "app/ScanCommand.h"
#include "app/ScanOptions.h"
#include "app/SearchCommand.h"
#include "app/SourcesCommand.h"
#include "core/Version.h"

namespace {

using CommandRunner = int (*)(const CommandArguments&);

constexpr OptionSpec kNoOptions[] = {{"", false}};
constexpr OptionSpec kCombineOptions[] = {{"--overwrite", false}};
constexpr OptionSpec kConvertOptions[] = {{"--uncompressed", false}, {"--remove-original", false},
                                          {"--overwrite", false},    {"--ocr", false},
                                          {"--no-ocr", false},       {"--ocr-language", true}};
constexpr OptionSpec kSearchOptions[] = {
    {"--folder", true}, {"--since", true}, {"--until", true}, {"--limit", true}, {"--null", false}};
constexpr OptionSpec kIndexOptions[] = {{"--recognise", false}};
constexpr OptionSpec kPagesOptions[] = {{"--turn", true},
                                        {"--remove", true},
                                        {"--move", true},
                                        {"--split-after", true},
                                        {"--output", true}};
constexpr OptionSpec kJoinOptions[] = {{"--output", true}};

struct Command {
  const char* name;
  CommandRunner run;
  std::span<const OptionSpec> options;
  int badUsageStatus = kExitUsage;  // search keeps grep's convention
};

const Command* FindCommand(const std::string& name) {
  static const Command kCommands[] = {
      {"scan", &RunScanCommand, ScanOptionSpecs()},
      {"next-name", &RunNextNameCommand, std::span(kNoOptions, 0)},
      {"combine", &RunCombineCommand, kCombineOptions},
      {"convert", &RunConvertCommand, kConvertOptions},
      {"sources", &RunSourcesCommand, std::span(kNoOptions, 0)},
      {"search", &RunSearchCommand, kSearchOptions, kSearchExitError},
      {"index", &RunIndexCommand, kIndexOptions},
      {"pages", &RunPagesCommand, kPagesOptions},
      {"join", &RunJoinCommand, kJoinOptions},
  };
  for (const Command& command : kCommands)
    if (name == command.name)
      return &command;
  return nullptr;
}

int RunCommand(const Command& command, int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 2, argv + argc);
  CommandArguments parsed;
  if (const auto problem = ParseCommandArguments(arguments, command.options, parsed)) {
    ReportBadUsage(command.name, *problem);
    return command.badUsageStatus;
  }
  if (parsed.help) {
    std::fputs(CommandUsage(command.name), stdout);
    return 0;
  }
  ProgressLine::SetQuiet(parsed.quiet);
  CommandApplication::SetVerbose(parsed.verbose);
  return command.run(parsed);
}

bool IsOption(const char* argument, const char* longName, const char* shortName) {
  return std::strcmp(argument, longName) == 0 || std::strcmp(argument, shortName) == 0;
}

}  // namespace

std::optional<int> RunCommandLine(int argc, char** argv) {
  if (argc >= 2) {
    if (const Command* command = FindCommand(argv[1]))
      return RunCommand(*command, argc, argv);
    // Anything else that is not an option is a mistyped command; options
    // other than ours belong to the window's toolkit.
    if (argv[1][0] != '-')
      return ReportBadUsage("", std::string("unknown command '") + argv[1] + "'");
  }
  for (int i = 1; i < argc; ++i) {
    if (IsOption(argv[i], "--version", "-v")) {
      std::printf("Docketeer %s\n", kVersionText);
      return 0;
    }
    if (IsOption(argv[i], "--help", "-h")) {
      std::fputs(CommandUsage(""), stdout);
      return 0;
    }
  }
  return std::nullopt;
}
