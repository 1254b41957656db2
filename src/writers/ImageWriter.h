#pragma once

#include <cstddef>

#include "writers/IDocumentWriter.h"

// Writes the image formats (BMP, JPEG, GIF, TIFF, TIFF (LZW), PNG): single
// scanned pages, multi-page TIFF documents combined from page files, and page
// files expanded from a multi-page file. Every output goes to a temporary file
// in the target's folder first and is renamed into place only when complete.
class ImageWriter : public IDocumentWriter {
 public:
  // Precondition: 0..5.
  explicit ImageWriter(int fileFormatType);

  ResultCode Save(const std::vector<std::string>& pageFiles, const std::string& fileName, int width,
                  int height) override;
  ResultCode Save(PageImageHandle image, const std::string& fileName, int resolution,
                  bool rotate) override;
  ResultCode Expand(const std::string& sourceFile, const std::string& folder,
                    const std::string& nameFormat, std::vector<std::string>& files,
                    PageSize& pageSize) override;

 private:
  bool SavePage(const void* dib, std::size_t size, const std::string& fileName, int resolution,
                bool rotate) const;

  int fileFormatType_;
};
