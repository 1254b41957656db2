#include "core/FileFormatType.h"

#include <array>

#include "core/ContractChecks.h"

namespace {

struct FormatRow {
  const char* displayName;
  const char* extension;
  const char* mimeType;
  FileFormatType pageFileFormat;
};

constexpr std::array<FormatRow, kFileFormatTypeCount> kFormats{{
    {"BMP", "bmp", "image/bmp", FileFormatType::Bmp},
    {"JPEG", "jpg", "image/jpeg", FileFormatType::Jpeg},
    {"GIF", "gif", "image/gif", FileFormatType::Gif},
    {"TIFF", "tif", "image/tiff", FileFormatType::Tiff},
    {"TIFF (LZW)", "tif", "image/tiff", FileFormatType::TiffLzw},
    {"PNG", "png", "image/png", FileFormatType::Png},
    {"PDF (compressed)", "pdf", nullptr, FileFormatType::Jpeg},
    {"PDF (uncompressed)", "pdf", nullptr, FileFormatType::Png},
}};

bool IsKnown(std::int32_t value) {
  return value >= 0 && value < kFileFormatTypeCount;
}

const FormatRow& RowOf(FileFormatType format) {
  const std::int32_t value = FileFormatTypeValue(format);
  CheckPrecondition(CONTRACT_LOCATION, IsKnown(value));
  return kFormats[static_cast<std::size_t>(value)];
}

}  // namespace

std::optional<FileFormatType> FileFormatTypeFromValue(std::int32_t value) {
  if (!IsKnown(value))
    return std::nullopt;
  return static_cast<FileFormatType>(value);
}

std::string FileFormatDisplayName(FileFormatType format) {
  return RowOf(format).displayName;
}

std::string FileFormatExtension(FileFormatType format) {
  return RowOf(format).extension;
}

std::string FileFormatMimeType(FileFormatType format) {
  const FormatRow& row = RowOf(format);
  CheckPostcondition(CONTRACT_LOCATION, row.mimeType != nullptr);
  return row.mimeType;
}

bool IsTiffFormat(FileFormatType format) {
  RowOf(format);
  return format == FileFormatType::Tiff || format == FileFormatType::TiffLzw;
}

bool IsContainerFormat(FileFormatType format) {
  RowOf(format);
  return format == FileFormatType::PdfCompressed || format == FileFormatType::PdfUncompressed;
}

bool IsMultiPageFormat(FileFormatType format) {
  return IsTiffFormat(format) || IsContainerFormat(format);
}

FileFormatType PageFileFormat(FileFormatType format) {
  return RowOf(format).pageFileFormat;
}
