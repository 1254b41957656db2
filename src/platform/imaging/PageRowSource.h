#pragma once

#include <cstdint>
#include <vector>

#include "platform/imaging/Bitmap.h"

// What a writer needs to know of a page before its rows: the rows themselves
// come a band at a time from a PageRowSource.
struct PageShape {
  int width = 0;
  int height = 0;
  PixelFormat format = PixelFormat::Rgb24;
  std::vector<PaletteEntry> palette;  // for the indexed formats
  double dpiX = 0;
  double dpiY = 0;
};

// A page handed over a band of rows at a time, so that a page copied from one
// file to another never has to be held whole.
class PageRowSource {
 public:
  virtual ~PageRowSource() = default;

  virtual const PageShape& Shape() const = 0;
  // Writes rows first .. first + count - 1 to `rows`, top-down, each packed to
  // (width × bits per pixel + 7) / 8 bytes with red first. Bands are asked for
  // in order, from row 0 to the last.
  virtual ImagingStatus ReadRows(int first, int count, std::uint8_t* rows) = 0;
};
