#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/FileFormatOption.h"

namespace {

TEST(FileFormatOption, TakesTheUsualExtensionsAndNamesInAnyCase) {
  const struct {
    const char* name;
    std::optional<FileFormatType> format;
  } cases[] = {
      {"bmp", FileFormatType::Bmp},
      {"BMP", FileFormatType::Bmp},
      {"jpg", FileFormatType::Jpeg},
      {"jpeg", FileFormatType::Jpeg},
      {"JPG", FileFormatType::Jpeg},
      {"gif", FileFormatType::Gif},
      {"png", FileFormatType::Png},
      {"Png", FileFormatType::Png},
      {"tif", FileFormatType::Tiff},
      {"tiff", FileFormatType::Tiff},
      {"TIF", FileFormatType::Tiff},
      {"tif-lzw", FileFormatType::TiffLzw},
      {"tiff-lzw", FileFormatType::TiffLzw},
      {"TIFF-LZW", FileFormatType::TiffLzw},
      {"pdf", FileFormatType::PdfCompressed},
      {"PDF", FileFormatType::PdfCompressed},
      {"pdf-compressed", FileFormatType::PdfCompressed},
      {"pdf-uncompressed", FileFormatType::PdfUncompressed},
      {"Pdf-Uncompressed", FileFormatType::PdfUncompressed},
      // Near misses stay unknown rather than guessed.
      {"webp", std::nullopt},
      {"", std::nullopt},
      {".tif", std::nullopt},
      {" tif", std::nullopt},
      {"tiff lzw", std::nullopt},
      {"pdf-", std::nullopt},
      {"jpe", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FileFormatFromOption(c.name), c.format) << '"' << c.name << '"';
}

}  // namespace
