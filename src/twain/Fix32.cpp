#include "twain/Fix32.h"

#include <cstdint>

TW_FIX32 ThousandthsToFix32(int thousandths) {
  const int whole = thousandths / 1000;
  const std::int64_t remainder = thousandths - whole * 1000;
  TW_FIX32 value;
  value.Whole = static_cast<TW_INT16>(whole);
  value.Frac = static_cast<TW_UINT16>(remainder * 65536 / 1000);
  return value;
}

int Fix32ToThousandths(TW_FIX32 value) {
  return value.Whole * 1000 + static_cast<int>(std::int64_t{value.Frac} * 1000 / 65536);
}

TW_FIX32 ResolutionToFix32(int dotsPerInch) {
  TW_FIX32 value;
  value.Whole = static_cast<TW_INT16>(dotsPerInch & 0xffff);
  value.Frac = 0;
  return value;
}
