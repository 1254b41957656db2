#include "SearchableDocuments.h"

#include <tiffio.h>

#include <QDir>
#include <QImage>
#include <QTemporaryDir>
#include <map>
#include <sstream>

#include "ocr/PageTextSource.h"
#include "writers/ImageWriter.h"
#include "writers/PdfWriter.h"

namespace {

// Gives each page file the words it was made with, laid out in lines ("\n"
// starts the next).
class FixedTextSource : public PageTextSource {
 public:
  explicit FixedTextSource(std::map<std::string, std::string> words) : words_(std::move(words)) {}
  void Prepare(const std::vector<std::string>&) override {}
  PageTextResult TextOf(const std::string& pageFile) override {
    PageTextResult result;
    result.recognized = true;
    result.text.width = 400;
    result.text.height = 200;
    std::istringstream lines(words_[pageFile]);
    int top = 20;
    for (std::string line; std::getline(lines, line); top += 24) {
      std::istringstream words(line);
      int left = 4;
      for (std::string word; words >> word; left += 8 * static_cast<int>(word.size()) + 6) {
        result.text.words.push_back({word, left, top, left + 8 * static_cast<int>(word.size()),
                                     top + 16, top, top + 20, top + 16});
      }
    }
    return result;
  }
  int CountFinished(const std::vector<std::string>& pageFiles) const override {
    return static_cast<int>(pageFiles.size());
  }

 private:
  std::map<std::string, std::string> words_;
};

QImage BlankPage() {
  QImage page(400, 200, QImage::Format_RGB32);
  page.fill(Qt::white);
  return page;
}

}  // namespace

bool WriteSearchablePdf(const std::string& path, const std::vector<std::string>& pageWords) {
  QTemporaryDir pages;
  std::vector<std::string> files;
  std::map<std::string, std::string> words;
  for (std::size_t i = 0; i < pageWords.size(); ++i) {
    const std::string file =
        QDir(pages.path()).filePath(QString("Page %1.jpg").arg(i + 1)).toStdString();
    if (!BlankPage().save(QString::fromStdString(file), "JPEG"))
      return false;
    files.push_back(file);
    words[file] = pageWords[i];
  }
  PdfWriter writer(FileFormatType::PdfCompressed);
  writer.SetPageTextSource(std::make_shared<FixedTextSource>(std::move(words)));
  return writer.Save(files, path, 4000, 2000) >= 0;
}

bool WriteImageDocument(const std::string& path) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (!tiff)
    return false;
  const std::uint32_t width = 64;
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 8u);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  std::vector<unsigned char> row(width, 255);
  bool written = true;
  for (std::uint32_t y = 0; y < 8; ++y)
    written = written && TIFFWriteScanline(tiff, row.data(), y, 0) == 1;
  TIFFClose(tiff);
  return written;
}

bool WritePdfWithoutText(const std::string& path, const std::vector<std::string>& jpegPages) {
  PdfWriter writer(FileFormatType::PdfCompressed);
  return writer.Save(jpegPages, path, 8268, 11693) >= 0;
}

bool WriteTiffDocument(const std::string& path, const std::vector<std::string>& pages) {
  ImageWriter writer(FileFormatType::Tiff);
  return writer.Save(pages, path, 8268, 11693) >= 0;
}
