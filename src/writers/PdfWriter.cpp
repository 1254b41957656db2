#include "writers/PdfWriter.h"

#include "core/ContractChecks.h"
#include "core/DebugLog.h"
#include "core/FileFormatType.h"
#include "writers/StagedOutputFile.h"

PdfWriter::PdfWriter(int fileFormatType) : fileFormatType_(fileFormatType) {
  CheckPrecondition(CONTRACT_LOCATION, fileFormatType == FILE_FORMAT_PDF_COMPRESSED ||
                                           fileFormatType == FILE_FORMAT_PDF_UNCOMPRESSED);
}

ResultCode PdfWriter::Save(const std::vector<std::string>& pageFiles, const std::string& fileName,
                           int width, int height) {
  if (pageFiles.empty() || fileName.empty() || width <= 0 || height <= 0)
    return E_INVALIDARG;
  if (const ResultCode opened = document_.OpenDocument(); Failed(opened))
    return opened;
  ResultCode result = document_.AddPages(pageFiles, PageFileFormat(fileFormatType_), width, height);
  if (Succeeded(result)) {
    // libHaru writes the file as it goes; a failure must not leave half a PDF
    // where the document (or the file it replaces) belongs.
    StagedOutputFile output(fileName);
    result = output.Create() ? document_.SaveToFile(output.TemporaryPath()) : E_FAIL;
    if (Succeeded(result) && !output.Commit())
      result = E_FAIL;
  }
  document_.CloseDocument();
  if (Failed(result))
    Log(LOG_LOCATION, "PdfWriter::Save(): %s failed, libHaru error 0x%04X detail %u",
        fileName.c_str(), document_.ErrorNumber(), document_.DetailNumber());
  return result;
}

ResultCode PdfWriter::Save(PageImageHandle, const std::string&, int, bool) {
  return E_NOTIMPL;
}

ResultCode PdfWriter::Expand(const std::string&, const std::string&, const std::string&,
                             std::vector<std::string>&, PageSize&) {
  return E_NOTIMPL;
}
