#include "search/DocumentRecognition.h"

#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "ocr/PageRecognizer.h"
#include "platform/imaging/ImageEncoder.h"
#include "platform/imaging/ImageFile.h"
#include "search/DocumentText.h"

namespace {

constexpr int kTimeLimitMs = 120000;
constexpr double kRenderDpi = 200;

// The pages of a document as files the engine reads: the file itself, or a
// page drawn into a scratch file; an empty name for a page that cannot be drawn.
struct PageFiles {
  int count = 0;
  std::function<std::string(int index)> file;
};

PageFiles PdfPages(const std::string& path, const std::string& scratch) {
  std::shared_ptr<poppler::document> document(poppler::document::load_from_file(path));
  if (!document || document->is_locked())
    return {};
  return {document->pages(), [document, scratch](int index) {
            const std::unique_ptr<poppler::page> page(document->create_page(index));
            poppler::page_renderer renderer;
            const poppler::image image =
                page ? renderer.render_page(page.get(), kRenderDpi, kRenderDpi) : poppler::image();
            return image.is_valid() && image.save(scratch, "png") ? scratch : std::string();
          }};
}

// A multi-page TIFF's pages one by one; the engine itself reads any other picture.
PageFiles PicturePages(const std::string& path, const std::string& scratch) {
  std::unique_ptr<ImageFile> opened;
  if (!IsOk(ImageFile::Open(path, opened)) || opened->Format() != ImageFormat::Tiff ||
      opened->FrameCount() <= 1)
    return {1, [path](int) { return path; }};
  std::shared_ptr<ImageFile> file(std::move(opened));
  return {file->FrameCount(), [file, scratch](int index) {
            Bitmap page;
            const bool drawn = IsOk(file->SelectActiveFrame(index)) && IsOk(file->Decode(page)) &&
                               IsOk(EncodeImageFile(page, ImageFormat::Png, scratch));
            return drawn ? scratch : std::string();
          }};
}

}  // namespace

bool RecognizeDocument(const std::string& path, PageRecognizer& engine,
                       const std::atomic<bool>& stop, std::vector<std::string>& pages,
                       const std::function<void(const std::vector<std::string>& pages)>& pageRead) {
  QTemporaryDir folder;
  const std::string scratch =
      folder.isValid() ? folder.filePath("page.png").toStdString() : std::string();
  const PageFiles source = KindOfDocument(path) == DocumentKind::Image ? PicturePages(path, scratch)
                                                                       : PdfPages(path, scratch);
  while (static_cast<int>(pages.size()) < source.count) {
    if (stop.load())
      return false;
    const std::string file = source.file(static_cast<int>(pages.size()));
    if (file.empty()) {
      pages.emplace_back();
      continue;
    }
    const PageTextResult result = engine.Recognize(file, kTimeLimitMs, stop);
    if (stop.load())
      return false;
    pages.push_back(PlainText(result.text));
    if (pageRead && static_cast<int>(pages.size()) < source.count)
      pageRead(pages);
  }
  return true;
}
