#include "dsm/MemoryStrip.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>

#include "dsm/RowConversion.h"

std::size_t StripRowBytes(const DibFormat& format) {
  return (static_cast<std::size_t>(format.width) * format.bitsPerPixel + 7) / 8;
}

void CopyStripRows(const DibFormat& format, std::uint8_t* block, std::int32_t firstRow,
                   std::int32_t rows, std::uint8_t* out) {
  const std::size_t rowBytes = StripRowBytes(format);
  for (std::int32_t row = 0; row < rows; ++row, out += rowBytes) {
    const std::uint8_t* in = format.Row(block, firstRow + row);
    if (format.bitsPerPixel != 24) {
      std::memcpy(out, in, rowBytes);
      continue;
    }
    ConvertRgbRow(in, format.width, 8, out);  // swapping red and blue goes both ways
  }
}

void ReleaseRowsAbove(const DibFormat& format, std::uint8_t* block, std::int32_t firstRowKept) {
  if (firstRowKept <= 0)
    return;
  // Rows lie bottom-up: the rows above the kept one fill the end of the block.
  const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
  const auto start = reinterpret_cast<std::uintptr_t>(format.Row(block, firstRowKept - 1));
  const auto end = reinterpret_cast<std::uintptr_t>(block + format.TotalBytes());
  const std::uintptr_t from = (start + page - 1) & ~(page - 1);
  const std::uintptr_t to = end & ~(page - 1);
  if (to > from)
    ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
}
