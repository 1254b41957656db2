#pragma once

#include <string>

#include "platform/imaging/Bitmap.h"
#include "platform/imaging/ImageEncoder.h"

struct tiff;

// Writes a multi-page TIFF one page at a time: each page is written out when
// it is added, so memory stays flat however many pages the document has.
class TiffPageWriter {
 public:
  TiffPageWriter() = default;
  ~TiffPageWriter();
  TiffPageWriter(const TiffPageWriter&) = delete;
  TiffPageWriter& operator=(const TiffPageWriter&) = delete;

  ImagingStatus Open(const std::string& path, TiffCompression compression);
  ImagingStatus AddPage(const Bitmap& page);
  // Finishes the file; WriteFailed when the last data cannot be written.
  ImagingStatus Close();
  int PageCount() const { return pageCount_; }

 private:
  tiff* tiff_ = nullptr;
  TiffCompression compression_ = TiffCompression::None;
  int pageCount_ = 0;
  bool failed_ = false;
};
