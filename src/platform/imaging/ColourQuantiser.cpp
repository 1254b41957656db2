#include "platform/imaging/ColourQuantiser.h"

#include <algorithm>
#include <array>
#include <limits>

#include "platform/imaging/PixelRows.h"

namespace {

constexpr int kBits = 5;
constexpr int kSide = 1 << kBits;
constexpr int kCells = kSide * kSide * kSide;
constexpr int kShift = 8 - kBits;
constexpr std::size_t kMaxColours = 256;

int CellOf(int r, int g, int b) {
  return (r >> kShift) << (2 * kBits) | (g >> kShift) << kBits | (b >> kShift);
}

struct Histogram {
  std::vector<std::uint32_t> count = std::vector<std::uint32_t>(kCells, 0);
  std::vector<std::array<std::uint64_t, 3>> sum = std::vector<std::array<std::uint64_t, 3>>(kCells);
};

// A box of histogram cells, inclusive bounds per channel.
struct Box {
  std::array<int, 3> lo{0, 0, 0};
  std::array<int, 3> hi{kSide - 1, kSide - 1, kSide - 1};
  std::uint64_t pixels = 0;
};

template <typename Visit>
void ForEachCell(const Box& box, Visit visit) {
  for (int r = box.lo[0]; r <= box.hi[0]; ++r)
    for (int g = box.lo[1]; g <= box.hi[1]; ++g)
      for (int b = box.lo[2]; b <= box.hi[2]; ++b)
        visit(r << (2 * kBits) | g << kBits | b, std::array<int, 3>{r, g, b});
}

// Shrinks the box to the cells that hold pixels and counts them.
void Shrink(Box& box, const Histogram& h) {
  std::array<int, 3> lo{kSide, kSide, kSide}, hi{-1, -1, -1};
  std::uint64_t pixels = 0;
  ForEachCell(box, [&](int cell, std::array<int, 3> at) {
    if (h.count[cell] == 0)
      return;
    pixels += h.count[cell];
    for (int c = 0; c < 3; ++c) {
      lo[c] = std::min(lo[c], at[c]);
      hi[c] = std::max(hi[c], at[c]);
    }
  });
  box.pixels = pixels;
  if (pixels != 0) {
    box.lo = lo;
    box.hi = hi;
  }
}

// Green matters most to the eye, blue least.
int LongestAxis(const Box& box) {
  constexpr std::array<int, 3> weight{3, 4, 2};
  int best = 0;
  for (int c = 1; c < 3; ++c)
    if ((box.hi[c] - box.lo[c]) * weight[c] > (box.hi[best] - box.lo[best]) * weight[best])
      best = c;
  return best;
}

bool Split(Box& box, Box& other, const Histogram& h) {
  const int axis = LongestAxis(box);
  if (box.hi[axis] == box.lo[axis])
    return false;
  std::vector<std::uint64_t> slice(kSide, 0);
  ForEachCell(box, [&](int cell, std::array<int, 3> at) { slice[at[axis]] += h.count[cell]; });
  std::uint64_t seen = 0;
  int cut = box.lo[axis];
  for (; cut < box.hi[axis] - 1; ++cut) {
    seen += slice[cut];
    if (seen * 2 >= box.pixels)
      break;
  }
  other = box;
  box.hi[axis] = cut;
  other.lo[axis] = cut + 1;
  Shrink(box, h);
  Shrink(other, h);
  return true;
}

std::vector<Box> MedianCut(const Histogram& h) {
  std::vector<Box> boxes(1);
  Shrink(boxes[0], h);
  std::vector<bool> splittable{true};
  while (boxes.size() < kMaxColours) {
    std::size_t pick = boxes.size();
    std::uint64_t bestScore = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const Box& b = boxes[i];
      const int span = std::max({b.hi[0] - b.lo[0], b.hi[1] - b.lo[1], b.hi[2] - b.lo[2]});
      const std::uint64_t score = b.pixels * static_cast<std::uint64_t>(span);
      if (splittable[i] && span > 0 && score > bestScore) {
        bestScore = score;
        pick = i;
      }
    }
    if (pick == boxes.size())
      break;
    Box other;
    if (!Split(boxes[pick], other, h)) {
      splittable[pick] = false;
      continue;
    }
    boxes.push_back(other);
    splittable.push_back(true);
  }
  return boxes;
}

}  // namespace

ColourQuantiser::ColourQuantiser(const Bitmap& bitmap)
    : bitmap_(bitmap),
      inverseMap_(kCells, -1),
      errorsThisRow_(static_cast<std::size_t>(bitmap.Width() + 2) * 3, 0),
      errorsNextRow_(errorsThisRow_.size(), 0) {
  BuildPalette();
}

void ColourQuantiser::BuildPalette() {
  Histogram h;
  const int step = BitsPerPixel(bitmap_.Format()) / 8;
  const int red = RedOffset(bitmap_), blue = 2 - red;
  for (int y = 0; y < bitmap_.Height(); ++y) {
    const std::uint8_t* p = bitmap_.Row(y);
    for (int x = 0; x < bitmap_.Width(); ++x, p += step) {
      const int cell = CellOf(p[red], p[1], p[blue]);
      ++h.count[cell];
      h.sum[cell][0] += p[red];
      h.sum[cell][1] += p[1];
      h.sum[cell][2] += p[blue];
    }
  }
  for (const Box& box : MedianCut(h)) {
    std::array<std::uint64_t, 3> total{0, 0, 0};
    ForEachCell(box, [&](int cell, std::array<int, 3>) {
      for (int c = 0; c < 3; ++c)
        total[c] += h.sum[cell][c];
    });
    const std::uint64_t n = std::max<std::uint64_t>(box.pixels, 1);
    palette_.push_back({static_cast<std::uint8_t>((total[0] + n / 2) / n),
                        static_cast<std::uint8_t>((total[1] + n / 2) / n),
                        static_cast<std::uint8_t>((total[2] + n / 2) / n), 255});
  }
}

std::uint8_t ColourQuantiser::NearestIndex(int r, int g, int b) {
  const int cell = CellOf(r, g, b);
  if (inverseMap_[cell] >= 0)
    return static_cast<std::uint8_t>(inverseMap_[cell]);
  // The centre of the cell stands for every colour in it.
  const int half = 1 << (kShift - 1);
  const int cr = (r & ~((1 << kShift) - 1)) + half;
  const int cg = (g & ~((1 << kShift) - 1)) + half;
  const int cb = (b & ~((1 << kShift) - 1)) + half;
  int best = 0;
  int bestDistance = std::numeric_limits<int>::max();
  for (std::size_t i = 0; i < palette_.size(); ++i) {
    const int dr = palette_[i].red - cr, dg = palette_[i].green - cg, db = palette_[i].blue - cb;
    const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = static_cast<int>(i);
    }
  }
  inverseMap_[cell] = static_cast<std::int16_t>(best);
  return static_cast<std::uint8_t>(best);
}

void ColourQuantiser::MapRow(int y, std::uint8_t* indices) {
  std::swap(errorsThisRow_, errorsNextRow_);
  std::fill(errorsNextRow_.begin(), errorsNextRow_.end(), 0);
  const int step = BitsPerPixel(bitmap_.Format()) / 8;
  const int width = bitmap_.Width();
  const bool forward = (y & 1) == 0;  // serpentine order avoids directional streaks
  const std::uint8_t* row = bitmap_.Row(y);
  const int red = RedOffset(bitmap_);
  for (int i = 0; i < width; ++i) {
    const int x = forward ? i : width - 1 - i;
    const int dir = forward ? 1 : -1;
    const std::uint8_t* p = row + static_cast<std::ptrdiff_t>(x) * step;
    int* here = &errorsThisRow_[static_cast<std::size_t>(x + 1) * 3];
    int* below = &errorsNextRow_[static_cast<std::size_t>(x + 1) * 3];
    std::array<int, 3> want;
    for (int c = 0; c < 3; ++c)
      want[c] = std::clamp(p[c == 1 ? 1 : (c == 0 ? red : 2 - red)] + here[c] / 16, 0, 255);
    const std::uint8_t index = NearestIndex(want[0], want[1], want[2]);
    indices[x] = index;
    const PaletteEntry& got = palette_[index];
    const std::array<int, 3> error{want[0] - got.red, want[1] - got.green, want[2] - got.blue};
    for (int c = 0; c < 3; ++c) {
      here[dir * 3 + c] += error[c] * 7;
      below[-dir * 3 + c] += error[c] * 3;
      below[c] += error[c] * 5;
      below[dir * 3 + c] += error[c];
    }
  }
}
