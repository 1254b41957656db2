#pragma once

#include <string>

#include "core/FileFormatType.h"
#include "writers/IDocumentWriter.h"
#include "writers/PdfDocument.h"

// Writes PDF (compressed) from JPEG page files and PDF (uncompressed) from PNG
// page files, one page per file, each image stretched over the whole page.
class PdfWriter : public IDocumentWriter {
 public:
  // Precondition: one of the two PDF formats.
  explicit PdfWriter(FileFormatType fileFormatType);

  ResultCode Save(const std::vector<std::string>& pageFiles, const std::string& fileName, int width,
                  int height) override;
  // A PDF is never written from a page image nor expanded: E_NOTIMPL.
  ResultCode Save(PageImageHandle image, const std::string& fileName, int resolution,
                  bool rotate) override;
  ResultCode Expand(const std::string& sourceFile, const std::string& folder,
                    const std::string& nameFormat, std::vector<std::string>& files,
                    PageSize& pageSize) override;
  std::string GetErrorText() const override { return errorText_; }
  // Pages are searchable when a source is set: the writer asks it for each
  // page's text (all pages are started first, so they are read side by side).
  void SetPageTextSource(std::shared_ptr<PageTextSource> source) override;

 private:
  ResultCode SaveDocument(const std::string& fileName);
  ResultCode AddSearchablePages(const std::vector<std::string>& pageFiles, int width, int height);
  ResultCode Fail(ResultCode code, const std::string& file, const std::string& what,
                  const std::string& detail = {});

  FileFormatType fileFormatType_;
  PdfDocument document_;
  std::shared_ptr<PageTextSource> textSource_;
  std::string errorText_;
};

// The format a scanned page of a document is written in before the document
// is combined: the document's page file format, but PNG for a black-and-white
// page of a compressed PDF, whose sharp pixels JPEG would blur to grey.
FileFormatType ScannedPageFormat(FileFormatType documentFormat, PageImageHandle image);
