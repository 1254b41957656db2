#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The output file formats. The numbers are what the settings store, so they
// never change; inside the program only the enumerators travel.
enum class FileFormatType : std::int32_t {
  Bmp = 0,
  Jpeg = 1,
  Gif = 2,
  Tiff = 3,
  TiffLzw = 4,
  Png = 5,
  PdfCompressed = 6,
  PdfUncompressed = 7,
};

inline constexpr int kFileFormatTypeCount = 8;

// The stored number of a format, and the format of a stored number (nothing
// for a number outside 0..7).
constexpr std::int32_t FileFormatTypeValue(FileFormatType format) {
  return static_cast<std::int32_t>(format);
}
std::optional<FileFormatType> FileFormatTypeFromValue(std::int32_t value);

// Each mapping is a precondition failure for a value outside the enumeration
// (one made by a cast).
std::string FileFormatDisplayName(FileFormatType format);  // "BMP" ... "PDF (uncompressed)"
std::string FileFormatExtension(FileFormatType format);  // "bmp", "jpg", "gif", "tif", "png", "pdf"

// "image/bmp" ... "image/png"; the PDF formats have no encoder (postcondition failure).
std::string FileFormatMimeType(FileFormatType format);

bool IsTiffFormat(FileFormatType format);       // TIFF or TIFF (LZW)
bool IsContainerFormat(FileFormatType format);  // either PDF
bool IsMultiPageFormat(FileFormatType format);  // TIFF or container

// The format each page of a document is saved in before combining: JPEG for
// PDF (compressed), PNG for PDF (uncompressed), the format itself otherwise.
FileFormatType PageFileFormat(FileFormatType format);
