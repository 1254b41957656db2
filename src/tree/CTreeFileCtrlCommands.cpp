// The commands of the tree: context menu, keys, double click, rename, delete,
// new folders, properties and the moves through the tree.
#include <QContextMenuEvent>
#include <QFile>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

#include "platform/DesktopShell.h"
#include "tree/CTreeFileCtrl.h"
#include "tree/CTreeFileItem.h"

namespace {

struct MenuEntry {
  TreeCommand command;
  const char* text;
  const char* objectName;
};

// The context menu in its order; a null text is a separator.
constexpr MenuEntry kMenu[] = {
    {TreeCommand::Open, "&Open", "openAction"},
    {TreeCommand::Rename, "&Rename", "renameAction"},
    {TreeCommand::Delete, "&Delete", "deleteAction"},
    {TreeCommand::Open, nullptr, nullptr},
    {TreeCommand::NewSubfolder, "New &Subfolder", "newSubfolderAction"},
    {TreeCommand::NewRootFolder, "&New Root Folder", "newRootFolderAction"},
    {TreeCommand::Open, nullptr, nullptr},
    {TreeCommand::CombineToTiff, "&Combine to TIFF", "combineToTiffAction"},
    {TreeCommand::ConvertToPdfCompressed, "Con&vert to PDF (compressed)",
     "convertToPdfCompressedAction"},
    {TreeCommand::ConvertToPdfUncompressed, "Conver&t to PDF (uncompressed)",
     "convertToPdfUncompressedAction"},
    {TreeCommand::Open, nullptr, nullptr},
    {TreeCommand::ExploreHere, "&Explore Here", "exploreHereAction"},
    {TreeCommand::Open, nullptr, nullptr},
    {TreeCommand::Properties, "&Properties", "propertiesAction"},
};

QString ToQString(const std::string& path) {
  return QFile::decodeName(path.c_str());
}

}  // namespace

// ---- Enabling rules and dispatch

bool CTreeFileCtrl::IsNetworkResourceOpenable(QTreeWidgetItem* item) const {
  const TreeItemInfo& record = RecordOf(item);
  if (!record.isNetworkNode)
    return true;
  return record.netResource && (record.netResource->displayType == NetResource::kServer ||
                                record.netResource->displayType == NetResource::kShare);
}

// The fallback nodes have no path: there is nothing on disk to rename or delete.
bool CTreeFileCtrl::CanRename(QTreeWidgetItem* item) const {
  const TreeItemInfo& record = RecordOf(item);
  return item != nullptr && allowRename_ && !record.path.empty() && !IsDrive(record.path) &&
         !record.isNetworkNode;
}

bool CTreeFileCtrl::CanDelete(QTreeWidgetItem* item) const {
  const TreeItemInfo& record = RecordOf(item);
  return item != nullptr && allowDelete_ && !record.path.empty() && !IsDrive(record.path) &&
         !record.isNetworkNode;
}

bool CTreeFileCtrl::IsDriveOrFolder(QTreeWidgetItem* item) const {
  return item != nullptr && (IsDrive(item) || IsFolder(item));
}

bool CTreeFileCtrl::IsCommandEnabled(TreeCommand command) const {
  QTreeWidgetItem* item = SelectedItem();
  switch (command) {
    case TreeCommand::Open:
      return item && allowOpen_ && IsNetworkResourceOpenable(item);
    case TreeCommand::Rename:
      return CanRename(item);
    case TreeCommand::Delete:
      return CanDelete(item);
    case TreeCommand::NewSubfolder:
    case TreeCommand::CombineToTiff:
      return IsDriveOrFolder(item);
    case TreeCommand::NewRootFolder:
    case TreeCommand::Refresh:
      return true;
    case TreeCommand::ConvertToPdfCompressed:
    case TreeCommand::ConvertToPdfUncompressed:
      return item && IsFile(item) && ItemExtension(item) == "TIF";
    case TreeCommand::ExploreHere:
      return IsDriveOrFolder(item) || (item && IsFile(item));
    case TreeCommand::Properties:
      return item && allowProperties_ && IsNetworkResourceOpenable(item);
    case TreeCommand::UpOneLevel:
      return item && item->parent() != nullptr;
    case TreeCommand::Back:
      return history_.CanGoBack();
    case TreeCommand::Forward:
      return history_.CanGoForward();
  }
  return false;
}

void CTreeFileCtrl::RunCommand(TreeCommand command, bool permanently) {
  if (!IsCommandEnabled(command))
    return;
  QTreeWidgetItem* item = SelectedItem();
  switch (command) {
    case TreeCommand::Open:
      Open(item);
      break;
    case TreeCommand::Rename:
      Rename(item);
      break;
    case TreeCommand::Delete:
      Delete(item, permanently);
      break;
    case TreeCommand::NewSubfolder:
      CreateNewFolder(item);
      break;
    case TreeCommand::NewRootFolder:
      CreateNewFolder(invisibleRootItem());
      break;
    case TreeCommand::CombineToTiff:
      emit combineToTiffRequested();
      break;
    case TreeCommand::ConvertToPdfCompressed:
      emit convertToCompressedPdfRequested();
      break;
    case TreeCommand::ConvertToPdfUncompressed:
      emit convertToUncompressedPdfRequested();
      break;
    case TreeCommand::ExploreHere:
      emit exploreRequested();
      break;
    case TreeCommand::Properties:
      ShowProperties(item);
      break;
    case TreeCommand::UpOneLevel:
      setCurrentItem(item->parent());
      break;
    case TreeCommand::Back:
      GoBack();
      break;
    case TreeCommand::Forward:
      GoForward();
      break;
    case TreeCommand::Refresh:
      Rebuild();
      break;
  }
}

// Runs after the key or click that asked for it has been handled.
void CTreeFileCtrl::PostCommand(TreeCommand command, bool permanently) {
  QMetaObject::invokeMethod(
      this, [this, command, permanently] { RunCommand(command, permanently); },
      Qt::QueuedConnection);
}

// ---- Context menu, keys and double click

QMenu* CTreeFileCtrl::CreateContextMenu() {
  auto* menu = new QMenu(this);
  menu->setObjectName("treeContextMenu");
  for (const MenuEntry& entry : kMenu) {
    if (entry.text == nullptr) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(QString::fromLatin1(entry.text));
    action->setObjectName(entry.objectName);
    action->setEnabled(IsCommandEnabled(entry.command));
    connect(action, &QAction::triggered, this, [this, command = entry.command] {
      const bool shift = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
      RunCommand(command, command == TreeCommand::Delete && shift);
    });
  }
  return menu;
}

void CTreeFileCtrl::ShowContextMenu(const QPoint& globalPosition) {
  QMenu* menu = CreateContextMenu();
  connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
  menu->popup(globalPosition);
}

void CTreeFileCtrl::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() == QContextMenuEvent::Mouse) {
    QTreeWidgetItem* item = itemAt(viewport()->mapFromGlobal(event->globalPos()));
    if (item != currentItem())
      setCurrentItem(item);
  }
  ShowContextMenu(event->globalPos());
}

void CTreeFileCtrl::keyPressEvent(QKeyEvent* event) {
  if (state() == QAbstractItemView::EditingState)
    return QTreeWidget::keyPressEvent(event);
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  const int key = event->key();
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (key == Qt::Key_F10 && modifiers == Qt::ShiftModifier) {
    const QRect label = visualItemRect(currentItem());
    ShowContextMenu(viewport()->mapToGlobal(label.center()));
  } else if (enter && modifiers == Qt::AltModifier) {
    PostCommand(TreeCommand::Properties);
  } else if (enter && modifiers == Qt::NoModifier) {
    PostCommand(TreeCommand::Open);
  } else if (key == Qt::Key_Delete && (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier) {
    PostCommand(TreeCommand::Delete, modifiers == Qt::ShiftModifier);
  } else if (key == Qt::Key_Backspace && modifiers == Qt::NoModifier) {
    UpOneLevel();
  } else if (key == Qt::Key_F2 && modifiers == Qt::NoModifier) {
    PostCommand(TreeCommand::Rename);
  } else if (key == Qt::Key_F5 && modifiers == Qt::NoModifier) {
    PostCommand(TreeCommand::Refresh);
  } else if (key == Qt::Key_Left && modifiers == Qt::AltModifier) {
    PostCommand(TreeCommand::Back);
  } else if (key == Qt::Key_Right && modifiers == Qt::AltModifier) {
    PostCommand(TreeCommand::Forward);
  } else {
    QTreeWidget::keyPressEvent(event);
  }
}

void CTreeFileCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  const CTreeFileItem* item = AsFileItem(itemAt(event->position().toPoint()));
  if (item != nullptr && item == currentItem() && !item->HasIndicator())
    PostCommand(TreeCommand::Open);
  QTreeWidget::mouseDoubleClickEvent(event);
}

// ---- Open, properties and moving through the tree

bool CTreeFileCtrl::Open(QTreeWidgetItem* item) {
  if (!allowOpen_ || item == nullptr)
    return false;
  emit openRequested();
  return true;
}

bool CTreeFileCtrl::ShowProperties(QTreeWidgetItem* item) {
  if (!allowProperties_ || item == nullptr)
    return false;
  return DesktopShell::Instance().ShowProperties(ToQString(ItemPath(item)));
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
