#pragma once

#include <string>

// The output file formats; the values are stored in the settings, so they never change.
enum FileFormatType : int {
  FILE_FORMAT_BMP = 0,
  FILE_FORMAT_JPEG = 1,
  FILE_FORMAT_GIF = 2,
  FILE_FORMAT_TIFF = 3,
  FILE_FORMAT_TIFF_LZW = 4,
  FILE_FORMAT_PNG = 5,
  FILE_FORMAT_PDF_COMPRESSED = 6,
  FILE_FORMAT_PDF_UNCOMPRESSED = 7,
};

inline constexpr int kFileFormatTypeCount = 8;

// Each mapping is a precondition failure for a value outside 0..7.
std::string FileFormatDisplayName(int fileFormatType);  // "BMP" ... "PDF (uncompressed)"
std::string FileFormatExtension(int fileFormatType);    // "bmp", "jpg", "gif", "tif", "png", "pdf"

// "image/bmp" ... "image/png"; the PDF values have no encoder (postcondition failure).
std::string FileFormatMimeType(int fileFormatType);

bool IsTiffFormat(int fileFormatType);       // 3 or 4
bool IsContainerFormat(int fileFormatType);  // 6 or 7
bool IsMultiPageFormat(int fileFormatType);  // TIFF or container

// The format each page of a document is saved in before combining: JPEG for
// PDF (compressed), PNG for PDF (uncompressed), the format itself otherwise.
int PageFileFormat(int fileFormatType);
