#include "cleanup/PageSketch.h"

#include <leptonica/allheaders.h>

#include <algorithm>
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
// The paper is found anew in tiles of this many pixels a side (5 mm at
// 300 dpi), so that uneven light or a yellowed edge is not taken for ink.
constexpr int kTile = 64;
// The share of a tile's samples darker than its paper: text covers less.
constexpr double kPaperRank = 0.6;
// Paper is never taken to be darker than the page's by more than this: a
// photograph or a dark band is not paper, however large.
constexpr int kUnevenLight = 40;

// The paper's grey over the page, tile by tile, from a sample of its pixels.
struct PaperMap {
  int median = 255;
  int across = 0;
  std::vector<std::uint8_t> tiles;  // row by row

  int At(int x, int y) const { return tiles[(y / kTile) * across + x / kTile]; }
};

PaperMap SamplePaper(const Bitmap& page, bool plain, const std::array<std::uint8_t, 256>& greys) {
  PaperMap map;
  map.across = (page.Width() + kTile - 1) / kTile;
  const int down = (page.Height() + kTile - 1) / kTile;
  std::array<long, 256> counts{};
  std::vector<std::uint8_t> grey(plain ? 0 : page.Width());
  std::vector<std::vector<std::uint8_t>> samples(map.across);
  std::vector<std::uint8_t> raw(static_cast<std::size_t>(map.across) * down, 255);
  long total = 0;
  for (int tileY = 0; tileY < down; ++tileY) {
    for (auto& tile : samples)
      tile.clear();
    for (int y = tileY * kTile; y < std::min((tileY + 1) * kTile, page.Height());
         y += kSampleStep) {
      const std::uint8_t* row = page.Row(y);
      if (!plain) {
        GreyRow(page, y, greys, grey.data());
        row = grey.data();
      }
      for (int x = 0; x < page.Width(); x += kSampleStep, ++total) {
        ++counts[row[x]];
        samples[x / kTile].push_back(row[x]);
      }
    }
    for (int tileX = 0; tileX < map.across; ++tileX) {
      auto& tile = samples[tileX];
      if (tile.empty())
        continue;
      const auto rank = tile.begin() + static_cast<long>(kPaperRank * (tile.size() - 1));
      std::nth_element(tile.begin(), rank, tile.end());
      raw[tileY * map.across + tileX] = *rank;
    }
  }
  long seen = 0;
  for (int value = 0; value < 256; ++value)
    if (seen += counts[value]; 2 * seen >= total) {
      map.median = value;
      break;
    }
  // A tile mostly covered by writing takes the paper of the lightest tile
  // beside it.
  map.tiles.resize(raw.size());
  const int floor = std::max(map.median - kUnevenLight, 0);
  for (int tileY = 0; tileY < down; ++tileY)
    for (int tileX = 0; tileX < map.across; ++tileX) {
      int lightest = 0;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = tileX + dx;
          const int ny = tileY + dy;
          if (nx >= 0 && ny >= 0 && nx < map.across && ny < down)
            lightest = std::max<int>(lightest, raw[ny * map.across + nx]);
        }
      map.tiles[tileY * map.across + tileX] = static_cast<std::uint8_t>(std::max(lightest, floor));
    }
  return map;
}

void SetBit(Pix* pix, int x, int y) {
  l_uint32* line = pixGetData(pix) + static_cast<std::ptrdiff_t>(y) * pixGetWpl(pix);
  line[x >> 5] |= 0x80000000u >> (x & 31);
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
  const int inkWidth = halfInk ? width / 2 : width;
  const int inkHeight = halfInk ? height / 2 : height;
  sketch.quarter.reset(pixCreate(width / 4, height / 4, 8));
  sketch.ink.reset(pixCreate(inkWidth, inkHeight, 1));
  sketch.faint.reset(pixCreate(inkWidth, inkHeight, 1));
  if (!sketch.quarter || !sketch.ink || !sketch.faint)
    return PageSketch{};
  const int inkDpi = halfInk ? dpi / 2 : dpi;
  pixSetResolution(sketch.quarter.get(), dpi / 4, dpi / 4);
  pixSetResolution(sketch.ink.get(), inkDpi, inkDpi);
  pixSetResolution(sketch.faint.get(), inkDpi, inkDpi);

  const bool plain = IsPlainGrey(page);
  const auto greys = PaletteGreys(page);
  const PaperMap paper = SamplePaper(page, plain, greys);
  sketch.paper = paper.median;
  const int inkBelow = InkThreshold(sketch.paper);
  std::vector<std::uint8_t> upper(plain ? 0 : width);
  std::vector<std::uint8_t> lower(upper.size());
  std::vector<std::uint8_t> half(width / 2);
  std::vector<int> quarterSums(width / 4);
  std::vector<std::uint8_t> faintBelow(inkWidth);
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
    if (y % kTile == 0)
      for (int x = 0; x < inkWidth; ++x)
        faintBelow[x] =
            static_cast<std::uint8_t>(FaintInkThreshold(paper.At(halfInk ? 2 * x : x, y)));
    if (!halfInk) {
      SetInk(sketch.ink.get(), y, a, width, inkBelow);
      SetInk(sketch.ink.get(), y + 1, b, width, inkBelow);
      // Faint lines are judged on means of 2 × 2 that slide along the row, so
      // that a stroke two pixels wide is seen whole wherever it falls.
      for (int x = 0; x + 1 < width; ++x)
        if ((a[x] + a[x + 1] + b[x] + b[x + 1] + 2) >> 2 < faintBelow[x]) {
          SetBit(sketch.faint.get(), x, y);
          SetBit(sketch.faint.get(), x, y + 1);
        }
    }
    for (int x = 0; x < width / 2; ++x)
      half[x] =
          static_cast<std::uint8_t>((a[2 * x] + a[2 * x + 1] + b[2 * x] + b[2 * x + 1] + 2) >> 2);
    if (halfInk) {
      SetInk(sketch.ink.get(), y / 2, half.data(), width / 2, inkBelow);
      for (int x = 0; x < width / 2; ++x)
        if (half[x] < faintBelow[x])
          SetBit(sketch.faint.get(), x, y / 2);
    }
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
