#pragma once

#include <functional>
#include <mutex>
#include <optional>

#include "dsm/SaneThread.h"
#include "twain/TwainTypes.h"

// The TWAIN 2 way a source reaches an application without a window: the
// callback the application registered. It is called on a thread of the
// manager's own, never from inside a call the application is making, so the
// application may call DSM_Entry again from it; the work a source does on
// its device's news runs on the same thread under the entry lock.
class ApplicationCallback {
 public:
  explicit ApplicationCallback(std::recursive_mutex& entryMutex) : entryMutex_(entryMutex) {}
  ~ApplicationCallback();
  ApplicationCallback(const ApplicationCallback&) = delete;
  ApplicationCallback& operator=(const ApplicationCallback&) = delete;

  // Called with the entry lock held.
  void Register(TW_MEMREF procedure, TW_UINTPTR refCon, const TW_IDENTITY& application);
  void Clear();
  bool IsRegistered() const { return registration_.has_value(); }
  std::recursive_mutex& EntryMutex() { return entryMutex_; }

  // Runs `task` on the callback thread with the entry lock held.
  void RunLocked(std::function<void()> task);
  // Tells the application `message` from `source`, unless `stillNews`
  // (asked under the entry lock just before) says it is stale.
  void Notify(const TW_IDENTITY& source, TW_UINT16 message, std::function<bool()> stillNews);

 private:
  struct Registration {
    DSMENTRYPROC procedure;
    TW_UINTPTR refCon;
    TW_IDENTITY application;
  };

  std::recursive_mutex& entryMutex_;
  std::optional<Registration> registration_;  // guarded by the entry lock
  SaneThread thread_;
};
