#pragma once

#include <QImage>

#include "platform/imaging/Bitmap.h"

// Scanned pages drawn to order: what a feeder brings back from real paper,
// with the faults a scanner adds, for the clean-up's tests and benchmark.
namespace scanned_pages {

enum class Content {
  Nothing,         // a blank sheet
  Handwriting,     // one handwritten line
  Stamp,           // one rubber stamp
  Signature,       // one signature
  Ruling,          // an empty form: ruled lines running off the page's edges
  Text,            // a printed page of text
  PageNumber,      // nothing but a page number ("3", "11", "- 12 -")
  Pencil,          // one handwritten line in light pencil grey
  DarkCover,       // white lettering on a dark cover
  ColourPattern,   // coloured bands edge to edge, as a scanner's test picture
  CapitalsTable,   // an invoice's table of capitals and digits
  Photo,           // a photograph with a one-line caption
  LandscapeTable,  // a table printed along the long side: upright, the page is landscape
};

enum class Script { Latin, Cyrillic, Greek };

// The kind of scan: 8-bit grey, black and white, or colour.
enum class Mode { Grey, OneBit, Colour };

struct Recipe {
  Content content = Content::Nothing;
  int dpi = 300;
  bool noise = false;             // scanner noise over the whole sheet
  bool specks = false;            // dust
  bool bleedThrough = false;      // faint mirrored text from the back
  bool holes = false;             // punched holes near the left edge
  bool darkBorder = false;        // the lid's shadow along the edges
  bool staple = false;            // a staple's mark near the top left corner
  int clockwiseTurn = 0;   // the sheet fed turned by 0, 90, 180 or 270 degrees
  double skewDegrees = 0;  // the sheet pulled in at an angle, clockwise
  Script script = Script::Latin;  // of the text pages
  Mode mode = Mode::Grey;
  unsigned seed = 1;
};

// An A4 page (portrait unless turned by 90 or 270, or a landscape table)
// drawn from the recipe: 8-bit grey, or 32-bit colour for a colour scan.
QImage MakePage(const Recipe& recipe);
// The page as the scanner hands it over, in the recipe's mode: grey-palette
// 8-bit, 1-bit with black as index 0, or 24-bit colour.
Bitmap MakeBitmap(const Recipe& recipe);

// The image as a grey-palette 8-bit bitmap of its own, with its resolution.
Bitmap GreyBitmap(const QImage& image);
// A bitmap back as an image, for checks on pixels.
QImage ImageOf(const Bitmap& bitmap);

}  // namespace scanned_pages
