#include "app/NextNameCommand.h"

#include <cstdio>
#include <filesystem>

#include "app/CommandApplication.h"
#include "app/CommandArguments.h"
#include "app/CommandPrompt.h"
#include "app/CommandUsage.h"
#include "app/ExitStatus.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "settings/PerFolderPreferences.h"
#include "workflow/AbandonedClaims.h"
#include "workflow/SeriesStem.h"

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
  const std::string destination = EnsureTrailingSeparator(folder);
  // Claims of killed scans are taken back first, so their names count as free.
  for (const std::string& pages : AbandonedClaims::TakeBack(destination))
    CommandPrompt::TellLeftPages(pages);
  const FolderChoices choices = PerFolderPreferences(destination).ReadAll();
  std::string name = choices.format.NextName(choices.lastDestination);
  // The name a scan would take: documents and scans in progress hold theirs.
  if (!name.empty())
    if (std::string free = FirstFreeInSeries(destination, choices.format, name); !free.empty())
      name = std::move(free);
  std::printf("%s\n", name.c_str());
  return kExitDone;
}
