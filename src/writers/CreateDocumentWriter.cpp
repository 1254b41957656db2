#include "writers/CreateDocumentWriter.h"

#include "core/ContractChecks.h"
#include "core/FileFormatType.h"
#include "writers/ImageWriter.h"
#include "writers/PdfWriter.h"

std::unique_ptr<IDocumentWriter> CreateDocumentWriter(int fileFormatType) {
  CheckPrecondition(CONTRACT_LOCATION,
                    fileFormatType >= 0 && fileFormatType < kFileFormatTypeCount);
  std::unique_ptr<IDocumentWriter> writer;
  if (IsContainerFormat(fileFormatType))
    writer = std::make_unique<PdfWriter>(fileFormatType);
  else
    writer = std::make_unique<ImageWriter>(fileFormatType);
  CheckPostcondition(CONTRACT_LOCATION, writer != nullptr);
  return writer;
}
