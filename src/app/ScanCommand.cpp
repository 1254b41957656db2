#include "app/ScanCommand.h"

#include <QString>
#include <cstdio>
#include <filesystem>

#include "app/CleanupOptions.h"
#include "app/CommandApplication.h"
#include "app/CommandOutcome.h"
#include "app/CommandPrompt.h"
#include "app/CommandUsage.h"
#include "app/RecognitionOptions.h"
#include "app/ScanOptions.h"
#include "app/ScanSession.h"
#include "app/ScannerLimits.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "settings/AppSettings.h"
#include "settings/DocumentSizeCatalogue.h"
#include "workflow/AbandonedClaims.h"
#include "workflow/DestinationNameCheck.h"
#include "workflow/DocumentPaths.h"

namespace {

const char kCommand[] = "scan";

std::optional<DocumentSize> FindDocumentSize(const std::string& name) {
  for (const DocumentSize& size : LoadDocumentSizes())
    if (QString::fromStdString(size.Name())
            .compare(QString::fromStdString(name), Qt::CaseInsensitive) == 0)
      return size;
  return std::nullopt;
}

std::string KnownSizeNames() {
  std::string names;
  for (const DocumentSize& size : LoadDocumentSizes())
    names += (names.empty() ? "" : ", ") + size.Name();
  return names.empty() ? std::string("none, the catalogue is empty") : names;
}

DocumentPaths PathsOf(const ScanChoices& choices) {
  return DocumentPaths(choices.destinationFolder, choices.destinationName, choices.fileFormatType,
                       choices.isMultiPageDocument);
}

// The options say what this document is; the folder and the settings say the rest.
ScanChoices MakeChoices(const ScanOptions& options, const FolderChoices& stored,
                        const std::string& folder, const DocumentSize& size) {
  const AppSettings settings;
  ScanChoices choices;
  choices.destinationFolder = folder;
  choices.destinationName = options.name.value_or(stored.format.NextName(stored.lastDestination));
  choices.fileFormatType = options.format.value_or(settings.GetFileFormatType());
  choices.isMultiPageDocument = stored.multiPage || options.feeder || options.pages > 1;
  choices.rotateNinety = stored.rotateNinety || options.rotate;
  choices.cleanup = stored.cleanup;
  choices.documentSize = size;
  choices.resolution = options.resolution.value_or(settings.GetResolution());
  choices.pixelType = options.pixelType.value_or(settings.GetPixelType());
  choices.feeder = options.feeder;
  if (!options.name)
    choices.nameSeries = stored.format;
  return choices;
}

// Without --overwrite nothing of an earlier document is replaced: neither the
// document itself nor page files an unfinished one left in its folder.
bool RefuseExisting(const DocumentPaths& paths, CommandOutcome& outcome) {
  const std::string destination = RemoveTrailingSeparator(paths.GetDestinationPath());
  if (FileExists(destination)) {
    outcome.Fail(kExitWrite, destination + " already exists; --overwrite replaces it");
    return true;
  }
  if (paths.HasPageFiles() && FileExists(paths.GetPagePath(1))) {
    outcome.Fail(kExitWrite, RemoveTrailingSeparator(paths.GetDocumentFolder()) +
                                 " holds the pages of an unfinished document; --overwrite "
                                 "replaces them");
    return true;
  }
  return false;
}

void TakeBackAbandonedClaims(const std::string& folder) {
  for (const std::string& pages : AbandonedClaims::TakeBack(folder))
    CommandPrompt::TellLeftPages(pages);
}

// The pages a failed or cancelled scan leaves; empty when there are none.
std::string KeptPages(const DocumentPaths& paths) {
  int pages = 0;
  while (paths.HasPageFiles() && FileExists(paths.GetPagePath(pages + 1)))
    ++pages;
  if (pages == 0)
    return {};
  const std::string folder = RemoveTrailingSeparator(paths.GetDocumentFolder());
  return pages == 1
             ? "the page written so far is kept in " + folder
             : "the " + std::to_string(pages) + " pages written so far are kept in " + folder;
}

int Finish(const DocumentPaths& paths, const ScanSession& session, CommandOutcome& outcome) {
  if (!outcome.Failed() && session.Cancelled())
    outcome.FailLater(kExitCancelled, "the scan was cancelled");
  const std::string written = RemoveTrailingSeparator(paths.GetDestinationPath());
  // Every page blank and set aside is a scan that worked; standard error
  // already says where the pages went.
  if (!outcome.Failed() && !FileExists(written) && session.PagesSetAside() > 0)
    return kExitDone;
  if (!outcome.Failed() && !FileExists(written))
    outcome.Fail(kExitScanner, "the scanner delivered no page");
  if (outcome.Failed()) {
    // One line: what happened, then what was kept.
    const std::string reason = outcome.TakeLaterReason();
    const std::string kept = KeptPages(paths);
    if (!reason.empty())
      std::fprintf(stderr, "docketeer: %s; %s\n", reason.c_str(),
                   kept.empty() ? "nothing was written" : kept.c_str());
    else if (!kept.empty())
      std::fprintf(stderr, "docketeer: %s\n", kept.c_str());
    return outcome.Status();
  }
  std::printf("%s\n", written.c_str());
  return kExitDone;
}

}  // namespace

int RunScanCommand(const CommandArguments& arguments) {
  ScanOptions options;
  if (const auto problem = ReadScanOptions(arguments, options))
    return ReportBadUsage(kCommand, *problem);
  if (const auto problem = ApplyRecognitionOptions(arguments))
    return ReportBadUsage(kCommand, *problem);
  if (CleanupChoices probe; const auto problem = ApplyCleanupOptions(arguments, probe))
    return ReportBadUsage(kCommand, *problem);
  CommandApplication application;
  if (!application.IsReady())
    return kExitWrite;
  Log(LOG_LOCATION, "ScanCommand: %s", options.folder.c_str());
  // Absolute, so the path printed names the document wherever the caller is.
  std::error_code error;
  const std::string folder = EnsureTrailingSeparator(
      std::filesystem::absolute(options.folder, error).lexically_normal().string());
  if (!std::filesystem::is_directory(folder, error))
    return ReportBadUsage(kCommand, options.folder + " is not a folder");
  const FolderChoices stored =
      PerFolderPreferences(folder).ReadAll(AppSettings().GetNewFolderCleanup());
  DocumentSize size = stored.documentSize;
  if (options.sizeName) {
    const std::optional<DocumentSize> found = FindDocumentSize(*options.sizeName);
    if (!found)
      return ReportBadUsage(kCommand, "unknown document size '" + *options.sizeName +
                                          "'; the catalogue holds " + KnownSizeNames());
    size = *found;
  }
  if (const auto problem = RefuseDocumentSize(size))
    return ReportBadUsage(kCommand, *problem);
  ScanChoices choices = MakeChoices(options, stored, folder, size);
  ApplyCleanupOptions(arguments, choices.cleanup);
  if (CheckDestinationName(choices.destinationName) != DestinationNameProblem::None)
    return ReportBadUsage(kCommand, "\"" + choices.destinationName +
                                        "\" cannot name a document: it is empty, \".\" or "
                                        "\"..\", or holds one of \\ / : * ? \" < > |");

  CommandOutcome outcome;
  // A name a killed scan held is free again, its pages told.
  TakeBackAbandonedClaims(folder);
  // A proposed name that is taken moves on when the scan claims it.
  if (!options.overwrite && options.name && RefuseExisting(PathsOf(choices), outcome))
    return outcome.Status();
  CommandPrompt prompt(outcome, CommandAnswers{options.overwrite, false});
  ScanSession session(choices, stored, options.pages, outcome, prompt);
  if (!session.OpenScanner(options.source))
    return outcome.Status();
  if (const auto problem = RefuseForScanner(size, choices.resolution, session.Limits()))
    return ReportBadUsage(kCommand, *problem);
  session.Run();
  return Finish(PathsOf(session.Choices()), session, outcome);
}
