#pragma once

#include <cstdint>
#include <vector>

#include "platform/imaging/Bitmap.h"

// Reduces a colour image to at most 256 colours for GIF: a median-cut palette
// over a 5-bit-per-channel histogram, then Floyd–Steinberg dithering row by
// row, so gradients show no banding and only two rows of error terms are kept.
class ColourQuantiser {
 public:
  // The bitmap must be Rgb24 or Rgba32 and outlive the quantiser.
  explicit ColourQuantiser(const Bitmap& bitmap);

  const std::vector<PaletteEntry>& Palette() const { return palette_; }

  // Palette indices of row y; rows must be mapped in order from 0.
  void MapRow(int y, std::uint8_t* indices);

 private:
  void BuildPalette();
  std::uint8_t NearestIndex(int r, int g, int b);

  const Bitmap& bitmap_;
  std::vector<PaletteEntry> palette_;
  std::vector<std::int16_t> inverseMap_;  // 5-bit cell -> palette index, -1 until needed
  std::vector<int> errorsThisRow_;
  std::vector<int> errorsNextRow_;
};
