#pragma once

#include "core/PixelType.h"
#include "twain/TwainTypes.h"

// The TWAIN pixel type asked of the source; any value outside the
// enumeration is a postcondition failure carrying that value.
TW_UINT16 TwainPixelType(int pixelType);
