#pragma once

#include <string>

#include "core/FileFormatType.h"

// The names of every file of one document, from the destination folder D
// (ends in "/"), the destination name N, the output format and whether the
// document is scanned page by page. A document that has page files keeps
// them in its own folder F = D + N + "/" until it is combined.
class DocumentPaths {
 public:
  DocumentPaths(std::string destinationFolder, std::string destinationName, FileFormatType format,
                bool isMultiPageDocument);

  // "bmp", "jpg", "gif", "tif", "png" or "pdf"; any other value is a contract failure.
  static std::string GetExtension(FileFormatType format);

  // Either PDF: its pages are written as page files first, even for one page.
  bool IsContainerFormat() const;
  // Pages go to numbered files in the document folder.
  bool HasPageFiles() const;
  // The format the pages are written in: JPEG or PNG for the PDFs.
  FileFormatType GetPageFileFormat() const;

  // "Page %03d" of the page number when the document has page files, else "".
  std::string GetPageName(int pageNumber) const;
  // Where page `pageNumber` is written.
  std::string GetPagePath(int pageNumber) const;
  // What the scan creates: F itself for a folder of page files, else D + N + "." + extension.
  std::string GetDestinationPath() const;
  // D, with its trailing "/", and N.
  const std::string& GetDestinationFolder() const { return destinationFolder_; }
  const std::string& GetDestinationName() const { return destinationName_; }
  // F, with its trailing "/".
  std::string GetDocumentFolder() const;
  // The one file a TIFF or PDF document is combined into: D + N + "." + extension.
  std::string GetCombinedPath() const;

 private:
  std::string destinationFolder_;
  std::string destinationName_;
  FileFormatType format_;
  bool isMultiPageDocument_;
};
