#pragma once

#include <string>

// An advisory lock on a folder, held while it lives, that serialises the
// read-modify-write of a file inside it between processes (two windows, or
// two users of a shared archive). The folder itself is locked rather than
// the file, which a rewrite replaces, or a lock file, which would travel
// with the archive and keep an emptied folder from being removed.
// Taking the lock never fails a caller: where the folder cannot be opened or
// its file system has no locks (some network shares), or another holder
// keeps it too long, Held() is false and the caller goes on unlocked.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  bool Held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};
