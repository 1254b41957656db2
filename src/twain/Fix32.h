#pragma once

#include "twain/TwainItems.h"

// Conversions between the program's lengths (thousandths of an inch), its
// resolutions (dots per inch) and TWAIN's fixed-point numbers. Both
// directions truncate, as the scan area is negotiated in whole thousandths.

TW_FIX32 ThousandthsToFix32(int thousandths);
int Fix32ToThousandths(TW_FIX32 value);
TW_FIX32 ResolutionToFix32(int dotsPerInch);
