#include "cleanup/PageSketch.h"

#include <leptonica/allheaders.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "cleanup/BlankPageDetector.h"
#include "ocr/GreyPage.h"

namespace {

// An unknown resolution is taken as the common 300 dpi.
constexpr int kAssumedDpi = 300;
// Letters are read at half the resolution from here on; below it the page's
// own pixels are kept.
constexpr int kHalfFrom = 280;
// The paper's grey comes from every fourth pixel of every fourth row.
constexpr int kSampleStep = 4;

// The median grey of a sample of the page: enough to set the ink threshold
// before the pass that uses it.
int SampledPaperGrey(const Bitmap& page, bool plain, const std::array<std::uint8_t, 256>& greys) {
  std::array<long, 256> counts{};
  std::vector<std::uint8_t> grey(plain ? 0 : page.Width());
  long total = 0;
  for (int y = 0; y < page.Height(); y += kSampleStep) {
    const std::uint8_t* row = page.Row(y);
    if (!plain) {
      GreyRow(page, y, greys, grey.data());
      row = grey.data();
    }
    for (int x = 0; x < page.Width(); x += kSampleStep, ++total)
      ++counts[row[x]];
  }
  long seen = 0;
  for (int value = 0; value < 256; ++value)
    if (seen += counts[value]; 2 * seen >= total)
      return value;
  return 255;
}

void SetInk(Pix* ink, int y, const std::uint8_t* greys, int width, int inkBelow) {
  l_uint32* line = pixGetData(ink) + static_cast<std::ptrdiff_t>(y) * pixGetWpl(ink);
  for (int x = 0; x < width; ++x)
    if (greys[x] < inkBelow)
      line[x >> 5] |= 0x80000000u >> (x & 31);
}

}  // namespace

PageSketch SketchPage(const Bitmap& page) {
  PageSketch sketch;
  const int width = page.Width();
  const int height = page.Height();
  if (width < 4 || height < 4)
    return sketch;
  const int dpi = page.DpiX() > 0 ? static_cast<int>(std::lround(page.DpiX())) : kAssumedDpi;
  const bool halfInk = dpi >= kHalfFrom;
  sketch.quarter.reset(pixCreate(width / 4, height / 4, 8));
  sketch.ink.reset(halfInk ? pixCreate(width / 2, height / 2, 1) : pixCreate(width, height, 1));
  if (!sketch.quarter || !sketch.ink)
    return PageSketch{};
  pixSetResolution(sketch.quarter.get(), dpi / 4, dpi / 4);
  pixSetResolution(sketch.ink.get(), halfInk ? dpi / 2 : dpi, halfInk ? dpi / 2 : dpi);

  const bool plain = IsPlainGrey(page);
  const auto greys = PaletteGreys(page);
  sketch.paper = SampledPaperGrey(page, plain, greys);
  const int inkBelow = InkThreshold(sketch.paper);
  std::vector<std::uint8_t> upper(plain ? 0 : width);
  std::vector<std::uint8_t> lower(upper.size());
  std::vector<std::uint8_t> half(width / 2);
  std::vector<int> quarterSums(width / 4);
  Pix* quarter = sketch.quarter.get();
  for (int y = 0; y + 1 < height; y += 2) {
    const std::uint8_t* a = page.Row(y);
    const std::uint8_t* b = page.Row(y + 1);
    if (!plain) {
      GreyRow(page, y, greys, upper.data());
      GreyRow(page, y + 1, greys, lower.data());
      a = upper.data();
      b = lower.data();
    }
    if (!halfInk) {
      SetInk(sketch.ink.get(), y, a, width, inkBelow);
      SetInk(sketch.ink.get(), y + 1, b, width, inkBelow);
    }
    for (int x = 0; x < width / 2; ++x)
      half[x] =
          static_cast<std::uint8_t>((a[2 * x] + a[2 * x + 1] + b[2 * x] + b[2 * x + 1] + 2) >> 2);
    if (halfInk)
      SetInk(sketch.ink.get(), y / 2, half.data(), width / 2, inkBelow);
    if (y / 4 >= height / 4)
      continue;
    for (int x = 0; x < width / 4; ++x)
      quarterSums[x] += half[2 * x] + half[2 * x + 1];
    if (y % 4 == 2) {
      l_uint32* line =
          pixGetData(quarter) + static_cast<std::ptrdiff_t>(y / 4) * pixGetWpl(quarter);
      for (int x = 0; x < width / 4; ++x) {
        SET_DATA_BYTE(line, x, static_cast<l_uint32>((quarterSums[x] + 2) >> 2));
        quarterSums[x] = 0;
      }
    }
  }
  if (!halfInk && height % 2 == 1) {
    const std::uint8_t* last = page.Row(height - 1);
    if (!plain) {
      GreyRow(page, height - 1, greys, upper.data());
      last = upper.data();
    }
    SetInk(sketch.ink.get(), height - 1, last, width, inkBelow);
  }
  return sketch;
}
