#include "cleanup/BlankPageDetector.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "cleanup/LeptonicaPix.h"

namespace {

constexpr int kInkContrast = 64;  // how much darker than paper ink is, at least
constexpr int kAssumedDpi = 300;

// Marks no larger than this in both directions are specks of dust or noise,
// unless the larger ones stand in a row like letters: a word printed by hand
// may be made of such small marks, while dust lies scattered.
constexpr double kDustMm = 1.5;
constexpr double kSpeckMm = 3.0;
constexpr double kWordWidthMm = 25.0;
constexpr double kWordHeightMm = 6.0;
constexpr int kLettersOfAWord = 4;
// Punch holes: round, filled, of the usual 5 to 8 mm, near an edge.
constexpr double kHoleMinMm = 4.0;
constexpr double kHoleMaxMm = 9.5;
constexpr double kHoleEdgeMm = 25.0;

struct Mark {
  double left, top, width, height;  // millimetres
  double fill;                      // share of its box that is ink
};

// How far in from the page's edge a shadow of the lid or of the page's own
// edge reaches at most.
constexpr double kBorderMm = 20.0;

// Takes away the ink that runs in from the page's edge without leaving the
// band along it: the dark border of a scan. A grid or a picture that reaches
// the edge keeps everything inside the band, so it still counts.
void RemoveBorder(Pix* ink, int bandPixels) {
  const int width = pixGetWidth(ink);
  const int height = pixGetHeight(ink);
  PixPtr band(pixCreate(width, height, 1));
  PixPtr seed(pixCreate(width, height, 1));
  if (!band || !seed)
    return;
  pixSetAll(band.get());
  if (width > 2 * bandPixels && height > 2 * bandPixels) {
    BOX* inside =
        boxCreate(bandPixels, bandPixels, width - 2 * bandPixels, height - 2 * bandPixels);
    pixClearInRect(band.get(), inside);
    boxDestroy(&inside);
  }
  pixAnd(band.get(), band.get(), ink);
  pixSetOrClearBorder(seed.get(), 1, 1, 1, 1, PIX_SET);
  pixAnd(seed.get(), seed.get(), ink);
  PixPtr border(pixSeedfillBinary(nullptr, seed.get(), band.get(), 8));
  if (border)
    pixSubtract(ink, ink, border.get());
}

bool IsSpeck(const Mark& mark, double largest) {
  return mark.width <= largest && mark.height <= largest;
}

// True when some mark has enough others beside it on its line to be a word.
bool FormWord(const std::vector<Mark>& marks) {
  for (const Mark& mark : marks) {
    int near = 0;
    for (const Mark& other : marks)
      near += std::abs(other.left - mark.left) <= kWordWidthMm &&
              std::abs(other.top + other.height / 2 - mark.top - mark.height / 2) <= kWordHeightMm;
    if (near >= kLettersOfAWord)  // itself among them
      return true;
  }
  return false;
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

PageMarks ReadPageMarks(Pix* quarter) {
  PageMarks marks;
  l_int32 dpi = pixGetXRes(quarter);
  if (dpi <= 0)
    dpi = kAssumedDpi / 4;
  const double mmPerPixel = 25.4 / dpi;
  marks.paper = PaperGrey(quarter);
  marks.inkBelow = InkThreshold(marks.paper);
  PixPtr ink(pixThresholdToBinary(quarter, marks.inkBelow));
  if (!ink)
    return PageMarks{.contentMarks = 1};
  RemoveBorder(ink.get(), static_cast<int>(kBorderMm / mmPerPixel));
  PIXA* pieces = nullptr;
  BOXA* boxes = pixConnComp(ink.get(), &pieces, 8);
  const int width = pixGetWidth(ink.get());
  const int height = pixGetHeight(ink.get());
  const int count = boxes ? boxaGetCount(boxes) : 0;
  std::vector<Mark> specks;
  for (int i = 0; i < count; ++i) {
    l_int32 x = 0, y = 0, w = 0, h = 0;
    boxaGetBoxGeometry(boxes, i, &x, &y, &w, &h);
    PixPtr piece(pixaGetPix(pieces, i, L_CLONE));
    l_int32 pixels = 0;
    pixCountPixels(piece.get(), &pixels, nullptr);
    const Mark mark{x * mmPerPixel, y * mmPerPixel, w * mmPerPixel, h * mmPerPixel,
                    double(pixels) / std::max(w * h, 1)};
    if (IsSpeck(mark, kDustMm) || IsPunchHole(mark, width * mmPerPixel, height * mmPerPixel))
      ++marks.ignoredMarks;
    else if (IsSpeck(mark, kSpeckMm))
      specks.push_back(mark);
    else
      ++marks.contentMarks;
  }
  const int small = static_cast<int>(specks.size());
  if (FormWord(specks))
    marks.contentMarks += small;
  else
    marks.ignoredMarks += small;
  boxaDestroy(&boxes);
  pixaDestroy(&pieces);
  return marks;
}
