#pragma once

#include <cstddef>
#include <cstdint>

#include "dsm/DibFormat.h"

// Memory transfers hand a page over in strips of whole rows, top row first,
// each row unpadded: colour as RGB, grey one byte, black and white one bit
// (0 black, as the native bitmap's palette has it).
std::size_t StripRowBytes(const DibFormat& format);

// Copies `rows` rows of the bitmap in `block`, from `firstRow` counted from
// the top, into `out`, StripRowBytes() apart.
void CopyStripRows(const DibFormat& format, std::uint8_t* block, std::int32_t firstRow,
                   std::int32_t rows, std::uint8_t* out);

// Gives the memory of the rows above `firstRowKept` back to the system: a
// page handed over in strips needs no more than what is still to come.
// Those rows read as zeros afterwards.
void ReleaseRowsAbove(const DibFormat& format, std::uint8_t* block, std::int32_t firstRowKept);
