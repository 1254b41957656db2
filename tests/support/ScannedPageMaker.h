#pragma once

#include <QImage>

#include "platform/imaging/Bitmap.h"

// Scanned pages drawn to order in 8-bit grey: what a feeder brings back from
// real paper, with the faults a scanner adds, for the clean-up's tests and
// benchmark.
namespace scanned_pages {

enum class Content {
  Nothing,      // a blank sheet
  Handwriting,  // one handwritten line
  Stamp,        // one rubber stamp
  Signature,    // one signature
  Ruling,       // an empty form: ruled lines running off the page's edges
  Text,         // a printed page of text
};

struct Recipe {
  Content content = Content::Nothing;
  int dpi = 300;
  bool noise = false;         // scanner noise over the whole sheet
  bool specks = false;        // dust
  bool bleedThrough = false;  // faint mirrored text from the back
  bool holes = false;         // punched holes near the left edge
  bool darkBorder = false;    // the lid's shadow along the edges
  int clockwiseTurn = 0;      // the sheet fed turned by 0, 90, 180 or 270 degrees
  double skewDegrees = 0;     // the sheet pulled in at an angle, clockwise
  unsigned seed = 1;
};

// An A4 page (portrait unless turned by 90 or 270) drawn from the recipe.
QImage MakePage(const Recipe& recipe);

// The image as a grey-palette 8-bit bitmap of its own, with its resolution.
Bitmap GreyBitmap(const QImage& image);
// A bitmap back as an image, for checks on pixels.
QImage ImageOf(const Bitmap& bitmap);

}  // namespace scanned_pages
