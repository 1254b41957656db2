#include "ScanImage.h"

#include <QProcess>
#include <QStringList>
#include <cctype>

namespace {

// The next number of a PNM header, skipping blanks and comments.
std::optional<int> HeaderNumber(const QByteArray& data, qsizetype& at) {
  while (at < data.size() &&
         (std::isspace(static_cast<unsigned char>(data[at])) || data[at] == '#')) {
    if (data[at] == '#')
      while (at < data.size() && data[at] != '\n')
        ++at;
    else
      ++at;
  }
  int value = 0;
  const qsizetype start = at;
  while (at < data.size() && std::isdigit(static_cast<unsigned char>(data[at])))
    value = value * 10 + (data[at++] - '0');
  return at > start ? std::optional(value) : std::nullopt;
}

}  // namespace

std::optional<PnmPage> ScanWithScanimage(const std::vector<std::string>& arguments) {
  QStringList list{"--format=pnm"};
  for (const std::string& argument : arguments)
    list << QString::fromStdString(argument);
  QProcess process;
  process.start("scanimage", list);
  if (!process.waitForFinished(120000) || process.exitCode() != 0)
    return std::nullopt;
  const QByteArray data = process.readAllStandardOutput();
  if (data.size() < 3 || data[0] != 'P' || (data[1] != '4' && data[1] != '5' && data[1] != '6'))
    return std::nullopt;
  PnmPage page;
  page.bitsPerPixel = data[1] == '4' ? 1 : data[1] == '5' ? 8 : 24;
  qsizetype at = 2;
  const auto width = HeaderNumber(data, at);
  const auto height = HeaderNumber(data, at);
  if (!width || !height || (page.bitsPerPixel != 1 && HeaderNumber(data, at) != 255))
    return std::nullopt;
  page.width = *width;
  page.height = *height;
  ++at;  // the single blank before the pixels
  const std::size_t bytes = page.RowBytes() * static_cast<std::size_t>(page.height);
  if (static_cast<std::size_t>(data.size() - at) < bytes)
    return std::nullopt;
  page.pixels.assign(data.begin() + at, data.begin() + at + static_cast<qsizetype>(bytes));
  return page;
}
