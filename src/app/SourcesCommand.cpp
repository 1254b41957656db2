#include "app/SourcesCommand.h"

#include <QObject>
#include <cstdio>

#include "app/CommandApplication.h"
#include "app/CommandArguments.h"
#include "app/CommandUsage.h"
#include "app/ExitStatus.h"
#include "core/DebugLog.h"
#include "twain/TwainManager.h"

int RunSourcesCommand(const CommandArguments& arguments) {
  if (!arguments.positional.empty())
    return ReportBadUsage("sources", "unexpected argument " + arguments.positional.front());
  CommandApplication application;
  if (!application.IsReady())
    return kExitWrite;
  Log(LOG_LOCATION, "SourcesCommand");
  QObject notify;
  TwainManager manager;
  if (!manager.Initialize(2, 0, "2.00.0147", "Ferncastle", "Quillery", "Docketeer", &notify)) {
    std::fputs("docketeer: Error initializing scanner.  Please check your connections.\n", stderr);
    return kExitScanner;
  }
  const std::string chosen = manager.IsDataSourceSelected() ? manager.GetDataSourceName() : "";
  const std::vector<std::string> sources = manager.ListDataSources();
  if (sources.empty()) {
    std::fputs(
        "docketeer: No scanners were detected.  Please check your connections and try again.\n",
        stderr);
    return kExitScanner;
  }
  for (const std::string& source : sources)
    std::printf("%s%s\n", source == chosen ? "* " : "  ", source.c_str());
  return kExitDone;
}
