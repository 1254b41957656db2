#include "writers/worker/CancellableTextSource.h"

#include <chrono>
#include <thread>
#include <utility>

namespace {

constexpr auto kCancelCheck = std::chrono::milliseconds(50);
// Past this the source's own wait is let decide (it gives up on an overdue page).
constexpr auto kLongestOwnWait = std::chrono::seconds(130);

}  // namespace

CancellableTextSource::CancellableTextSource(std::shared_ptr<PageTextSource> source)
    : source_(std::move(source)) {}

void CancellableTextSource::Prepare(const std::vector<std::string>& pageFiles) {
  source_->Prepare(pageFiles);
}

// The source's own wait cannot be interrupted, so the page is waited for here,
// looking at the cancel between looks at the page.
PageTextResult CancellableTextSource::TextOf(const std::string& pageFile) {
  const auto giveUp = std::chrono::steady_clock::now() + kLongestOwnWait;
  while (!IsCancelled() && source_->CountFinished({pageFile}) == 0 &&
         std::chrono::steady_clock::now() < giveUp)
    std::this_thread::sleep_for(kCancelCheck);
  if (!IsCancelled() || source_->CountFinished({pageFile}) > 0)
    return source_->TextOf(pageFile);
  PageTextResult skipped;
  skipped.failure = "recognition was cancelled";
  return skipped;
}

int CancellableTextSource::CountFinished(const std::vector<std::string>& pageFiles) const {
  return source_->CountFinished(pageFiles);
}
