#pragma once

#include <QColor>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

// Pages of known text rendered with Qt at 300 dpi on A4, and what pdftotext
// makes of the PDFs written from them.
namespace text_pages {

constexpr int kDpi = 300;
constexpr int kA4Width = 8268;  // thousandths of an inch
constexpr int kA4Height = 11693;

struct PrintedPage {
  QStringList words;  // in reading order, as compared (see Comparable)
  QString marker;     // the heading's word
  QRectF markerBox;   // where the heading's word is printed, in pixels of the page file
};

// Draws a heading and the paragraphs in black on `background` and saves the
// page file (JPEG or PNG by extension), turned 90 degrees clockwise when
// `sideways` (then the file is landscape and the text runs downwards).
PrintedPage RenderPage(const std::string& path, const QString& heading,
                       const QStringList& paragraphs, QColor background, bool sideways = false);
// A page with nothing printed on it.
void RenderBlankPage(const std::string& path, QColor background);

QStringList EnglishParagraphs();
QStringList GermanParagraphs();

// The words of a text with punctuation dropped, so that a comma read as a
// full stop does not count as a lost word.
QStringList Comparable(const QString& text);
// The share of `expected` found in `found` in the same order (longest common
// subsequence over the expected count).
double InOrderShare(const QStringList& expected, const QStringList& found);

// pdftotext's text of one page (1-based), and its word boxes in points.
QString PdfPageText(const std::string& pdf, int page);
struct WordBox {
  QString word;
  QRectF box;  // points, from the page's top left
};
std::vector<WordBox> PdfWordBoxes(const std::string& pdf, int page);

}  // namespace text_pages
