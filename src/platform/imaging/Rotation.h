#pragma once

#include "platform/imaging/Bitmap.h"

// Turns the image 90 degrees clockwise without flipping: width and height
// change places, the palette and the resolution (axes exchanged) are kept.
ImagingStatus RotateClockwise90(const Bitmap& in, Bitmap& out);
