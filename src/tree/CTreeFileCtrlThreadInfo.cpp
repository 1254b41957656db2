#include "tree/CTreeFileCtrlThreadInfo.h"

#include <utility>

#include "core/Paths.h"

CTreeFileCtrlThreadInfo::CTreeFileCtrlThreadInfo(std::string path, int index, bool includeFiles,
                                                 Callbacks callbacks)
    : path_(EnsureTrailingSeparator(std::move(path))),
      index_(index),
      callbacks_(std::move(callbacks)) {
  FolderWatcher::Options options;
  options.includeFiles = includeFiles;
  watcher_ = std::make_unique<FolderWatcher>(
      path_, options, [this] { return NotifyOwner(); },
      // Changes made while the watch was being set up may have gone unseen.
      [this] {
        if (callbacks_.refreshOn())
          callbacks_.notify(index_);
      });
}

CTreeFileCtrlThreadInfo::~CTreeFileCtrlThreadInfo() {
  Stop();
}

void CTreeFileCtrlThreadInfo::Stop() {
  watcher_->Stop();
}

// Runs on the monitor thread; false ends the thread.
bool CTreeFileCtrlThreadInfo::NotifyOwner() {
  if (!callbacks_.refreshOn())
    return false;
  callbacks_.notify(index_);
  return true;
}
