#pragma once

// Movable global memory blocks: the handle type TWAIN passes for capability
// containers and native image transfers. Header-only so that the program and
// the data source manager library share one layout; both use the same malloc.
//
// A handle points at a small header followed by the data. Lock returns the
// data (null for a null or foreign handle), Unlock balances it, Free releases
// the block whatever its lock count.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "twain/TwainTypes.h"

namespace global_memory_detail {

inline constexpr std::uint32_t kBlockMagic = 0x474d424bu;  // "GMBK"

struct alignas(std::max_align_t) BlockHeader {
  std::uint32_t magic;
  std::uint32_t lockCount;
  std::size_t size;
};

inline BlockHeader* HeaderOf(TW_HANDLE handle) {
  auto* header = static_cast<BlockHeader*>(handle);
  return header != nullptr && header->magic == kBlockMagic ? header : nullptr;
}

}  // namespace global_memory_detail

// A zero-filled block of `size` bytes; null when memory is exhausted.
inline TW_HANDLE GlobalAlloc(std::size_t size) {
  using global_memory_detail::BlockHeader;
  if (size > SIZE_MAX - sizeof(BlockHeader))
    return nullptr;
  auto* header = static_cast<BlockHeader*>(std::calloc(1, sizeof(BlockHeader) + size));
  if (header == nullptr)
    return nullptr;
  header->magic = global_memory_detail::kBlockMagic;
  header->size = size;
  return header;
}

inline void* GlobalLock(TW_HANDLE handle) {
  auto* header = global_memory_detail::HeaderOf(handle);
  if (header == nullptr)
    return nullptr;
  ++header->lockCount;
  return header + 1;
}

// Returns true while the block is still locked by someone else.
inline bool GlobalUnlock(TW_HANDLE handle) {
  auto* header = global_memory_detail::HeaderOf(handle);
  if (header == nullptr || header->lockCount == 0)
    return false;
  return --header->lockCount != 0;
}

// The size the block was allocated with; 0 for a null or foreign handle.
inline std::size_t GlobalSize(TW_HANDLE handle) {
  auto* header = global_memory_detail::HeaderOf(handle);
  return header != nullptr ? header->size : 0;
}

// Frees the block; a null handle is ignored. Returns null, as the handle is gone.
inline TW_HANDLE GlobalFree(TW_HANDLE handle) {
  auto* header = global_memory_detail::HeaderOf(handle);
  if (header == nullptr)
    return nullptr;
  header->magic = 0;
  std::free(header);
  return nullptr;
}
