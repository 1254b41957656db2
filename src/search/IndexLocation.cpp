#include "search/IndexLocation.h"

#include <QCryptographicHash>
#include <QDir>
#include <cstdlib>

#include "core/Paths.h"

std::string IndexFolderForArchive(const std::string& archiveRoot) {
  std::string cache;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg == '/')
    cache = xdg;
  else
    cache = QDir::homePath().toStdString() + "/.cache";
  const std::string root = RemoveTrailingSeparator(archiveRoot);
  const QByteArray digest =
      QCryptographicHash::hash(QByteArray::fromStdString(root), QCryptographicHash::Sha1).toHex();
  return EnsureTrailingSeparator(cache) + "docketeer/archive-" + digest.left(20).toStdString() +
         "/";
}
