#pragma once

#include <QObject>
#include <QTimer>
#include <string>
#include <vector>

// Removes what a document left in its folder of page files: the page files
// at once, then the folder's preference file and the folder itself. A folder
// that cannot be removed yet is tried again on a timer, never by sleeping on
// the GUI thread, up to ten attempts in all.
class DocumentFolderRemoval : public QObject {
 public:
  static constexpr int kAttempts = 10;
  static constexpr int kRetryMilliseconds = 1000;

  explicit DocumentFolderRemoval(QObject* parent = nullptr);

  // `folder` ends in "/". The folder itself (and its preference file) goes
  // only when `removeFolder` is set.
  void Remove(const std::string& folder, const std::vector<std::string>& pages, bool removeFolder);
  // Gives up a pending removal of `folder`: a new document is being written there.
  void Cancel(const std::string& folder);
  bool IsPending(const std::string& folder) const;
  void SetRetryInterval(int milliseconds);

 private:
  struct Pending {
    std::string folder;
    int attemptsLeft;
  };

  static bool TryRemoveFolder(const std::string& folder);
  void RetryPending();

  std::vector<Pending> pending_;
  QTimer timer_;
};
