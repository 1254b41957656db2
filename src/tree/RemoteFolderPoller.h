#pragma once

#include <QObject>
#include <QTimer>
#include <map>
#include <string>

#include "platform/claims/FileSystemKind.h"

class CTreeFileCtrl;

// Change notices see only what this computer does; documents another
// computer files into a network share arrive unannounced. So while the window
// is active, the folders the tree shows on such file systems are looked at on
// an interval, and the tree re-reads them only when a folder's modification
// time moved: a quiet share costs one stat per shown folder per interval.
class RemoteFolderPoller : public QObject {
 public:
  static constexpr int kIntervalMilliseconds = 5000;

  explicit RemoteFolderPoller(CTreeFileCtrl& tree);

  // Looks at the root and every expanded folder on a remote file system and
  // re-reads the tree when one changed since the last look; true when it did.
  bool PollShownFolders();
  // Forgets what was seen, after the tree was built anew.
  void Forget();

 private:
  void OnTimer();
  bool Changed(const std::string& folder);
  FileSystemKind KindOf(const std::string& folder);

  CTreeFileCtrl& tree_;
  QTimer timer_;
  std::map<std::string, long long> modified_;
  std::map<std::string, FileSystemKind> kinds_;
};
