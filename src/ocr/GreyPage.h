#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "platform/imaging/Bitmap.h"

// A page file decoded into 8-bit grey (a grey-palette Indexed8 bitmap, 0 black,
// 255 white), the form the engine reads best and fastest whatever the page's
// pixel type; transparent pixels count as white paper. The file's resolution
// is kept.
ImagingStatus LoadGreyPage(const std::string& path, Bitmap& out);

// The grey of each palette index of an indexed page (transparency over white).
std::array<std::uint8_t, 256> PaletteGreys(const Bitmap& in);
// Row y of any page in 8-bit grey, `in.Width()` bytes; `greys` from PaletteGreys.
void GreyRow(const Bitmap& in, int y, const std::array<std::uint8_t, 256>& greys,
             std::uint8_t* out);

// An 8-bit grey page at half its size and resolution, each pixel the mean of
// four; an odd last row or column is dropped.
ImagingStatus HalveGrey(const Bitmap& grey, Bitmap& out);

// Turns a page clockwise by 0, 90, 180 or 270 degrees.
ImagingStatus TurnClockwise(Bitmap& page, int degrees);
