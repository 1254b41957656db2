#include "twain/GlobalMemoryLock.h"

#include "core/ContractChecks.h"
#include "twain/GlobalMemory.h"

GlobalMemoryLock::GlobalMemoryLock(TW_HANDLE handle)
    : handle_(handle), data_(GlobalLock(handle)), size_(GlobalSize(handle)) {
  if (data_ != nullptr)
    return;
  handle_ = GlobalFree(handle_);
  // Only a null or foreign handle fails to lock; there is no system error number.
  CheckResultCode(CONTRACT_LOCATION, false, E_POINTER);
}

GlobalMemoryLock::~GlobalMemoryLock() {
  GlobalUnlock(handle_);
  GlobalFree(handle_);
}
