#include "platform/imaging/ImageFormat.h"

#include <cstring>

ImageFormat DetectImageFormat(const std::uint8_t* data, std::size_t size) {
  if (data == nullptr || size < 8)
    return ImageFormat::Unknown;
  const auto startsWith = [&](const char* magic, std::size_t n) {
    return std::memcmp(data, magic, n) == 0;
  };
  if (startsWith("BM", 2))
    return ImageFormat::Bmp;
  if (startsWith("\xFF\xD8\xFF", 3))
    return ImageFormat::Jpeg;
  if (startsWith("GIF87a", 6) || startsWith("GIF89a", 6))
    return ImageFormat::Gif;
  if (startsWith("\x89PNG\r\n\x1A\n", 8))
    return ImageFormat::Png;
  if (startsWith("II*\0", 4) || startsWith("MM\0*", 4))
    return ImageFormat::Tiff;
  return ImageFormat::Unknown;
}
