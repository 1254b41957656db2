#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

// Watches a folder and every folder below it on a thread of its own and calls
// `onChange` on that thread once per burst of changes (entries created,
// deleted or renamed). `onChange` returns false to end the watch. Destroying
// the watcher, or Stop(), ends the thread at once and waits for it.
// `onReady` runs on that thread once every folder is watched: changes made
// before then may have gone unseen, so the owner looks at the disk once more.
class FolderWatcher {
 public:
  struct Options {
    bool includeFiles = true;         // false: only folder names count as changes
    int quietMilliseconds = 100;      // a burst ends after this long without changes
    int maxBurstMilliseconds = 1000;  // a long burst still reports this often
    int maxWatchedFolders = 16384;    // nearest folders first; deeper ones beyond are not watched
  };
  using ChangeHandler = std::function<bool()>;
  using ReadyHandler = std::function<void()>;

  FolderWatcher(std::string folder, Options options, ChangeHandler onChange,
                ReadyHandler onReady = {});
  ~FolderWatcher();
  FolderWatcher(const FolderWatcher&) = delete;
  FolderWatcher& operator=(const FolderWatcher&) = delete;

  // Asks the thread to end without waiting; Stop() (or the destructor) waits.
  void RequestStop();
  void Stop();
  const std::string& Folder() const { return folder_; }

 private:
  void Run();
  bool WaitForBurstEnd(class InotifySubtree& watches);

  std::string folder_;
  Options options_;
  ChangeHandler onChange_;
  ReadyHandler onReady_;
  int stopFd_ = -1;
  std::atomic<bool> stopping_ = false;
  std::thread thread_;
};
