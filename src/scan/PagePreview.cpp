#include "scan/PagePreview.h"

#include <algorithm>

#include "platform/imaging/Bitmap.h"
#include "platform/imaging/DibReader.h"

namespace {

QRgb PixelAt(const Bitmap& page, int x, int y) {
  const std::uint8_t* row = page.Row(y);
  switch (page.Format()) {
    case PixelFormat::Indexed1:
    case PixelFormat::Indexed8: {
      const int index =
          page.Format() == PixelFormat::Indexed1 ? (row[x / 8] >> (7 - x % 8)) & 1 : row[x];
      const auto& palette = page.Palette();
      if (index >= static_cast<int>(palette.size()))
        return qRgb(index * 255, index * 255, index * 255);
      return qRgb(palette[index].red, palette[index].green, palette[index].blue);
    }
    case PixelFormat::Rgb24: {
      const std::uint8_t* p = row + 3 * x;
      return page.Channels() == ChannelOrder::Bgr ? qRgb(p[2], p[1], p[0]) : qRgb(p[0], p[1], p[2]);
    }
    case PixelFormat::Rgba32: {
      const std::uint8_t* p = row + 4 * x;
      return qRgb(p[0], p[1], p[2]);
    }
  }
  return qRgb(255, 255, 255);
}

}  // namespace

QImage PagePreview(const void* dib, std::size_t dibSize, int longestSide) {
  Bitmap page;
  if (dib == nullptr || longestSide <= 0 ||
      BitmapViewOfDib(dib, dibSize, page) != ImagingStatus::Ok || page.IsEmpty())
    return {};
  const double scale =
      std::min(1.0, static_cast<double>(longestSide) / std::max(page.Width(), page.Height()));
  const int width = std::max(1, static_cast<int>(page.Width() * scale));
  const int height = std::max(1, static_cast<int>(page.Height() * scale));
  QImage preview(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(preview.scanLine(y));
    const int sourceY = std::min(page.Height() - 1, static_cast<int>(y / scale));
    for (int x = 0; x < width; ++x)
      line[x] = PixelAt(page, std::min(page.Width() - 1, static_cast<int>(x / scale)), sourceY);
  }
  return preview;
}
