#pragma once

// Pictures and device-independent bitmaps made in memory for the imaging and
// writer tests: small enough to check pixel by pixel.

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/imaging/Bitmap.h"

namespace test_images {

inline void PutU32(std::vector<std::uint8_t>& v, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i)
    v[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

// A packed DIB: 40-byte header, a full colour table for bitCount <= 8 (grey
// ramp, or `table` when given), rows bottom-up unless topDown. `pixel(x, y)`
// gives the index (indexed) or 0xRRGGBB (24/32 bit) of the pixel at row y
// counted from the top.
inline std::vector<std::uint8_t> MakeDib(int width, int height, int bitCount, bool topDown,
                                         const std::function<std::uint32_t(int, int)>& pixel,
                                         std::vector<std::uint32_t> table = {}) {
  const std::size_t entries = bitCount <= 8 ? std::size_t{1} << bitCount : 0;
  if (entries != 0 && table.empty())
    for (std::size_t i = 0; i < entries; ++i) {
      const auto level = static_cast<std::uint32_t>(entries > 1 ? i * 255 / (entries - 1) : 0);
      table.push_back(level << 16 | level << 8 | level);
    }
  table.resize(entries);
  const std::size_t rowBytes = (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
  const std::size_t offset = 40 + entries * 4;
  std::vector<std::uint8_t> dib(offset + rowBytes * static_cast<std::size_t>(height), 0);
  PutU32(dib, 0, 40);
  PutU32(dib, 4, static_cast<std::uint32_t>(width));
  PutU32(dib, 8, static_cast<std::uint32_t>(topDown ? -height : height));
  dib[12] = 1;
  dib[14] = static_cast<std::uint8_t>(bitCount);
  PutU32(dib, 24, 11811);  // 300 dpi
  PutU32(dib, 28, 11811);
  for (std::size_t i = 0; i < entries; ++i)
    PutU32(dib, 40 + i * 4, table[i]);
  for (int y = 0; y < height; ++y) {
    const int stored = topDown ? y : height - 1 - y;
    std::uint8_t* row = &dib[offset + rowBytes * static_cast<std::size_t>(stored)];
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = pixel(x, y);
      if (bitCount == 1)
        row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | (v & 1) << (7 - x % 8));
      else if (bitCount == 4)
        row[x / 2] = static_cast<std::uint8_t>(row[x / 2] | (v & 15) << (x % 2 ? 0 : 4));
      else if (bitCount == 8)
        row[x] = static_cast<std::uint8_t>(v);
      else {
        std::uint8_t* p = row + static_cast<std::size_t>(x) * (bitCount / 8);
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
        p[2] = static_cast<std::uint8_t>(v >> 16);
      }
    }
  }
  return dib;
}

// The colour of a pixel whatever the format (palette resolved).
inline PaletteEntry PixelAt(const Bitmap& b, int x, int y) {
  const std::uint8_t* row = b.Row(y);
  switch (b.Format()) {
    case PixelFormat::Indexed1:
      return b.Palette().at((row[x / 8] >> (7 - x % 8)) & 1);
    case PixelFormat::Indexed8:
      return b.Palette().at(row[x]);
    case PixelFormat::Rgb24:
      if (b.Channels() == ChannelOrder::Bgr)
        return {row[3 * x + 2], row[3 * x + 1], row[3 * x], 255};
      return {row[3 * x], row[3 * x + 1], row[3 * x + 2], 255};
    case PixelFormat::Rgba32:
      return {row[4 * x], row[4 * x + 1], row[4 * x + 2], row[4 * x + 3]};
  }
  return {};
}

inline std::uint32_t Rgb(const PaletteEntry& e) {
  return static_cast<std::uint32_t>(e.red) << 16 | static_cast<std::uint32_t>(e.green) << 8 |
         e.blue;
}

// Number of pixels whose colours differ.
inline int DifferentPixels(const Bitmap& a, const Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height())
    return -1;
  int differ = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      differ += Rgb(PixelAt(a, x, y)) != Rgb(PixelAt(b, x, y));
  return differ;
}

// Largest difference of any channel, averaged over blocks of size×size
// pixels: what the eye sees of dithering and banding from a distance.
inline int WorstBlockDifference(const Bitmap& a, const Bitmap& b, int size) {
  int worst = 0;
  for (int by = 0; by + size <= a.Height(); by += size)
    for (int bx = 0; bx + size <= a.Width(); bx += size) {
      int sum[3] = {0, 0, 0};
      for (int y = by; y < by + size; ++y)
        for (int x = bx; x < bx + size; ++x) {
          const PaletteEntry p = PixelAt(a, x, y), q = PixelAt(b, x, y);
          sum[0] += p.red - q.red;
          sum[1] += p.green - q.green;
          sum[2] += p.blue - q.blue;
        }
      for (int c : sum)
        worst = std::max(worst, std::abs(c) / (size * size));
    }
  return worst;
}

inline Bitmap MakeBitmap(int width, int height, PixelFormat format,
                         const std::function<std::uint32_t(int, int)>& pixel,
                         std::vector<PaletteEntry> palette = {}) {
  Bitmap b;
  Bitmap::Create(width, height, format, b);
  if (palette.empty() && format == PixelFormat::Indexed1)
    palette = {{0, 0, 0, 255}, {255, 255, 255, 255}};
  if (palette.empty() && format == PixelFormat::Indexed8)
    palette = GreyPalette(256);
  b.SetPalette(palette);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = b.Row(y);
    for (int x = 0; x < width; ++x) {
      const std::uint32_t v = pixel(x, y);
      switch (format) {
        case PixelFormat::Indexed1:
          row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | (v & 1) << (7 - x % 8));
          break;
        case PixelFormat::Indexed8:
          row[x] = static_cast<std::uint8_t>(v);
          break;
        case PixelFormat::Rgb24:
        case PixelFormat::Rgba32: {
          const int step = format == PixelFormat::Rgb24 ? 3 : 4;
          row[step * x] = static_cast<std::uint8_t>(v >> 16);
          row[step * x + 1] = static_cast<std::uint8_t>(v >> 8);
          row[step * x + 2] = static_cast<std::uint8_t>(v);
          if (step == 4)
            row[step * x + 3] = static_cast<std::uint8_t>(v >> 24);
        }
      }
    }
  }
  b.SetResolution(300, 300);
  return b;
}

// A smooth colour page: the kind of picture that shows banding.
inline std::uint32_t Gradient(int x, int y) {
  const auto r = static_cast<std::uint32_t>(x * 255 / 199);
  const auto g = static_cast<std::uint32_t>(y * 255 / 149);
  const auto b = static_cast<std::uint32_t>((x + y) * 255 / 348);
  return r << 16 | g << 8 | b;
}

inline std::uint32_t Checker(int x, int y) {
  return static_cast<std::uint32_t>((x / 3 + y / 5) & 1);
}

}  // namespace test_images
