#pragma once

#include <QColor>
#include <QPersistentModelIndex>
#include <QTreeWidget>
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
class QMenu;
class TreeChangeMonitor;
class RemoteFolderPoller;
class TreeCommandSet;

// The archive folder tree: the root's folders and files, read lazily on
// expand and forgotten on collapse, kept in step with the disk by its change
// monitors (TreeChangeMonitor), with the commands of its context menu and keys
// (TreeCommandSet). Without a root it shows a computer node with the mounted
// volumes and a network node with the mounted network file systems.
class CTreeFileCtrl : public QTreeWidget {
  Q_OBJECT

 public:
  explicit CTreeFileCtrl(QWidget* parent = nullptr);
  ~CTreeFileCtrl() override;

  // What the main window uses.
  void AttachSystemImageList();
  void SetAllowRename(bool allow);
  void SetAllowDelete(bool allow);
  void SetAllowOpen(bool allow);
  void SetAllowProperties(bool allow);
  void SetShowFiles(bool show) { showFiles_ = show; }
  void SetAutoRefresh(bool on);
  bool AutoRefresh() const;
  std::string GetRoot() const { return rootFolder_; }
  void SetRoot(const std::string& path);
  std::string GetSelectedPath() const;

  std::string ItemPath(QTreeWidgetItem* item) const;
  std::string ItemExtension(QTreeWidgetItem* item) const;
  QTreeWidgetItem* FindItemByPath(const std::string& path) const;
  bool IsFile(const std::string& path) const;
  bool IsFile(QTreeWidgetItem* item) const { return IsFile(ItemPath(item)); }
  bool IsFolder(const std::string& path) const;
  bool IsFolder(QTreeWidgetItem* item) const { return IsFolder(ItemPath(item)); }
  bool IsDrive(const std::string& path) const;
  bool IsDrive(QTreeWidgetItem* item) const { return IsDrive(ItemPath(item)); }
  bool IsCompressed(const std::string& path) const;
  bool IsEncrypted(const std::string& path) const;
  bool IsShared(const std::string& path) const;

  // Operations on one item, as the commands of the same name run them.
  bool Rename(QTreeWidgetItem* item);
  bool ShowProperties(QTreeWidgetItem* item);
  bool Delete(QTreeWidgetItem* item, bool permanently = false);
  bool Open(QTreeWidgetItem* item);
  void CreateNewFolder(QTreeWidgetItem* parent);
  void UpOneLevel();
  void Rebuild();
  void GoBack();
  bool CanGoBack() const { return history_.CanGoBack(); }
  void GoForward();
  bool CanGoForward() const { return history_.CanGoForward(); }

  void SelectPath(const std::string& path, bool expand);
  void Resync(QTreeWidgetItem* item);
  void ResyncAll() { Resync(invisibleRootItem()); }

  // Commands from the menu, the keys and the double click; a command whose
  // rule fails is ignored.
  bool IsCommandEnabled(TreeCommand command) const;
  void RunCommand(TreeCommand command, bool permanently = false);
  void PostCommand(TreeCommand command, bool permanently = false);
  QMenu* CreateContextMenu();

  // State that tests and benchmarks look at.
  QTreeWidgetItem* ComputerNode() const;
  QTreeWidgetItem* NetworkNode() const;
  int BackHistoryCount() const { return history_.BackCount(); }
  int ForwardHistoryCount() const { return history_.ForwardCount(); }
  int MonitorCount() const;
  // Re-reads shown folders of network shares, whose changes come unannounced.
  RemoteFolderPoller& RemotePoller() { return *remotePoller_; }
  bool IsBusy() const { return busy_; }
  long long InsertedItemCount() const { return insertedItems_; }

 signals:
  // The selection changed; the main window reads GetSelectedPath().
  void selectedPathChanged();
  // The change monitors saw the disk change below the root.
  void diskChanged();
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
  // Listing.
  CTreeFileItem* CreateEntry(TreeItemInfo record, bool probeChildren);
  QTreeWidgetItem* InsertEntry(QTreeWidgetItem* parent, TreeItemInfo record, bool shared,
                               const QIcon& icon, bool probeChildren);
  QIcon IconFor(const TreeItemInfo& record);
  bool HasDisplayableEntries(const std::string& path) const;
  bool CanDisplayFile(const FolderEntry& entry) const;
  bool CanDisplayFolder(const FolderEntry& entry) const;
  void PopulateFolder(const std::string& path, QTreeWidgetItem* parent, bool redrawOff);
  std::vector<CTreeFileItem*> ListEntries(const std::string& path, bool& readable);
  void AddNewEntries(QTreeWidgetItem* item, const std::string& path);
  QTreeWidgetItem* FindChildByName(QTreeWidgetItem* parent, const std::string& name) const;
  int DeleteChildren(QTreeWidgetItem* item, bool updateIndicator);
  void LoadChildren(QTreeWidgetItem* item);

  // Items and records.
  CTreeFileItem* SelectedItem() const;
  const TreeItemInfo& RecordOf(QTreeWidgetItem* item) const;
  bool IsFallbackNode(QTreeWidgetItem* item) const;
  bool IsPermanentNode(QTreeWidgetItem* item) const;
  bool IsShareItem(QTreeWidgetItem* item) const;
  QColor TextColour(const QModelIndex& index) const;

  // Volumes and the network, without a root.
  void InsertFallbackNodes();
  void ListDrives(QTreeWidgetItem* parent, bool redrawOff);
  void ListNetwork(QTreeWidgetItem* item);
  std::string DriveDisplayName(const std::string& path) const;
  bool IsRemovableMedia(const std::string& path) const;
  bool CheckMedia(const std::string& path) const;
  bool CanDisplayDrive(const std::string& path) const;
  bool CanDisplayNetworkItem(const TreeItemInfo& record) const;
  bool MonitorAllowed(const std::string& path) const;

  // Selection and history.
  void OnItemExpanded(QTreeWidgetItem* item);
  void OnItemCollapsed(QTreeWidgetItem* item);
  void OnCurrentItemChanged(QTreeWidgetItem* current);
  void RemoveVanishedItem(const QPersistentModelIndex& index);
  void OnRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
  void OnRowsRemoved(const QModelIndex& parent, int first);
  void Navigate(bool back);
  std::vector<std::string> RelativeComponents(const std::string& path,
                                              QTreeWidgetItem*& start) const;
  QTreeWidgetItem* FallbackAnchor(const std::vector<std::string>& components, size_t& used) const;

  // Renaming.
  void LabelEdited(const QModelIndex& index, const QString& text);
  void FinishRename(const QPersistentModelIndex& index, const QString& text);
  void ShowRenameError(const std::string& oldName, const QString& reason);
  void RebaseDescendants(QTreeWidgetItem* item, const std::string& from, const std::string& to);

  bool busy_ = false;
  std::string rootFolder_;
  bool showFiles_ = true;
  QTreeWidgetItem* networkNode_ = nullptr;
  QTreeWidgetItem* computerNode_ = nullptr;
  bool showComputerNode_ = true;
  std::string fileMask_ = "*.*";
  QColor compressedColor_ = QColor(0, 0, 255);
  bool colorCompressed_ = true;
  QColor encryptedColor_ = QColor(255, 0, 0);
  bool colorEncrypted_ = true;
  mutable TreeHistory history_{20};  // queries drop entries of deleted items
  bool navigatingHistory_ = false;
  bool showNetwork_ = true;
  bool showSharedOverlay_ = true;
  bool useShellDriveNames_ = true;

  bool rebuilding_ = false;
  bool currentGoesWithRemoval_ = false;
  QPersistentModelIndex lastSelected_;
  MountTable mounts_;
  mutable FileIconCache icons_;
  long long insertedItems_ = 0;
  std::unique_ptr<TreeCommandSet> commands_;
  std::unique_ptr<TreeChangeMonitor> monitors_;
  RemoteFolderPoller* remotePoller_ = nullptr;  // a child object
};
