#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/imaging/Bitmap.h"

// Row conversions the encoders share. `dst` holds at least Width() bytes
// (indices, grey) or 3 × Width() bytes (RGB).

// Where red sits in a colour pixel: 0, or 2 for a blue-first page.
int RedOffset(const Bitmap& bitmap);

// Palette indices of an indexed row, one byte per pixel.
void ExpandRowToIndices(const Bitmap& bitmap, int y, std::uint8_t* dst);
// Luminance of each pixel (Rec. 601 weights).
void ExpandRowToGrey(const Bitmap& bitmap, int y, std::uint8_t* dst);
// ExpandRowToGrey for rows y .. y + count - 1, the rows dstStride bytes apart.
// 1-bit rows go eight pixels at a time through a table made once per call.
void ExpandRowsToGrey(const Bitmap& bitmap, int y, int count, std::uint8_t* dst,
                      std::size_t dstStride);
// Red, green, blue of each pixel; alpha is dropped.
void ExpandRowToRgb(const Bitmap& bitmap, int y, std::uint8_t* dst);
