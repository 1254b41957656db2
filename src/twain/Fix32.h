#pragma once

#include "twain/TwainTypes.h"

// Conversions between the program's lengths (thousandths of an inch), its
// resolutions (dots per inch) and TWAIN's fixed-point numbers. Both
// directions truncate, as the scan area is negotiated in whole thousandths.

TW_FIX32 ThousandthsToFix32(int thousandths);
int Fix32ToThousandths(TW_FIX32 value);
TW_FIX32 ResolutionToFix32(int dotsPerInch);

// A capability item word holds the whole part in its low and the fraction in
// its high 16 bits, as the FIX32 lies in memory.
TW_UINT32 Fix32ToWord(TW_FIX32 value);
TW_FIX32 WordToFix32(TW_UINT32 word);
