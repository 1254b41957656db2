#include "platform/imaging/PageBufferMemory.h"

#include <malloc.h>

namespace {

// Below a quarter of a grey A4 page at 300 dpi, above any row, tile or
// dictionary: only page-sized buffers are mapped on their own.
constexpr int kPageBufferBytes = 1 << 20;

}  // namespace

void ReturnPageBuffersToSystem() {
  // A fixed threshold also stops glibc raising it after the first large
  // buffer is freed, which is what lets later pages pile up in the heap.
  ::mallopt(M_MMAP_THRESHOLD, kPageBufferBytes);
}
