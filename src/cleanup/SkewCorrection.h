#pragma once

#include "cleanup/LeptonicaPix.h"
#include "platform/imaging/Bitmap.h"

struct Pix;

// The largest skew measured and removed, in degrees either way.
constexpr double kMaxSkewDegrees = 10.0;

// The ink of a page (PageSketch) without a margin along the edges, where a
// dark border would pull the measures towards the page's edges. Null when
// memory runs out.
PixPtr InnerInk(Pix* ink);

// The text lines of a page, from its ink image.
struct TextLines {
  bool found = false;      // lines clear enough to measure
  bool runDown = false;    // they run down the page: it lies on its side
  bool wayClear = false;   // lines the other way, if looked for, measure far worse
  double skewDegrees = 0;  // turn clockwise by this to level them (negative: the other way);
                           // 0 within a fifth of a degree of level
  double spanShare = 0;    // the share of the width the middle three fifths of the ink spans
  PixPtr across;  // the ink turned so that the lines run across (runDown: a quarter clockwise)
};

// Finds the lines running across the page and, when `eitherWay`, also those
// running down it, keeping whichever are clearer.
TextLines FindTextLines(Pix* ink, bool eitherWay);

// Turns the page clockwise by `degrees` about its centre, keeping its
// size and resolution and filling the corners with white. Pages in a format
// that cannot be turned finely (a colour palette) stay as they are.
ImagingStatus RotatePage(Bitmap& page, double degrees);
