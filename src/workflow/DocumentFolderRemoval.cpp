#include "workflow/DocumentFolderRemoval.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "core/DebugLog.h"
#include "core/Paths.h"

DocumentFolderRemoval::DocumentFolderRemoval(QObject* parent) : QObject(parent) {
  timer_.setInterval(kRetryMilliseconds);
  connect(&timer_, &QTimer::timeout, this, &DocumentFolderRemoval::RetryPending);
}

void DocumentFolderRemoval::Remove(const std::string& folder, const std::vector<std::string>& pages,
                                   bool removeFolder) {
  for (const std::string& page : pages)
    std::remove(page.c_str());
  if (!removeFolder)
    return;
  std::remove((folder + "_defaults.ini").c_str());
  Cancel(folder);
  if (TryRemoveFolder(folder))
    return;
  pending_.push_back({folder, kAttempts - 1});
  timer_.start();
}

void DocumentFolderRemoval::Cancel(const std::string& folder) {
  std::erase_if(pending_, [&](const Pending& entry) { return entry.folder == folder; });
  if (pending_.empty())
    timer_.stop();
}

bool DocumentFolderRemoval::IsPending(const std::string& folder) const {
  return std::any_of(pending_.begin(), pending_.end(),
                     [&](const Pending& entry) { return entry.folder == folder; });
}

void DocumentFolderRemoval::SetRetryInterval(int milliseconds) {
  timer_.setInterval(milliseconds);
}

bool DocumentFolderRemoval::TryRemoveFolder(const std::string& folder) {
  Log(LOG_LOCATION, "CFoliantDlg::RemoveDestinationFolder(): RemoveDirectory(%s)", folder.c_str());
  // Gone already counts as removed: there is nothing left to retry.
  return ::rmdir(RemoveTrailingSeparator(folder).c_str()) == 0 || !FileExists(folder);
}

void DocumentFolderRemoval::RetryPending() {
  for (Pending& entry : pending_) {
    if (TryRemoveFolder(entry.folder))
      entry.attemptsLeft = 0;
    else
      --entry.attemptsLeft;
  }
  std::erase_if(pending_, [](const Pending& entry) { return entry.attemptsLeft <= 0; });
  if (pending_.empty())
    timer_.stop();
}
