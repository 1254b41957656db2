#pragma once

#include <string>
#include <string_view>
#include <vector>

// The kinds of file the archive index knows: PDFs, whose text layer is read,
// and images, whose text only recognition can give.
enum class DocumentKind { None, Pdf, Image };

// By extension, case ignored: "pdf"; "tif", "tiff", "jpg", "jpeg", "png", "gif", "bmp".
DocumentKind KindOfDocument(std::string_view path);

// The text of a PDF, one UTF-8 string per page (empty for a page without
// text). Nothing for a file that cannot be read as a PDF.
struct ExtractedText {
  bool readable = false;
  std::vector<std::string> pages;
};
ExtractedText ExtractPdfText(const std::string& path);

// The text of one page (1 onwards) of a PDF; empty when there is none.
std::string ExtractPdfPage(const std::string& path, int page);
