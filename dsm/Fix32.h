#pragma once

#include <cmath>
#include "twain/TwainItems.h"

// TWAIN's fixed-point numbers: whole part and 1/65536 fractions.
inline TW_FIX32 ToFix32(double value) {
  const auto scaled = static_cast<TW_INT32>(std::lround(value * 65536.0));
  return TW_FIX32{static_cast<TW_INT16>(scaled >> 16), static_cast<TW_UINT16>(scaled & 0xFFFF)};
}

inline double FromFix32(TW_FIX32 value) {
  return value.Whole + value.Frac / 65536.0;
}
