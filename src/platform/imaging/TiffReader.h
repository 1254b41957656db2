#pragma once

#include <memory>

#include "platform/imaging/Bitmap.h"
#include "platform/imaging/FaxG4.h"
#include "platform/imaging/PageRowSource.h"

class ImageInput;
struct tiff;

// Reads the pages (directories) of a TIFF file. Common layouts (1-bit, 8-bit
// grey or palette, 8-bit RGB in strips) are read row by row into their own
// format; anything else libtiff can read goes through its RGBA reader.
class TiffReader {
 public:
  TiffReader() = default;
  ~TiffReader();
  TiffReader(const TiffReader&) = delete;
  TiffReader& operator=(const TiffReader&) = delete;

  // The input must outlive the reader.
  ImagingStatus Open(ImageInput& input);
  // Pages up to the first that cannot be read, which is counted too (and fails
  // to be selected) when the file goes on past it, as a file cut short does.
  int PageCount() const { return pageCount_; }
  // Selecting the pages in order reads each directory once.
  ImagingStatus SelectPage(int index);
  // Size and resolution of the selected page.
  void PageInfo(int& width, int& height, double& dpiX, double& dpiY) const;
  ImagingStatus Decode(Bitmap& out);
  // The selected page's rows as stored, when Decode would read them into a
  // Bitmap unchanged; NotSupported for pages that need converting. The source
  // reads through this reader and must not outlive it or a page change.
  ImagingStatus OpenRows(std::unique_ptr<PageRowSource>& out);
  // Where the selected page's Group 4 data lies, when it can be copied as it
  // is; NotSupported for any other compression or layout.
  ImagingStatus FindStoredFaxG4(StoredFaxG4& out);

 private:
  static constexpr int kMaxPages = 65535;

  tiff* tiff_ = nullptr;
  int pageCount_ = 0;
  int currentPage_ = -1;
  int brokenPage_ = -1;
};

// libtiff prints to standard error by default; hostile files would flood it.
// Errors go to the thread's imaging error record instead, warnings nowhere.
void SilenceTiffMessages();
