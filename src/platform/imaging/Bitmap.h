#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/imaging/ImagingStatus.h"

enum class PixelFormat {
  Indexed1,  // one bit per pixel, most significant bit first, two-entry palette
  Indexed8,  // one palette index per pixel
  Rgb24,     // red, green, blue
  Rgba32,    // red, green, blue, alpha (not premultiplied)
};

struct PaletteEntry {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  std::uint8_t alpha = 255;
  bool operator==(const PaletteEntry&) const = default;
};

int BitsPerPixel(PixelFormat format);

// An image in memory: top-down rows, each row padded to 4 bytes, with a
// palette for the indexed formats and a resolution in dots per inch (0 when
// unknown). Move-only, since a page easily holds tens of megabytes.
class Bitmap {
 public:
  // The largest image accepted anywhere: hostile headers that declare more
  // are refused before anything is allocated.
  static constexpr int kMaxDimension = 65535;
  static constexpr std::size_t kMaxBytes = std::size_t{1} << 30;

  Bitmap() = default;
  Bitmap(Bitmap&&) noexcept = default;
  Bitmap& operator=(Bitmap&&) noexcept = default;
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  // Allocates a zeroed image; TooLarge or InvalidParameter for sizes beyond the
  // limits, OutOfMemory when the allocation fails.
  static ImagingStatus Create(int width, int height, PixelFormat format, Bitmap& out);
  static std::size_t StrideFor(int width, PixelFormat format);

  bool IsEmpty() const { return pixels_ == nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  PixelFormat Format() const { return format_; }
  std::size_t Stride() const { return stride_; }
  std::size_t ByteCount() const { return stride_ * static_cast<std::size_t>(height_); }

  std::uint8_t* Row(int y) { return pixels_.get() + stride_ * static_cast<std::size_t>(y); }
  const std::uint8_t* Row(int y) const {
    return pixels_.get() + stride_ * static_cast<std::size_t>(y);
  }

  const std::vector<PaletteEntry>& Palette() const { return palette_; }
  void SetPalette(std::vector<PaletteEntry> palette) { palette_ = std::move(palette); }
  // True for an indexed image whose palette is the ramp from black to white
  // (or, for 1 bit, black and white in either order).
  bool HasGreyPalette() const;

  double DpiX() const { return dpiX_; }
  double DpiY() const { return dpiY_; }
  void SetResolution(double dpiX, double dpiY);

 private:
  struct FreeDeleter {
    void operator()(std::uint8_t* p) const;
  };

  int width_ = 0;
  int height_ = 0;
  PixelFormat format_ = PixelFormat::Rgb24;
  std::size_t stride_ = 0;
  std::unique_ptr<std::uint8_t[], FreeDeleter> pixels_;
  std::vector<PaletteEntry> palette_;
  double dpiX_ = 0;
  double dpiY_ = 0;
};

std::vector<PaletteEntry> GreyPalette(int entries);
