#pragma once

#include <QStyledItemDelegate>

class CTreeFileCtrl;

// Draws compressed and encrypted files in their colours and hands an edited
// label to the tree instead of writing it into the item: the label changes
// only when the rename on disk succeeded.
class TreeItemDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  explicit TreeItemDelegate(CTreeFileCtrl& tree);

  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  CTreeFileCtrl& tree_;
};
