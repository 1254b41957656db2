#include "tree/RemoteFolderPoller.h"

#include <sys/stat.h>

#include <QTreeWidgetItemIterator>
#include <vector>

#include "tree/CTreeFileCtrl.h"

RemoteFolderPoller::RemoteFolderPoller(CTreeFileCtrl& tree) : QObject(&tree), tree_(tree) {
  timer_.setInterval(kIntervalMilliseconds);
  connect(&timer_, &QTimer::timeout, this, &RemoteFolderPoller::OnTimer);
  timer_.start();
}

void RemoteFolderPoller::OnTimer() {
  const QWidget* window = tree_.window();
  if (!tree_.isVisible() || window == nullptr || !window->isActiveWindow() || !tree_.AutoRefresh() ||
      tree_.IsBusy())
    return;
  PollShownFolders();
}

bool RemoteFolderPoller::PollShownFolders() {
  std::vector<std::string> shown;
  if (!tree_.GetRoot().empty())
    shown.push_back(tree_.GetRoot());
  for (QTreeWidgetItemIterator it(&tree_); *it != nullptr; ++it)
    if ((*it)->isExpanded() && tree_.IsFolder(*it))
      shown.push_back(tree_.ItemPath(*it));
  bool changed = false;
  // Every folder is looked at, so each keeps its own last modification time.
  for (const std::string& folder : shown)
    changed = Changed(folder) || changed;
  if (changed)
    tree_.ResyncAll();
  return changed;
}

bool RemoteFolderPoller::Changed(const std::string& folder) {
  if (KindOf(folder) != FileSystemKind::Remote)
    return false;
  struct stat info {};
  if (::stat(folder.c_str(), &info) != 0)
    return false;
  const long long modified =
      static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
  const auto [entry, first] = modified_.try_emplace(folder, modified);
  if (first || entry->second == modified)
    return false;
  entry->second = modified;
  return true;
}

FileSystemKind RemoteFolderPoller::KindOf(const std::string& folder) {
  const auto found = kinds_.find(folder);
  if (found != kinds_.end())
    return found->second;
  return kinds_[folder] = FileSystemKindOf(folder);
}

void RemoteFolderPoller::Forget() {
  modified_.clear();
  kinds_.clear();
}
