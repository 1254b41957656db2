#include "platform/imaging/PixelRows.h"

#include <array>
#include <cstring>

namespace {

std::uint8_t Luminance(unsigned r, unsigned g, unsigned b) {
  return static_cast<std::uint8_t>((r * 299 + g * 587 + b * 114 + 500) / 1000);
}

PaletteEntry EntryAt(const Bitmap& bitmap, std::uint8_t index) {
  const auto& palette = bitmap.Palette();
  return index < palette.size() ? palette[index] : PaletteEntry{};
}

// The eight grey levels of each byte of 1-bit pixels, most significant bit first.
std::array<std::uint64_t, 256> BitGreyTable(const Bitmap& bitmap) {
  const PaletteEntry zero = EntryAt(bitmap, 0), one = EntryAt(bitmap, 1);
  const std::uint8_t levels[2] = {Luminance(zero.red, zero.green, zero.blue),
                                  Luminance(one.red, one.green, one.blue)};
  std::array<std::uint64_t, 256> table{};
  for (unsigned byte = 0; byte < 256; ++byte) {
    std::uint8_t pixels[8];
    for (unsigned bit = 0; bit < 8; ++bit)
      pixels[bit] = levels[(byte >> (7 - bit)) & 1];
    std::memcpy(&table[byte], pixels, sizeof pixels);
  }
  return table;
}

}  // namespace

int RedOffset(const Bitmap& bitmap) {
  return bitmap.Format() == PixelFormat::Rgb24 && bitmap.Channels() == ChannelOrder::Bgr ? 2 : 0;
}

void ExpandRowToIndices(const Bitmap& bitmap, int y, std::uint8_t* dst) {
  const std::uint8_t* src = bitmap.Row(y);
  if (bitmap.Format() == PixelFormat::Indexed8) {
    std::memcpy(dst, src, static_cast<std::size_t>(bitmap.Width()));
    return;
  }
  for (int x = 0; x < bitmap.Width(); ++x)
    dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
}

void ExpandRowToGrey(const Bitmap& bitmap, int y, std::uint8_t* dst) {
  const int width = bitmap.Width();
  const std::uint8_t* src = bitmap.Row(y);
  switch (bitmap.Format()) {
    case PixelFormat::Indexed1: {
      const PaletteEntry zero = EntryAt(bitmap, 0), one = EntryAt(bitmap, 1);
      const std::uint8_t levels[2] = {Luminance(zero.red, zero.green, zero.blue),
                                      Luminance(one.red, one.green, one.blue)};
      for (int x = 0; x < width; ++x)
        dst[x] = levels[(src[x >> 3] >> (7 - (x & 7))) & 1];
      return;
    }
    case PixelFormat::Indexed8: {
      std::uint8_t levels[256];
      for (int i = 0; i < 256; ++i) {
        const PaletteEntry e = EntryAt(bitmap, static_cast<std::uint8_t>(i));
        levels[i] = Luminance(e.red, e.green, e.blue);
      }
      for (int x = 0; x < width; ++x)
        dst[x] = levels[src[x]];
      return;
    }
    case PixelFormat::Rgb24:
    case PixelFormat::Rgba32: {
      const int step = BitsPerPixel(bitmap.Format()) / 8;
      const int red = RedOffset(bitmap);
      for (int x = 0; x < width; ++x, src += step)
        dst[x] = Luminance(src[red], src[1], src[2 - red]);
    }
  }
}

void ExpandRowToRgb(const Bitmap& bitmap, int y, std::uint8_t* dst) {
  const int width = bitmap.Width();
  const std::uint8_t* src = bitmap.Row(y);
  switch (bitmap.Format()) {
    case PixelFormat::Indexed1:
    case PixelFormat::Indexed8:
      // Indices first into the back third of dst, then spread forwards.
      ExpandRowToIndices(bitmap, y, dst + 2 * width);
      for (int x = 0; x < width; ++x) {
        const PaletteEntry e = EntryAt(bitmap, dst[2 * width + x]);
        dst[3 * x] = e.red;
        dst[3 * x + 1] = e.green;
        dst[3 * x + 2] = e.blue;
      }
      return;
    case PixelFormat::Rgb24:
      if (RedOffset(bitmap) == 0) {
        std::memcpy(dst, src, static_cast<std::size_t>(width) * 3);
        return;
      }
      for (int x = 0; x < width; ++x, src += 3, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
      }
      return;
    case PixelFormat::Rgba32:
      for (int x = 0; x < width; ++x, src += 4, dst += 3)
        std::memcpy(dst, src, 3);
  }
}

void ExpandRowsToGrey(const Bitmap& bitmap, int y, int count, std::uint8_t* dst,
                      std::size_t dstStride) {
  if (bitmap.Format() != PixelFormat::Indexed1) {
    for (int r = 0; r < count; ++r, dst += dstStride)
      ExpandRowToGrey(bitmap, y + r, dst);
    return;
  }
  const std::array<std::uint64_t, 256> table = BitGreyTable(bitmap);
  const auto whole = static_cast<std::size_t>(bitmap.Width()) / 8;
  const auto rest = static_cast<std::size_t>(bitmap.Width()) % 8;
  for (int r = 0; r < count; ++r, dst += dstStride) {
    const std::uint8_t* src = bitmap.Row(y + r);
    for (std::size_t i = 0; i < whole; ++i)
      std::memcpy(dst + 8 * i, &table[src[i]], 8);
    if (rest != 0)
      std::memcpy(dst + 8 * whole, &table[src[whole]], rest);
  }
}
