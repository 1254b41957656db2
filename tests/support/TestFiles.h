#pragma once

#include <QString>
#include <QStringList>
#include <string>

// What tests read back from the files the program writes.

// The bytes of a file; empty when it cannot be read.
std::string ReadFileBytes(const std::string& path);

// The standard output of a tool run to its end (at most a minute); "" when it failed.
QString ToolOutput(const QString& program, const QStringList& arguments);

// A PDF as the standard tools see it: qpdf's check and pdfinfo's pages.
struct PdfFacts {
  bool valid = false;
  int pages = 0;
  QStringList pageSizes;  // "612 x 792" for each page, in points
};
PdfFacts InspectPdf(const std::string& path);
// The number of pages pdfinfo finds; 0 when it cannot read the file.
int PdfPageCount(const std::string& path);

// The frames of a multi-page TIFF or GIF (1 for other images); -1 when it
// cannot be opened.
int ImageFrameCount(const std::string& path);
