#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/watch/FolderWatcher.h"

// One watched folder of the tree and its monitor thread. The thread reports
// each burst of changes through `notify` while `refreshOn` holds, and ends at
// the first change it sees while it does not. Both run on the monitor thread.
class CTreeFileCtrlThreadInfo {
 public:
  struct Callbacks {
    std::function<bool()> refreshOn;        // must be safe to call from any thread
    std::function<void(int index)> notify;  // must only post, never send
  };

  CTreeFileCtrlThreadInfo(std::string path, int index, bool includeFiles, Callbacks callbacks);
  ~CTreeFileCtrlThreadInfo();  // stops the thread and waits for it

  const std::string& Path() const { return path_; }
  int Index() const { return index_; }
  void RequestStop() { watcher_->RequestStop(); }
  void Stop();

 private:
  bool NotifyOwner();

  std::string path_;  // always with a trailing separator
  int index_;
  Callbacks callbacks_;
  std::unique_ptr<FolderWatcher> watcher_;
};
