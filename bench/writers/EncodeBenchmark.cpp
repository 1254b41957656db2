// In-process cost of each step of saving a scanned A4 page at 300 dpi
// (2480 × 3507): reading the DIB, turning it, and encoding each format.
// Colour, grey and black-and-white pages, as the scanner delivers them.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "platform/imaging/DibReader.h"
#include "platform/imaging/ImageEncoder.h"
#include "platform/imaging/Rotation.h"

namespace {

constexpr int kWidth = 2480;
constexpr int kHeight = 3507;

// A page with text-like strokes on white and a colour band, so the encoders
// see both flat paper and detail.
std::vector<std::uint8_t> MakeDib(int bitCount) {
  const std::size_t entries = bitCount <= 8 ? std::size_t{1} << bitCount : 0;
  const std::size_t rowBytes = (static_cast<std::size_t>(kWidth) * bitCount + 31) / 32 * 4;
  std::vector<std::uint8_t> dib(40 + entries * 4 + rowBytes * kHeight, 0);
  auto put = [&](std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
      dib[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  };
  put(0, 40), put(4, kWidth), put(8, kHeight), dib[12] = 1,
                                               dib[14] = static_cast<std::uint8_t>(bitCount);
  for (std::size_t i = 0; i < entries; ++i) {
    const auto level = static_cast<std::uint32_t>(i * 255 / (entries - 1));
    put(40 + i * 4, level * 0x010101u);
  }
  std::uint8_t* rows = dib.data() + 40 + entries * 4;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const bool ink = (y % 40 < 28) && ((x * 7 + y * 3) % 23 < 4) && x % 600 < 520;
      const int level = ink ? 30 : 245 - (x + y) % 7;
      std::uint8_t* row = rows + rowBytes * static_cast<std::size_t>(y);
      if (bitCount == 1) {
        if (!ink)
          row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | 0x80 >> (x % 8));
      } else if (bitCount == 8) {
        row[x] = static_cast<std::uint8_t>(level);
      } else {
        const bool band = y > 2400 && y < 3000;
        row[3 * x] = static_cast<std::uint8_t>(band ? x * 255 / kWidth : level);
        row[3 * x + 1] = static_cast<std::uint8_t>(band ? (y - 2400) * 255 / 600 : level);
        row[3 * x + 2] = static_cast<std::uint8_t>(band ? 255 - x * 255 / kWidth : level);
      }
    }
  return dib;
}

const Bitmap& Page(int bitCount) {
  static Bitmap pages[3];
  Bitmap& page = pages[bitCount == 1 ? 0 : bitCount == 8 ? 1 : 2];
  if (page.IsEmpty()) {
    const auto dib = MakeDib(bitCount);
    BitmapFromDib(dib.data(), dib.size(), page);
    page.SetResolution(300, 300);
  }
  return page;
}

void BM_ReadDib(benchmark::State& state) {
  const auto dib = MakeDib(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    Bitmap bitmap;
    benchmark::DoNotOptimize(BitmapFromDib(dib.data(), dib.size(), bitmap));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * dib.size()));
}

void BM_Rotate(benchmark::State& state) {
  const Bitmap& page = Page(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    Bitmap rotated;
    benchmark::DoNotOptimize(RotateClockwise90(page, rotated));
  }
}

void BM_Encode(benchmark::State& state, ImageFormat format, TiffCompression compression) {
  const Bitmap& page = Page(static_cast<int>(state.range(0)));
  const std::string path = "/tmp/docketeer-bench-" + std::to_string(getpid());
  EncodeOptions options;
  options.tiffCompression = compression;
  for (auto _ : state)
    benchmark::DoNotOptimize(EncodeImageFile(page, format, path, options));
  ::unlink(path.c_str());
}

#define PAGE_DEPTHS ->Arg(1)->Arg(8)->Arg(24)->Unit(benchmark::kMillisecond)

BENCHMARK(BM_ReadDib) PAGE_DEPTHS;
BENCHMARK(BM_Rotate) PAGE_DEPTHS;
BENCHMARK_CAPTURE(BM_Encode, Bmp, ImageFormat::Bmp, TiffCompression::None) PAGE_DEPTHS;
BENCHMARK_CAPTURE(BM_Encode, Jpeg, ImageFormat::Jpeg, TiffCompression::None) PAGE_DEPTHS;
BENCHMARK_CAPTURE(BM_Encode, Png, ImageFormat::Png, TiffCompression::None) PAGE_DEPTHS;
BENCHMARK_CAPTURE(BM_Encode, Gif, ImageFormat::Gif, TiffCompression::None) PAGE_DEPTHS;
BENCHMARK_CAPTURE(BM_Encode, Tiff, ImageFormat::Tiff, TiffCompression::None) PAGE_DEPTHS;
BENCHMARK_CAPTURE(BM_Encode, TiffLzw, ImageFormat::Tiff, TiffCompression::Lzw) PAGE_DEPTHS;

}  // namespace

BENCHMARK_MAIN();
