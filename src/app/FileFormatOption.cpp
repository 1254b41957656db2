#include "app/FileFormatOption.h"

#include "naming/AsciiCase.h"

std::optional<FileFormatType> FileFormatFromOption(const std::string& name) {
  static const struct {
    const char* name;
    FileFormatType format;
  } kFormats[] = {
      {"bmp", FileFormatType::Bmp},
      {"jpg", FileFormatType::Jpeg},
      {"jpeg", FileFormatType::Jpeg},
      {"gif", FileFormatType::Gif},
      {"png", FileFormatType::Png},
      {"tif", FileFormatType::Tiff},
      {"tiff", FileFormatType::Tiff},
      {"tif-lzw", FileFormatType::TiffLzw},
      {"tiff-lzw", FileFormatType::TiffLzw},
      {"pdf", FileFormatType::PdfCompressed},
      {"pdf-compressed", FileFormatType::PdfCompressed},
      {"pdf-uncompressed", FileFormatType::PdfUncompressed},
  };
  const std::string lower = AsciiLowerCased(name);
  for (const auto& entry : kFormats)
    if (lower == entry.name)
      return entry.format;
  return std::nullopt;
}
