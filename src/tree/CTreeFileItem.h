#pragma once

#include <QTreeWidgetItem>

#include "tree/TreeItemInfo.h"

// A tree item and the record it owns: the record lives and dies with the item.
class CTreeFileItem : public QTreeWidgetItem {
 public:
  static constexpr int kType = QTreeWidgetItem::UserType + 1;

  explicit CTreeFileItem(TreeItemInfo info);

  const TreeItemInfo& Info() const { return info_; }
  // Changes path and name together, so the sort key follows the name.
  void SetPathAndName(std::string path, std::string name);
  void SetPath(std::string path) { info_.path = std::move(path); }
  const QString& SortKey() const { return sortKey_; }

  // The expand button: shown before any child is loaded, or only for children.
  void SetIndicator(bool hasChildren);
  bool HasIndicator() const;

  // Folders before files, then by name without regard to case.
  bool operator<(const QTreeWidgetItem& other) const override;

 private:
  TreeItemInfo info_;
  QString sortKey_;
};

// The record of an item of the tree (items of other kinds have none).
CTreeFileItem* AsFileItem(QTreeWidgetItem* item);
