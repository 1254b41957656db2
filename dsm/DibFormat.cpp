#include "dsm/DibFormat.h"

#include <cstring>

namespace {

template <typename Value>
void Put(std::uint8_t*& out, Value value) {
  std::memcpy(out, &value, sizeof value);  // little-endian host, as the format is
  out += sizeof value;
}

std::int32_t PelsPerMeter(int dotsPerInch) {
  return static_cast<std::int32_t>((static_cast<std::int64_t>(dotsPerInch) * 10000 + 127) / 254);
}

}  // namespace

std::size_t DibFormat::Stride() const {
  return (static_cast<std::size_t>(width) * bitsPerPixel + 31) / 32 * 4;
}

int DibFormat::PaletteEntries() const {
  return bitsPerPixel <= 8 ? 1 << bitsPerPixel : 0;
}

std::size_t DibFormat::PixelOffset() const {
  return kDibHeaderBytes + static_cast<std::size_t>(PaletteEntries()) * 4;
}

std::size_t DibFormat::ImageBytes() const {
  return Stride() * static_cast<std::size_t>(height);
}

std::size_t DibFormat::TotalBytes() const {
  return PixelOffset() + ImageBytes();
}

void DibFormat::WriteHeader(std::uint8_t* block) const {
  std::uint8_t* out = block;
  Put(out, static_cast<std::uint32_t>(kDibHeaderBytes));
  Put(out, width);
  Put(out, height);  // positive: rows bottom-up
  Put(out, static_cast<std::uint16_t>(1));
  Put(out, static_cast<std::uint16_t>(bitsPerPixel));
  Put(out, static_cast<std::uint32_t>(0));  // BI_RGB
  Put(out, static_cast<std::uint32_t>(ImageBytes()));
  Put(out, PelsPerMeter(dotsPerInch));
  Put(out, PelsPerMeter(dotsPerInch));
  Put(out, static_cast<std::uint32_t>(PaletteEntries()));
  Put(out, static_cast<std::uint32_t>(0));
  const int entries = PaletteEntries();
  for (int index = 0; index < entries; ++index) {
    const auto level = static_cast<std::uint8_t>(index * 255 / (entries - 1));
    const std::uint8_t entry[4] = {level, level, level, 0};
    std::memcpy(out, entry, 4);
    out += 4;
  }
}

std::uint8_t* DibFormat::Row(std::uint8_t* block, std::int32_t rowFromTop) const {
  return block + PixelOffset() + Stride() * static_cast<std::size_t>(height - 1 - rowFromTop);
}
