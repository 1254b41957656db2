#pragma once

#include <cstdint>

// The corner of the scanner glass at which the page is laid; stored per
// scanner in the settings as its number.
enum class ScannerOrigin : std::int32_t {
  Unknown = 0,
  TopLeft = 1,
  TopRight = 2,
  BottomLeft = 3,
  BottomRight = 4,
};

// Values outside 0..4 read from outside become Unknown.
ScannerOrigin ScannerOriginFromValue(std::int32_t value);
