#include "TextPages.h"

#include <QFont>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QTransform>
#include <algorithm>

namespace text_pages {

namespace {

constexpr int kWidthPx = 2480;
constexpr int kHeightPx = 3508;
constexpr int kMarginPx = 250;

QImage BlankImage(QColor background) {
  QImage image(kWidthPx, kHeightPx, QImage::Format_RGB32);
  image.fill(background);
  const int dotsPerMeter = static_cast<int>(kDpi / 0.0254 + 0.5);
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  return image;
}

void Save(QImage image, const std::string& path) {
  image.save(QString::fromStdString(path), nullptr, 92);
}

QString RunPdfToText(const QStringList& arguments) {
  QProcess process;
  process.start("pdftotext", arguments);
  process.waitForFinished(60000);
  return QString::fromUtf8(process.readAllStandardOutput());
}

}  // namespace

PrintedPage RenderPage(const std::string& path, const QString& heading,
                       const QStringList& paragraphs, QColor background, bool sideways) {
  QImage image = BlankImage(background);
  PrintedPage printed;
  {
    QPainter painter(&image);
    painter.setPen(Qt::black);
    QFont headingFont("DejaVu Sans");
    headingFont.setPixelSize(75);
    headingFont.setBold(true);
    painter.setFont(headingFont);
    const QFontMetricsF headingMetrics(headingFont);
    const QPointF origin(kMarginPx, kMarginPx + headingMetrics.ascent());
    painter.drawText(origin, heading);
    printed.marker = heading;
    printed.markerBox = headingMetrics.tightBoundingRect(heading).translated(origin);

    QFont bodyFont("DejaVu Serif");
    bodyFont.setPixelSize(44);  // about 10.5 points
    painter.setFont(bodyFont);
    const QFontMetricsF metrics(bodyFont);
    double top = kMarginPx + 2.5 * headingMetrics.height();
    for (const QString& paragraph : paragraphs) {
      const QRectF area(kMarginPx, top, kWidthPx - 2 * kMarginPx, kHeightPx - top - kMarginPx);
      QRectF used;
      painter.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, paragraph, &used);
      top = used.bottom() + metrics.height();
    }
  }
  printed.words = Comparable(heading + " " + paragraphs.join(' '));
  if (sideways) {
    const QTransform turn = QTransform().rotate(90);
    image = image.transformed(turn);
    // A clockwise quarter turn takes (x, y) to (height - y, x).
    const QRectF box = printed.markerBox;
    printed.markerBox = QRectF(kHeightPx - box.bottom(), box.left(), box.height(), box.width());
  }
  Save(image, path);
  return printed;
}

void RenderBlankPage(const std::string& path, QColor background) {
  Save(BlankImage(background), path);
}

QStringList EnglishParagraphs() {
  return {
      "Thank you for your letter of the twelfth of March concerning the renewal of the "
      "insurance policy for your house. We have reviewed the documents you sent and found "
      "everything in order, apart from the valuation of the garden shed, which we need in "
      "writing before the end of the month.",
      "Your premium for the coming year will be four hundred and twenty pounds, payable in "
      "twelve monthly instalments. The first payment falls due on the first of May. If you "
      "would rather pay the whole amount at once, please tell us before the middle of April "
      "and we will send you a new schedule.",
      "Please keep this letter with your other papers. Should you have any questions about "
      "the cover, the excess or the claims procedure, our office is open from nine until five "
      "on weekdays, and we will gladly help you.",
  };
}

QStringList GermanParagraphs() {
  return {
      "Sehr geehrte Frau Müller, vielen Dank für Ihre Anfrage vom fünften März. Gerne "
      "bestätigen wir Ihnen, dass die Jahresabrechnung für das Grundstück in der "
      "Schloßstraße fristgerecht eingegangen ist und geprüft wurde.",
      "Die Nebenkosten für Wasser, Heizung und Müllabfuhr betragen im kommenden Jahr "
      "voraussichtlich zweihundert Euro im Monat. Bitte überweisen Sie den Betrag jeweils "
      "bis zum dritten Werktag auf das Ihnen bekannte Konto.",
      "Für Rückfragen stehen wir Ihnen gerne zur Verfügung. Mit freundlichen Grüßen, Ihre "
      "Hausverwaltung.",
  };
}

QStringList Comparable(const QString& text) {
  static const QRegularExpression kNotWordCharacter(QStringLiteral("[^\\w]"),
                                                    QRegularExpression::UseUnicodePropertiesOption);
  QStringList words;
  for (QString word : text.split(QRegularExpression("\\s+"), Qt::SkipEmptyParts)) {
    word.remove(kNotWordCharacter);
    if (!word.isEmpty())
      words << word;
  }
  return words;
}

double InOrderShare(const QStringList& expected, const QStringList& found) {
  if (expected.isEmpty())
    return 1.0;
  std::vector<int> previous(found.size() + 1, 0);
  std::vector<int> current(found.size() + 1, 0);
  for (const QString& word : expected) {
    for (qsizetype j = 0; j < found.size(); ++j)
      current[j + 1] = word == found[j] ? previous[j] + 1 : std::max(previous[j + 1], current[j]);
    std::swap(previous, current);
  }
  return static_cast<double>(previous.back()) / static_cast<double>(expected.size());
}

QString PdfPageText(const std::string& pdf, int page) {
  return RunPdfToText(
      {"-f", QString::number(page), "-l", QString::number(page), QString::fromStdString(pdf), "-"});
}

std::vector<WordBox> PdfWordBoxes(const std::string& pdf, int page) {
  const QString html = RunPdfToText({"-bbox", "-f", QString::number(page), "-l",
                                     QString::number(page), QString::fromStdString(pdf), "-"});
  static const QRegularExpression kWord(
      "<word xMin=\"([-\\d.]+)\" yMin=\"([-\\d.]+)\" xMax=\"([-\\d.]+)\" yMax=\"([-\\d.]+)\">"
      "([^<]*)</word>");
  std::vector<WordBox> boxes;
  for (auto it = kWord.globalMatch(html); it.hasNext();) {
    const auto match = it.next();
    const QPointF topLeft(match.captured(1).toDouble(), match.captured(2).toDouble());
    const QPointF bottomRight(match.captured(3).toDouble(), match.captured(4).toDouble());
    boxes.push_back({match.captured(5), QRectF(topLeft, bottomRight)});
  }
  return boxes;
}

}  // namespace text_pages
