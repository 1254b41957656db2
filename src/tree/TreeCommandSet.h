#pragma once

#include <QObject>

#include "tree/TreeCommand.h"

class CTreeFileCtrl;
class QKeyEvent;
class QMenu;
class QPoint;
class QTreeWidgetItem;

// The commands of the tree on its selected item: which are allowed and
// enabled, running them, the keys that start them and the context menu.
// A command whose rule fails is ignored. Works through the tree's public
// operations; the commands the main window carries out leave as signals.
class TreeCommandSet : public QObject {
  Q_OBJECT

 public:
  explicit TreeCommandSet(CTreeFileCtrl& tree);

  void SetAllowRename(bool allow) { allowRename_ = allow; }
  void SetAllowDelete(bool allow) { allowDelete_ = allow; }
  void SetAllowOpen(bool allow) { allowOpen_ = allow; }
  void SetAllowProperties(bool allow) { allowProperties_ = allow; }

  // Rules on one item (the fallback nodes have no path: nothing on disk to
  // rename or delete).
  bool CanOpen(QTreeWidgetItem* item) const { return allowOpen_ && item != nullptr; }
  bool CanShowProperties(QTreeWidgetItem* item) const;
  bool CanRename(QTreeWidgetItem* item) const;
  bool CanDelete(QTreeWidgetItem* item) const;

  bool IsEnabled(TreeCommand command) const;
  void Run(TreeCommand command, bool permanently = false);
  // Runs after the key or click that asked for it has been handled.
  void Post(TreeCommand command, bool permanently = false);

  // The caller owns the menu; its entries run their commands when triggered.
  QMenu* CreateContextMenu();
  void ShowContextMenu(const QPoint& globalPosition);
  // Runs the command of a key outside label editing; false for other keys,
  // and for Enter unless a file is selected.
  bool HandleKey(const QKeyEvent& event);

 signals:
  void combineToTiffRequested();
  void exploreRequested();
  void convertToCompressedPdfRequested();
  void convertToUncompressedPdfRequested();

 private:
  QTreeWidgetItem* SelectedItem() const;
  bool IsOnDisk(QTreeWidgetItem* item) const;
  bool IsDriveOrFolder(QTreeWidgetItem* item) const;
  bool IsFileSelected() const;

  CTreeFileCtrl& tree_;
  bool allowRename_ = false;
  bool allowOpen_ = true;
  bool allowProperties_ = true;
  bool allowDelete_ = false;
};
