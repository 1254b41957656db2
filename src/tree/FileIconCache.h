#pragma once

#include <QFileIconProvider>
#include <QHash>
#include <QIcon>
#include <QMimeDatabase>
#include <string>

// Icons of the tree. Files of one type share one icon: the first file of an
// extension decides it from its name alone, so listing a large folder never
// reads file contents nor asks the icon theme twice.
class FileIconCache {
 public:
  QIcon FolderIcon();
  QIcon FileIcon(const std::string& name);
  QIcon DriveIcon(bool isRemovable);
  QIcon ComputerIcon();
  QIcon NetworkIcon();
  int CachedTypeCount() const { return static_cast<int>(fileIcons_.size()); }

 private:
  QIcon Standard(QAbstractFileIconProvider::IconType type, const QString& themeName);

  QFileIconProvider provider_;
  QMimeDatabase mimeDatabase_;
  QHash<QString, QIcon> fileIcons_;
  QHash<int, QIcon> standardIcons_;
};
