#include "dsm/MemoryStrip.h"

#include <cstring>

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
    for (std::size_t byte = 0; byte < rowBytes; byte += 3) {
      out[byte] = in[byte + 2];
      out[byte + 1] = in[byte + 1];
      out[byte + 2] = in[byte];
    }
  }
}
