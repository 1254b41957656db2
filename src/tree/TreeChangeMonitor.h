#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CTreeFileCtrlThreadInfo;
class QObject;

// The tree's change monitors: one thread per watched folder, each posting a
// FolderChangedEvent to the receiver per burst of changes while automatic
// refresh is on. The receiver hands those events back to OnFolderChanged,
// which re-checks the tree unless the tree is changing the disk itself.
class TreeChangeMonitor {
 public:
  struct Callbacks {
    std::function<bool()> busy;    // the tree is changing the disk itself
    std::function<void()> resync;  // re-check every loaded item against the disk
  };

  TreeChangeMonitor(QObject& receiver, Callbacks callbacks);
  ~TreeChangeMonitor();  // stops every monitor and waits for its thread
  TreeChangeMonitor(const TreeChangeMonitor&) = delete;
  TreeChangeMonitor& operator=(const TreeChangeMonitor&) = delete;

  // Read by the monitor threads without a lock.
  void SetAutoRefresh(bool on) { autoRefresh_.exchange(on); }
  bool AutoRefresh() const { return autoRefresh_.load(); }

  // A folder already watched is not watched twice.
  void Start(const std::string& path, bool includeFiles);
  // The first monitor of the folder, compared without case; others are ignored.
  void Stop(const std::string& path);
  void StopAll();
  int Count() const { return static_cast<int>(monitors_.size()); }

  // `index` is the monitor's position when its thread started.
  void OnFolderChanged(int index);

 private:
  QObject& receiver_;
  Callbacks callbacks_;
  std::atomic<bool> autoRefresh_ = false;
  std::vector<std::unique_ptr<CTreeFileCtrlThreadInfo>> monitors_;
};
