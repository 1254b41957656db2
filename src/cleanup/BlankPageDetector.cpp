#include "cleanup/BlankPageDetector.h"

#include <leptonica/allheaders.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "cleanup/LeptonicaPix.h"
#include "cleanup/PageSketch.h"

namespace {

constexpr int kInkContrast = 64;  // how much darker than paper a letter's ink is, at least
// Bleed-through darkens paper by 30 at most; light pencil (grey 195 on
// paper of 236) by 40 and more.
constexpr int kFaintContrast = 36;
constexpr int kAssumedDpi = 300;
// A page whose paper is darker than this is a cover or a picture, not a blank sheet.
constexpr int kDarkPaper = 128;
// Pixels this far from the paper's grey, over this share of the page (in
// thousandths) inside its edges, are a picture or a pattern: holes, staples
// and specks cover a few thousandths at most.
constexpr int kBroadContrast = 48;
constexpr int kBroadShare = 10;

// Marks no larger than this in both directions are specks of dust or noise,
// unless the larger ones stand in a row like letters: a word printed by hand
// may be made of such small marks, while dust lies scattered.
constexpr double kDustMm = 1.5;
constexpr double kSpeckMm = 3.0;
constexpr double kWordWidthMm = 25.0;
constexpr double kWordHeightMm = 6.0;
constexpr int kLettersOfAWord = 4;
// A mark of text height that is no filled blob is a character: a page
// number alone is content.
constexpr double kCharacterMinMm = 1.8;
constexpr double kBlobFill = 0.7;
// Staples: a thin bar of 6 to 16 mm near an edge.
constexpr double kStapleMinMm = 6.0;
constexpr double kStapleMaxMm = 16.0;
constexpr double kStapleWidthMm = 1.5;
constexpr double kStapleEdgeMm = 30.0;
// Punch holes: round, filled, of the usual 5 to 8 mm, near an edge.
constexpr double kHoleMinMm = 4.0;
constexpr double kHoleMaxMm = 9.5;
constexpr double kHoleEdgeMm = 25.0;

struct Mark {
  double left, top, width, height;  // millimetres
  double fill;                      // share of its box that is ink
};

double EdgeDistance(const Mark& mark, double pageWidth, double pageHeight) {
  const double centreX = mark.left + mark.width / 2;
  const double centreY = mark.top + mark.height / 2;
  return std::min({centreX, centreY, pageWidth - centreX, pageHeight - centreY});
}

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
  return EdgeDistance(mark, pageWidth, pageHeight) <= kHoleEdgeMm;
}

// A bar at any angle: its length is its box's diagonal and its width what
// its ink spreads over that length.
bool IsStaple(const Mark& mark, double pageWidth, double pageHeight) {
  const double length = std::hypot(mark.width, mark.height);
  if (length < kStapleMinMm || length > kStapleMaxMm)
    return false;
  const double barWidth = mark.fill * mark.width * mark.height / length;
  return barWidth <= kStapleWidthMm && EdgeDistance(mark, pageWidth, pageHeight) <= kStapleEdgeMm;
}

bool IsCharacter(const Mark& mark) {
  return std::max(mark.width, mark.height) >= kCharacterMinMm && mark.fill < kBlobFill;
}

// Thousandths of the quarter-size page, inside the band along its edges, whose
// grey is far from the paper's either way.
int BroadShare(Pix* quarter, int paper, int bandPixels) {
  const int width = pixGetWidth(quarter);
  const int height = pixGetHeight(quarter);
  if (width <= 2 * bandPixels || height <= 2 * bandPixels)
    return 0;
  long far = 0;
  long total = 0;
  for (int y = bandPixels; y < height - bandPixels; ++y) {
    const l_uint32* line =
        pixGetData(quarter) + static_cast<std::ptrdiff_t>(y) * pixGetWpl(quarter);
    for (int x = bandPixels; x < width - bandPixels; ++x, ++total)
      far += std::abs(static_cast<int>(GET_DATA_BYTE(line, x)) - paper) > kBroadContrast;
  }
  return static_cast<int>(far * 1000 / std::max(total, 1L));
}

}  // namespace

bool PageMarks::IsBlank() const {
  return !darkPaper && broadShare < kBroadShare && contentMarks == 0;
}

int InkThreshold(int paper) {
  return std::max(paper - kInkContrast, 16);
}

int FaintInkThreshold(int localPaper) {
  return std::max(localPaper - kFaintContrast, 0);
}

PageMarks ReadPageMarks(const PageSketch& sketch) {
  PageMarks marks;
  marks.paper = sketch.paper;
  marks.darkPaper = sketch.paper < kDarkPaper;
  l_int32 quarterDpi = pixGetXRes(sketch.quarter.get());
  if (quarterDpi <= 0)
    quarterDpi = kAssumedDpi / 4;
  marks.broadShare = BroadShare(sketch.quarter.get(), sketch.paper,
                                static_cast<int>(kBorderMm * quarterDpi / 25.4));
  if (!marks.IsBlank())
    return marks;
  l_int32 dpi = pixGetXRes(sketch.faint.get());
  if (dpi <= 0)
    dpi = kAssumedDpi / 2;
  const double mmPerPixel = 25.4 / dpi;
  PixPtr ink(pixCopy(nullptr, sketch.faint.get()));
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
    const double pageWidth = width * mmPerPixel;
    const double pageHeight = height * mmPerPixel;
    if (IsSpeck(mark, kDustMm) || IsPunchHole(mark, pageWidth, pageHeight) ||
        IsStaple(mark, pageWidth, pageHeight))
      ++marks.ignoredMarks;
    else if (IsSpeck(mark, kSpeckMm) && !IsCharacter(mark))
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
