#pragma once

#include <cstddef>
#include <cstdint>

// The shape of one device-independent bitmap as native transfer hands it over:
// a 40-byte information header, the colour table, then bottom-up rows padded
// to 4 bytes. 24-bit pixels are BGR, 8-bit grey and 1-bit pages carry a grey
// ramp (index 0 black).
struct DibFormat {
  std::int32_t width = 0;
  std::int32_t height = 0;
  int bitsPerPixel = 24;
  int dotsPerInch = 0;

  std::size_t Stride() const;
  int PaletteEntries() const;
  std::size_t PixelOffset() const;
  std::size_t ImageBytes() const;
  std::size_t TotalBytes() const;

  // Writes the header and colour table; `block` holds at least PixelOffset() bytes.
  void WriteHeader(std::uint8_t* block) const;
  // The first byte of a row counted from the top of the page.
  std::uint8_t* Row(std::uint8_t* block, std::int32_t rowFromTop) const;
};

inline constexpr std::size_t kDibHeaderBytes = 40;
