#pragma once

// The colour modes a user chooses from; the value is what the settings store.
enum PixelType {
  ColorHigh = 0,
  ColorLow = 1,
  Gray = 2,
  BlackAndWhite = 3,
};

inline constexpr int kPixelTypeCount = 4;

// "Color (high)", "Color (low)", "Gray", "Black and White"; any value outside
// the enumeration is a postcondition failure carrying that value.
const char* PixelTypeDisplayName(int pixelType);
