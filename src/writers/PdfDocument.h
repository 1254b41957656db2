#pragma once

#include <hpdf.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/FileFormatType.h"
#include "core/ResultCodes.h"

struct PageText;
class PdfTextLayer;

// One libHaru document being built. libHaru reports failures through an error
// handler; the last report is kept here and turned into result codes.
class PdfDocument {
 public:
  PdfDocument();
  ~PdfDocument();
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  ResultCode OpenDocument();
  // imageFormat is JPEG or PNG; width and height in thousandths of an inch.
  ResultCode AddPages(const std::vector<std::string>& pageFiles, FileFormatType imageFormat,
                      int width, int height);
  // With `text`, the page's recognised words go invisibly over its image; a
  // text that cannot be drawn is logged and the page keeps its image alone.
  ResultCode AddPage(const std::string& fileName, FileFormatType imageFormat, int width, int height,
                     const PageText* text = nullptr);
  ResultCode SaveToFile(const std::string& fileName);
  ResultCode CloseDocument();

  bool IsOpen() const { return handle_ != nullptr; }
  std::uint32_t ErrorNumber() const { return errorNumber_; }
  std::uint32_t DetailNumber() const { return detailNumber_; }
  // Why the last failed operation failed: the file it concerned and libHaru's
  // (or the system's) words; empty after an operation that succeeded.
  const std::string& GetErrorText() const { return errorText_; }
  // Only the library's or the system's words of that text.
  const std::string& GetErrorDetail() const { return errorDetail_; }

 private:
  static void OnError(HPDF_STATUS errorNumber, HPDF_STATUS detailNumber, void* userData);
  bool ErrorRecorded() const { return errorNumber_ != 0; }
  void RecordUnreportedError(FileFormatType imageFormat);
  HPDF_Image LoadImage(const std::string& fileName, FileFormatType imageFormat);
  void ClearError();
  void DrawText(HPDF_Page page, const PageText& text, const std::string& fileName);
  ResultCode Fail(ResultCode code, const std::string& file, const std::string& what,
                  const std::string& detail = {});
  ResultCode FailInLibrary(const std::string& file, const std::string& what);
  std::string LibraryErrorText() const;

  std::uint32_t errorNumber_ = 0;
  std::uint32_t detailNumber_ = 0;
  HPDF_Doc handle_ = nullptr;
  std::unique_ptr<PdfTextLayer> textLayer_;
  std::string errorText_;
  std::string errorDetail_;
};
