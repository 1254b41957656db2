#pragma once

#include <hpdf.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/ResultCodes.h"

// One libHaru document being built. libHaru reports failures through an error
// handler; the last report is kept here and turned into result codes.
class PdfDocument {
 public:
  PdfDocument() = default;
  ~PdfDocument();
  PdfDocument(const PdfDocument&) = delete;
  PdfDocument& operator=(const PdfDocument&) = delete;

  ResultCode OpenDocument();
  // imageFormat is 1 (JPEG) or 5 (PNG); width and height in thousandths of an inch.
  ResultCode AddPages(const std::vector<std::string>& pageFiles, int imageFormat, int width,
                      int height);
  ResultCode AddPage(const std::string& fileName, int imageFormat, int width, int height);
  ResultCode SaveToFile(const std::string& fileName);
  ResultCode CloseDocument();

  bool IsOpen() const { return handle_ != nullptr; }
  std::uint32_t ErrorNumber() const { return errorNumber_; }
  std::uint32_t DetailNumber() const { return detailNumber_; }

 private:
  static void OnError(HPDF_STATUS errorNumber, HPDF_STATUS detailNumber, void* userData);
  bool ErrorRecorded() const { return errorNumber_ != 0; }
  void RecordUnreportedError(int imageFormat);
  HPDF_Image LoadImage(const std::string& fileName, int imageFormat);

  std::uint32_t errorNumber_ = 0;
  std::uint32_t detailNumber_ = 0;
  HPDF_Doc handle_ = nullptr;
};
