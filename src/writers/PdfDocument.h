#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/FileFormatType.h"
#include "core/ResultCodes.h"

class QPDF;
struct PageText;
class PdfSharedValues;
class PdfTextLayer;

// One PDF document being built. Pages hold their page files' data by
// reference: each image is read (and copied where its data suits PDF) only
// while the document is saved, so memory holds one page at a time.
class PdfDocument {
 public:
  PdfDocument();
  ~PdfDocument();
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  ResultCode OpenDocument();
  // imageFormat is JPEG or PNG; width and height, the paper's size in
  // thousandths of an inch. Each page's box takes the paper the way the
  // page's image lies (landscape for a landscape image).
  ResultCode AddPages(const std::vector<std::string>& pageFiles, FileFormatType imageFormat,
                      int width, int height);
  // A JPEG document takes JPEG pages and black-and-white pages, a PNG one any
  // lossless page. With `text`, the page's recognised words go invisibly over
  // its image; a text that cannot be drawn is logged and the page keeps its
  // image alone.
  ResultCode AddPage(const std::string& fileName, FileFormatType imageFormat, int width, int height,
                     const PageText* text = nullptr);
  // Writes the whole document to fileName, every write and the final flush
  // to disk checked.
  ResultCode SaveToFile(const std::string& fileName);
  ResultCode CloseDocument();

  bool IsOpen() const { return pdf_ != nullptr; }
  // Why the last failed operation failed: the file it concerned and the
  // library's (or the system's) words; empty after an operation that succeeded.
  const std::string& GetErrorText() const { return errorText_; }
  // Only the library's or the system's words of that text.
  const std::string& GetErrorDetail() const { return errorDetail_; }

 private:
  void ClearError();
  ResultCode Fail(ResultCode code, const std::string& file, const std::string& what,
                  const std::string& detail = {});

  std::unique_ptr<QPDF> pdf_;
  std::unique_ptr<PdfSharedValues> values_;
  std::unique_ptr<PdfTextLayer> textLayer_;
  // A page's data that cannot be read when the document is written.
  std::string pageFailure_;
  std::string errorText_;
  std::string errorDetail_;
};
