// The top level without an archive root: the mounted volumes below a computer
// node and the mounted network file systems below a network node.
#include <unistd.h>

#include "tree/CTreeFileCtrl.h"
#include "tree/CTreeFileItem.h"
#include "tree/TreeNames.h"
#include "tree/TreeUiGuards.h"

void CTreeFileCtrl::InsertFallbackNodes() {
  if (showComputerNode_) {
    computerNode_ = InsertEntry(invisibleRootItem(), {{}, "Computer", {}, false, false, false},
                                false, icons_.ComputerIcon(), false);
  }
  if (showNetwork_) {
    networkNode_ = InsertEntry(invisibleRootItem(), {{}, "Network", {}, true, false, false}, false,
                               icons_.NetworkIcon(), false);
  }
}

void CTreeFileCtrl::ListDrives(QTreeWidgetItem* parent, bool redrawOff) {
  WaitCursor wait;
  RedrawOff redraw(*this, redrawOff);
  for (const MountedVolume& volume : mounts_.Volumes()) {
    if (volume.isNetwork || !CanDisplayDrive(volume.rootPath))
      continue;
    const TreeItemInfo record{volume.rootPath, volume.rootPath, {}, false, false, false};
    InsertEntry(parent, record, showSharedOverlay_ && IsShared(volume.rootPath),
                icons_.DriveIcon(volume.isRemovable), true);
  }
}

void CTreeFileCtrl::ListNetwork(QTreeWidgetItem* item) {
  if (item != networkNode_)
    return;  // mounted shares list like folders
  for (const MountedVolume& volume : mounts_.Volumes()) {
    if (!volume.isNetwork)
      continue;
    NetResource resource;
    resource.displayType = NetResource::kShare;
    resource.localName = volume.rootPath;
    resource.remoteName = volume.device;
    resource.provider = volume.fileSystemType;
    const TreeItemInfo record{
        volume.rootPath, TreeNames::ShareName(volume.device), resource, true, false, false};
    if (CanDisplayNetworkItem(record))
      InsertEntry(item, record, showSharedOverlay_, icons_.NetworkIcon(), true);
  }
}

std::string CTreeFileCtrl::DriveDisplayName(const std::string& path) const {
  const MountedVolume* volume = mounts_.VolumeAt(path);
  if (volume == nullptr || volume->label.empty())
    return path;
  return volume->label + " (" + path + ")";
}

// A removable volume that cannot be read (a drive without a disc) is not listed.
bool CTreeFileCtrl::CheckMedia(const std::string& path) const {
  if (!IsRemovableMedia(path))
    return true;
  return ::access(path.c_str(), R_OK | X_OK) == 0;
}

bool CTreeFileCtrl::CanDisplayDrive(const std::string&) const {
  return true;
}

bool CTreeFileCtrl::CanDisplayNetworkItem(const TreeItemInfo&) const {
  return true;
}

bool CTreeFileCtrl::IsShareItem(QTreeWidgetItem* item) const {
  const TreeItemInfo& record = RecordOf(item);
  return record.netResource && record.netResource->displayType == NetResource::kShare;
}
