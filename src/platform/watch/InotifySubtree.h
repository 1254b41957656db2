#pragma once

#include <atomic>
#include <map>
#include <string>

// The inotify watches of one folder tree: a watch on the folder and on every
// folder below it on the same file system, symbolic links never followed.
// New folders are watched as their creation is read; folders moved away are
// forgotten.
class InotifySubtree {
 public:
  // `stopping` cuts the first walk of a large tree short when the watch ends.
  InotifySubtree(std::string folder, bool includeFiles, int maxWatchedFolders,
                 const std::atomic<bool>& stopping);
  ~InotifySubtree();
  InotifySubtree(const InotifySubtree&) = delete;
  InotifySubtree& operator=(const InotifySubtree&) = delete;

  // False when the folder itself cannot be watched (missing, no access).
  bool Open();
  int Descriptor() const { return fd_; }
  // Reads what is pending; true when any of it is a change that counts.
  bool ReadEvents();
  // The watched folder itself was deleted or moved away.
  bool RootGone() const { return rootGone_; }
  int WatchCount() const { return static_cast<int>(paths_.size()); }

 private:
  void WatchTree(const std::string& folder);
  bool AddWatch(const std::string& folder);
  void ForgetTree(const std::string& folder);
  bool HandleEvent(const struct inotify_event& event);

  std::string folder_;
  bool includeFiles_;
  int maxWatchedFolders_;
  const std::atomic<bool>& stopping_;
  int fd_ = -1;
  int rootWatch_ = -1;
  unsigned long device_ = 0;
  bool rootGone_ = false;
  bool limitLogged_ = false;
  std::map<int, std::string> paths_;
};
