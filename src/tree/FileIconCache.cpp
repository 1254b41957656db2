#include "tree/FileIconCache.h"

#include <QFileInfo>

QIcon FileIconCache::Standard(QAbstractFileIconProvider::IconType type, const QString& themeName) {
  auto found = standardIcons_.find(type);
  if (found == standardIcons_.end())
    found = standardIcons_.insert(type, QIcon::fromTheme(themeName, provider_.icon(type)));
  return *found;
}

QIcon FileIconCache::FolderIcon() {
  return Standard(QAbstractFileIconProvider::Folder, "folder");
}

QIcon FileIconCache::ComputerIcon() {
  return Standard(QAbstractFileIconProvider::Computer, "computer");
}

QIcon FileIconCache::NetworkIcon() {
  return Standard(QAbstractFileIconProvider::Network, "network-workgroup");
}

QIcon FileIconCache::DriveIcon(bool isRemovable) {
  const QIcon drive = Standard(QAbstractFileIconProvider::Drive, "drive-harddisk");
  return isRemovable ? QIcon::fromTheme("drive-removable-media", drive) : drive;
}

QIcon FileIconCache::FileIcon(const std::string& name) {
  const QString fileName = QString::fromUtf8(name);
  const QString suffix = QFileInfo(fileName).suffix().toLower();
  auto found = fileIcons_.find(suffix);
  if (found != fileIcons_.end())
    return *found;
  const QMimeType type = mimeDatabase_.mimeTypeForFile(fileName, QMimeDatabase::MatchExtension);
  const QIcon fallback = provider_.icon(QAbstractFileIconProvider::File);
  QIcon icon =
      QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName(), fallback));
  return *fileIcons_.insert(suffix, icon);
}
