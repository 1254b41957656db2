#include "app/IndexCommand.h"

#include <atomic>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "app/CommandApplication.h"
#include "app/CommandArguments.h"
#include "app/CommandIndexUpdate.h"
#include "app/CommandUsage.h"
#include "app/ExitStatus.h"
#include "app/IndexProgress.h"
#include "core/DebugLog.h"
#include "core/Paths.h"
#include "ocr/OrientationDetector.h"
#include "ocr/RecognitionLanguages.h"
#include "ocr/TextEngine.h"
#include "search/ArchiveIndex.h"
#include "search/DocumentRecognition.h"
#include "search/IndexLocation.h"
#include "settings/AppSettings.h"

namespace {

// An update waits this long for another Docketeer that writes the index.
constexpr int kWaitForWriterSeconds = 600;

std::atomic<bool> stopRequested{false};

void RequestStop(int) {
  stopRequested.store(true);
}

// Ctrl+C, a closed terminal or a logout stop the work after the page being
// read; what was read is kept.
void StopOnSignals() {
  struct sigaction action {};
  action.sa_handler = &RequestStop;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGINT, SIGTERM, SIGHUP})
    sigaction(signal, &action, nullptr);
}

int Recognise(ArchiveIndex& index, const std::string& languages) {
  const std::vector<std::string> waiting = index.AwaitingRecognition(SIZE_MAX);
  if (waiting.empty())
    return kExitDone;
  const std::string data = RecognitionDataFolder();
  TextEngine engine(data, languages, OrientationDetector::Shared(data));
  if (!engine.Start()) {
    std::fprintf(stderr,
                 "docketeer: cannot recognise text in %s: its language data is not installed\n",
                 languages.c_str());
    return kExitWrite;
  }
  IndexProgress progress;
  int done = 0;
  for (const std::string& path : waiting) {
    progress.Show("Recognising pictures", done, static_cast<int>(waiting.size()), "documents");
    std::vector<std::string> pages = index.RecognizedSoFar(path);
    const bool read = RecognizeDocument(
        path, engine, stopRequested, pages,
        [&](const std::vector<std::string>& soFar) { index.KeepRecognizedSoFar(path, soFar); });
    if (!read) {
      index.KeepRecognizedSoFar(path, pages);
      break;
    }
    if (!index.IndexDocument(path, pages))
      Log(LOG_LOCATION, "IndexCommand: %s not indexed: %s", path.c_str(), index.Problem().c_str());
    ++done;
  }
  progress.Clear();
  if (stopRequested.load()) {
    std::fprintf(stderr, "docketeer: stopped; %d of %zu pictures were read\n", done,
                 waiting.size());
    return kExitCancelled;
  }
  return kExitDone;
}

}  // namespace

int RunIndexCommand(const CommandArguments& arguments) {
  if (!arguments.positional.empty())
    return ReportBadUsage("index", "index takes no arguments but its options");
  CommandApplication application;
  if (!application.IsReady())
    return kExitWrite;
  StopOnSignals();
  const AppSettings settings;
  const std::string root = RemoveTrailingSeparator(settings.GetArchiveRootFolder());
  if (std::error_code error; !std::filesystem::is_directory(root, error)) {
    std::fprintf(stderr, "docketeer: the archive root folder %s does not exist\n", root.c_str());
    return kExitWrite;
  }
  const std::string languages = settings.GetRecognitionLanguage();
  ArchiveIndex index(root, IndexFolderForArchive(root), languages);
  const std::string problem = UpdateIndexForCommand(index, kWaitForWriterSeconds, &stopRequested);
  if (stopRequested.load())
    return kExitCancelled;
  if (!problem.empty()) {
    std::fprintf(stderr, "docketeer: the index of %s is not up to date: %s\n", root.c_str(),
                 problem.c_str());
    return kExitWrite;
  }
  if (arguments.Has("--recognise"))
    return Recognise(index, languages);
  if (const int waiting = index.AwaitingRecognitionCount(); waiting > 0)
    std::fprintf(stderr, "%s %s not yet read; run docketeer index --recognise\n",
                 GroupedNumber(waiting).c_str(), waiting == 1 ? "picture" : "pictures");
  return kExitDone;
}
