#include "cleanup/LeptonicaPix.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "ocr/GreyPage.h"

void PixDeleter::operator()(Pix* pix) const {
  pixDestroy(&pix);
}

namespace {

// A 1-bit page whose set bits are black; the others are inverted on the way.
bool SetBitIsBlack(const Bitmap& page) {
  const auto& palette = page.Palette();
  return palette.size() >= 2 && palette[1].red + palette[1].green + palette[1].blue <
                                    palette[0].red + palette[0].green + palette[0].blue;
}

}  // namespace

bool IsPlainGrey(const Bitmap& page) {
  return page.Format() == PixelFormat::Indexed8 && page.HasGreyPalette() &&
         page.Palette().size() == 256 && page.Palette().front().red == 0;
}

PixPtr PixFromBitmap(const Bitmap& page) {
  const PixelFormat format = page.Format();
  const int depth = format == PixelFormat::Indexed1 ? 1 : format == PixelFormat::Rgb24 ? 32 : 8;
  if (format == PixelFormat::Rgba32 || (format == PixelFormat::Indexed8 && !IsPlainGrey(page)))
    return nullptr;
  PixPtr pix(pixCreate(page.Width(), page.Height(), depth));
  if (!pix)
    return nullptr;
  l_uint32* data = pixGetData(pix.get());
  const int wpl = pixGetWpl(pix.get());
  const bool invert = format == PixelFormat::Indexed1 && !SetBitIsBlack(page);
  for (int y = 0; y < page.Height(); ++y) {
    const std::uint8_t* row = page.Row(y);
    l_uint32* line = data + static_cast<std::ptrdiff_t>(y) * wpl;
    if (depth == 32) {
      for (int x = 0; x < page.Width(); ++x) {
        const std::uint8_t* p = row + 3 * x;
        composeRGBPixel(p[0], p[1], p[2], line + x);
      }
      continue;
    }
    // Rows of 1 and 8 bits are bytes in reading order; Leptonica keeps them
    // in native 32-bit words, so the whole image is byte-swapped below.
    auto* bytes = reinterpret_cast<std::uint8_t*>(line);
    const std::size_t count = depth == 8 ? page.Width() : (page.Width() + 7) / 8;
    for (std::size_t i = 0; i < count; ++i)
      bytes[i] = invert ? static_cast<std::uint8_t>(~row[i]) : row[i];
  }
  if (depth != 32)
    pixEndianByteSwap(pix.get());
  pixSetResolution(pix.get(), static_cast<int>(page.DpiX() + 0.5),
                   static_cast<int>(page.DpiY() + 0.5));
  return pix;
}

ImagingStatus BitmapFromPix(Pix* pix, const Bitmap& like, Bitmap& out) {
  const int width = pixGetWidth(pix);
  const int height = pixGetHeight(pix);
  Bitmap result;
  if (const ImagingStatus status = Bitmap::Create(width, height, like.Format(), result);
      !IsOk(status))
    return status;
  result.SetPalette(like.Palette());
  result.SetChannels(like.Channels());
  result.SetResolution(like.DpiX(), like.DpiY());
  const int depth = pixGetDepth(pix);
  if (depth != 32)
    pixEndianByteSwap(pix);
  const l_uint32* data = pixGetData(pix);
  const int wpl = pixGetWpl(pix);
  const bool invert = like.Format() == PixelFormat::Indexed1 && !SetBitIsBlack(like);
  for (int y = 0; y < height; ++y) {
    std::uint8_t* row = result.Row(y);
    const l_uint32* line = data + static_cast<std::ptrdiff_t>(y) * wpl;
    if (depth == 32) {
      for (int x = 0; x < width; ++x) {
        l_int32 r = 0, g = 0, b = 0;
        extractRGBValues(line[x], &r, &g, &b);
        row[3 * x] = static_cast<std::uint8_t>(r);
        row[3 * x + 1] = static_cast<std::uint8_t>(g);
        row[3 * x + 2] = static_cast<std::uint8_t>(b);
      }
      continue;
    }
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(line);
    const std::size_t count = depth == 8 ? width : (width + 7) / 8;
    for (std::size_t i = 0; i < count; ++i)
      row[i] = invert ? static_cast<std::uint8_t>(~bytes[i]) : bytes[i];
  }
  if (depth != 32)
    pixEndianByteSwap(pix);
  out = std::move(result);
  return ImagingStatus::Ok;
}

int EngineReduction(const Bitmap& page, int dpi) {
  const int pageDpi = page.DpiX() > 0 ? static_cast<int>(page.DpiX() + 0.5) : 300;
  return std::max(1, pageDpi / std::max(dpi, 1));
}

PixPtr GreyPixForEngine(const Bitmap& page, int engineDpi) {
  const int dpi = page.DpiX() > 0 ? static_cast<int>(page.DpiX() + 0.5) : 300;
  const int step = EngineReduction(page, engineDpi);
  const int width = page.Width() / step;
  const int height = page.Height() / step;
  if (width == 0 || height == 0)
    return nullptr;
  PixPtr pix(pixCreate(width, height, 8));
  if (!pix)
    return nullptr;
  pixSetResolution(pix.get(), dpi / step, dpi / step);
  const auto greys = PaletteGreys(page);
  std::vector<std::uint8_t> row(page.Width());
  std::vector<int> sums(width);
  for (int y = 0; y < height; ++y) {
    std::fill(sums.begin(), sums.end(), 0);
    for (int dy = 0; dy < step; ++dy) {
      GreyRow(page, y * step + dy, greys, row.data());
      for (int x = 0; x < width; ++x)
        for (int dx = 0; dx < step; ++dx)
          sums[x] += row[x * step + dx];
    }
    l_uint32* line = pixGetData(pix.get()) + static_cast<std::ptrdiff_t>(y) * pixGetWpl(pix.get());
    const int count = step * step;
    for (int x = 0; x < width; ++x)
      SET_DATA_BYTE(line, x, (sums[x] + count / 2) / count);
  }
  return pix;
}
