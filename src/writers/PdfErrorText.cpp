#include "writers/PdfErrorText.h"

#include <hpdf.h>

#include <cstdio>

namespace {

struct ErrorName {
  std::uint32_t number;
  const char* text;
};

// The errors a document of image pages can meet; libHaru itself keeps only
// the numbers and the names in its header.
constexpr ErrorName kErrorNames[] = {
    {HPDF_FAILD_TO_ALLOC_MEM, "failed to allocate memory"},
    {HPDF_FILE_IO_ERROR, "file input/output error"},
    {HPDF_FILE_OPEN_ERROR, "cannot open the file"},
    {HPDF_INVALID_COMPRESSION_MODE, "invalid compression mode"},
    {HPDF_INVALID_DOCUMENT, "invalid document"},
    {HPDF_INVALID_IMAGE, "invalid image"},
    {HPDF_INVALID_JPEG_DATA, "invalid JPEG data"},
    {HPDF_INVALID_PARAMETER, "invalid parameter"},
    {HPDF_INVALID_PNG_IMAGE, "invalid PNG image"},
    {HPDF_LIBPNG_ERROR, "libpng error"},
    {HPDF_PAGE_INVALID_SIZE, "invalid page size"},
    {HPDF_UNSUPPORTED_JPEG_FORMAT, "unsupported JPEG format"},
    {HPDF_ZLIB_ERROR, "zlib error"},
};

}  // namespace

std::string PdfErrorText(std::uint32_t errorNumber, std::uint32_t detailNumber) {
  char text[96];
  const char* name = nullptr;
  for (const ErrorName& entry : kErrorNames)
    if (entry.number == errorNumber)
      name = entry.text;
  if (name != nullptr)
    std::snprintf(text, sizeof text, "libHaru: %s (0x%04X, detail %u)", name,
                  static_cast<unsigned>(errorNumber), static_cast<unsigned>(detailNumber));
  else
    std::snprintf(text, sizeof text, "libHaru: error 0x%04X, detail %u",
                  static_cast<unsigned>(errorNumber), static_cast<unsigned>(detailNumber));
  return text;
}
