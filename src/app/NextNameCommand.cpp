#include "app/NextNameCommand.h"

#include <cstdio>
#include <filesystem>

#include "app/CommandApplication.h"
#include "app/CommandArguments.h"
#include "app/CommandUsage.h"
#include "app/ExitStatus.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "settings/PerFolderPreferences.h"

int RunNextNameCommand(const CommandArguments& arguments) {
  const char* const command = "next-name";
  if (arguments.positional.size() != 1)
    return ReportBadUsage(
        command, arguments.positional.empty() ? "no folder given" : "more than one folder given");
  CommandApplication application;
  if (!application.IsReady())
    return kExitWrite;
  const std::string& folder = arguments.positional.front();
  Log(LOG_LOCATION, "NextNameCommand: %s", folder.c_str());
  if (std::error_code error; !std::filesystem::is_directory(folder, error))
    return ReportBadUsage(command, folder + " is not a folder");
  const FolderChoices choices = PerFolderPreferences(EnsureTrailingSeparator(folder)).ReadAll();
  std::printf("%s\n", choices.format.NextName(choices.lastDestination).c_str());
  return kExitDone;
}
