#include "tree/TreeItemDelegate.h"

#include <QLineEdit>

#include "tree/CTreeFileCtrl.h"

TreeItemDelegate::TreeItemDelegate(CTreeFileCtrl& tree) : QStyledItemDelegate(&tree), tree_(tree) {}

void TreeItemDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                    const QModelIndex& index) const {
  if (const auto* line = qobject_cast<QLineEdit*>(editor))
    tree_.LabelEdited(index, line->text());
}

void TreeItemDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  if (option->state & QStyle::State_Selected)
    return;
  const QColor colour = tree_.TextColour(index);
  if (colour.isValid())
    option->palette.setColor(QPalette::Text, colour);
}
