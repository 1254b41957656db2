#include "writers/PdfWriter.h"

#include <utility>

#include "core/ContractChecks.h"
#include "ocr/PageTextSource.h"
#include "platform/imaging/Bitmap.h"
#include "platform/imaging/DibReader.h"
#include "twain/GlobalMemory.h"
#include "writers/FailureText.h"
#include "writers/StagedOutputFile.h"

PdfWriter::PdfWriter(FileFormatType fileFormatType) : fileFormatType_(fileFormatType) {
  CheckPrecondition(CONTRACT_LOCATION, fileFormatType == FileFormatType::PdfCompressed ||
                                           fileFormatType == FileFormatType::PdfUncompressed);
}

ResultCode PdfWriter::Fail(ResultCode code, const std::string& file, const std::string& what,
                           const std::string& detail) {
  errorText_ = FailureText(file, what, detail);
  return code;
}

ResultCode PdfWriter::Save(const std::vector<std::string>& pageFiles, const std::string& fileName,
                           int width, int height) {
  errorText_.clear();
  if (pageFiles.empty() || fileName.empty() || width <= 0 || height <= 0)
    return Fail(E_INVALIDARG, fileName, "no page files, file name or page size to combine with");
  if (const ResultCode opened = document_.OpenDocument(); Failed(opened)) {
    errorText_ = document_.GetErrorText();
    return opened;
  }
  ResultCode result =
      textSource_ ? AddSearchablePages(pageFiles, width, height)
                  : document_.AddPages(pageFiles, PageFileFormat(fileFormatType_), width, height);
  if (Succeeded(result))
    result = SaveDocument(fileName);
  else
    errorText_ = document_.GetErrorText();
  document_.CloseDocument();
  return result;
}

void PdfWriter::SetPageTextSource(std::shared_ptr<PageTextSource> source) {
  textSource_ = std::move(source);
}

// A page without text (none recognised, or recognition failed) is written as
// an image alone; the source has logged why.
ResultCode PdfWriter::AddSearchablePages(const std::vector<std::string>& pageFiles, int width,
                                         int height) {
  textSource_->Prepare(pageFiles);
  for (const std::string& pageFile : pageFiles) {
    const PageTextResult text = textSource_->TextOf(pageFile);
    const ResultCode result = document_.AddPage(pageFile, PageFileFormat(fileFormatType_), width,
                                                height, text.recognized ? &text.text : nullptr);
    if (Failed(result))
      return result;
  }
  return S_OK;
}

// The document is written as it goes; a failure must not leave half a PDF
// where the document (or the file it replaces) belongs.
ResultCode PdfWriter::SaveDocument(const std::string& fileName) {
  StagedOutputFile output(fileName);
  if (!output.Create())
    return Fail(E_FAIL, fileName, "cannot create the file", SystemErrorText(output.ErrorNumber()));
  if (const ResultCode saved = document_.SaveToFile(output.TemporaryPath()); Failed(saved)) {
    // The document names the hidden temporary file; the user knows the target.
    return Fail(saved, fileName, "cannot write the document", document_.GetErrorDetail());
  }
  if (!output.Commit())
    return Fail(E_FAIL, fileName, "cannot complete the file",
                SystemErrorText(output.ErrorNumber()));
  return S_OK;
}

ResultCode PdfWriter::Save(PageImageHandle, const std::string&, int, bool) {
  errorText_ = "a PDF is not written from a page image";
  return E_NOTIMPL;
}

ResultCode PdfWriter::Expand(const std::string&, const std::string&, const std::string&,
                             std::vector<std::string>&, PageSize&) {
  errorText_ = "a PDF is not expanded into pages";
  return E_NOTIMPL;
}

FileFormatType ScannedPageFormat(FileFormatType documentFormat, PageImageHandle image) {
  const FileFormatType pageFormat = PageFileFormat(documentFormat);
  if (documentFormat != FileFormatType::PdfCompressed || image == nullptr)
    return pageFormat;
  const void* block = GlobalLock(image);
  if (block == nullptr)
    return pageFormat;
  Bitmap page;
  const bool blackAndWhite = IsOk(BitmapViewOfDib(block, GlobalSize(image), page)) &&
                             page.Format() == PixelFormat::Indexed1 && page.HasGreyPalette();
  GlobalUnlock(image);
  return blackAndWhite ? FileFormatType::Png : pageFormat;
}
