#include "platform/imaging/Bitmap.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

int BitsPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::Indexed1:
      return 1;
    case PixelFormat::Indexed8:
      return 8;
    case PixelFormat::Rgb24:
      return 24;
    case PixelFormat::Rgba32:
      return 32;
  }
  return 0;
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
  if (this == &other)
    return *this;
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  format_ = other.format_;
  stride_ = std::exchange(other.stride_, 0);
  pixels_ = std::move(other.pixels_);
  topRow_ = std::exchange(other.topRow_, nullptr);
  rowStep_ = std::exchange(other.rowStep_, 0);
  channels_ = std::exchange(other.channels_, ChannelOrder::Rgb);
  palette_ = std::move(other.palette_);
  other.palette_.clear();
  dpiX_ = std::exchange(other.dpiX_, 0.0);
  dpiY_ = std::exchange(other.dpiY_, 0.0);
  return *this;
}

void Bitmap::FreeDeleter::operator()(std::uint8_t* p) const {
  std::free(p);
}

std::size_t Bitmap::StrideFor(int width, PixelFormat format) {
  const std::size_t bits = static_cast<std::size_t>(width) * BitsPerPixel(format);
  return (bits + 31) / 32 * 4;
}

namespace {

ImagingStatus CheckSize(int width, int height, PixelFormat format) {
  if (width <= 0 || height <= 0)
    return ImagingStatus::InvalidParameter;
  if (width > Bitmap::kMaxDimension || height > Bitmap::kMaxDimension)
    return ImagingStatus::TooLarge;
  if (Bitmap::StrideFor(width, format) > Bitmap::kMaxBytes / static_cast<std::size_t>(height))
    return ImagingStatus::TooLarge;
  return ImagingStatus::Ok;
}

}  // namespace

ImagingStatus Bitmap::Create(int width, int height, PixelFormat format, Bitmap& out) {
  if (ImagingStatus status = CheckSize(width, height, format); !IsOk(status))
    return status;
  const std::size_t stride = StrideFor(width, format);
  auto* pixels = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(height), stride));
  if (pixels == nullptr)
    return ImagingStatus::OutOfMemory;
  Bitmap bitmap;
  bitmap.width_ = width;
  bitmap.height_ = height;
  bitmap.format_ = format;
  bitmap.stride_ = stride;
  bitmap.pixels_.reset(pixels);
  bitmap.topRow_ = pixels;
  bitmap.rowStep_ = static_cast<std::ptrdiff_t>(stride);
  out = std::move(bitmap);
  return ImagingStatus::Ok;
}

ImagingStatus Bitmap::WrapRows(const std::uint8_t* topRow, std::ptrdiff_t rowStep, int width,
                               int height, PixelFormat format, Bitmap& out) {
  if (topRow == nullptr)
    return ImagingStatus::InvalidParameter;
  if (ImagingStatus status = CheckSize(width, height, format); !IsOk(status))
    return status;
  Bitmap bitmap;
  bitmap.width_ = width;
  bitmap.height_ = height;
  bitmap.format_ = format;
  bitmap.stride_ = StrideFor(width, format);
  bitmap.topRow_ = const_cast<std::uint8_t*>(topRow);
  bitmap.rowStep_ = rowStep;
  out = std::move(bitmap);
  return ImagingStatus::Ok;
}

bool IsGreyPalette(PixelFormat format, const std::vector<PaletteEntry>& palette) {
  const std::size_t n = palette.size();
  if (format == PixelFormat::Indexed1 && n == 2) {
    const auto isGrey = [](const PaletteEntry& e) { return e.red == e.green && e.green == e.blue; };
    return isGrey(palette[0]) && isGrey(palette[1]);
  }
  if (format != PixelFormat::Indexed8 || n != 256)
    return false;
  for (std::size_t i = 0; i < n; ++i) {
    const PaletteEntry& e = palette[i];
    if (e.red != i || e.green != i || e.blue != i)
      return false;
  }
  return true;
}

bool Bitmap::HasGreyPalette() const {
  return IsGreyPalette(format_, palette_);
}

bool Bitmap::HasOnlyGreys() const {
  if (format_ != PixelFormat::Indexed1 && format_ != PixelFormat::Indexed8)
    return false;
  return std::all_of(palette_.begin(), palette_.end(),
                     [](const PaletteEntry& e) { return e.red == e.green && e.green == e.blue; });
}

void Bitmap::SetResolution(double dpiX, double dpiY) {
  dpiX_ = dpiX;
  dpiY_ = dpiY;
}

std::vector<PaletteEntry> GreyPalette(int entries) {
  std::vector<PaletteEntry> palette(static_cast<std::size_t>(entries));
  for (int i = 0; i < entries; ++i) {
    const auto level = static_cast<std::uint8_t>(entries > 1 ? i * 255 / (entries - 1) : 0);
    palette[static_cast<std::size_t>(i)] = {level, level, level, 255};
  }
  return palette;
}
