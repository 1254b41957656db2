#include "cleanup/BlankPageDetector.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <cmath>

#include "cleanup/LeptonicaPix.h"

namespace {

constexpr int kInkContrast = 64;  // how much darker than paper ink is, at least
constexpr int kAssumedDpi = 300;

// Marks no larger than this in both directions are specks of dust or noise,
// unless there are several of the larger ones: the letters of a line
// printed by hand may each be this small, and dust seldom is.
constexpr double kDustMm = 1.5;
constexpr double kSpeckMm = 3.0;
constexpr int kFewSpecks = 4;
// Punch holes: round, filled, of the usual 5 to 8 mm, near an edge.
constexpr double kHoleMinMm = 4.0;
constexpr double kHoleMaxMm = 9.5;
constexpr double kHoleEdgeMm = 25.0;

struct Mark {
  double left, top, width, height;  // millimetres
  double fill;                      // share of its box that is ink
};

bool TouchesEdge(int x, int y, int w, int h, int pageWidth, int pageHeight) {
  return x <= 0 || y <= 0 || x + w >= pageWidth || y + h >= pageHeight;
}

bool IsSpeck(const Mark& mark, double largest) {
  return mark.width <= largest && mark.height <= largest;
}

bool IsPunchHole(const Mark& mark, double pageWidth, double pageHeight) {
  const double size = std::max(mark.width, mark.height);
  const double aspect = mark.width / std::max(mark.height, 0.1);
  if (size < kHoleMinMm || size > kHoleMaxMm || aspect < 0.75 || aspect > 1.33 || mark.fill < 0.6)
    return false;
  const double centreX = mark.left + mark.width / 2;
  const double centreY = mark.top + mark.height / 2;
  const double edge = std::min({centreX, centreY, pageWidth - centreX, pageHeight - centreY});
  return edge <= kHoleEdgeMm;
}

}  // namespace

int InkThreshold(int paper) {
  return std::max(paper - kInkContrast, 16);
}

int PaperGrey(Pix* grey) {
  NUMA* histogram = pixGetGrayHistogram(grey, 1);
  if (histogram == nullptr)
    return 255;
  const int count = numaGetCount(histogram);
  double total = 0;
  for (int i = 0; i < count; ++i) {
    l_float32 value = 0;
    numaGetFValue(histogram, i, &value);
    total += value;
  }
  double seen = 0;
  int median = 255;
  for (int i = 0; i < count; ++i) {
    l_float32 value = 0;
    numaGetFValue(histogram, i, &value);
    seen += value;
    if (seen >= total / 2) {
      median = i;
      break;
    }
  }
  numaDestroy(&histogram);
  return median;
}

PageMarks ReadPageMarks(Pix* halfGrey) {
  PageMarks marks;
  // A quarter of the page's resolution is plenty to see a signature and
  // averages scanner noise away.
  PixPtr quarter(pixScaleAreaMap2(halfGrey));
  if (!quarter)
    return PageMarks{.contentMarks = 1};  // when in doubt, the page is kept
  l_int32 dpi = pixGetXRes(halfGrey) / 2;
  if (dpi <= 0)
    dpi = kAssumedDpi / 4;
  const double mmPerPixel = 25.4 / dpi;
  marks.paper = PaperGrey(quarter.get());
  marks.inkBelow = InkThreshold(marks.paper);
  PixPtr ink(pixThresholdToBinary(quarter.get(), marks.inkBelow));
  if (!ink)
    return PageMarks{.contentMarks = 1};
  PIXA* pieces = nullptr;
  BOXA* boxes = pixConnComp(ink.get(), &pieces, 8);
  const int width = pixGetWidth(ink.get());
  const int height = pixGetHeight(ink.get());
  const int count = boxes ? boxaGetCount(boxes) : 0;
  int specks = 0;
  for (int i = 0; i < count; ++i) {
    l_int32 x = 0, y = 0, w = 0, h = 0;
    boxaGetBoxGeometry(boxes, i, &x, &y, &w, &h);
    // A shadow along the page's edge is the scanner's lid, not the page.
    if (TouchesEdge(x, y, w, h, width, height)) {
      ++marks.ignoredMarks;
      continue;
    }
    PixPtr piece(pixaGetPix(pieces, i, L_CLONE));
    l_int32 pixels = 0;
    pixCountPixels(piece.get(), &pixels, nullptr);
    const Mark mark{x * mmPerPixel, y * mmPerPixel, w * mmPerPixel, h * mmPerPixel,
                    double(pixels) / std::max(w * h, 1)};
    if (IsSpeck(mark, kDustMm) || IsPunchHole(mark, width * mmPerPixel, height * mmPerPixel))
      ++marks.ignoredMarks;
    else if (IsSpeck(mark, kSpeckMm))
      ++specks;
    else
      ++marks.contentMarks;
  }
  if (specks >= kFewSpecks)
    marks.contentMarks += specks;
  else
    marks.ignoredMarks += specks;
  boxaDestroy(&boxes);
  pixaDestroy(&pieces);
  return marks;
}
