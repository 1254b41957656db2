#pragma once

#include "platform/imaging/Bitmap.h"

struct Pix;

// The largest skew measured and removed, in degrees either way.
constexpr double kMaxSkewDegrees = 10.0;

// The angle in degrees by which the page must be turned clockwise (negative: counter-clockwise) to
// make its text lines level, measured on its half-size grey image with ink
// below `inkBelow`; 0 when the page shows no lines to be sure of or is
// already level within a fifth of a degree.
double MeasureSkew(Pix* halfGrey, int inkBelow);

// Turns the page clockwise by `degrees` about its centre, keeping its
// size and resolution and filling the corners with white. Pages in a format
// that cannot be turned finely (a colour palette) stay as they are.
ImagingStatus RotatePage(Bitmap& page, double degrees);
