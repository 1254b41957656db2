#include "tree/CTreeFileCtrlThreadInfo.h"

#include <QCoreApplication>

#include "core/Paths.h"
#include "tree/CTreeFileCtrl.h"
#include "tree/FolderChangedEvent.h"

CTreeFileCtrlThreadInfo::CTreeFileCtrlThreadInfo(CTreeFileCtrl& owner, std::string path, int index,
                                                 bool includeFiles)
    : path_(EnsureTrailingSeparator(std::move(path))), owner_(owner), index_(index) {
  FolderWatcher::Options options;
  options.includeFiles = includeFiles;
  watcher_ = std::make_unique<FolderWatcher>(
      path_, options, [this] { return NotifyOwner(); },
      [this] {
        if (owner_.AutoRefresh())
          Post();
      });
}

CTreeFileCtrlThreadInfo::~CTreeFileCtrlThreadInfo() {
  Stop();
}

void CTreeFileCtrlThreadInfo::Stop() {
  watcher_->Stop();
}

// Runs on the monitor thread: reads only the atomic flag and posts, never sends.
bool CTreeFileCtrlThreadInfo::NotifyOwner() {
  if (!owner_.AutoRefresh())
    return false;
  Post();
  return true;
}

void CTreeFileCtrlThreadInfo::Post() {
  QCoreApplication::postEvent(&owner_, new FolderChangedEvent(index_), Qt::LowEventPriority);
}
