#include "platform/imaging/Bitmap.h"

#include <cstdlib>

int BitsPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::Indexed1: return 1;
    case PixelFormat::Indexed8: return 8;
    case PixelFormat::Rgb24: return 24;
    case PixelFormat::Rgba32: return 32;
  }
  return 0;
}

void Bitmap::FreeDeleter::operator()(std::uint8_t* p) const { std::free(p); }

std::size_t Bitmap::StrideFor(int width, PixelFormat format) {
  const std::size_t bits = static_cast<std::size_t>(width) * BitsPerPixel(format);
  return (bits + 31) / 32 * 4;
}

ImagingStatus Bitmap::Create(int width, int height, PixelFormat format, Bitmap& out) {
  if (width <= 0 || height <= 0)
    return ImagingStatus::InvalidParameter;
  if (width > kMaxDimension || height > kMaxDimension)
    return ImagingStatus::TooLarge;
  const std::size_t stride = StrideFor(width, format);
  if (stride > kMaxBytes / static_cast<std::size_t>(height))
    return ImagingStatus::TooLarge;
  auto* pixels = static_cast<std::uint8_t*>(std::calloc(static_cast<std::size_t>(height), stride));
  if (pixels == nullptr)
    return ImagingStatus::OutOfMemory;
  Bitmap bitmap;
  bitmap.width_ = width;
  bitmap.height_ = height;
  bitmap.format_ = format;
  bitmap.stride_ = stride;
  bitmap.pixels_.reset(pixels);
  out = std::move(bitmap);
  return ImagingStatus::Ok;
}

bool Bitmap::HasGreyPalette() const {
  const std::size_t n = palette_.size();
  if (format_ == PixelFormat::Indexed1 && n == 2) {
    const auto isGrey = [](const PaletteEntry& e) { return e.red == e.green && e.green == e.blue; };
    return isGrey(palette_[0]) && isGrey(palette_[1]);
  }
  if (format_ != PixelFormat::Indexed8 || n != 256)
    return false;
  for (std::size_t i = 0; i < n; ++i) {
    const PaletteEntry& e = palette_[i];
    if (e.red != i || e.green != i || e.blue != i)
      return false;
  }
  return true;
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
