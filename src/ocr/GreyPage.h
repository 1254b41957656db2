#pragma once

#include <string>

#include "platform/imaging/Bitmap.h"

// A page file decoded into 8-bit grey (a grey-palette Indexed8 bitmap, 0 black,
// 255 white), the form the engine reads best and fastest whatever the page's
// pixel type; transparent pixels count as white paper. The file's resolution
// is kept.
ImagingStatus LoadGreyPage(const std::string& path, Bitmap& out);

// Turns a page clockwise by 0, 90, 180 or 270 degrees.
ImagingStatus TurnClockwise(Bitmap& page, int degrees);
