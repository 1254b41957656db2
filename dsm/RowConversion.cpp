#include "dsm/RowConversion.h"

#include <cstring>

namespace {

std::uint8_t HighByte(const std::uint8_t* samples, std::size_t index) {
  std::uint16_t value = 0;
  std::memcpy(&value, samples + index * 2, 2);
  return static_cast<std::uint8_t>(value >> 8);
}

std::uint8_t Sample(const std::uint8_t* samples, std::size_t index, int depth) {
  if (depth == 8)
    return samples[index];
  if (depth == 16)
    return HighByte(samples, index);
  const bool set = (samples[index / 8] >> (7 - index % 8)) & 1;
  return set ? 255 : 0;  // colour and channel bits mean full intensity
}

}  // namespace

void ConvertRgbRow(const std::uint8_t* line, int pixels, int depth, std::uint8_t* row) {
  if (depth == 8) {
    for (int x = 0; x < pixels; ++x, line += 3, row += 3) {
      row[0] = line[2];
      row[1] = line[1];
      row[2] = line[0];
    }
    return;
  }
  for (std::size_t x = 0; x < static_cast<std::size_t>(pixels); ++x) {
    row[x * 3 + 0] = Sample(line, x * 3 + 2, depth);
    row[x * 3 + 1] = Sample(line, x * 3 + 1, depth);
    row[x * 3 + 2] = Sample(line, x * 3 + 0, depth);
  }
}

void ConvertGrayRow(const std::uint8_t* line, int pixels, int depth, std::uint8_t* row) {
  if (depth == 8) {
    std::memcpy(row, line, static_cast<std::size_t>(pixels));
    return;
  }
  for (std::size_t x = 0; x < static_cast<std::size_t>(pixels); ++x)
    row[x] =
        depth == 1 ? static_cast<std::uint8_t>(255 - Sample(line, x, 1)) : Sample(line, x, depth);
}

void ConvertChannelRow(const std::uint8_t* line, int pixels, int depth, int channel,
                       std::uint8_t* row) {
  for (std::size_t x = 0; x < static_cast<std::size_t>(pixels); ++x)
    row[x * 3 + static_cast<std::size_t>(channel)] = Sample(line, x, depth);
}

void ConvertLineartRow(const std::uint8_t* line, int pixels, std::uint8_t* row) {
  const std::size_t bytes = (static_cast<std::size_t>(pixels) + 7) / 8;
  for (std::size_t i = 0; i < bytes; ++i)
    row[i] = static_cast<std::uint8_t>(~line[i]);
  if (const int spare = static_cast<int>(bytes * 8) - pixels; spare > 0)
    row[bytes - 1] &= static_cast<std::uint8_t>(0xFF << spare);
}

void ThresholdGrayRow(const std::uint8_t* grey, int pixels, std::uint8_t* row) {
  const std::size_t bytes = (static_cast<std::size_t>(pixels) + 7) / 8;
  std::memset(row, 0, bytes);
  for (std::size_t x = 0; x < static_cast<std::size_t>(pixels); ++x)
    if (grey[x] >= 128)
      row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
}

std::size_t SaneLineBytes(int pixels, int depth, int channels) {
  return (static_cast<std::size_t>(pixels) * channels * depth + 7) / 8;
}
