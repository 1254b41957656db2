#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A page as scanimage writes it in PNM: top-down rows, unpadded; lineart one
// bit per pixel with 1 black, grey one byte, colour RGB.
struct PnmPage {
  int width = 0;
  int height = 0;
  int bitsPerPixel = 0;
  std::vector<std::uint8_t> pixels;

  std::size_t RowBytes() const { return (static_cast<std::size_t>(width) * bitsPerPixel + 7) / 8; }
};

// Runs scanimage with `arguments` (device and options) on the SANE
// configuration of the environment; empty when it fails.
std::optional<PnmPage> ScanWithScanimage(const std::vector<std::string>& arguments);
