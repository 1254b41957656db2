#pragma once

#include <string>

#include "platform/imaging/Bitmap.h"
#include "platform/imaging/ImageEncoder.h"
#include "platform/imaging/PageRowSource.h"
#include "platform/imaging/TiffOutputFile.h"

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
  ImagingStatus AddPage(PageRowSource& page);
  // Adds the first page of an image file. A TIFF page stored the way it is
  // written is copied a strip at a time, as decoded rows; anything else is
  // decoded whole first.
  ImagingStatus AddPageFile(const std::string& path);
  // Finishes the file; WriteFailed when the last data cannot be written.
  ImagingStatus Close();
  int PageCount() const { return pageCount_; }

 private:
  TiffOutputFile file_;
  tiff* tiff_ = nullptr;
  TiffCompression compression_ = TiffCompression::None;
  int pageCount_ = 0;
  bool failed_ = false;
};
