#pragma once

// Shared by the writer tests: page images in global memory, page files on
// disk, and looks at what a folder holds.

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "TestImages.h"
#include "platform/imaging/ImageEncoder.h"
#include "twain/GlobalMemory.h"

namespace writer_tests {

// A DIB in a movable global memory block, freed with the object.
class PageImage {
 public:
  explicit PageImage(const std::vector<std::uint8_t>& dib) : handle_(GlobalAlloc(dib.size())) {
    std::copy(dib.begin(), dib.end(), static_cast<std::uint8_t*>(GlobalLock(handle_)));
    GlobalUnlock(handle_);
  }
  ~PageImage() { GlobalFree(handle_); }
  PageImage(const PageImage&) = delete;
  PageImage& operator=(const PageImage&) = delete;
  void* Handle() const { return handle_; }

 private:
  void* handle_;
};

// Every entry of the folder, hidden ones too, sorted.
inline QStringList Entries(const QString& folder) {
  return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

inline std::string PathIn(const QString& folder, const QString& name) {
  return QDir(folder).filePath(name).toStdString();
}

// Writes `count` page files of the given format, each a different picture.
inline std::vector<std::string> WritePages(const QString& folder, int count, ImageFormat format,
                                           const QString& extension,
                                           PixelFormat pixels = PixelFormat::Rgb24) {
  std::vector<std::string> pages;
  for (int i = 0; i < count; ++i) {
    Bitmap page = test_images::MakeBitmap(60 + i, 80, pixels, [i](int x, int y) {
      return static_cast<std::uint32_t>(x * y * (i + 1));
    });
    pages.push_back(
        PathIn(folder, QString("Page %1.%2").arg(i + 1, 3, 10, QChar('0')).arg(extension)));
    EncodeImageFile(page, format, pages.back());
  }
  return pages;
}

// Runs a command-line tool and returns its standard output ("" when it failed).
inline QString RunTool(const QString& program, const QStringList& arguments) {
  return ToolOutput(program, arguments);
}

}  // namespace writer_tests
