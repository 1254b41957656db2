#pragma once

#include "twain/TwainTypes.h"

// Owns a movable global memory block while it lives: locks it on
// construction, unlocks and frees it on destruction, so a container is
// released even when reading it raises a failure.
class GlobalMemoryLock {
 public:
  // A null or unlockable handle is a postcondition failure; the handle is
  // then freed at once.
  explicit GlobalMemoryLock(TW_HANDLE handle);
  ~GlobalMemoryLock();

  GlobalMemoryLock(const GlobalMemoryLock&) = delete;
  GlobalMemoryLock& operator=(const GlobalMemoryLock&) = delete;

  void* Data() const { return data_; }
  // The block's real size, against which every read of it is checked.
  std::size_t Size() const { return size_; }

 private:
  TW_HANDLE handle_;
  void* data_;
  std::size_t size_;
};
