#include "cleanup/SkewCorrection.h"

#include <leptonica/allheaders.h>

#include <cmath>
#include <numbers>

#include "cleanup/LeptonicaPix.h"

namespace {

// Below this Leptonica's measure is a guess (its own deskew uses the same).
constexpr float kMinConfidence = 3.0f;
// A page within this of level is left as scanned: the measure itself is no
// finer, and every turn resamples the page.
constexpr double kSmallestTurn = 0.2;
// A dark border along the edges would pull the measure towards 0 degrees.
constexpr double kIgnoredMargin = 0.06;

}  // namespace

double MeasureSkew(Pix* halfGrey, int inkBelow) {
  const int width = pixGetWidth(halfGrey);
  const int height = pixGetHeight(halfGrey);
  const int marginX = static_cast<int>(width * kIgnoredMargin);
  const int marginY = static_cast<int>(height * kIgnoredMargin);
  BOX* inner = boxCreate(marginX, marginY, width - 2 * marginX, height - 2 * marginY);
  PixPtr clipped(pixClipRectangle(halfGrey, inner, nullptr));
  boxDestroy(&inner);
  if (!clipped)
    return 0;
  PixPtr ink(pixThresholdToBinary(clipped.get(), inkBelow));
  if (!ink)
    return 0;
  l_float32 angle = 0;
  l_float32 confidence = 0;
  if (pixFindSkewSweepAndSearch(ink.get(), &angle, &confidence, 2, 1,
                                static_cast<l_float32>(kMaxSkewDegrees + 0.5), 1.0f, 0.01f) != 0 ||
      confidence < kMinConfidence || std::abs(angle) > kMaxSkewDegrees + 0.5 ||
      std::abs(angle) < kSmallestTurn)
    return 0;
  return angle;
}

ImagingStatus RotatePage(Bitmap& page, double degrees) {
  if (std::abs(degrees) < kSmallestTurn)
    return ImagingStatus::Ok;
  PixPtr pix = PixFromBitmap(page);
  if (!pix)
    return page.Format() == PixelFormat::Indexed8 || page.Format() == PixelFormat::Rgba32
               ? ImagingStatus::Ok
               : ImagingStatus::OutOfMemory;
  const auto radians = static_cast<l_float32>(degrees * std::numbers::pi / 180.0);
  PixPtr turned(pixRotate(pix.get(), radians, L_ROTATE_SHEAR, L_BRING_IN_WHITE, 0, 0));
  if (!turned)
    return ImagingStatus::OutOfMemory;
  return BitmapFromPix(turned.get(), page, page);
}
