#include "cleanup/PageTurns.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numbers>
#include <utility>
#include <vector>

#include "cleanup/LeptonicaPix.h"
#include "ocr/GreyPage.h"

namespace {

constexpr std::uint8_t kWhite = 255;
constexpr int kTile = 64;  // rows read and rows written both stay in cache

std::size_t PixelBytes(const Bitmap& page) {
  return static_cast<std::size_t>(BitsPerPixel(page.Format()) / 8);
}

// One quarter turn, either way, read tile by tile so that the columns read
// stay in cache.
template <std::size_t Bytes>
void TurnQuarter(const Bitmap& in, Bitmap& out, bool clockwise) {
  const int inWidth = in.Width();
  const int inHeight = in.Height();
  for (int y0 = 0; y0 < out.Height(); y0 += kTile) {
    const int yEnd = std::min(y0 + kTile, out.Height());
    for (int x0 = 0; x0 < out.Width(); x0 += kTile) {
      const int xEnd = std::min(x0 + kTile, out.Width());
      for (int y = y0; y < yEnd; ++y) {
        std::uint8_t* to = out.Row(y) + x0 * Bytes;
        // Clockwise, output row y is input column y read bottom-up; the
        // other way it is input column (width - 1 - y) read top-down.
        const std::size_t column = (clockwise ? y : inWidth - 1 - y) * Bytes;
        for (int x = x0; x < xEnd; ++x, to += Bytes)
          std::memcpy(to, in.Row(clockwise ? inHeight - 1 - x : x) + column, Bytes);
      }
    }
  }
}

// Turns the 8 × 8 block of grey bytes whose top-left is (x, y) on the page
// into `out` at the place a quarter turn takes it. Eight rows are loaded as
// words and transposed by swapping bytes, pairs and quads: an order of
// magnitude faster than moving single bytes.
void TurnBlock(const Bitmap& in, Bitmap& out, int x, int y, bool clockwise) {
  std::uint64_t rows[8];
  // Clockwise, the bottom row of the block becomes the left column.
  for (int i = 0; i < 8; ++i)
    std::memcpy(&rows[i], in.Row(clockwise ? y + 7 - i : y + i) + x, 8);
  for (int i = 0; i < 8; i += 2) {
    const std::uint64_t t = ((rows[i] >> 8) ^ rows[i + 1]) & 0x00FF00FF00FF00FFull;
    rows[i + 1] ^= t;
    rows[i] ^= t << 8;
  }
  for (int i : {0, 1, 4, 5}) {
    const std::uint64_t t = ((rows[i] >> 16) ^ rows[i + 2]) & 0x0000FFFF0000FFFFull;
    rows[i + 2] ^= t;
    rows[i] ^= t << 16;
  }
  for (int i = 0; i < 4; ++i) {
    const std::uint64_t t = ((rows[i] >> 32) ^ rows[i + 4]) & 0x00000000FFFFFFFFull;
    rows[i + 4] ^= t;
    rows[i] ^= t << 32;
  }
  // Row i now holds input column x + i.
  for (int i = 0; i < 8; ++i) {
    if (clockwise)
      std::memcpy(out.Row(x + i) + (in.Height() - 8 - y), &rows[i], 8);
    else
      std::memcpy(out.Row(in.Width() - 1 - x - i) + y, &rows[i], 8);
  }
}

// A quarter turn of a grey page: whole blocks by TurnBlock, tile by tile, and
// the odd rows and columns at the edges one pixel at a time.
void TurnQuarterGrey(const Bitmap& in, Bitmap& out, bool clockwise) {
  if constexpr (std::endian::native != std::endian::little) {
    TurnQuarter<1>(in, out, clockwise);
    return;
  }
  const int blocksWide = in.Width() / 8 * 8;
  const int blocksHigh = in.Height() / 8 * 8;
  for (int y0 = 0; y0 < blocksHigh; y0 += kTile)
    for (int x0 = 0; x0 < blocksWide; x0 += kTile)
      for (int y = y0; y < std::min(y0 + kTile, blocksHigh); y += 8)
        for (int x = x0; x < std::min(x0 + kTile, blocksWide); x += 8)
          TurnBlock(in, out, x, y, clockwise);
  const auto turnPixel = [&](int x, int y) {
    if (clockwise)
      out.Row(x)[in.Height() - 1 - y] = in.Row(y)[x];
    else
      out.Row(in.Width() - 1 - x)[y] = in.Row(y)[x];
  };
  for (int y = 0; y < in.Height(); ++y)
    for (int x = y < blocksHigh ? blocksWide : 0; x < in.Width(); ++x)
      turnPixel(x, y);
}

void ReverseRow(std::uint8_t* row, int width, std::size_t bytes) {
  if (bytes == 1) {
    std::reverse(row, row + width);
    return;
  }
  for (int left = 0, right = width - 1; left < right; ++left, --right)
    std::swap_ranges(row + left * bytes, row + (left + 1) * bytes, row + right * bytes);
}

void TurnHalfInPlace(Bitmap& page) {
  const std::size_t bytes = PixelBytes(page);
  for (int top = 0, bottom = page.Height() - 1; top <= bottom; ++top, --bottom) {
    std::uint8_t* upper = page.Row(top);
    std::uint8_t* lower = page.Row(bottom);
    if (top != bottom)
      std::swap_ranges(upper, upper + page.Width() * bytes, lower);
    ReverseRow(upper, page.Width(), bytes);
    if (top != bottom)
      ReverseRow(lower, page.Width(), bytes);
  }
}

// Shifts row y right by round(slope × (y - centre)) pixels.
void ShearRows(Bitmap& page, double slope) {
  const std::size_t bytes = PixelBytes(page);
  const long width = page.Width();
  const double centre = (page.Height() - 1) / 2.0;
  for (int y = 0; y < page.Height(); ++y) {
    const long shift = std::lround(slope * (y - centre));
    const long distance = std::min(std::labs(shift), width);
    if (distance == 0)
      continue;
    std::uint8_t* row = page.Row(y);
    const std::size_t moved = (width - distance) * bytes;
    const std::size_t gap = distance * bytes;
    if (shift > 0) {
      std::memmove(row + gap, row, moved);
      std::memset(row, kWhite, gap);
    } else {
      std::memmove(row, row + gap, moved);
      std::memset(row + moved, kWhite, gap);
    }
  }
}

// Shifts column x down by round(slope × (x - centre)) pixels. Columns sharing
// a shift move as one band; bands moving down are filled from the bottom up
// and those moving up from the top down, so each row is read before it is
// overwritten.
void ShearColumns(Bitmap& page, double slope) {
  struct Band {
    std::size_t offset, bytes;
    long shift;
  };
  const std::size_t bytes = PixelBytes(page);
  const int height = page.Height();
  const double centre = (page.Width() - 1) / 2.0;
  std::vector<Band> down, up;
  for (int x = 0; x < page.Width();) {
    const long shift = std::lround(slope * (x - centre));
    int end = x + 1;
    while (end < page.Width() && std::lround(slope * (end - centre)) == shift)
      ++end;
    if (shift != 0)
      (shift > 0 ? down : up).push_back(Band{x * bytes, (end - x) * bytes, shift});
    x = end;
  }
  const auto move = [&](int y, const Band& band) {
    std::uint8_t* to = page.Row(y) + band.offset;
    const long from = y - band.shift;
    if (from < 0 || from >= height)
      std::memset(to, kWhite, band.bytes);
    else
      std::memcpy(to, page.Row(static_cast<int>(from)) + band.offset, band.bytes);
  };
  for (int y = height - 1; y >= 0; --y)
    for (const Band& band : down)
      move(y, band);
  for (int y = 0; y < height; ++y)
    for (const Band& band : up)
      move(y, band);
}

ImagingStatus OwnedCopy(Bitmap& page) {
  Bitmap copy;
  if (const ImagingStatus status = Bitmap::Create(page.Width(), page.Height(), page.Format(), copy);
      !IsOk(status))
    return status;
  copy.SetPalette(page.Palette());
  copy.SetChannels(page.Channels());
  copy.SetResolution(page.DpiX(), page.DpiY());
  const std::size_t rowBytes = page.Width() * PixelBytes(page);
  for (int y = 0; y < page.Height(); ++y)
    std::memcpy(copy.Row(y), page.Row(y), rowBytes);
  page = std::move(copy);
  return ImagingStatus::Ok;
}

}  // namespace

bool CanShear(const Bitmap& page) {
  return page.Format() == PixelFormat::Rgb24 || IsPlainGrey(page);
}

ImagingStatus TurnPage(Bitmap& page, int clockwiseDegrees) {
  const int quarters = ((clockwiseDegrees / 90) % 4 + 4) % 4;
  if (quarters == 0 || page.IsEmpty())
    return ImagingStatus::Ok;
  const PixelFormat format = page.Format();
  if (format == PixelFormat::Indexed1 || format == PixelFormat::Rgba32)
    return TurnClockwise(page, clockwiseDegrees);
  if (quarters == 2) {
    if (page.IsView())
      if (const ImagingStatus status = OwnedCopy(page); !IsOk(status))
        return status;
    TurnHalfInPlace(page);
    return ImagingStatus::Ok;
  }
  Bitmap turned;
  if (const ImagingStatus status = Bitmap::Create(page.Height(), page.Width(), format, turned);
      !IsOk(status))
    return status;
  if (format == PixelFormat::Rgb24)
    TurnQuarter<3>(page, turned, quarters == 1);
  else
    TurnQuarterGrey(page, turned, quarters == 1);
  turned.SetPalette(page.Palette());
  turned.SetChannels(page.Channels());
  turned.SetResolution(page.DpiY(), page.DpiX());
  page = std::move(turned);
  return ImagingStatus::Ok;
}

ImagingStatus ShearPage(Bitmap& page, double degrees) {
  if (!CanShear(page))
    return ImagingStatus::InvalidParameter;
  if (page.IsView())
    if (const ImagingStatus status = OwnedCopy(page); !IsOk(status))
      return status;
  // A clockwise turn by θ is a sideways shear by -tan(θ/2), a downward shear
  // by sin θ and the sideways shear again.
  const double radians = degrees * std::numbers::pi / 180.0;
  const double sideways = -std::tan(radians / 2);
  ShearRows(page, sideways);
  ShearColumns(page, std::sin(radians));
  ShearRows(page, sideways);
  return ImagingStatus::Ok;
}
