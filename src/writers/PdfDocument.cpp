#include "writers/PdfDocument.h"

#include <cerrno>
#include <vector>

#include "platform/imaging/DecodeLimit.h"
#include "platform/imaging/ImageInput.h"
#include "core/DebugLog.h"
#include "ocr/PageText.h"
#include "platform/imaging/ImagingErrorText.h"
#include "platform/imaging/ImagingStatus.h"
#include "platform/imaging/JpegCodec.h"
#include "platform/imaging/PngCodec.h"
#include "writers/CheckedFileSink.h"
#include "writers/FailureText.h"
#include "writers/PdfErrorText.h"
#include "writers/PdfTextLayer.h"

namespace {

HPDF_REAL ToPoints(int thousandths) {
  return static_cast<HPDF_REAL>(thousandths * 72.0 / 1000.0);
}

bool IsPageImageFormat(FileFormatType format) {
  return format == FileFormatType::Jpeg || format == FileFormatType::Png;
}

}  // namespace

PdfDocument::PdfDocument() = default;

PdfDocument::~PdfDocument() {
  if (handle_ != nullptr)
    CloseDocument();
}

void PdfDocument::OnError(HPDF_STATUS errorNumber, HPDF_STATUS detailNumber, void* userData) {
  auto* document = static_cast<PdfDocument*>(userData);
  document->errorNumber_ = static_cast<std::uint32_t>(errorNumber);
  document->detailNumber_ = static_cast<std::uint32_t>(detailNumber);
}

void PdfDocument::ClearError() {
  errorText_.clear();
  errorDetail_.clear();
}

ResultCode PdfDocument::Fail(ResultCode code, const std::string& file, const std::string& what,
                             const std::string& detail) {
  errorText_ = FailureText(file, what, detail);
  errorDetail_ = detail;
  return code;
}

ResultCode PdfDocument::FailInLibrary(const std::string& file, const std::string& what) {
  return Fail(E_FAIL, file, what, LibraryErrorText());
}

// libHaru's report, with the PNG check's words when it read the page first.
std::string PdfDocument::LibraryErrorText() const {
  std::string text = ErrorRecorded() ? PdfErrorText(errorNumber_, detailNumber_) : std::string();
  if (const std::string png = ImagingErrorText(); !png.empty())
    text += (text.empty() ? "" : "; ") + png;
  return text;
}

// libHaru's image loaders return no image for a file that is not of their
// format without reporting it (not even in HPDF_GetError); that is recorded
// here as the loader's own "invalid data" error, so the page fails as unreadable.
void PdfDocument::RecordUnreportedError(FileFormatType imageFormat) {
  if (handle_ != nullptr && HPDF_GetError(handle_) != HPDF_OK) {
    errorNumber_ = static_cast<std::uint32_t>(HPDF_GetError(handle_));
    detailNumber_ = static_cast<std::uint32_t>(HPDF_GetErrorDetail(handle_));
  } else if (!ErrorRecorded()) {
    errorNumber_ =
        imageFormat == FileFormatType::Jpeg ? HPDF_INVALID_JPEG_DATA : HPDF_INVALID_PNG_IMAGE;
    detailNumber_ = 0;
  }
}

ResultCode PdfDocument::OpenDocument() {
  ClearError();
  if (handle_ != nullptr)
    return Fail(E_INVALIDARG, {}, "a document is already open");
  handle_ = HPDF_New(OnError, this);
  if (handle_ == nullptr) {
    return ErrorRecorded() ? FailInLibrary({}, "cannot start a document")
                           : Fail(E_INVALIDARG, {}, "cannot start a document");
  }
  if (HPDF_SetCompressionMode(handle_, HPDF_COMP_ALL) != HPDF_OK) {
    HPDF_Free(handle_);
    handle_ = nullptr;
    return FailInLibrary({}, "cannot set the compression");
  }
  return S_OK;
}

ResultCode PdfDocument::AddPages(const std::vector<std::string>& pageFiles,
                                 FileFormatType imageFormat, int width, int height) {
  ClearError();
  if (handle_ == nullptr || pageFiles.empty() || width <= 0 || height <= 0)
    return Fail(E_INVALIDARG, {}, "no open document, no pages or no page size");
  for (const std::string& pageFile : pageFiles)
    if (const ResultCode result = AddPage(pageFile, imageFormat, width, height); Failed(result))
      return result;
  return S_OK;
}

ResultCode PdfDocument::AddPage(const std::string& fileName, FileFormatType imageFormat, int width,
                                int height, const PageText* text) {
  ClearError();
  ClearImagingErrorText();
  if (handle_ == nullptr || fileName.empty() || width <= 0 || height <= 0 ||
      !IsPageImageFormat(imageFormat))
    return Fail(E_INVALIDARG, fileName, "no open document, page size or page image format");
  HPDF_Page page = HPDF_AddPage(handle_);
  if (page == nullptr && ErrorRecorded())
    return FailInLibrary(fileName, "cannot add a page");
  if (page == nullptr)
    return Fail(E_INVALIDARG, fileName, "cannot add a page");
  if (HPDF_Page_SetWidth(page, ToPoints(width)) != HPDF_OK ||
      HPDF_Page_SetHeight(page, ToPoints(height)) != HPDF_OK)
    return FailInLibrary(fileName, "cannot size the page");
  HPDF_Image image = LoadImage(fileName, imageFormat);
  if (image == nullptr)
    RecordUnreportedError(imageFormat);
  if (image == nullptr && ErrorRecorded())
    return FailInLibrary(fileName, "page cannot be read");
  if (HPDF_Page_CreateDestination(page) == nullptr && ErrorRecorded())
    return FailInLibrary(fileName, "cannot link the page");
  if (image == nullptr)
    return Fail(E_INVALIDARG, fileName, "page cannot be read");
  const HPDF_REAL pageWidth = HPDF_Page_GetWidth(page);
  const HPDF_REAL pageHeight = HPDF_Page_GetHeight(page);
  if (pageWidth == 0 || pageHeight == 0)
    return Fail(E_INVALIDARG, fileName, "the page has no size");
  if (HPDF_Page_DrawImage(page, image, 0, 0, pageWidth, pageHeight) != HPDF_OK)
    return FailInLibrary(fileName, "cannot draw the page");
  if (text != nullptr)
    DrawText(page, *text, fileName);
  return S_OK;
}

// The text is a finding aid over the image: a page whose text cannot be drawn
// is still the page, so the failure is logged, not returned, and libHaru's
// error record is put back as it was.
void PdfDocument::DrawText(HPDF_Page page, const PageText& text, const std::string& fileName) {
  if (!textLayer_)
    textLayer_ = std::make_unique<PdfTextLayer>(handle_);
  const std::uint32_t errorNumber = errorNumber_;
  const std::uint32_t detailNumber = detailNumber_;
  if (!textLayer_->Draw(page, text, HPDF_Page_GetWidth(page), HPDF_Page_GetHeight(page))) {
    Log(LOG_LOCATION, "PdfDocument::AddPage(): %s: no text: %s", fileName.c_str(),
        textLayer_->Failure().c_str());
    HPDF_ResetError(handle_);
    errorNumber_ = errorNumber;
    detailNumber_ = detailNumber;
  }
}

// PNG pages are read only when the document is saved, so memory holds one
// page's pixels at a time instead of every page's until the end. libHaru
// aborts the process on a damaged PNG, so each one is read through once first.
// JPEG pages are embedded as they are, so they are checked to be whole first;
// libHaru keeps a copy of each one anyway, so it gets the bytes we read.
HPDF_Image PdfDocument::LoadImage(const std::string& fileName, FileFormatType imageFormat) {
  if (imageFormat == FileFormatType::Jpeg) {
    std::vector<std::uint8_t> data;
    ImagingStatus status = ReadWholeFile(fileName, kMaxDecodeBytes, data);
    if (IsOk(status))
      status = CheckJpegData(data.data(), data.size());
    if (!IsOk(status)) {
      if (ImagingErrorText().empty())
        RecordImagingError(ImagingStatusText(status));
      return nullptr;
    }
    return HPDF_LoadJpegImageFromMem(handle_, data.data(), static_cast<HPDF_UINT>(data.size()));
  }
  if (const ImagingStatus status = CheckPngFile(fileName); !IsOk(status)) {
    if (ImagingErrorText().empty())
      RecordImagingError(ImagingStatusText(status));
    return nullptr;
  }
  return HPDF_LoadPngImageFromFile2(handle_, fileName.c_str());
}

ResultCode PdfDocument::SaveToFile(const std::string& fileName) {
  ClearError();
  ClearImagingErrorText();
  if (handle_ == nullptr || fileName.empty())
    return Fail(E_INVALIDARG, fileName, "no open document or no file name");
  // libHaru does not check the flush when it closes its file, so a full disk
  // would pass unnoticed: it writes through a sink that checks every write.
  CheckedFileSink sink;
  if (!sink.Open(fileName))
    return Fail(E_FAIL, fileName, "cannot write the document", SystemErrorText(sink.ErrorNumber()));
  // libHaru reports a failed write by number only; errno says why.
  errno = 0;
  const HPDF_STATUS saved = HPDF_SaveToFile(handle_, sink.PipePath().c_str());
  const int saveError = errno;
  const bool complete = sink.Close();
  if (saved != HPDF_OK) {
    const std::string system = SystemErrorText(saveError);
    const std::string library = LibraryErrorText();
    return Fail(E_FAIL, fileName, "cannot write the document",
                library.empty() || system.empty() ? library + system : library + "; " + system);
  }
  if (!complete)
    return Fail(E_FAIL, fileName, "cannot write the document", SystemErrorText(sink.ErrorNumber()));
  return S_OK;
}

ResultCode PdfDocument::CloseDocument() {
  if (handle_ == nullptr)
    return E_INVALIDARG;
  textLayer_.reset();
  HPDF_Free(handle_);
  handle_ = nullptr;
  return S_OK;
}
