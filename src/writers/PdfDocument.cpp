#include "writers/PdfDocument.h"

#include "core/FileFormatType.h"
#include "platform/imaging/PngCodec.h"

namespace {

HPDF_REAL ToPoints(int thousandths) {
  return static_cast<HPDF_REAL>(thousandths * 72.0 / 1000.0);
}

}  // namespace

PdfDocument::~PdfDocument() {
  if (handle_ != nullptr)
    CloseDocument();
}

void PdfDocument::OnError(HPDF_STATUS errorNumber, HPDF_STATUS detailNumber, void* userData) {
  auto* document = static_cast<PdfDocument*>(userData);
  document->errorNumber_ = static_cast<std::uint32_t>(errorNumber);
  document->detailNumber_ = static_cast<std::uint32_t>(detailNumber);
}

// libHaru's image loaders return no image for a file that is not of their
// format without reporting it (not even in HPDF_GetError); that is recorded
// here as the loader's own "invalid data" error, so the page fails as unreadable.
void PdfDocument::RecordUnreportedError(int imageFormat) {
  if (handle_ != nullptr && HPDF_GetError(handle_) != HPDF_OK) {
    errorNumber_ = static_cast<std::uint32_t>(HPDF_GetError(handle_));
    detailNumber_ = static_cast<std::uint32_t>(HPDF_GetErrorDetail(handle_));
  } else if (!ErrorRecorded()) {
    errorNumber_ =
        imageFormat == FILE_FORMAT_JPEG ? HPDF_INVALID_JPEG_DATA : HPDF_INVALID_PNG_IMAGE;
    detailNumber_ = 0;
  }
}

ResultCode PdfDocument::OpenDocument() {
  if (handle_ != nullptr)
    return E_INVALIDARG;
  handle_ = HPDF_New(OnError, this);
  if (handle_ == nullptr)
    return ErrorRecorded() ? E_FAIL : E_INVALIDARG;
  if (HPDF_SetCompressionMode(handle_, HPDF_COMP_ALL) != HPDF_OK) {
    HPDF_Free(handle_);
    handle_ = nullptr;
    return E_FAIL;
  }
  return S_OK;
}

ResultCode PdfDocument::AddPages(const std::vector<std::string>& pageFiles, int imageFormat,
                                 int width, int height) {
  if (handle_ == nullptr || pageFiles.empty() || width <= 0 || height <= 0)
    return E_INVALIDARG;
  for (const std::string& pageFile : pageFiles)
    if (const ResultCode result = AddPage(pageFile, imageFormat, width, height); Failed(result))
      return result;
  return S_OK;
}

ResultCode PdfDocument::AddPage(const std::string& fileName, int imageFormat, int width,
                                int height) {
  if (handle_ == nullptr || fileName.empty() || width <= 0 || height <= 0 ||
      (imageFormat != FILE_FORMAT_JPEG && imageFormat != FILE_FORMAT_PNG))
    return E_INVALIDARG;
  HPDF_Page page = HPDF_AddPage(handle_);
  if (page == nullptr && ErrorRecorded())
    return E_FAIL;
  if (page == nullptr)
    return E_INVALIDARG;
  if (HPDF_Page_SetWidth(page, ToPoints(width)) != HPDF_OK ||
      HPDF_Page_SetHeight(page, ToPoints(height)) != HPDF_OK)
    return E_FAIL;
  HPDF_Image image = LoadImage(fileName, imageFormat);
  if (image == nullptr)
    RecordUnreportedError(imageFormat);
  if (image == nullptr && ErrorRecorded())
    return E_FAIL;
  if (HPDF_Page_CreateDestination(page) == nullptr && ErrorRecorded())
    return E_FAIL;
  if (image == nullptr)
    return E_INVALIDARG;
  const HPDF_REAL pageWidth = HPDF_Page_GetWidth(page);
  const HPDF_REAL pageHeight = HPDF_Page_GetHeight(page);
  if (pageWidth == 0 || pageHeight == 0)
    return E_INVALIDARG;
  return HPDF_Page_DrawImage(page, image, 0, 0, pageWidth, pageHeight) == HPDF_OK ? S_OK : E_FAIL;
}

// PNG pages are read only when the document is saved, so memory holds one
// page's pixels at a time instead of every page's until the end. libHaru
// aborts the process on a damaged PNG, so each one is read through once first.
HPDF_Image PdfDocument::LoadImage(const std::string& fileName, int imageFormat) {
  if (imageFormat == FILE_FORMAT_JPEG)
    return HPDF_LoadJpegImageFromFile(handle_, fileName.c_str());
  if (!IsOk(CheckPngFile(fileName)))
    return nullptr;
  return HPDF_LoadPngImageFromFile2(handle_, fileName.c_str());
}

ResultCode PdfDocument::SaveToFile(const std::string& fileName) {
  if (handle_ == nullptr || fileName.empty())
    return E_INVALIDARG;
  return HPDF_SaveToFile(handle_, fileName.c_str()) == HPDF_OK ? S_OK : E_FAIL;
}

ResultCode PdfDocument::CloseDocument() {
  if (handle_ == nullptr)
    return E_INVALIDARG;
  HPDF_Free(handle_);
  handle_ = nullptr;
  return S_OK;
}
