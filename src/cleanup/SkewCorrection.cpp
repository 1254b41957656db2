#include "cleanup/SkewCorrection.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "cleanup/PageTurns.h"

namespace {

// Below this Leptonica's measure is a guess (its own deskew uses the same).
constexpr float kMinConfidence = 3.0f;
// A page within this of level is left as scanned: the measure itself is no
// finer, and every turn resamples the page.
constexpr double kSmallestTurn = 0.2;
// A dark border along the edges would pull the measure towards 0 degrees.
constexpr double kIgnoredMargin = 0.06;

// Lines running one way are clear when they measure this many times better
// than lines running the other way; a page of text gives ten times.
constexpr float kClearlyMore = 2.0f;
// Angles measured below this are measured again at the full resolution.
constexpr double kMeasureFinelyBelow = 1.0;

// Lines whose ends are less than this many pixels of the ink apart from
// level cannot be told from level: a stamp's frame, a few words.
constexpr double kTellablePixels = 2.0;
constexpr double kSpanShareLeft = 0.2;

struct LineMeasure {
  float angle = 0;
  float confidence = 0;
};

// Lines are swept for at a quarter of the ink's resolution and the best angle
// is searched for at `searchReduction` of it: at half, the error on a page of
// text stays near 0.05 degrees; a few lines (a stamp's frame) need the full
// resolution to be told from level.
LineMeasure MeasureLines(Pix* ink, int searchReduction) {
  LineMeasure measure;
  if (pixFindSkewSweepAndSearch(ink, &measure.angle, &measure.confidence, 4, searchReduction,
                                static_cast<l_float32>(kMaxSkewDegrees + 0.5), 1.0f, 0.01f) != 0 ||
      std::abs(measure.angle) > kMaxSkewDegrees + 0.5)
    return LineMeasure{};
  return measure;
}

// The width in pixels over which the ink of lines running across lies: from
// the column leaving a fifth of it to the left to the one leaving a fifth to
// the right, so that punch holes and specks beside a stamp do not count. Read
// at half the resolution.
double InkSpan(Pix* across) {
  PixPtr half(pixReduceRankBinaryCascade(across, 1, 0, 0, 0));
  NUMA* columns = half ? pixCountPixelsByColumn(half.get()) : nullptr;
  if (!columns)
    return 0;
  const int count = numaGetCount(columns);
  l_float32 total = 0;
  numaGetSum(columns, &total);
  int left = -1;
  int right = 0;
  double seen = 0;
  for (int x = 0; x < count; ++x) {
    l_float32 value = 0;
    numaGetFValue(columns, x, &value);
    seen += value;
    if (left < 0 && seen > kSpanShareLeft * total)
      left = x;
    if (seen < (1 - kSpanShareLeft) * total)
      right = x;
  }
  numaDestroy(&columns);
  return 2.0 * std::max(0, right - left);
}

// The smallest angle the lines can be told from level by: a line of `span`
// pixels turned by less rises at its end by less than the measure can see.
double SmallestMeasurable(double span) {
  return span > 0 ? std::atan(kTellablePixels / span) * 180.0 / std::numbers::pi : 90.0;
}

}  // namespace

PixPtr InnerInk(Pix* ink) {
  const int width = pixGetWidth(ink);
  const int height = pixGetHeight(ink);
  const int marginX = static_cast<int>(width * kIgnoredMargin);
  const int marginY = static_cast<int>(height * kIgnoredMargin);
  BOX* inner = boxCreate(marginX, marginY, width - 2 * marginX, height - 2 * marginY);
  PixPtr clipped(pixClipRectangle(ink, inner, nullptr));
  boxDestroy(&inner);
  return clipped;
}

TextLines FindTextLines(Pix* ink, bool eitherWay) {
  TextLines lines;
  LineMeasure best = MeasureLines(ink, 2);
  LineMeasure other;
  if (eitherWay) {
    PixPtr down(pixRotate90(ink, 1));
    if (!down)
      return lines;
    other = MeasureLines(down.get(), 2);
    if (other.confidence > best.confidence) {
      std::swap(best, other);
      lines.runDown = true;
      lines.across = std::move(down);
    }
  }
  if (best.confidence < kMinConfidence)
    return TextLines{};
  lines.found = true;
  lines.wayClear = !eitherWay || best.confidence >= kClearlyMore * other.confidence;
  if (!lines.across)
    lines.across.reset(pixClone(ink));
  // Near level the measure's error is the size of the turn itself.
  if (std::abs(best.angle) < kMeasureFinelyBelow)
    if (const LineMeasure fine = MeasureLines(lines.across.get(), 1);
        fine.confidence >= kMinConfidence)
      best.angle = fine.angle;
  const double span = InkSpan(lines.across.get());
  lines.spanShare = span / std::max(1, pixGetWidth(lines.across.get()));
  if (std::abs(best.angle) >= kSmallestTurn && std::abs(best.angle) >= SmallestMeasurable(span))
    lines.skewDegrees = best.angle;
  return lines;
}

ImagingStatus RotatePage(Bitmap& page, double degrees) {
  if (std::abs(degrees) < kSmallestTurn)
    return ImagingStatus::Ok;
  if (CanShear(page))
    return ShearPage(page, degrees);
  // 1-bit pages go through Leptonica, which shears whole words of bits.
  PixPtr pix = PixFromBitmap(page);
  if (!pix)
    return page.Format() == PixelFormat::Indexed8 || page.Format() == PixelFormat::Rgba32
               ? ImagingStatus::Ok
               : ImagingStatus::OutOfMemory;
  const auto radians = static_cast<l_float32>(degrees * std::numbers::pi / 180.0);
  PixPtr turned(pixRotate(pix.get(), radians, L_ROTATE_SHEAR, L_BRING_IN_WHITE, 0, 0));
  if (!turned)
    return ImagingStatus::OutOfMemory;
  pix.reset();
  return BitmapFromPix(turned.get(), page, page);
}
