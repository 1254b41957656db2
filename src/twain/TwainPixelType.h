#pragma once

#include "core/PixelType.h"
#include "twain/TwainTypes.h"

// The TWAIN pixel type asked of the source; a value outside the enumeration
// (made by a cast) is a postcondition failure carrying that value.
TW_UINT16 TwainPixelType(PixelType pixelType);
