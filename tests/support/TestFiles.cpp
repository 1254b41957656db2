#include "TestFiles.h"

#include <QProcess>
#include <QRegularExpression>
#include <fstream>
#include <iterator>
#include <memory>

#include "platform/imaging/ImageFile.h"

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

QString ToolOutput(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0)
    return QString();
  return QString::fromUtf8(process.readAllStandardOutput());
}

PdfFacts InspectPdf(const std::string& path) {
  const QString file = QString::fromStdString(path);
  PdfFacts facts;
  facts.valid =
      ToolOutput("qpdf", {"--check", file}).contains("No syntax or stream encoding errors");
  const QString info = ToolOutput("pdfinfo", {"-f", "1", "-l", "100000", file});
  facts.pages = QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
  auto sizes = QRegularExpression("size:\\s+([\\d.]+ x [\\d.]+) pts").globalMatch(info);
  while (sizes.hasNext())
    facts.pageSizes << sizes.next().captured(1);
  return facts;
}

int PdfPageCount(const std::string& path) {
  const QString info = ToolOutput("pdfinfo", {QString::fromStdString(path)});
  return QRegularExpression("Pages:\\s+(\\d+)").match(info).captured(1).toInt();
}

int ImageFrameCount(const std::string& path) {
  std::unique_ptr<ImageFile> file;
  return IsOk(ImageFile::Open(path, file)) ? file->FrameCount() : -1;
}
