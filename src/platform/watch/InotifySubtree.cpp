#include "platform/watch/InotifySubtree.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <deque>
#include <fstream>

#include "core/DebugLog.h"

namespace {

constexpr uint32_t kFolderMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                 IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW |
                                 IN_EXCL_UNLINK;

std::string Join(const std::string& folder, const char* name) {
  return folder.ends_with('/') ? folder + name : folder + "/" + name;
}

bool IsPrefixFolder(const std::string& folder, const std::string& path) {
  return path == folder || (path.starts_with(folder) && path[folder.size()] == '/');
}

// Watches are counted per user across all programs: take at most a quarter
// of what the system allows, so file managers and editors keep theirs.
int SystemWatchShare() {
  std::ifstream file("/proc/sys/fs/inotify/max_user_watches");
  long limit = 0;
  if (!(file >> limit) || limit <= 0)
    return 2048;
  return static_cast<int>(std::clamp(limit / 4, 256L, 1L << 20));
}

}  // namespace

InotifySubtree::InotifySubtree(std::string folder, bool includeFiles, int maxWatchedFolders,
                               const std::atomic<bool>& stopping)
    : folder_(std::move(folder)),
      includeFiles_(includeFiles),
      maxWatchedFolders_(std::min(maxWatchedFolders, SystemWatchShare())),
      stopping_(stopping) {
  if (folder_.size() > 1 && folder_.ends_with('/'))
    folder_.pop_back();
}

InotifySubtree::~InotifySubtree() {
  if (fd_ >= 0)
    ::close(fd_);
}

bool InotifySubtree::Open() {
  struct stat info {};
  if (::stat(folder_.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
    return false;
  device_ = info.st_dev;
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ < 0)
    return false;
  // The root itself may be a symbolic link to the archive; only links below it are not followed.
  rootWatch_ = ::inotify_add_watch(fd_, folder_.c_str(), kFolderMask & ~IN_DONT_FOLLOW);
  if (rootWatch_ < 0)
    return false;
  paths_[rootWatch_] = folder_;
  WatchTree(folder_);
  return true;
}

bool InotifySubtree::AddWatch(const std::string& folder) {
  if (WatchCount() >= maxWatchedFolders_) {
    if (!limitLogged_)
      Log(LOG_LOCATION, "InotifySubtree::AddWatch(): limit of %d folders reached below %s",
          maxWatchedFolders_, folder_.c_str());
    limitLogged_ = true;
    return false;
  }
  const int watch = ::inotify_add_watch(fd_, folder.c_str(), kFolderMask);
  if (watch < 0)
    return false;
  paths_[watch] = folder;
  return true;
}

// Breadth first, so that with a bound on the watches the folders nearest the
// root (the ones a user sees expanded) are the ones followed.
void InotifySubtree::WatchTree(const std::string& folder) {
  std::deque<std::string> pending{folder};
  while (!pending.empty() && !stopping_.load()) {
    const std::string current = std::move(pending.front());
    pending.pop_front();
    DIR* dir = ::opendir(current.c_str());
    if (dir == nullptr)
      continue;
    while (const dirent* entry = ::readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
        continue;
      const std::string child = Join(current, entry->d_name);
      struct stat info {};
      if (entry->d_type != DT_DIR && entry->d_type != DT_UNKNOWN)
        continue;
      if (::lstat(child.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        continue;
      if (info.st_dev != device_)
        continue;  // other file systems are not followed
      if (AddWatch(child))
        pending.push_back(child);
    }
    ::closedir(dir);
  }
}

void InotifySubtree::ForgetTree(const std::string& folder) {
  for (auto it = paths_.begin(); it != paths_.end();) {
    if (it->first != rootWatch_ && IsPrefixFolder(folder, it->second)) {
      ::inotify_rm_watch(fd_, it->first);
      it = paths_.erase(it);
    } else {
      ++it;
    }
  }
}

bool InotifySubtree::HandleEvent(const inotify_event& event) {
  if (event.mask & IN_Q_OVERFLOW)
    return true;
  if (event.mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
    if (event.wd == rootWatch_)
      rootGone_ = true;
    if (event.mask & IN_IGNORED)
      paths_.erase(event.wd);
    return event.wd == rootWatch_;
  }
  const auto folder = paths_.find(event.wd);
  if (folder == paths_.end() || event.len == 0)
    return false;
  const bool isFolder = (event.mask & IN_ISDIR) != 0;
  const std::string path = Join(folder->second, event.name);
  if (isFolder && (event.mask & (IN_CREATE | IN_MOVED_TO)) && AddWatch(path))
    WatchTree(path);
  if (isFolder && (event.mask & IN_MOVED_FROM))
    ForgetTree(path);
  return isFolder || includeFiles_;
}

bool InotifySubtree::ReadEvents() {
  alignas(inotify_event) std::array<char, 16384> buffer{};
  bool changed = false;
  for (;;) {
    const ssize_t length = ::read(fd_, buffer.data(), buffer.size());
    if (length <= 0)
      break;
    for (ssize_t offset = 0; offset < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + offset);
      changed = HandleEvent(*event) || changed;
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  return changed;
}
