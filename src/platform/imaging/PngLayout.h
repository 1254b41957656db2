#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/imaging/ImagingStatus.h"

// The parts of a PNG file that let its compressed image data be copied as it
// stands (PDF's FlateDecode with the PNG predictors reads it unchanged).
struct PngLayout {
  int width = 0;
  int height = 0;
  int bitDepth = 0;
  int colourType = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
  bool interlaced = false;
  std::vector<std::uint8_t> palette;  // red, green, blue per entry
  // Offset and length in the file of each IDAT chunk's data, in order.
  std::vector<std::pair<std::uint64_t, std::uint64_t>> imageData;
};

// Walks the chunks of a PNG file without decoding it: CorruptData (with the
// reason recorded) unless every chunk lies within the file with a sound CRC,
// from the header through IEND; TooLarge beyond the bitmap size limits.
ImagingStatus ReadPngLayout(const std::string& path, PngLayout& out);
