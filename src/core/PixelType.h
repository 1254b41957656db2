#pragma once

#include <cstdint>
#include <optional>

// The colour modes a user chooses from. The numbers are what the settings
// store; the TWAIN pixel types are mapped at the scanner's edge.
enum class PixelType : std::int32_t {
  ColorHigh = 0,
  ColorLow = 1,
  Gray = 2,
  BlackAndWhite = 3,
};

inline constexpr int kPixelTypeCount = 4;

// The stored number of a pixel type, and the pixel type of a stored number
// (nothing for a number outside 0..3).
constexpr std::int32_t PixelTypeValue(PixelType pixelType) {
  return static_cast<std::int32_t>(pixelType);
}
std::optional<PixelType> PixelTypeFromValue(std::int32_t value);

// "Color (high)", "Color (low)", "Gray", "Black and White"; a value outside
// the enumeration (made by a cast) is a postcondition failure carrying it.
const char* PixelTypeDisplayName(PixelType pixelType);
