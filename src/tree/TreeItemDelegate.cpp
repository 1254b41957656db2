#include "tree/TreeItemDelegate.h"

#include <QLineEdit>
#include <utility>

TreeItemDelegate::TreeItemDelegate(Callbacks callbacks, QObject* parent)
    : QStyledItemDelegate(parent), callbacks_(std::move(callbacks)) {}

void TreeItemDelegate::setModelData(QWidget* editor, QAbstractItemModel*,
                                    const QModelIndex& index) const {
  if (const auto* line = qobject_cast<QLineEdit*>(editor))
    callbacks_.labelEdited(index, line->text());
}

void TreeItemDelegate::initStyleOption(QStyleOptionViewItem* option,
                                       const QModelIndex& index) const {
  QStyledItemDelegate::initStyleOption(option, index);
  if (option->state & QStyle::State_Selected)
    return;
  const QColor colour = callbacks_.textColour(index);
  if (colour.isValid())
    option->palette.setColor(QPalette::Text, colour);
}
