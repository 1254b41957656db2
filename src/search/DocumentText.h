#pragma once

#include <string>
#include <string_view>
#include <vector>

// The kinds of file the archive index knows: PDFs, whose text layer is read,
// and images, whose text only recognition can give.
enum class DocumentKind { None, Pdf, Image };

// By extension, case ignored: "pdf"; "tif", "tiff", "jpg", "jpeg", "png", "gif", "bmp".
DocumentKind KindOfDocument(std::string_view path);

// What reading the text of one PDF may cost at most. A page with more
// drawing instructions than `pageContentBytes` is not read, nor pages beyond
// `contentBytes` of them in all, `textBytes` of text, `pages` pages or
// `seconds` of reading: the document is then found by its name and the
// text read until then.
struct TextLimits {
  std::size_t pageContentBytes = 4u << 20;
  std::size_t contentBytes = 64u << 20;
  std::size_t textBytes = 16u << 20;
  int pages = 10000;
  int seconds = 30;
};

// The text of a PDF, one UTF-8 string per page (empty for a page without
// text). Nothing for a file that cannot be read as a PDF. `cut` when a
// limit left text out.
struct ExtractedText {
  bool readable = false;
  bool cut = false;
  std::vector<std::string> pages;
};
ExtractedText ExtractPdfText(const std::string& path, const TextLimits& limits = {});

// The text of one page (1 onwards) of a PDF; empty when there is none.
std::string ExtractPdfPage(const std::string& path, int page);
