#include "cleanup/PageOrientation.h"

#include <leptonica/allheaders.h>

#include <cmath>
#include <numbers>

#include "cleanup/SkewCorrection.h"

namespace {

// Fewer strokes than this, up and down together, are too few to count.
constexpr int kMinStrokes = 20;
// Standard deviations between ascenders and descenders from which the count
// decides alone. A page of text gives 20 and more; below this the recognition
// engine is asked.
constexpr float kSureConfidence = 8.0f;
// Strokes are found with a small template, which lines tilted by more than
// this no longer fit.
constexpr double kLevelFrom = 1.5;
// The share of the page's height read first, about its middle: a page of
// text is decided there in half the time.
constexpr double kShareReadFirst = 0.5;

// Ascenders over descenders in the band of `share` of the height about the
// middle, levelled first if need be; 0 when too few strokes are found.
float CountStrokes(const TextLines& lines, double share) {
  Pix* across = lines.across.get();
  const int height = pixGetHeight(across);
  BOX* band = boxCreate(0, static_cast<int>(height * (1 - share) / 2), pixGetWidth(across),
                        static_cast<int>(height * share));
  PixPtr part(pixClipRectangle(across, band, nullptr));
  boxDestroy(&band);
  if (part && std::abs(lines.skewDegrees) >= kLevelFrom) {
    const auto radians = static_cast<l_float32>(lines.skewDegrees * std::numbers::pi / 180.0);
    part.reset(pixRotate(part.get(), radians, L_ROTATE_SHEAR, L_BRING_IN_WHITE, 0, 0));
  }
  l_float32 confidence = 0;
  if (!part || pixUpDownDetect(part.get(), &confidence, kMinStrokes, 0, 0) != 0)
    return 0;
  return confidence;
}

}  // namespace

UprightVote ReadAscenders(const TextLines& lines) {
  UprightVote vote;
  if (!lines.found || !lines.across)
    return vote;
  float confidence = CountStrokes(lines, kShareReadFirst);
  if (std::abs(confidence) < kSureConfidence)
    confidence = CountStrokes(lines, 1.0);
  vote.letters = confidence != 0;
  vote.confidence = confidence;
  // Counted across lines that may run the other way, strokes prove nothing.
  vote.sure = lines.wayClear && std::abs(confidence) >= kSureConfidence;
  vote.clockwiseTurn = (lines.runDown ? 90 : 0) + (confidence < 0 ? 180 : 0);
  return vote;
}
