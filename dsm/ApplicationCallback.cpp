#include "dsm/ApplicationCallback.h"

#include <utility>

ApplicationCallback::~ApplicationCallback() {
  Clear();  // what is still queued runs without calling out
}

void ApplicationCallback::Register(TW_MEMREF procedure, TW_UINTPTR refCon,
                                   const TW_IDENTITY& application) {
  registration_ = Registration{reinterpret_cast<DSMENTRYPROC>(procedure), refCon, application};
}

void ApplicationCallback::Clear() {
  std::lock_guard lock(entryMutex_);
  registration_.reset();
}

void ApplicationCallback::RunLocked(std::function<void()> task) {
  thread_.Post([this, task = std::move(task)] {
    std::lock_guard lock(entryMutex_);
    task();
  });
}

void ApplicationCallback::Notify(const TW_IDENTITY& source, TW_UINT16 message,
                                 std::function<bool()> stillNews) {
  thread_.Post([this, source, message, stillNews = std::move(stillNews)] {
    Registration registration;
    {
      std::lock_guard lock(entryMutex_);
      if (!registration_ || (stillNews && !stillNews()))
        return;
      registration = *registration_;
    }
    TW_IDENTITY origin = source;
    registration.procedure(&origin, &registration.application, DG_CONTROL, DAT_NULL, message,
                           reinterpret_cast<TW_MEMREF>(registration.refCon));
  });
}
