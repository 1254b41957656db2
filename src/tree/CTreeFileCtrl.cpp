#include "tree/CTreeFileCtrl.h"

#include <QApplication>
#include <QHeaderView>
#include <algorithm>
#include <unordered_set>
#include <utility>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "platform/volumes/FileFlags.h"
#include "tree/CTreeFileItem.h"
#include "tree/FolderChangedEvent.h"
#include "tree/RemoteFolderPoller.h"
#include "tree/TreeChangeMonitor.h"
#include "tree/TreeCommandSet.h"
#include "tree/TreeItemDelegate.h"
#include "tree/TreeNames.h"
#include "tree/TreeUiGuards.h"

CTreeFileCtrl::CTreeFileCtrl(QWidget* parent) : QTreeWidget(parent), mounts_(MountTable::Read()) {
  setObjectName("folderTree");
  setHeaderHidden(true);
  setColumnCount(1);
  setRootIsDecorated(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::SelectedClicked);
  setUniformRowHeights(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  header()->setSectionResizeMode(QHeaderView::ResizeToContents);
  header()->setStretchLastSection(false);
  commands_ = std::make_unique<TreeCommandSet>(*this);
  monitors_ = std::make_unique<TreeChangeMonitor>(
      *this, TreeChangeMonitor::Callbacks{[this] { return busy_; },
                                          [this] {
                                            ResyncAll();
                                            emit diskChanged();
                                          }});
  remotePoller_ = new RemoteFolderPoller(*this);
  setItemDelegate(new TreeItemDelegate(
      {[this](const QModelIndex& index, const QString& text) { LabelEdited(index, text); },
       [this](const QModelIndex& index) { return TextColour(index); }},
      this));
  connect(commands_.get(), &TreeCommandSet::combineToTiffRequested, this,
          &CTreeFileCtrl::combineToTiffRequested);
  connect(commands_.get(), &TreeCommandSet::exploreRequested, this,
          &CTreeFileCtrl::exploreRequested);
  connect(commands_.get(), &TreeCommandSet::convertToCompressedPdfRequested, this,
          &CTreeFileCtrl::convertToCompressedPdfRequested);
  connect(commands_.get(), &TreeCommandSet::convertToUncompressedPdfRequested, this,
          &CTreeFileCtrl::convertToUncompressedPdfRequested);
  connect(this, &QTreeWidget::itemExpanded, this, &CTreeFileCtrl::OnItemExpanded);
  connect(this, &QTreeWidget::itemCollapsed, this, &CTreeFileCtrl::OnItemCollapsed);
  connect(this, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current) { OnCurrentItemChanged(current); });
  connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this,
          &CTreeFileCtrl::OnRowsAboutToBeRemoved);
  connect(model(), &QAbstractItemModel::rowsRemoved, this,
          [this](const QModelIndex& parent, int first) { OnRowsRemoved(parent, first); });
}

CTreeFileCtrl::~CTreeFileCtrl() {
  disconnect(this, nullptr, this, nullptr);
  monitors_->StopAll();
  rebuilding_ = true;
  clear();
}

void CTreeFileCtrl::AttachSystemImageList() {
  Rebuild();
}

void CTreeFileCtrl::SetAllowRename(bool allow) {
  commands_->SetAllowRename(allow);
}

void CTreeFileCtrl::SetAllowDelete(bool allow) {
  commands_->SetAllowDelete(allow);
}

void CTreeFileCtrl::SetAllowOpen(bool allow) {
  commands_->SetAllowOpen(allow);
}

void CTreeFileCtrl::SetAllowProperties(bool allow) {
  commands_->SetAllowProperties(allow);
}

void CTreeFileCtrl::SetAutoRefresh(bool on) {
  monitors_->SetAutoRefresh(on);
  Rebuild();
}

bool CTreeFileCtrl::AutoRefresh() const {
  return monitors_->AutoRefresh();
}

int CTreeFileCtrl::MonitorCount() const {
  return monitors_->Count();
}

void CTreeFileCtrl::SetRoot(const std::string& path) {
  Log(LOG_LOCATION, "CTreeFileCtrl::SetRoot(): %s", path.c_str());
  rootFolder_ = path.size() > 1 && path.ends_with('/') ? path.substr(0, path.size() - 1) : path;
  Rebuild();
}

std::string CTreeFileCtrl::GetSelectedPath() const {
  return ItemPath(SelectedItem());
}

CTreeFileItem* CTreeFileCtrl::SelectedItem() const {
  return AsFileItem(currentItem());
}

const TreeItemInfo& CTreeFileCtrl::RecordOf(QTreeWidgetItem* item) const {
  static const TreeItemInfo kNoRecord;
  const CTreeFileItem* fileItem = AsFileItem(item);
  return fileItem ? fileItem->Info() : kNoRecord;
}

QTreeWidgetItem* CTreeFileCtrl::ComputerNode() const {
  return computerNode_;
}

QTreeWidgetItem* CTreeFileCtrl::NetworkNode() const {
  return networkNode_;
}

// ---- Queries of paths and items

std::string CTreeFileCtrl::ItemPath(QTreeWidgetItem* item) const {
  const CTreeFileItem* fileItem = AsFileItem(item);
  return fileItem ? fileItem->Info().path : std::string();
}

std::string CTreeFileCtrl::ItemExtension(QTreeWidgetItem* item) const {
  return PathExtension(ItemPath(item));
}

bool CTreeFileCtrl::IsFile(const std::string& path) const {
  return FolderListing::Exists(path) && !FolderListing::IsDirectory(path);
}

bool CTreeFileCtrl::IsFolder(const std::string& path) const {
  return FolderListing::IsDirectory(path);
}

bool CTreeFileCtrl::IsDrive(const std::string& path) const {
  return !path.empty() && mounts_.VolumeAt(path) != nullptr;
}

bool CTreeFileCtrl::IsCompressed(const std::string& path) const {
  return !IsDrive(path) && FileFlags::Of(path).compressed;
}

bool CTreeFileCtrl::IsEncrypted(const std::string& path) const {
  return !IsDrive(path) && FileFlags::Of(path).encrypted;
}

// No share service is consulted on this desktop, so nothing carries the overlay.
bool CTreeFileCtrl::IsShared(const std::string&) const {
  return false;
}

bool CTreeFileCtrl::IsRemovableMedia(const std::string& path) const {
  const MountedVolume* volume = mounts_.VolumeAt(path);
  return volume != nullptr && volume->isRemovable;
}

bool CTreeFileCtrl::CanDisplayFile(const FolderEntry& entry) const {
  return showFiles_ && !entry.isDirectory && !TreeNames::IsHiddenFileName(entry.name) &&
         TreeNames::MatchesFileMask(entry.name, fileMask_);
}

bool CTreeFileCtrl::CanDisplayFolder(const FolderEntry& entry) const {
  return entry.isDirectory;
}

bool CTreeFileCtrl::HasDisplayableEntries(const std::string& path) const {
  if (IsRemovableMedia(path))
    return true;
  if (FolderListing::IsLinkToOwnAncestor(path))
    return false;
  bool found = false;
  FolderListing::ForEach(path, [&](const FolderEntry& entry) {
    found = CanDisplayFolder(entry) || CanDisplayFile(entry);
    return !found;
  });
  return found;
}

bool CTreeFileCtrl::IsFallbackNode(QTreeWidgetItem* item) const {
  return item != nullptr && (item == computerNode_ || item == networkNode_);
}

// Items that are never taken for vanished: the fallback nodes, network items and drives.
bool CTreeFileCtrl::IsPermanentNode(QTreeWidgetItem* item) const {
  const TreeItemInfo& record = RecordOf(item);
  return IsFallbackNode(item) || record.netResource.has_value() || IsDrive(record.path);
}

// ---- Items

CTreeFileItem* CTreeFileCtrl::CreateEntry(TreeItemInfo record, bool probeChildren) {
  const bool probe = probeChildren && !record.isFile;
  const bool hasChildren = probe ? HasDisplayableEntries(record.path) : !probeChildren;
  auto* item = new CTreeFileItem(std::move(record));
  const TreeItemInfo& info = item->Info();
  const bool isDriveRecord = !info.path.empty() && info.path == info.name && IsDrive(info.path);
  item->setText(0, isDriveRecord && useShellDriveNames_
                       ? QString::fromStdString(DriveDisplayName(info.path))
                       : TreeNames::Label(info.name));
  item->setIcon(0, IconFor(info));
  item->SetIndicator(hasChildren);
  ++insertedItems_;
  return item;
}

// Overlays have no counterpart here: `shared` is accepted and not drawn.
QTreeWidgetItem* CTreeFileCtrl::InsertEntry(QTreeWidgetItem* parent, TreeItemInfo record, bool,
                                            const QIcon& icon, bool probeChildren) {
  CTreeFileItem* item = CreateEntry(std::move(record), probeChildren);
  if (!icon.isNull())
    item->setIcon(0, icon);
  parent->addChild(item);
  return item;
}

QIcon CTreeFileCtrl::IconFor(const TreeItemInfo& record) {
  if (record.isFile)
    return icons_.FileIcon(record.name);
  if (record.isNetworkNode)
    return icons_.NetworkIcon();
  if (const MountedVolume* volume = mounts_.VolumeAt(record.path);
      volume != nullptr && record.path == record.name)
    return icons_.DriveIcon(volume->isRemovable);
  return icons_.FolderIcon();
}

int CTreeFileCtrl::DeleteChildren(QTreeWidgetItem* item, bool updateIndicator) {
  const QList<QTreeWidgetItem*> children = item->takeChildren();
  qDeleteAll(children);
  if (updateIndicator)
    if (CTreeFileItem* fileItem = AsFileItem(item))
      fileItem->SetIndicator(!children.isEmpty());
  return static_cast<int>(children.size());
}

// Names compare without case, but on this desktop two names may differ only in
// case: the exact name wins.
QTreeWidgetItem* CTreeFileCtrl::FindChildByName(QTreeWidgetItem* parent,
                                                const std::string& name) const {
  const QString key = TreeNames::FoldedKey(name);
  QTreeWidgetItem* sameKey = nullptr;
  for (int i = 0; i < parent->childCount(); ++i) {
    const CTreeFileItem* child = AsFileItem(parent->child(i));
    if (child == nullptr)
      continue;
    if (child->Info().name == name)
      return parent->child(i);
    if (sameKey == nullptr && child->SortKey() == key)
      sameKey = parent->child(i);
  }
  return sameKey;
}

// ---- Listing

std::vector<CTreeFileItem*> CTreeFileCtrl::ListEntries(const std::string& path, bool& readable) {
  std::vector<FolderEntry> entries;
  readable = FolderListing::ForEach(path, [&](const FolderEntry& entry) {
    if (CanDisplayFolder(entry) || CanDisplayFile(entry))
      entries.push_back(entry);
    return true;
  });
  std::vector<CTreeFileItem*> items;
  items.reserve(entries.size());
  for (FolderEntry& entry : entries) {
    TreeItemInfo record;
    record.path = JoinPath(path, entry.name);
    record.name = std::move(entry.name);
    record.isFile = !entry.isDirectory;
    items.push_back(CreateEntry(std::move(record), true));
  }
  return items;
}

void CTreeFileCtrl::PopulateFolder(const std::string& path, QTreeWidgetItem* parent,
                                   bool redrawOff) {
  WaitCursor wait;
  RedrawOff redraw(*this, redrawOff);
  DeleteChildren(parent, false);
  bool readable = false;
  std::vector<CTreeFileItem*> items = ListEntries(path, readable);
  // Sorted before they go in: one insertion for the whole folder.
  std::stable_sort(items.begin(), items.end(), [](auto* a, auto* b) { return *a < *b; });
  parent->addChildren(QList<QTreeWidgetItem*>(items.begin(), items.end()));
  if (items.empty())
    if (CTreeFileItem* fileItem = AsFileItem(parent))
      fileItem->SetIndicator(false);
}

void CTreeFileCtrl::AddNewEntries(QTreeWidgetItem* item, const std::string& path) {
  std::unordered_set<std::string> known;
  for (int i = 0; i < item->childCount(); ++i)
    if (const CTreeFileItem* child = AsFileItem(item->child(i)))
      known.insert(child->Info().name);
  std::vector<FolderEntry> fresh;
  bool anyShown = false;
  FolderListing::ForEach(path, [&](const FolderEntry& entry) {
    if (!CanDisplayFolder(entry) && !CanDisplayFile(entry))
      return true;
    anyShown = true;
    if (!known.contains(entry.name))
      fresh.push_back(entry);
    return true;
  });
  QList<QTreeWidgetItem*> added;
  for (const FolderEntry& entry : fresh)
    added << CreateEntry(
        {JoinPath(path, entry.name), entry.name, {}, false, false, !entry.isDirectory}, true);
  if (!added.isEmpty()) {
    item->addChildren(added);
    item->sortChildren(0, Qt::AscendingOrder);
  }
  if (CTreeFileItem* fileItem = AsFileItem(item))
    fileItem->SetIndicator(anyShown);
}

// ---- Rebuild, lookup and selection

void CTreeFileCtrl::Rebuild() {
  Log(LOG_LOCATION, "CTreeFileCtrl::Rebuild(): %s", rootFolder_.c_str());
  WaitCursor wait;
  RedrawOff redraw(*this);
  const CTreeFileItem* selected = SelectedItem();
  const bool hadSelection = selected != nullptr;
  const std::string selectedPath = selected ? selected->Info().path : std::string();
  const bool selectedExpanded = selected != nullptr && selected->isExpanded();
  mounts_ = MountTable::Read();
  monitors_->StopAll();
  remotePoller_->Forget();
  rebuilding_ = true;
  clear();
  rebuilding_ = false;
  computerNode_ = networkNode_ = nullptr;
  lastSelected_ = QPersistentModelIndex();
  if (!rootFolder_.empty()) {
    PopulateFolder(rootFolder_, invisibleRootItem(), false);
    if (MonitorAllowed(rootFolder_))
      monitors_->Start(rootFolder_, showFiles_);
  } else {
    InsertFallbackNodes();
  }
  if (!selectedPath.empty())
    SelectPath(selectedPath, selectedExpanded);
  // The old selection is gone for good: the main window must hear of it.
  if (hadSelection && currentItem() == nullptr)
    emit selectedPathChanged();
}

std::vector<std::string> CTreeFileCtrl::RelativeComponents(const std::string& path,
                                                           QTreeWidgetItem*& start) const {
  std::vector<std::string> components = SplitPath(path);
  start = nullptr;
  size_t used = 0;
  if (rootFolder_.empty()) {
    start = FallbackAnchor(components, used);
  } else {
    const std::vector<std::string> root = SplitPath(rootFolder_);
    if (components.size() <= root.size() || !path.starts_with('/'))
      return {};
    for (; used < root.size(); ++used)
      if (!TreeNames::NamesEqual(root[used], components[used]))
        return {};
    start = invisibleRootItem();
  }
  return {components.begin() + static_cast<long>(used), components.end()};
}

// Without a root, paths start at the mounted volume (or network mount) with
// the longest mount point above them.
QTreeWidgetItem* CTreeFileCtrl::FallbackAnchor(const std::vector<std::string>& components,
                                               size_t& used) const {
  QTreeWidgetItem* best = nullptr;
  for (QTreeWidgetItem* node : {computerNode_, networkNode_}) {
    for (int i = 0; node != nullptr && i < node->childCount(); ++i) {
      const std::string mountPoint = ItemPath(node->child(i));
      const std::vector<std::string> mount = SplitPath(mountPoint);
      const bool above = !mountPoint.empty() && mount.size() <= components.size() &&
                         std::equal(mount.begin(), mount.end(), components.begin());
      if (above && (best == nullptr || mount.size() > used)) {
        best = node->child(i);
        used = mount.size();
      }
    }
  }
  return best;
}

QTreeWidgetItem* CTreeFileCtrl::FindItemByPath(const std::string& path) const {
  if (path.empty())
    return nullptr;
  QTreeWidgetItem* current = nullptr;
  const std::vector<std::string> components = RelativeComponents(path, current);
  if (current == nullptr || (components.empty() && current == invisibleRootItem()))
    return nullptr;
  for (const std::string& component : components) {
    current = FindChildByName(current, component);
    if (current == nullptr)
      return nullptr;
  }
  return current;
}

void CTreeFileCtrl::SelectPath(const std::string& path, bool expand) {
  if (rootFolder_.empty())
    for (QTreeWidgetItem* node : {computerNode_, networkNode_})
      if (node != nullptr && node->childCount() == 0)
        LoadChildren(node);
  QTreeWidgetItem* current = nullptr;
  const std::vector<std::string> components = RelativeComponents(path, current);
  if (current == nullptr || (components.empty() && current == invisibleRootItem()))
    return;
  RedrawOff redraw(*this);
  const auto open = [this](QTreeWidgetItem* item) {
    const CTreeFileItem* fileItem = AsFileItem(item);
    if (fileItem != nullptr && fileItem->HasIndicator() && item->childCount() == 0)
      LoadChildren(item);
    else
      item->setExpanded(true);
  };
  if (current != invisibleRootItem()) {
    if (current->parent() != nullptr)
      current->parent()->setExpanded(true);
    setCurrentItem(current);
    if (!components.empty() || expand)
      open(current);
  }
  for (size_t i = 0; i < components.size(); ++i) {
    QTreeWidgetItem* child = FindChildByName(current, components[i]);
    if (child == nullptr)
      return;
    current = child;
    setCurrentItem(current);
    if (i + 1 < components.size() || expand)
      open(current);
  }
}

void CTreeFileCtrl::OnCurrentItemChanged(QTreeWidgetItem* current) {
  if (rebuilding_)
    return;
  const QPersistentModelIndex previous = lastSelected_;
  lastSelected_ = current ? QPersistentModelIndex(indexFromItem(current)) : QPersistentModelIndex();
  if (current != nullptr) {
    if (IsPermanentNode(current) || FolderListing::Exists(ItemPath(current))) {
      if (!navigatingHistory_ && previous.isValid() && previous != lastSelected_)
        history_.RecordLeaving(previous);
    } else {
      // Removed once the selection change is over, never from inside it.
      QMetaObject::invokeMethod(
          this, [this, vanished = lastSelected_] { RemoveVanishedItem(vanished); },
          Qt::QueuedConnection);
    }
  }
  emit selectedPathChanged();
}

void CTreeFileCtrl::RemoveVanishedItem(const QPersistentModelIndex& index) {
  QTreeWidgetItem* item = index.isValid() ? itemFromIndex(index) : nullptr;
  if (item == nullptr || FolderListing::Exists(ItemPath(item)))
    return;
  QTreeWidgetItem* parent = item->parent();
  delete item;
  if (CTreeFileItem* parentItem = AsFileItem(parent))
    parentItem->SetIndicator(false);
}

// The item view moves the selection off a deleted item, but not off an item
// deleted with one of its folders above it: the selection would vanish
// without a word. It moves to the nearest item left, as for the item itself.
void CTreeFileCtrl::OnRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last) {
  currentGoesWithRemoval_ = false;
  for (QModelIndex above = currentIndex().parent(); above.isValid(); above = above.parent()) {
    if (above.parent() == parent && above.row() >= first && above.row() <= last)
      currentGoesWithRemoval_ = true;
  }
}

void CTreeFileCtrl::OnRowsRemoved(const QModelIndex& parent, int first) {
  if (!std::exchange(currentGoesWithRemoval_, false) || rebuilding_ || currentIndex().isValid())
    return;
  const int rows = model()->rowCount(parent);
  const QModelIndex next = first < rows ? model()->index(first, 0, parent)
                           : first > 0  ? model()->index(first - 1, 0, parent)
                                        : parent;
  if (next.isValid())
    setCurrentIndex(next);
  else
    emit selectedPathChanged();
}

// ---- Expanding, collapsing and re-checking

void CTreeFileCtrl::OnItemExpanded(QTreeWidgetItem* item) {
  const CTreeFileItem* fileItem = AsFileItem(item);
  if (fileItem != nullptr && fileItem->HasIndicator() && item->childCount() == 0)
    LoadChildren(item);
}

void CTreeFileCtrl::OnItemCollapsed(QTreeWidgetItem* item) {
  WaitCursor wait;
  const TreeItemInfo& record = RecordOf(item);
  if (IsDrive(record.path))
    monitors_->Stop(record.path);
  DeleteChildren(item, !record.isNetworkNode || IsShareItem(item) || item == networkNode_);
}

void CTreeFileCtrl::LoadChildren(QTreeWidgetItem* item) {
  const TreeItemInfo record = RecordOf(item);  // a copy: the item may go
  if (!CheckMedia(record.path)) {
    WaitCursor wait;
    item->setExpanded(false);
    DeleteChildren(item, true);
  } else if (IsFolder(record.path)) {
    // A link back to a folder above it is shown but never walked into.
    if (item->childCount() == 0 && !FolderListing::IsLinkToOwnAncestor(record.path))
      PopulateFolder(record.path, item, true);
    if (monitors_->AutoRefresh() && IsDrive(record.path))
      monitors_->Start(record.path, showFiles_);
  } else if (item == computerNode_) {
    ListDrives(item, true);
  } else if (item != networkNode_ && !record.netResource) {
    const QPersistentModelIndex vanished(indexFromItem(item));
    QMetaObject::invokeMethod(
        this, [this, vanished] { RemoveVanishedItem(vanished); }, Qt::QueuedConnection);
  } else {
    WaitCursor wait;
    ListNetwork(item);
  }
}

void CTreeFileCtrl::Resync(QTreeWidgetItem* item) {
  const bool isTop = item == invisibleRootItem();
  const std::string path = isTop ? rootFolder_ : ItemPath(item);
  if (!isTop) {
    if (!IsPermanentNode(item) && !FolderListing::Exists(path)) {
      delete item;
      return;
    }
    CTreeFileItem* fileItem = AsFileItem(item);
    // Children loaded without expanding (a restored selection) are kept current too.
    const bool loaded = item->isExpanded() || item->childCount() > 0;
    if (fileItem == nullptr || fileItem->Info().isFile || !loaded) {
      if (fileItem != nullptr && !fileItem->Info().isFile && !path.empty())
        fileItem->SetIndicator(HasDisplayableEntries(path));
      return;
    }
  }
  // From the last child back: deleting one leaves the positions before it alone.
  for (int i = item->childCount() - 1; i >= 0; --i)
    Resync(item->child(i));
  if (!path.empty() && !IsFallbackNode(item) && IsFolder(path) &&
      !FolderListing::IsLinkToOwnAncestor(path))
    AddNewEntries(item, path);
}

// ---- Change monitoring

bool CTreeFileCtrl::MonitorAllowed(const std::string& path) const {
  const MountedVolume* volume = mounts_.VolumeHolding(path);
  return volume == nullptr || !volume->isRemovable;
}

bool CTreeFileCtrl::event(QEvent* event) {
  // Another sender's event of the same number is not ours to read.
  const auto* changed = event->type() == FolderChangedEvent::kType
                            ? dynamic_cast<const FolderChangedEvent*>(event)
                            : nullptr;
  if (changed == nullptr)
    return QTreeWidget::event(event);
  monitors_->OnFolderChanged(changed->Index());
  return true;
}

// ---- Colours

QColor CTreeFileCtrl::TextColour(const QModelIndex& index) const {
  const CTreeFileItem* item = AsFileItem(itemFromIndex(index));
  if (item == nullptr || !item->Info().isFile)
    return {};
  const std::string& path = item->Info().path;
  if (colorCompressed_ && IsCompressed(path))
    return compressedColor_;
  if (colorEncrypted_ && IsEncrypted(path))
    return encryptedColor_;
  return {};
}
