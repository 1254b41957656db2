#pragma once

#include <QColor>
#include <QStyledItemDelegate>
#include <functional>

// Draws items in the colour the tree asks for (compressed and encrypted files)
// and hands an edited label to the tree instead of writing it into the item:
// the label changes only when the rename on disk succeeded.
class TreeItemDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  struct Callbacks {
    std::function<void(const QModelIndex& index, const QString& text)> labelEdited;
    std::function<QColor(const QModelIndex& index)> textColour;  // invalid: the palette's
  };

  TreeItemDelegate(Callbacks callbacks, QObject* parent);

  void setModelData(QWidget* editor, QAbstractItemModel* model,
                    const QModelIndex& index) const override;

 protected:
  void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

 private:
  Callbacks callbacks_;
};
