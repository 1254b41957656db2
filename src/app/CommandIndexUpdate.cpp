#include "app/CommandIndexUpdate.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "app/IndexProgress.h"
#include "app/ProgressLine.h"
#include "search/ArchiveIndex.h"

namespace {

// A first build of a large archive by the window takes a minute or so.
constexpr int kWaitForFirstBuildSeconds = 300;
constexpr auto kPoll = std::chrono::milliseconds(200);

}  // namespace

std::string UpdateIndexForCommand(ArchiveIndex& index, int waitSeconds,
                                  const std::atomic<bool>* stop) {
  IndexProgress progress;
  const auto start = std::chrono::steady_clock::now();
  bool toldWaiting = false;
  const auto finish = [&](std::string why) {
    if (toldWaiting)
      std::fputs("\033[K", stderr);  // the cursor stands at the start of the line
    return why;
  };
  for (;;) {
    const ArchiveIndex::UpdateResult result = index.Update([&](int done, int total) {
      progress.Show("Indexing the archive", done, total, "documents");
      return !(stop && stop->load());
    });
    progress.Clear();
    switch (result) {
      case ArchiveIndex::UpdateResult::Done:
        return finish({});
      case ArchiveIndex::UpdateResult::Stopped:
        return finish("its update was stopped");
      case ArchiveIndex::UpdateResult::Failed:
        return finish(index.Problem().empty() ? "it could not be updated" : index.Problem());
      case ArchiveIndex::UpdateResult::Busy:
        break;
    }
    const int limit = index.HasBeenBuilt() ? waitSeconds : kWaitForFirstBuildSeconds;
    if (std::chrono::steady_clock::now() - start >= std::chrono::seconds(limit) ||
        (stop && stop->load()))
      return finish(index.Problem());
    if (!toldWaiting && progress.OnTerminal()) {
      ProgressLine::Show("Waiting for another Docketeer to finish updating the index");
      toldWaiting = true;
    }
    std::this_thread::sleep_for(kPoll);
  }
}
