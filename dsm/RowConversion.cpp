#include "dsm/RowConversion.h"

#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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

// Four RGB pixels (three little-endian words) to four BGR pixels: the hot
// loop of colour scans, about three times faster than byte by byte.
void SwapRedBlueOfFourPixels(const std::uint8_t* in, std::uint8_t* out) {
  std::uint32_t a, b, c;
  std::memcpy(&a, in, 4);
  std::memcpy(&b, in + 4, 4);
  std::memcpy(&c, in + 8, 4);
  const std::uint32_t words[3] = {
      ((a >> 16) & 0xFF) | (a & 0xFF00) | ((a & 0xFF) << 16) | (((b >> 8) & 0xFF) << 24),
      (b & 0xFF) | ((a >> 24) << 8) | ((c & 0xFF) << 16) | (b & 0xFF000000),
      ((b >> 16) & 0xFF) | ((c >> 24) << 8) | (c & 0xFF0000) | (((c >> 8) & 0xFF) << 24)};
  std::memcpy(out, words, 12);
}

#if defined(__x86_64__)
// Sixteen bytes at a time with one byte shuffle; the last four pixels of a row
// go through the word version, so no load reads past the line.
__attribute__((target("ssse3"))) int SwapRedBlueSsse3(const std::uint8_t* in, int pixels,
                                                      std::uint8_t* out) {
  const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 12, 13, 14, 15);
  int x = 0;
  for (; x + 6 <= pixels; x += 4, in += 12, out += 12) {
    const __m128i rgb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i bgr = _mm_shuffle_epi8(rgb, order);
    std::memcpy(out, &bgr, 12);
  }
  return x;
}

bool HasSsse3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}
#endif

}  // namespace

void ConvertRgbRow(const std::uint8_t* line, int pixels, int depth, std::uint8_t* row) {
  if (depth == 8) {
    int x = 0;
#if defined(__x86_64__)
    if (HasSsse3()) {
      x = SwapRedBlueSsse3(line, pixels, row);
      line += 3 * x;
      row += 3 * x;
    }
#endif
    for (; x + 4 <= pixels; x += 4, line += 12, row += 12)
      SwapRedBlueOfFourPixels(line, row);
    for (; x < pixels; ++x, line += 3, row += 3) {
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
