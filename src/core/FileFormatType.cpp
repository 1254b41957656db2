#include "core/FileFormatType.h"

#include <array>

#include "core/ContractChecks.h"

namespace {

struct FormatRow {
  const char* displayName;
  const char* extension;
  const char* mimeType;
  int pageFileFormat;
};

constexpr std::array<FormatRow, kFileFormatTypeCount> kFormats{{
    {"BMP", "bmp", "image/bmp", FILE_FORMAT_BMP},
    {"JPEG", "jpg", "image/jpeg", FILE_FORMAT_JPEG},
    {"GIF", "gif", "image/gif", FILE_FORMAT_GIF},
    {"TIFF", "tif", "image/tiff", FILE_FORMAT_TIFF},
    {"TIFF (LZW)", "tif", "image/tiff", FILE_FORMAT_TIFF_LZW},
    {"PNG", "png", "image/png", FILE_FORMAT_PNG},
    {"PDF (compressed)", "pdf", nullptr, FILE_FORMAT_JPEG},
    {"PDF (uncompressed)", "pdf", nullptr, FILE_FORMAT_PNG},
}};

const FormatRow& RowOf(int fileFormatType) {
  CheckPrecondition(CONTRACT_LOCATION,
                    fileFormatType >= 0 && fileFormatType < kFileFormatTypeCount);
  return kFormats[static_cast<std::size_t>(fileFormatType)];
}

}  // namespace

std::string FileFormatDisplayName(int fileFormatType) {
  return RowOf(fileFormatType).displayName;
}

std::string FileFormatExtension(int fileFormatType) {
  return RowOf(fileFormatType).extension;
}

std::string FileFormatMimeType(int fileFormatType) {
  const FormatRow& row = RowOf(fileFormatType);
  CheckPostcondition(CONTRACT_LOCATION, row.mimeType != nullptr);
  return row.mimeType;
}

bool IsTiffFormat(int fileFormatType) {
  RowOf(fileFormatType);
  return fileFormatType == FILE_FORMAT_TIFF || fileFormatType == FILE_FORMAT_TIFF_LZW;
}

bool IsContainerFormat(int fileFormatType) {
  RowOf(fileFormatType);
  return fileFormatType == FILE_FORMAT_PDF_COMPRESSED ||
         fileFormatType == FILE_FORMAT_PDF_UNCOMPRESSED;
}

bool IsMultiPageFormat(int fileFormatType) {
  return IsTiffFormat(fileFormatType) || IsContainerFormat(fileFormatType);
}

int PageFileFormat(int fileFormatType) {
  return RowOf(fileFormatType).pageFileFormat;
}
