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

// Byte order of Rgb24 pixels. Decoded images are always Rgb; a view of a
// scanner DIB keeps its blue-first order so that the page is not copied.
enum class ChannelOrder { Rgb, Bgr };

// An image in memory: rows padded to 4 bytes, with a palette for the indexed
// formats and a resolution in dots per inch (0 when unknown). Move-only, since
// a page easily holds tens of megabytes. A bitmap made by Create owns its rows,
// top-down and contiguous from Row(0); a view (WrapRows) reads rows that belong
// to someone else, possibly bottom-up, so only Row(y) addresses its rows.
class Bitmap {
 public:
  // The largest image accepted anywhere: hostile headers that declare more
  // are refused before anything is allocated.
  static constexpr int kMaxDimension = 65535;
  static constexpr std::size_t kMaxBytes = std::size_t{1} << 30;

  Bitmap() = default;
  // A moved-from bitmap is empty.
  Bitmap(Bitmap&& other) noexcept { *this = std::move(other); }
  Bitmap& operator=(Bitmap&& other) noexcept;
  Bitmap(const Bitmap&) = delete;
  Bitmap& operator=(const Bitmap&) = delete;

  // Allocates a zeroed image; TooLarge or InvalidParameter for sizes beyond the
  // limits, OutOfMemory when the allocation fails.
  static ImagingStatus Create(int width, int height, PixelFormat format, Bitmap& out);
  // A read-only view of rows owned elsewhere, which must outlive the view:
  // row y starts at topRow + y × rowStep (a negative step for bottom-up rows).
  static ImagingStatus WrapRows(const std::uint8_t* topRow, std::ptrdiff_t rowStep, int width,
                                int height, PixelFormat format, Bitmap& out);
  static std::size_t StrideFor(int width, PixelFormat format);

  bool IsEmpty() const { return topRow_ == nullptr; }
  bool IsView() const { return topRow_ != nullptr && pixels_ == nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  PixelFormat Format() const { return format_; }
  std::size_t Stride() const { return stride_; }
  std::size_t ByteCount() const { return stride_ * static_cast<std::size_t>(height_); }

  // Views are read-only: the non-const Row of a view must not be written through.
  std::uint8_t* Row(int y) { return topRow_ + rowStep_ * y; }
  const std::uint8_t* Row(int y) const { return topRow_ + rowStep_ * y; }

  ChannelOrder Channels() const { return channels_; }
  void SetChannels(ChannelOrder channels) { channels_ = channels; }

  const std::vector<PaletteEntry>& Palette() const { return palette_; }
  void SetPalette(std::vector<PaletteEntry> palette) { palette_ = std::move(palette); }
  // True for an indexed image whose palette is the ramp from black to white
  // (or, for 1 bit, black and white in either order).
  bool HasGreyPalette() const;
  // True for an indexed image whose palette holds only greys, in any order.
  bool HasOnlyGreys() const;

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
  std::uint8_t* topRow_ = nullptr;
  std::ptrdiff_t rowStep_ = 0;
  ChannelOrder channels_ = ChannelOrder::Rgb;
  std::vector<PaletteEntry> palette_;
  double dpiX_ = 0;
  double dpiY_ = 0;
};

std::vector<PaletteEntry> GreyPalette(int entries);
// Bitmap::HasGreyPalette for a format and palette of an image not held as a Bitmap.
bool IsGreyPalette(PixelFormat format, const std::vector<PaletteEntry>& palette);
