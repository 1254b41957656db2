#pragma once

#include <string>

// The right to write one archive index, held by one object in one process
// at a time: an advisory lock on a file beside the database. Unlike the
// database's own lock it is kept while the database is closed, so the
// holder alone may delete and rebuild a damaged index. Released by the
// destructor, or by the system when its process ends.
class IndexLock {
 public:
  enum class Result { Held, Busy, Unwritable };

  explicit IndexLock(std::string file) : file_(std::move(file)) {}
  ~IndexLock() { Release(); }
  IndexLock(const IndexLock&) = delete;
  IndexLock& operator=(const IndexLock&) = delete;

  // Takes the lock without waiting. `why` receives the reason when it is
  // Unwritable (a read-only folder, the lock file not a plain file).
  Result TryAcquire(std::string& why);
  void Release();
  bool IsHeld() const { return fd_ >= 0; }

 private:
  std::string file_;
  int fd_ = -1;
};
