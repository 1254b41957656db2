#include "dsm/HandleRegistry.h"

#include <sys/uio.h>
#include <unistd.h>

#include <mutex>
#include <unordered_set>

#include "twain/GlobalMemory.h"

namespace handle_registry {
namespace {

std::mutex& Mutex() {
  static std::mutex mutex;
  return mutex;
}

std::unordered_set<TW_HANDLE>& Handles() {
  static std::unordered_set<TW_HANDLE> handles;
  return handles;
}

bool HasBlockHeader(TW_HANDLE handle) {
  global_memory_detail::BlockHeader header{};
  iovec local{&header, sizeof header};
  iovec remote{handle, sizeof header};
  return ::process_vm_readv(::getpid(), &local, 1, &remote, 1, 0) ==
             static_cast<ssize_t>(sizeof header) &&
         header.magic == global_memory_detail::kBlockMagic;
}

}  // namespace

void Remember(TW_HANDLE handle) {
  if (handle == nullptr)
    return;
  std::lock_guard lock(Mutex());
  Handles().insert(handle);
}

void Forget(TW_HANDLE handle) {
  std::lock_guard lock(Mutex());
  Handles().erase(handle);
}

bool IsBlock(TW_HANDLE handle) {
  if (handle == nullptr)
    return false;
  {
    std::lock_guard lock(Mutex());
    if (Handles().contains(handle))
      return true;
  }
  return HasBlockHeader(handle);
}

}  // namespace handle_registry
