#pragma once

#include <memory>

#include "core/FileFormatType.h"
#include "writers/IDocumentWriter.h"

// The writer for a file format: a PdfWriter for the PDF formats, an
// ImageWriter for the others. Precondition: a value of the enumeration. Never null.
std::unique_ptr<IDocumentWriter> CreateDocumentWriter(FileFormatType fileFormatType);
