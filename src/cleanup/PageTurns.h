#pragma once

#include "platform/imaging/Bitmap.h"

// Turns and shears of whole pages that take at most one page of memory more
// than the page itself: the clean-up runs while the scanner feeds the next
// sheet, and a page at 300 dpi is megabytes.

// Turns a page clockwise by 0, 90, 180 or 270 degrees in one pass. A half
// turn of a page that owns its rows happens in place.
ImagingStatus TurnPage(Bitmap& page, int clockwiseDegrees);

// True for the formats ShearPage turns in place: 8-bit grey whose palette
// runs from black to white, and 24-bit colour.
bool CanShear(const Bitmap& page);

// Turns the page clockwise by `degrees` about its centre with three shears
// done in place, white coming in at the corners; size and resolution stay.
// A view is copied first, since its rows are not ours to write.
ImagingStatus ShearPage(Bitmap& page, double degrees);
