#include "search/DocumentText.h"

#include <poppler-document.h>
#include <poppler-global.h>
#include <poppler-page.h>

#include <algorithm>
#include <cctype>
#include <memory>

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

ExtractedText ExtractPdfText(const std::string& path) {
  ExtractedText result;
  const std::unique_ptr<poppler::document> document = OpenPdf(path);
  if (!document)
    return result;
  result.readable = true;
  const int count = document->pages();
  result.pages.reserve(static_cast<std::size_t>(std::max(count, 0)));
  for (int i = 0; i < count; ++i)
    result.pages.push_back(PageText(*document, i));
  return result;
}

std::string ExtractPdfPage(const std::string& path, int page) {
  const std::unique_ptr<poppler::document> document = OpenPdf(path);
  if (!document || page < 1 || page > document->pages())
    return {};
  return PageText(*document, page - 1);
}
