#pragma once

#include <QColor>
#include <QPersistentModelIndex>
#include <QTreeWidget>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "platform/volumes/MountTable.h"
#include "tree/FileIconCache.h"
#include "tree/FolderListing.h"
#include "tree/TreeCommand.h"
#include "tree/TreeHistory.h"
#include "tree/TreeItemInfo.h"

class CTreeFileItem;
class CTreeFileCtrlThreadInfo;
class QMenu;

// The archive folder tree: the root's folders and files, read lazily on
// expand and forgotten on collapse, kept in step with the disk by a change
// monitor, with the commands of its context menu and keys. Without a root it
// shows a computer node with the mounted volumes and a network node with the
// mounted network file systems.
class CTreeFileCtrl : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CTreeFileCtrl(QWidget* parent = nullptr);
  ~CTreeFileCtrl() override;

  // What the main window uses.
  void AttachSystemImageList();
  void SetAllowRename(bool allow) { allowRename_ = allow; }
  void SetAllowDelete(bool allow) { allowDelete_ = allow; }
  void SetAllowOpen(bool allow) { allowOpen_ = allow; }
  void SetAllowProperties(bool allow) { allowProperties_ = allow; }
  void SetShowFiles(bool show) { showFiles_ = show; }
  void SetAutoRefresh(bool on);
  bool AutoRefresh() const { return autoRefresh_.load(); }
  std::string GetRoot() const { return rootFolder_; }
  void SetRoot(const std::string& path);
  std::string GetSelectedPath() const;

  virtual std::string ItemPath(QTreeWidgetItem* item) const;
  virtual std::string ItemExtension(QTreeWidgetItem* item) const;
  virtual QTreeWidgetItem* FindItemByPath(const std::string& path) const;
  virtual bool IsFile(const std::string& path) const;
  bool IsFile(QTreeWidgetItem* item) const { return IsFile(ItemPath(item)); }
  virtual bool IsFolder(const std::string& path) const;
  bool IsFolder(QTreeWidgetItem* item) const { return IsFolder(ItemPath(item)); }
  virtual bool IsDrive(const std::string& path) const;
  bool IsDrive(QTreeWidgetItem* item) const { return IsDrive(ItemPath(item)); }
  virtual bool IsCompressed(const std::string& path) const;
  bool IsCompressed(QTreeWidgetItem* item) const { return IsCompressed(ItemPath(item)); }
  virtual bool IsEncrypted(const std::string& path) const;
  bool IsEncrypted(QTreeWidgetItem* item) const { return IsEncrypted(ItemPath(item)); }
  virtual bool IsShared(const std::string& path) const;
  virtual bool Rename(QTreeWidgetItem* item);
  virtual bool ShowProperties(QTreeWidgetItem* item);
  virtual bool Delete(QTreeWidgetItem* item, bool permanently = false);
  virtual bool Open(QTreeWidgetItem* item);
  virtual void UpOneLevel();
  virtual void Rebuild();
  virtual void GoBack();
  bool CanGoBack() { return history_.CanGoBack(); }
  virtual void GoForward();
  bool CanGoForward() { return history_.CanGoForward(); }
  virtual void PopulateFolder(const std::string& path, QTreeWidgetItem* parent, bool redrawOff);
  virtual void ListDrives(QTreeWidgetItem* parent, bool redrawOff);
  virtual QIcon IconFor(const TreeItemInfo& record);
  virtual bool HasDisplayableEntries(const std::string& path) const;
  virtual QTreeWidgetItem* InsertEntry(QTreeWidgetItem* parent, TreeItemInfo record, bool shared,
                                       const QIcon& icon, bool probeChildren);
  virtual QTreeWidgetItem* FindChildByName(QTreeWidgetItem* parent, const std::string& name) const;
  virtual bool IsRemovableMedia(const std::string& path) const;
  virtual bool CanDisplayFile(const FolderEntry& entry) const;
  virtual bool CanDisplayFolder(const FolderEntry& entry) const;
  virtual bool CanDisplayDrive(const std::string& path) const;
  virtual bool CanDisplayNetworkItem(const TreeItemInfo& record) const;
  virtual bool MonitorAllowed(const std::string& path) const;
  virtual void StartMonitor(const std::string& path);
  virtual void StopAllMonitors();
  virtual void StopMonitor(const std::string& path);
  virtual bool CheckMedia(const std::string& path) const;
  int ChildCount(QTreeWidgetItem* item) const { return item ? item->childCount() : 0; }
  int DeleteChildren(QTreeWidgetItem* item, bool updateIndicator);
  virtual void ListNetwork(QTreeWidgetItem* item);
  virtual std::string DriveDisplayName(const std::string& path) const;

  void SelectPath(const std::string& path, bool expand);
  void Resync(QTreeWidgetItem* item);
  void ResyncAll() { Resync(invisibleRootItem()); }
  void CreateNewFolder(QTreeWidgetItem* parent);

  // Commands from the menu, the keys and the double click; a command whose
  // rule fails is ignored.
  bool IsCommandEnabled(TreeCommand command) const;
  void RunCommand(TreeCommand command, bool permanently = false);
  void PostCommand(TreeCommand command, bool permanently = false);
  QMenu* CreateContextMenu();

  // For the item delegate.
  void LabelEdited(const QModelIndex& index, const QString& text);
  QColor TextColour(const QModelIndex& index) const;

  // State that tests and benchmarks look at.
  QTreeWidgetItem* ComputerNode() const;
  QTreeWidgetItem* NetworkNode() const;
  int BackHistoryCount() { return history_.BackCount(); }
  int ForwardHistoryCount() { return history_.ForwardCount(); }
  int MonitorCount() const { return static_cast<int>(monitors_.size()); }
  bool IsBusy() const { return busy_; }
  long long InsertedItemCount() const { return insertedItems_; }

 signals:
  // The selection changed; the main window reads GetSelectedPath().
  void selectedPathChanged();
  void openRequested();
  void combineToTiffRequested();
  void exploreRequested();
  void convertToCompressedPdfRequested();
  void convertToUncompressedPdfRequested();

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

 private:
  CTreeFileItem* CreateEntry(TreeItemInfo record, bool probeChildren);
  CTreeFileItem* SelectedItem() const;
  const TreeItemInfo& RecordOf(QTreeWidgetItem* item) const;
  bool IsFallbackNode(QTreeWidgetItem* item) const;
  bool IsPermanentNode(QTreeWidgetItem* item) const;
  bool IsNetworkResourceOpenable(QTreeWidgetItem* item) const;
  bool CanRename(QTreeWidgetItem* item) const;
  bool CanDelete(QTreeWidgetItem* item) const;
  bool IsShareItem(QTreeWidgetItem* item) const;
  bool IsDriveOrFolder(QTreeWidgetItem* item) const;
  void LoadChildren(QTreeWidgetItem* item);
  void AddNewEntries(QTreeWidgetItem* item, const std::string& path);
  std::vector<CTreeFileItem*> ListEntries(const std::string& path, bool& readable);
  void OnItemExpanded(QTreeWidgetItem* item);
  void OnItemCollapsed(QTreeWidgetItem* item);
  void OnCurrentItemChanged(QTreeWidgetItem* current);
  void RemoveVanishedItem(const QPersistentModelIndex& index);
  void OnRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
  void OnRowsRemoved(const QModelIndex& parent, int first);
  void OnFolderChanged(int index);
  void InsertFallbackNodes();
  void Navigate(bool back);
  void OpenItem(QTreeWidgetItem* item);
  void ShowContextMenu(const QPoint& globalPosition);
  void FinishRename(const QPersistentModelIndex& index, const QString& text);
  void ShowRenameError(const std::string& oldName, const QString& reason);
  void RebaseDescendants(QTreeWidgetItem* item, const std::string& from, const std::string& to);
  std::vector<std::string> RelativeComponents(const std::string& path,
                                              QTreeWidgetItem*& start) const;
  QTreeWidgetItem* FallbackAnchor(const std::vector<std::string>& components, size_t& used) const;

  bool busy_ = false;
  std::string rootFolder_;
  bool showFiles_ = true;
  QTreeWidgetItem* networkNode_ = nullptr;
  QTreeWidgetItem* computerNode_ = nullptr;
  bool showComputerNode_ = true;
  bool allowRename_ = false;
  bool allowOpen_ = true;
  bool allowProperties_ = true;
  bool allowDelete_ = false;
  std::string fileMask_ = "*.*";
  QColor compressedColor_ = QColor(0, 0, 255);
  bool colorCompressed_ = true;
  QColor encryptedColor_ = QColor(255, 0, 0);
  bool colorEncrypted_ = true;
  mutable TreeHistory history_{20};
  bool navigatingHistory_ = false;
  std::vector<std::unique_ptr<CTreeFileCtrlThreadInfo>> monitors_;
  std::atomic<bool> autoRefresh_ = false;
  bool showNetwork_ = true;
  bool showSharedOverlay_ = true;
  bool useShellDriveNames_ = true;

  bool rebuilding_ = false;
  bool currentGoesWithRemoval_ = false;
  QPersistentModelIndex lastSelected_;
  MountTable mounts_;
  mutable FileIconCache icons_;
  long long insertedItems_ = 0;
};
