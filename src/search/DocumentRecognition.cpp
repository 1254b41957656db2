#include "search/DocumentRecognition.h"

#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <QTemporaryDir>
#include <memory>

#include "ocr/TextEngine.h"
#include "search/DocumentText.h"

namespace {

constexpr int kTimeLimitMs = 120000;
constexpr double kRenderDpi = 200;

std::optional<std::string> Read(TextEngine& engine, const std::string& file,
                                const std::atomic<bool>& stop) {
  const PageTextResult result = engine.Recognize(file, kTimeLimitMs, stop);
  if (stop.load())
    return std::nullopt;
  std::string text;
  for (const RecognizedWord& word : result.text.words)
    text += (text.empty() ? "" : " ") + word.text;
  return text;
}

}  // namespace

std::optional<std::vector<std::string>> RecognizeDocument(const std::string& path,
                                                          TextEngine& engine,
                                                          const std::atomic<bool>& stop) {
  std::vector<std::string> pages;
  if (KindOfDocument(path) == DocumentKind::Image) {
    const auto text = Read(engine, path, stop);
    if (!text)
      return std::nullopt;
    pages.push_back(*text);
    return pages;
  }
  const std::unique_ptr<poppler::document> document(poppler::document::load_from_file(path));
  QTemporaryDir folder;
  if (!document || document->is_locked() || !folder.isValid())
    return pages;
  poppler::page_renderer renderer;
  const std::string file = folder.filePath("page.png").toStdString();
  for (int i = 0; i < document->pages(); ++i) {
    const std::unique_ptr<poppler::page> page(document->create_page(i));
    const poppler::image image =
        page ? renderer.render_page(page.get(), kRenderDpi, kRenderDpi) : poppler::image();
    if (!image.is_valid() || !image.save(file, "png")) {
      pages.emplace_back();
      continue;
    }
    const auto text = Read(engine, file, stop);
    if (!text)
      return std::nullopt;
    pages.push_back(*text);
  }
  return pages;
}
