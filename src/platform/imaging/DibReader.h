#pragma once

#include <cstddef>

#include "platform/imaging/Bitmap.h"

// Makes a bitmap from a device-independent bitmap in memory: an information
// header, the colour table, then the pixel rows (bottom-up, or top-down when
// the height is negative), 1, 4, 8, 24 or 32 bits per pixel, uncompressed.
// Everything the header states is checked against blockSize: a header that
// claims more than the block holds is CorruptData, never an overlong read.
// 4-bit images become 8-bit indexed; 32-bit images become Rgb24.
// `rowsOffset` places the rows elsewhere in the block (a BMP file's own
// offset); 0 means right after the colour table.
ImagingStatus BitmapFromDib(const void* block, std::size_t blockSize, Bitmap& out,
                            std::size_t rowsOffset = 0);

// The same checks, but the bitmap reads the block's own rows where their
// layout allows (1, 8 and 24 bits: 24-bit rows stay blue-first), so a page is
// not copied before it is encoded. The block must outlive the view; other
// depths are converted into a bitmap of their own as above.
ImagingStatus BitmapViewOfDib(const void* block, std::size_t blockSize, Bitmap& out);
