#pragma once

#include <vector>

#include "platform/imaging/PageRowSource.h"

struct tiff;

// The selected page of an open TIFF, whose rows are stored the way a Bitmap
// holds them, read a strip at a time: strips that fall wholly inside a band
// are decoded straight into it, the others through a buffer of one strip.
class TiffRowSource : public PageRowSource {
 public:
  // The file must stay open, on the same page, while the source is used.
  TiffRowSource(tiff* tif, PageShape shape);

  const PageShape& Shape() const override { return shape_; }
  ImagingStatus ReadRows(int first, int count, std::uint8_t* rows) override;

 private:
  bool Hold();
  bool ReadStrip(std::uint32_t strip, int rows, std::uint8_t* into);

  tiff* tiff_;
  PageShape shape_;
  int rowsPerStrip_ = 1;
  std::size_t rowBytes_ = 0;
  std::vector<std::uint8_t> held_;
  std::int64_t heldStrip_ = -1;
};
