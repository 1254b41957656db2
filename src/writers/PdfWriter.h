#pragma once

#include "writers/IDocumentWriter.h"
#include "writers/PdfDocument.h"

// Writes PDF (compressed) from JPEG page files and PDF (uncompressed) from PNG
// page files, one page per file, each image stretched over the whole page.
class PdfWriter : public IDocumentWriter {
 public:
  // Precondition: 6 or 7.
  explicit PdfWriter(int fileFormatType);

  ResultCode Save(const std::vector<std::string>& pageFiles, const std::string& fileName, int width,
                  int height) override;
  // A PDF is never written from a page image nor expanded: E_NOTIMPL.
  ResultCode Save(PageImageHandle image, const std::string& fileName, int resolution,
                  bool rotate) override;
  ResultCode Expand(const std::string& sourceFile, const std::string& folder,
                    const std::string& nameFormat, std::vector<std::string>& files,
                    PageSize& pageSize) override;

 private:
  int fileFormatType_;
  PdfDocument document_;
};
