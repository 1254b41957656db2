#include "writers/CreateDocumentWriter.h"

#include "core/ContractChecks.h"
#include "writers/ImageWriter.h"
#include "writers/PdfWriter.h"

std::unique_ptr<IDocumentWriter> CreateDocumentWriter(FileFormatType fileFormatType) {
  CheckPrecondition(CONTRACT_LOCATION,
                    FileFormatTypeFromValue(FileFormatTypeValue(fileFormatType)).has_value());
  std::unique_ptr<IDocumentWriter> writer;
  if (IsContainerFormat(fileFormatType))
    writer = std::make_unique<PdfWriter>(fileFormatType);
  else
    writer = std::make_unique<ImageWriter>(fileFormatType);
  CheckPostcondition(CONTRACT_LOCATION, writer != nullptr);
  return writer;
}
