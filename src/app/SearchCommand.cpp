#include "app/SearchCommand.h"

#include <cstdio>
#include <filesystem>

#include "app/CommandApplication.h"
#include "app/CommandArguments.h"
#include "app/CommandUsage.h"
#include "app/ExitStatus.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "naming/NameDate.h"
#include "search/ArchiveIndex.h"
#include "search/IndexLocation.h"
#include "settings/AppSettings.h"

namespace {

constexpr int kExitNothingFound = 1;

}  // namespace

int RunSearchCommand(const CommandArguments& arguments) {
  const char* const command = "search";
  SearchQuery query;
  for (const std::string& word : arguments.positional)
    query.words += (query.words.empty() ? "" : " ") + word;
  for (const auto& [option, day] :
       {std::pair{"--since", &query.sinceDay}, std::pair{"--until", &query.untilDay}}) {
    if (!arguments.Has(option))
      continue;
    const auto date = ReadTypedDate(arguments.Value(option));
    if (!date)
      return ReportBadUsage(command, arguments.Value(option) +
                                         " is not a date such as 2026-11-30, "
                                         "2026-11 or 2026");
    *day = std::string(option) == "--since" ? date->firstDay : date->lastDay;
  }
  query.folder = arguments.Value("--folder");
  if (query.words.empty() && query.folder.empty() && !query.sinceDay && !query.untilDay)
    return ReportBadUsage(command, "no words given");
  query.limit = 1000;

  CommandApplication application;
  if (!application.IsReady())
    return kExitWrite;
  const AppSettings settings;
  const std::string root = RemoveTrailingSeparator(settings.GetArchiveRootFolder());
  Log(LOG_LOCATION, "SearchCommand: %s in %s", query.words.c_str(), root.c_str());
  if (std::error_code error; !std::filesystem::is_directory(root, error)) {
    std::fprintf(stderr, "docketeer: the archive root folder %s does not exist\n", root.c_str());
    return kExitNothingFound;
  }
  if (!query.folder.empty() && query.folder.front() != '/')
    query.folder = EnsureTrailingSeparator(root) + query.folder;

  ArchiveIndex index(root, IndexFolderForArchive(root), settings.GetRecognitionLanguage());
  // Another Docketeer keeping the index current is fine: its index is searched as it is.
  index.Update();
  const std::vector<SearchHit> hits = index.Search(query);
  for (const SearchHit& hit : hits)
    std::printf("%s\t%d\t%s\n", hit.path.c_str(), hit.page, SnippetText(hit.snippet).c_str());
  return hits.empty() ? kExitNothingFound : kExitDone;
}
