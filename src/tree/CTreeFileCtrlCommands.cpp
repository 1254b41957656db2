// The tree's side of its commands: the events that start them, the operations
// they run on the selected item and the moves through the tree.
#include <QContextMenuEvent>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>

#include "platform/DesktopShell.h"
#include "tree/CTreeFileCtrl.h"
#include "tree/CTreeFileItem.h"
#include "tree/TreeCommandSet.h"

bool CTreeFileCtrl::IsCommandEnabled(TreeCommand command) const {
  return commands_->IsEnabled(command);
}

void CTreeFileCtrl::RunCommand(TreeCommand command, bool permanently) {
  commands_->Run(command, permanently);
}

void CTreeFileCtrl::PostCommand(TreeCommand command, bool permanently) {
  commands_->Post(command, permanently);
}

QMenu* CTreeFileCtrl::CreateContextMenu() {
  return commands_->CreateContextMenu();
}

// ---- Context menu, keys and double click

void CTreeFileCtrl::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() == QContextMenuEvent::Mouse) {
    QTreeWidgetItem* item = itemAt(viewport()->mapFromGlobal(event->globalPos()));
    if (item != currentItem())
      setCurrentItem(item);
  }
  commands_->ShowContextMenu(event->globalPos());
}

void CTreeFileCtrl::keyPressEvent(QKeyEvent* event) {
  if (state() == QAbstractItemView::EditingState || !commands_->HandleKey(*event))
    QTreeWidget::keyPressEvent(event);
}

void CTreeFileCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  const CTreeFileItem* item = AsFileItem(itemAt(event->position().toPoint()));
  if (item != nullptr && item == currentItem() && !item->HasIndicator())
    PostCommand(TreeCommand::Open);
  QTreeWidget::mouseDoubleClickEvent(event);
}

// ---- Open, properties and moving through the tree

bool CTreeFileCtrl::Open(QTreeWidgetItem* item) {
  if (!commands_->CanOpen(item))
    return false;
  emit openRequested();
  return true;
}

bool CTreeFileCtrl::ShowProperties(QTreeWidgetItem* item) {
  if (!commands_->CanShowProperties(item))
    return false;
  return DesktopShell::Instance().ShowProperties(QFile::decodeName(ItemPath(item).c_str()));
}

void CTreeFileCtrl::UpOneLevel() {
  RunCommand(TreeCommand::UpOneLevel);
}

void CTreeFileCtrl::GoBack() {
  Navigate(true);
}

void CTreeFileCtrl::GoForward() {
  Navigate(false);
}

void CTreeFileCtrl::Navigate(bool back) {
  const QModelIndex current = currentItem() ? currentIndex() : QModelIndex();
  const QModelIndex target = back ? history_.TakeBack(current) : history_.TakeForward(current);
  if (!target.isValid())
    return;
  navigatingHistory_ = true;
  setCurrentIndex(target);
  scrollTo(target);
  navigatingHistory_ = false;
}
