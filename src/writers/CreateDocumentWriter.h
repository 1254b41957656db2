#pragma once

#include <memory>

#include "writers/IDocumentWriter.h"

// The writer for a file format: a PdfWriter for 6 and 7, an ImageWriter for
// 0..5. Precondition: 0..7. Never null.
std::unique_ptr<IDocumentWriter> CreateDocumentWriter(int fileFormatType);
