#pragma once

#include <cstddef>

#include "twain/TwainTypes.h"

// Items of capability containers, shared by the binding and the manager library.

// Bytes one item of `itemType` takes in a container; 0 for item types that do
// not fit in a 32-bit word.
inline std::size_t CapabilityItemSize(TW_UINT16 itemType) {
  switch (itemType) {
    case TWTY_INT8:
    case TWTY_UINT8:
      return 1;
    case TWTY_INT16:
    case TWTY_UINT16:
    case TWTY_BOOL:
      return 2;
    case TWTY_INT32:
    case TWTY_UINT32:
    case TWTY_FIX32:
      return 4;
    default:
      return 0;
  }
}

// A FIX32 container item as one 32-bit word: the whole part in its low 16
// bits, the fraction in its high 16 bits, as the FIX32 lies in memory.
inline TW_UINT32 Fix32ToWord(TW_FIX32 value) {
  return static_cast<TW_UINT16>(value.Whole) | (TW_UINT32{value.Frac} << 16);
}

inline TW_FIX32 WordToFix32(TW_UINT32 word) {
  TW_FIX32 value;
  value.Whole = static_cast<TW_INT16>(word & 0xffff);
  value.Frac = static_cast<TW_UINT16>(word >> 16);
  return value;
}
