#include "tree/TreeCommandSet.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

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
    // Shift+Delete deletes for good, after a question; the menu's command never does.
    {TreeCommand::Delete, "&Move to Trash", "deleteAction"},
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

const TreeItemInfo& RecordOf(QTreeWidgetItem* item) {
  static const TreeItemInfo kNoRecord;
  const CTreeFileItem* fileItem = AsFileItem(item);
  return fileItem ? fileItem->Info() : kNoRecord;
}

// Only servers and shares of the network can be opened, not the network node itself.
bool IsNetworkResourceOpenable(QTreeWidgetItem* item) {
  const TreeItemInfo& record = RecordOf(item);
  if (!record.isNetworkNode)
    return true;
  return record.netResource && (record.netResource->displayType == NetResource::kServer ||
                                record.netResource->displayType == NetResource::kShare);
}

}  // namespace

TreeCommandSet::TreeCommandSet(CTreeFileCtrl& tree) : tree_(tree) {}

QTreeWidgetItem* TreeCommandSet::SelectedItem() const {
  return AsFileItem(tree_.currentItem());
}

// ---- Enabling rules

bool TreeCommandSet::CanShowProperties(QTreeWidgetItem* item) const {
  return allowProperties_ && item != nullptr;
}

bool TreeCommandSet::IsOnDisk(QTreeWidgetItem* item) const {
  const TreeItemInfo& record = RecordOf(item);
  return item != nullptr && !record.path.empty() && !tree_.IsDrive(record.path) &&
         !record.isNetworkNode;
}

bool TreeCommandSet::CanRename(QTreeWidgetItem* item) const {
  return allowRename_ && IsOnDisk(item);
}

bool TreeCommandSet::CanDelete(QTreeWidgetItem* item) const {
  return allowDelete_ && IsOnDisk(item);
}

bool TreeCommandSet::IsFileSelected() const {
  QTreeWidgetItem* item = SelectedItem();
  return item != nullptr && tree_.IsFile(item);
}

bool TreeCommandSet::IsDriveOrFolder(QTreeWidgetItem* item) const {
  return item != nullptr && (tree_.IsDrive(item) || tree_.IsFolder(item));
}

bool TreeCommandSet::IsEnabled(TreeCommand command) const {
  QTreeWidgetItem* item = SelectedItem();
  switch (command) {
    case TreeCommand::Open:
      return CanOpen(item) && IsNetworkResourceOpenable(item);
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
      return item && tree_.IsFile(item) && tree_.ItemExtension(item) == "TIF";
    case TreeCommand::ExploreHere:
      return IsDriveOrFolder(item) || (item && tree_.IsFile(item));
    case TreeCommand::Properties:
      return CanShowProperties(item) && IsNetworkResourceOpenable(item);
    case TreeCommand::UpOneLevel:
      return item && item->parent() != nullptr;
    case TreeCommand::Back:
      return tree_.CanGoBack();
    case TreeCommand::Forward:
      return tree_.CanGoForward();
  }
  return false;
}

// ---- Running

void TreeCommandSet::Run(TreeCommand command, bool permanently) {
  if (!IsEnabled(command))
    return;
  QTreeWidgetItem* item = SelectedItem();
  switch (command) {
    case TreeCommand::Open:
      tree_.Open(item);
      break;
    case TreeCommand::Rename:
      tree_.Rename(item);
      break;
    case TreeCommand::Delete:
      tree_.Delete(item, permanently);
      break;
    case TreeCommand::NewSubfolder:
      tree_.CreateNewFolder(item);
      break;
    case TreeCommand::NewRootFolder:
      tree_.CreateNewFolder(tree_.invisibleRootItem());
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
      tree_.ShowProperties(item);
      break;
    case TreeCommand::UpOneLevel:
      tree_.setCurrentItem(item->parent());
      break;
    case TreeCommand::Back:
      tree_.GoBack();
      break;
    case TreeCommand::Forward:
      tree_.GoForward();
      break;
    case TreeCommand::Refresh:
      tree_.Rebuild();
      break;
  }
}

void TreeCommandSet::Post(TreeCommand command, bool permanently) {
  QMetaObject::invokeMethod(
      this, [this, command, permanently] { Run(command, permanently); }, Qt::QueuedConnection);
}

// ---- Context menu and keys

QMenu* TreeCommandSet::CreateContextMenu() {
  auto* menu = new QMenu(&tree_);
  menu->setObjectName("treeContextMenu");
  for (const MenuEntry& entry : kMenu) {
    if (entry.text == nullptr) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(QString::fromLatin1(entry.text));
    action->setObjectName(entry.objectName);
    action->setEnabled(IsEnabled(entry.command));
    // The command runs once the menu's own event handling has returned: a
    // command that opens dialogs runs event loops, in which the closed menu
    // is deleted while the handler that triggered it still uses it.
    connect(action, &QAction::triggered, this, [this, command = entry.command] {
      const bool shift = QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
      Post(command, command == TreeCommand::Delete && shift);
    });
  }
  return menu;
}

void TreeCommandSet::ShowContextMenu(const QPoint& globalPosition) {
  QMenu* menu = CreateContextMenu();
  connect(menu, &QMenu::aboutToHide, menu, &QObject::deleteLater);
  menu->popup(globalPosition);
}

bool TreeCommandSet::HandleKey(const QKeyEvent& event) {
  const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
  const int key = event.key();
  const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
  if (key == Qt::Key_F10 && modifiers == Qt::ShiftModifier) {
    const QRect label = tree_.visualItemRect(tree_.currentItem());
    ShowContextMenu(tree_.viewport()->mapToGlobal(label.center()));
  } else if (enter && modifiers == Qt::AltModifier) {
    Post(TreeCommand::Properties);
  } else if (enter && modifiers == Qt::NoModifier) {
    // Open shows files only; on a folder Enter goes on to the window, whose
    // Enter starts a scan into the folder just picked.
    if (!IsFileSelected())
      return false;
    Post(TreeCommand::Open);
  } else if (key == Qt::Key_Delete && (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier) {
    Post(TreeCommand::Delete, modifiers == Qt::ShiftModifier);
  } else if (key == Qt::Key_Backspace && modifiers == Qt::NoModifier) {
    Run(TreeCommand::UpOneLevel);
  } else if (key == Qt::Key_F2 && modifiers == Qt::NoModifier) {
    Post(TreeCommand::Rename);
  } else if (key == Qt::Key_F5 && modifiers == Qt::NoModifier) {
    Post(TreeCommand::Refresh);
  } else if (key == Qt::Key_Left && modifiers == Qt::AltModifier) {
    Post(TreeCommand::Back);
  } else if (key == Qt::Key_Right && modifiers == Qt::AltModifier) {
    Post(TreeCommand::Forward);
  } else {
    return false;
  }
  return true;
}
