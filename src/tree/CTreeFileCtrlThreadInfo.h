#pragma once

#include <memory>
#include <string>

#include "platform/watch/FolderWatcher.h"

class CTreeFileCtrl;

// One watched folder of the tree and its monitor thread. The thread posts a
// FolderChangedEvent to the owner per burst of changes while the owner's
// automatic refresh is on, and ends at the first change it sees while it is off.
class CTreeFileCtrlThreadInfo {
 public:
  CTreeFileCtrlThreadInfo(CTreeFileCtrl& owner, std::string path, int index, bool includeFiles);
  ~CTreeFileCtrlThreadInfo();  // stops the thread and waits for it

  const std::string& Path() const { return path_; }
  int Index() const { return index_; }
  void RequestStop() { watcher_->RequestStop(); }
  void Stop();

 private:
  bool NotifyOwner();
  void Post();

  std::string path_;  // always with a trailing separator
  CTreeFileCtrl& owner_;
  int index_;
  std::unique_ptr<FolderWatcher> watcher_;
};
