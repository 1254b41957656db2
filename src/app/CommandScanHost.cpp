#include "app/CommandScanHost.h"

#include <cstdio>
#include <utility>

#include "app/CommandOutcome.h"
#include "app/ProgressLine.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "scan/PageFolderChoices.h"
#include "workflow/DocumentPaths.h"

CommandScanHost::CommandScanHost(ScanChoices choices, FolderChoices stored, CommandOutcome& outcome)
    : choices_(std::move(choices)), stored_(std::move(stored)), outcome_(outcome) {}

// A document that failed or was never written is not recorded: the next
// scan proposes its name again.
void CommandScanHost::SaveFolderPreferences() {
  Log(LOG_LOCATION, "CFoliantDlg::SaveFolderPreferences()");
  const DocumentPaths paths(choices_.destinationFolder, choices_.destinationName,
                            choices_.fileFormatType, choices_.isMultiPageDocument);
  if (outcome_.Failed() || !FileExists(RemoveTrailingSeparator(paths.GetDestinationPath())))
    return;
  FolderChoices recorded = stored_;
  recorded.lastDestination = choices_.destinationName;
  Write(choices_.destinationFolder, recorded);
  const std::string documentFolder = paths.GetDocumentFolder();
  if (!choices_.isMultiPageDocument || !FileExists(documentFolder) || !pageNumber_)
    return;
  Write(documentFolder,
        PageFolderChoices(pageNumber_(), choices_.rotateNinety, choices_.documentSize));
}

void CommandScanHost::ShowPagesSetAside(const std::string& notice) {
  if (notice.empty())
    return;
  ProgressLine::End();
  std::fprintf(stderr, "%s\n", notice.c_str());
}

void CommandScanHost::Write(const std::string& folder, const FolderChoices& choices) {
  const PerFolderPreferences preferences(folder);
  if (!preferences.CanWrite()) {
    outcome_.Fail(kExitWrite,
                  preferences.FilePath() + ": not writable, the document's name is not recorded");
    return;
  }
  preferences.WriteAll(choices);
}
