#include "search/DocumentText.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>

#include "search/PdfContentSize.h"

namespace {

std::string LowerExtension(std::string_view path) {
  const std::size_t dot = path.rfind('.');
  const std::size_t slash = path.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
    return {};
  std::string extension(path.substr(dot + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// Poppler reports damaged files on standard error; the index handles them itself.
void Quiet(const std::string&, void*) {}

}  // namespace

DocumentKind KindOfDocument(std::string_view path) {
  const std::string extension = LowerExtension(path);
  if (extension == "pdf")
    return DocumentKind::Pdf;
  static const char* const kImages[] = {"tif", "tiff", "jpg", "jpeg", "png", "gif", "bmp"};
  for (const char* image : kImages)
    if (extension == image)
      return DocumentKind::Image;
  return DocumentKind::None;
}

namespace {

std::unique_ptr<poppler::document> OpenPdf(const std::string& path) {
  static const bool quiet = (poppler::set_debug_error_function(&Quiet, nullptr), true);
  (void)quiet;
  std::unique_ptr<poppler::document> document(poppler::document::load_from_file(path));
  if (document && document->is_locked())
    document.reset();
  return document;
}

std::string PageText(poppler::document& document, int index) {
  const std::unique_ptr<poppler::page> page(document.create_page(index));
  if (!page)
    return {};
  const poppler::byte_array utf8 =
      page->text(poppler::rectf(), poppler::page::raw_order_layout).to_utf8();
  return std::string(utf8.begin(), utf8.end());
}

}  // namespace

ExtractedText ExtractPdfText(const std::string& path, const TextLimits& limits) {
  ExtractedText result;
  const std::unique_ptr<poppler::document> document = OpenPdf(path);
  if (!document)
    return result;
  result.readable = true;
  const int count = document->pages();
  const std::vector<std::size_t> contents = PdfPageContentSizes(path, limits.pageContentBytes);
  const auto start = std::chrono::steady_clock::now();
  std::size_t content = 0;
  std::size_t text = 0;
  for (int i = 0; i < count; ++i) {
    const std::size_t size = i < static_cast<int>(contents.size()) ? contents[i] : 0;
    content += size;
    if (i >= limits.pages || content > limits.contentBytes || text > limits.textBytes ||
        std::chrono::steady_clock::now() - start > std::chrono::seconds(limits.seconds)) {
      result.cut = true;
      break;
    }
    if (size > limits.pageContentBytes) {
      result.cut = true;
      result.pages.emplace_back();
      continue;
    }
    result.pages.push_back(PageText(*document, i));
    text += result.pages.back().size();
  }
  return result;
}

std::string ExtractPdfPage(const std::string& path, int page) {
  const std::unique_ptr<poppler::document> document = OpenPdf(path);
  if (!document || page < 1 || page > document->pages())
    return {};
  return PageText(*document, page - 1);
}
