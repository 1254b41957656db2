#include "app/ArchiveCommandLine.h"

#include <cstdio>
#include <filesystem>
#include <memory>

#include "app/CommandApplication.h"
#include "app/CommandArguments.h"
#include "app/CommandOutcome.h"
#include "app/CommandPrompt.h"
#include "app/CommandUsage.h"
#include "app/ConsoleWriteWorker.h"
#include "app/RecognitionOptions.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "platform/trash/UserTrash.h"
#include "settings/PerFolderPreferences.h"
#include "workflow/ArchiveCommands.h"

namespace {

// Nothing is opened in a viewer from the command line.
const ViewingChoices kNoViewing{false, false};

std::optional<std::string> SinglePath(const CommandArguments& arguments, const char* what) {
  if (arguments.positional.size() == 1)
    return std::nullopt;
  return std::string(arguments.positional.empty() ? "no " : "more than one ") + what + " given";
}

ArchiveCommands MakeCommands(CommandOutcome& outcome, CommandPrompt& prompt) {
  ArchiveCommands::Seams seams;
  seams.prompter = &prompt;
  seams.trash = &MoveToUserTrash;
  seams.createWorker = [&outcome](FileFormatType format) -> std::unique_ptr<WriteWorker> {
    return std::make_unique<ConsoleWriteWorker>(format, outcome);
  };
  seams.viewFile = [](const std::string&, bool) {};
  return ArchiveCommands(std::move(seams));
}

int Finish(const std::string& target, CommandOutcome& outcome) {
  if (!outcome.Failed() && !FileExists(target))
    outcome.Fail(kExitWrite, target + " was not written");
  if (outcome.Failed())
    return outcome.Status();
  std::printf("%s\n", target.c_str());
  return kExitDone;
}

}  // namespace

int RunCombineCommand(const CommandArguments& arguments) {
  const char* const command = "combine";
  if (const auto problem = SinglePath(arguments, "folder"))
    return ReportBadUsage(command, *problem);
  CommandApplication application;
  if (!application.IsReady())
    return kExitWrite;
  const std::string& given = arguments.positional.front();
  if (std::error_code error; !std::filesystem::is_directory(given, error))
    return ReportBadUsage(command, given + " is not a folder");
  const std::string folder = EnsureTrailingSeparator(given);
  CommandOutcome outcome;
  if (ArchiveCommands::FindPageFiles(folder).empty()) {
    outcome.Fail(kExitInput, given +
                                 " holds no page files to combine (\"Page 001\" onwards, as TIFF, "
                                 "PNG, GIF, JPEG or BMP)");
    return outcome.Status();
  }
  // The pages take the size the folder's documents are scanned at.
  const DocumentSize size = PerFolderPreferences(folder).ReadDocumentSize();
  CommandPrompt prompt(outcome, CommandAnswers{arguments.Has("--overwrite"), false});
  ArchiveCommands commands = MakeCommands(outcome, prompt);
  commands.OnCombineToTiff(folder, size.Width(), size.Height(), kNoViewing);
  return Finish(RemoveTrailingSeparator(folder) + ".tif", outcome);
}

int RunConvertCommand(const CommandArguments& arguments) {
  const char* const command = "convert";
  if (const auto problem = SinglePath(arguments, "file"))
    return ReportBadUsage(command, *problem);
  if (const auto problem = ApplyRecognitionOptions(arguments))
    return ReportBadUsage(command, *problem);
  CommandApplication application;
  if (!application.IsReady())
    return kExitWrite;
  const std::string& source = arguments.positional.front();
  if (std::error_code error; !std::filesystem::is_regular_file(source, error))
    return ReportBadUsage(command, source + " is not a file");
  CommandOutcome outcome;
  CommandPrompt prompt(
      outcome, CommandAnswers{arguments.Has("--overwrite"), arguments.Has("--remove-original")});
  ArchiveCommands commands = MakeCommands(outcome, prompt);
  commands.ConvertToPdf(!arguments.Has("--uncompressed"), source, kNoViewing);
  return Finish(RemoveExtension(source) + ".pdf", outcome);
}
