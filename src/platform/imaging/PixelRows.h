#pragma once

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
// Red, green, blue of each pixel; alpha is dropped.
void ExpandRowToRgb(const Bitmap& bitmap, int y, std::uint8_t* dst);
