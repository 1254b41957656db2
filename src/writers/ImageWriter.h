#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <utility>

#include "core/FileFormatType.h"
#include "writers/IDocumentWriter.h"

class Bitmap;
struct StoredFaxG4;
enum class ImageFormat;

// Writes the image formats (BMP, JPEG, GIF, TIFF, TIFF (LZW), PNG): single
// scanned pages, multi-page TIFF documents combined from page files, and page
// files expanded from a multi-page file. Every output goes to a temporary file
// in the target's folder first and is renamed into place only when complete.
class ImageWriter : public IDocumentWriter {
 public:
  // Precondition: one of the image formats, not a PDF.
  explicit ImageWriter(FileFormatType fileFormatType);

  ResultCode Save(const std::vector<std::string>& pageFiles, const std::string& fileName, int width,
                  int height) override;
  ResultCode Save(PageImageHandle image, const std::string& fileName, int resolution,
                  bool rotate) override;
  ResultCode Expand(const std::string& sourceFile, const std::string& folder,
                    const std::string& nameFormat, std::vector<std::string>& files,
                    PageSize& pageSize) override;
  std::string GetErrorText() const override { return errorText_; }
  void SetPageCleaner(std::shared_ptr<PageCleaner> cleaner) override {
    cleaner_ = std::move(cleaner);
  }

 private:
  bool SavePage(const void* dib, std::size_t size, const std::string& fileName, int resolution,
                bool rotate);
  bool WriteStaged(const Bitmap& bitmap, const std::string& fileName);
  bool WriteStaged(const Bitmap& bitmap, const std::string& fileName, ImageFormat format);
  bool CopyStaged(const std::string& source, const StoredFaxG4& fax, double dpiX, double dpiY,
                  const std::string& fileName);
  ResultCode CombinePages(const std::vector<std::string>& pageFiles, const std::string& fileName);
  ResultCode ExpandFrames(const std::string& sourceFile, const std::string& folder,
                          const std::string& nameFormat, std::vector<std::string>& files,
                          PageSize& pageSize);
  // Records why, with the imaging libraries' words gathered since the
  // operation began, or the system's words for a failed file step.
  bool Fail(const std::string& file, const std::string& what);
  bool FailInSystem(const std::string& file, const std::string& what, int errorNumber);
  ResultCode Fail(ResultCode code, const std::string& file, const std::string& what);
  void BeginOperation();

  FileFormatType fileFormatType_;
  std::string errorText_;
  std::shared_ptr<PageCleaner> cleaner_;
};
