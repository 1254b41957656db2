#include "cleanup/SkewCorrection.h"

#include <leptonica/allheaders.h>

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
  if (std::abs(best.angle) >= kSmallestTurn)
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
