// The commands that change the disk: rename, delete and new folder. `busy` is
// set around each, since the tree brings itself up to date on its own.
#include <QFile>

#include "core/DebugLog.h"
#include "core/Paths.h"
#include "platform/DesktopShell.h"
#include "platform/Prompt.h"
#include "tree/CTreeFileCtrl.h"
#include "tree/CTreeFileItem.h"
#include "tree/FileOperations.h"
#include "tree/TreeCommandSet.h"
#include "tree/TreeNames.h"

namespace {

const QString kRenameCaption = QStringLiteral("Error Renaming File or Folder");
const QString kSyntaxError =
    QStringLiteral("The filename, directory name, or volume label syntax is incorrect.");

class BusyScope {
 public:
  explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
  ~BusyScope() { busy_ = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  bool& busy_;
};

}  // namespace

// ---- Rename

bool CTreeFileCtrl::Rename(QTreeWidgetItem* item) {
  if (!commands_->CanRename(item))
    return false;
  editItem(item, 0);
  return true;
}

bool CTreeFileCtrl::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (!commands_->CanRename(itemFromIndex(index)))
    return false;
  return QTreeWidget::edit(index, trigger, event);
}

// The editor is still closing here; the rename, and any message it needs,
// follows once it has gone.
void CTreeFileCtrl::LabelEdited(const QModelIndex& index, const QString& text) {
  QMetaObject::invokeMethod(
      this, [this, edited = QPersistentModelIndex(index), text] { FinishRename(edited, text); },
      Qt::QueuedConnection);
}

void CTreeFileCtrl::ShowRenameError(const std::string& oldName, const QString& reason) {
  Prompt::Ask(window(), {"Cannot rename " + TreeNames::Label(oldName) + ": " + reason,
                         kRenameCaption, PromptButtons::Ok, PromptIcon::Error});
}

void CTreeFileCtrl::FinishRename(const QPersistentModelIndex& index, const QString& text) {
  auto* item = AsFileItem(index.isValid() ? itemFromIndex(index) : nullptr);
  // An untouched label is no rename: names the label cannot show stay as they are.
  if (item == nullptr || text == item->text(0))
    return;
  const TreeItemInfo record = item->Info();
  Log(LOG_LOCATION, "CTreeFileCtrl::FinishRename(): %s", record.path.c_str());
  if (!IsValidNewName(text))
    return ShowRenameError(record.name, kSyntaxError);
  QTreeWidgetItem* parent = item->parent();
  const std::string folder = parent != nullptr ? ItemPath(parent) : rootFolder_;
  std::string newName = text.toStdString();
  if (const size_t dot = record.name.rfind('.'); record.extensionHidden && dot != std::string::npos)
    newName.append(record.name, dot);
  const std::string target = JoinPath(folder, newName);
  std::string error;
  {
    BusyScope busy(busy_);
    error = FileOperations::RenameNoReplace(record.path, target);
  }
  if (!error.empty())
    return ShowRenameError(record.name, QString::fromStdString(error));
  item->SetPathAndName(target, newName);
  item->setText(0, TreeNames::Label(newName));
  if (!record.extensionHidden)
    item->setIcon(0, IconFor(item->Info()));
  RebaseDescendants(item, record.path, target);
  (parent != nullptr ? parent : invisibleRootItem())->sortChildren(0, Qt::AscendingOrder);
}

// The loaded children of a renamed folder now live under its new path.
void CTreeFileCtrl::RebaseDescendants(QTreeWidgetItem* item, const std::string& from,
                                      const std::string& to) {
  for (int i = 0; i < item->childCount(); ++i) {
    CTreeFileItem* child = AsFileItem(item->child(i));
    if (child == nullptr || !child->Info().path.starts_with(from + "/"))
      continue;
    child->SetPath(to + child->Info().path.substr(from.size()));
    RebaseDescendants(child, from, to);
  }
}

// ---- Delete

bool CTreeFileCtrl::Delete(QTreeWidgetItem* item, bool permanently) {
  if (!commands_->CanDelete(item))
    return false;
  const TreeItemInfo record = RecordOf(item);
  const QString label = TreeNames::Label(record.name);
  Log(LOG_LOCATION, "CTreeFileCtrl::Delete(): %s%s", record.path.c_str(),
      permanently ? " (permanently)" : "");
  if (permanently) {
    const QString question = "Are you sure you want to permanently delete \"" + label + "\"?";
    const QString caption = record.isFile ? "Delete File" : "Delete Folder";
    if (Prompt::Ask(window(), {question, caption, PromptButtons::YesNo, PromptIcon::Warning}) !=
        PromptAnswer::Yes)
      return false;
  }
  QString error;
  {
    BusyScope busy(busy_);
    if (permanently)
      error = QString::fromStdString(FileOperations::RemovePermanently(record.path));
    else if (!DesktopShell::Instance().MoveToTrash(QFile::decodeName(record.path.c_str())))
      error = "It could not be moved to the trash.  Hold Shift to delete it permanently.";
  }
  if (!error.isEmpty()) {
    Prompt::Ask(window(), {"Cannot delete \"" + label + "\": " + error,
                           "Error Deleting File or Folder", PromptButtons::Ok, PromptIcon::Error});
    Resync(item);  // part of a folder may be gone all the same
    return false;
  }
  delete item;
  return true;
}

// ---- New folder

void CTreeFileCtrl::CreateNewFolder(QTreeWidgetItem* parent) {
  const bool isTop = parent == nullptr || parent == invisibleRootItem();
  const std::string folder = isTop ? rootFolder_ : ItemPath(parent);
  if (folder.empty())
    return;
  BusyScope busy(busy_);
  std::string created;
  for (int attempt = 1; attempt <= 99 && created.empty(); ++attempt) {
    const std::string candidate = JoinPath(folder, TreeNames::NewFolderName(attempt));
    if (FileOperations::CreateFolder(candidate))
      created = candidate;
  }
  Log(LOG_LOCATION, "CTreeFileCtrl::CreateNewFolder(): %s",
      created.empty() ? "none" : created.c_str());
  if (created.empty())
    return;
  const QPersistentModelIndex parentIndex(isTop ? QModelIndex() : indexFromItem(parent));
  ResyncAll();
  if (!isTop && parentIndex.isValid()) {
    // A collapsed folder is listed afresh and opened, so the new folder shows among its contents.
    if (parent->childCount() == 0)
      PopulateFolder(folder, parent, true);
    parent->setExpanded(true);
  }
  if (QTreeWidgetItem* item = FindItemByPath(created)) {
    setCurrentItem(item);
    scrollToItem(item);
    Rename(item);
  }
}
