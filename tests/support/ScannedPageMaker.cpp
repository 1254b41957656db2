#include "ScannedPageMaker.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace scanned_pages {

namespace {

constexpr double kA4WidthMm = 210;
constexpr double kA4HeightMm = 297;
constexpr int kPaper = 236;

const char* const kWords[] = {
    "the",       "invoice", "account",     "payment",  "number",   "please",  "return",
    "this",      "letter",  "with",        "your",     "balance",  "annual",  "report",
    "tax",       "office",  "insurance",   "policy",   "renewal",  "premium", "dear",
    "customer",  "since",   "amount",      "received", "thank",    "you",     "for",
    "statement", "period",  "ending",      "March",    "contract", "terms",   "conditions",
    "apply",     "water",   "electricity", "meter",    "reading"};
const char* const kCyrillicWords[] = {
    "счёт",      "оплата",  "номер",         "пожалуйста", "верните",   "письмо", "ваш",
    "баланс",    "годовой", "отчёт",         "налог",      "страховой", "полис",  "продление",
    "уважаемый", "клиент",  "сумма",         "получено",   "спасибо",   "период", "договор",
    "условия",   "вода",    "электричество", "показания",  "счётчика",  "для",    "года"};
const char* const kGreekWords[] = {
    "λογαριασμός", "πληρωμή", "αριθμός",      "παρακαλώ", "επιστρέψτε", "επιστολή", "υπόλοιπο",
    "ετήσια",      "έκθεση",  "φόρος",        "ασφάλεια", "συμβόλαιο",  "ανανέωση", "αγαπητέ",
    "πελάτη",      "ποσό",    "ευχαριστούμε", "περίοδος", "όροι",       "νερό",     "ρεύμα",
    "μετρητής",    "ένδειξη", "για",          "του",      "και"};

double Px(double mm, int dpi) {
  return mm * dpi / 25.4;
}

QImage Sheet(int dpi, bool colour = false, bool landscape = false) {
  const double width = landscape ? kA4HeightMm : kA4WidthMm;
  const double height = landscape ? kA4WidthMm : kA4HeightMm;
  QImage image(static_cast<int>(Px(width, dpi)), static_cast<int>(Px(height, dpi)),
               colour ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
  image.fill(QColor(kPaper, kPaper, kPaper));
  const int dotsPerMeter = static_cast<int>(dpi / 0.0254 + 0.5);
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  return image;
}

template <std::size_t N>
QString WordsOf(const char* const (&list)[N], std::mt19937& random, int count) {
  std::uniform_int_distribution<int> pick(0, N - 1);
  QStringList words;
  for (int i = 0; i < count; ++i)
    words << QString::fromUtf8(list[pick(random)]);
  return words.join(' ');
}

QString Words(std::mt19937& random, int count, Script script = Script::Latin) {
  switch (script) {
    case Script::Cyrillic:
      return WordsOf(kCyrillicWords, random, count);
    case Script::Greek:
      return WordsOf(kGreekWords, random, count);
    case Script::Latin:
      break;
  }
  return WordsOf(kWords, random, count);
}

void DrawText(QPainter& painter, int dpi, std::mt19937& random, int grey, double pointSize,
              Script script = Script::Latin) {
  QFont font("DejaVu Serif");
  font.setPixelSize(static_cast<int>(pointSize / 72.0 * dpi));
  painter.setFont(font);
  painter.setPen(QColor(grey, grey, grey));
  const double margin = Px(25, dpi);
  const QRectF area(margin, margin, Px(kA4WidthMm, dpi) - 2 * margin,
                    Px(kA4HeightMm, dpi) - 2 * margin);
  QString text;
  std::uniform_int_distribution<int> paragraphLength(30, 80);
  for (int paragraph = 0; paragraph < 6; ++paragraph)
    text += Words(random, paragraphLength(random), script) + ".\n\n";
  painter.drawText(area, Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop, text);
}

// A pen line wandering along a base line like handwriting or a signature.
void DrawScribble(QPainter& painter, int dpi, std::mt19937& random, QPointF start, double lengthMm,
                  double heightMm, double penMm, int grey) {
  std::uniform_real_distribution<double> wobble(-1, 1);
  QPainterPath path(start);
  const double step = Px(1.2, dpi);
  const double amplitude = Px(heightMm, dpi) / 2;
  double phase = 0;
  for (double x = 0; x < Px(lengthMm, dpi); x += step) {
    phase += 0.9 + 0.5 * wobble(random);
    path.lineTo(start.x() + x + step * 0.4 * wobble(random),
                start.y() - amplitude * (std::sin(phase) + 0.3 * wobble(random)));
  }
  QPen pen(QColor(grey, grey, grey), Px(penMm, dpi), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(path);
}

void DrawStamp(QPainter& painter, int dpi, std::mt19937& random, QPointF centre) {
  const int grey = 110;
  painter.setPen(QPen(QColor(grey, grey, grey), Px(0.8, dpi)));
  painter.setBrush(Qt::NoBrush);
  const QRectF box(centre.x() - Px(22, dpi), centre.y() - Px(9, dpi), Px(44, dpi), Px(18, dpi));
  painter.drawRect(box);
  QFont font("DejaVu Sans");
  font.setBold(true);
  font.setPixelSize(static_cast<int>(Px(7, dpi)));
  painter.setFont(font);
  const char* const labels[] = {"PAID", "RECEIVED", "COPY", "FILED"};
  painter.drawText(box, Qt::AlignCenter, labels[random() % 4]);
}

QFont FontOfPoints(const char* family, double points, int dpi) {
  QFont font(family);
  font.setPixelSize(static_cast<int>(points / 72.0 * dpi));
  return font;
}

// A page number alone, at the foot or the head of the page.
void DrawPageNumber(QPainter& painter, int dpi, std::mt19937& random, const QImage& image) {
  const char* const numbers[] = {"3", "11", "- 12 -", "7", "24", "- 5 -", "105", "2", "1"};
  const int grey = 20 + static_cast<int>(random() % 40);
  painter.setFont(FontOfPoints(random() % 2 ? "DejaVu Serif" : "DejaVu Sans",
                               9 + static_cast<int>(random() % 3), dpi));
  painter.setPen(QColor(grey, grey, grey));
  const bool foot = random() % 3 != 0;
  const double y = foot ? image.height() - Px(18, dpi) : Px(12, dpi);
  const Qt::Alignment across = random() % 2 ? Qt::AlignHCenter : Qt::AlignRight;
  painter.drawText(QRectF(Px(25, dpi), y, image.width() - Px(50, dpi), Px(8, dpi)),
                   across | Qt::AlignVCenter, numbers[random() % std::size(numbers)]);
}

void DrawCover(QPainter& painter, int dpi, std::mt19937& random, const QImage& image) {
  painter.fillRect(image.rect(), QColor(20, 30, 90));
  painter.setPen(QColor(245, 245, 245));
  painter.setFont(FontOfPoints("DejaVu Sans", 28, dpi));
  painter.drawText(QRectF(0, Px(80, dpi), image.width(), Px(20, dpi)), Qt::AlignCenter,
                   "ANNUAL REPORT");
  painter.setFont(FontOfPoints("DejaVu Sans", 14, dpi));
  painter.drawText(QRectF(0, Px(105, dpi), image.width(), Px(10, dpi)), Qt::AlignCenter,
                   QString::number(2000 + random() % 30));
}

// Bands of red, green and blue running down in brightness, between grey
// rules, as a scanner's built-in test picture.
void DrawColourPattern(QPainter& painter, const QImage& image) {
  painter.fillRect(image.rect(), QColor(85, 85, 85));
  const int bands = 12;
  const double band = image.height() / double(bands);
  for (int i = 0; i < bands; ++i) {
    QLinearGradient ramp(0, 0, image.width(), 0);
    const QColor colours[] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)};
    ramp.setColorAt(0, colours[i % 3]);
    ramp.setColorAt(1, QColor(0, 0, 0));
    painter.fillRect(QRectF(0, i * band + band * 0.1, image.width(), band * 0.8), ramp);
  }
}

// Lines of `columns` set in columns, from `top` down, at `points`.
void DrawTable(QPainter& painter, int dpi, const QImage& image, double top, double points,
               const std::vector<QStringList>& rows) {
  painter.setFont(FontOfPoints("DejaVu Sans Mono", points, dpi));
  painter.setPen(QColor(25, 25, 25));
  const double margin = Px(20, dpi);
  const double lineHeight = Px(points * 0.3528 * 1.9, dpi);
  double y = top;
  for (const QStringList& row : rows) {
    const double columnWidth = (image.width() - 2 * margin) / row.size();
    for (int column = 0; column < row.size(); ++column)
      painter.drawText(QRectF(margin + column * columnWidth, y, columnWidth, lineHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, row[column]);
    y += lineHeight;
  }
  painter.setPen(QPen(QColor(60, 60, 60), Px(0.3, dpi)));
  painter.drawLine(QPointF(margin, top + lineHeight),
                   QPointF(image.width() - margin, top + lineHeight));
}

QString Amount(std::mt19937& random) {
  return QString("%1.%2").arg(random() % 9000 + 10).arg(random() % 100, 2, 10, QChar('0'));
}

void DrawCapitalsTable(QPainter& painter, int dpi, std::mt19937& random, const QImage& image) {
  const char* const items[] = {"SERVICE", "PARTS", "LABOUR", "FREIGHT", "TAX", "FEE", "RENT"};
  painter.setFont(FontOfPoints("DejaVu Sans", 16, dpi));
  painter.setPen(QColor(25, 25, 25));
  painter.drawText(QPointF(Px(20, dpi), Px(35, dpi)),
                   QString("INVOICE NO. %1-%2").arg(2000 + random() % 30).arg(random() % 9000));
  std::vector<QStringList> rows{{"ITEM", "CODE", "QTY", "EUR"}};
  const int count = 12 + static_cast<int>(random() % 12);
  for (int i = 0; i < count; ++i)
    rows.push_back({items[random() % std::size(items)],
                    QString("AB%1-%2").arg(random() % 900 + 100).arg(random() % 90 + 10),
                    QString::number(random() % 40 + 1), Amount(random)});
  DrawTable(painter, dpi, image, Px(50, dpi), 10, rows);
}

void DrawLandscapeTable(QPainter& painter, int dpi, std::mt19937& random, const QImage& image) {
  const char* const months[] = {"January",   "February", "March",    "April",
                                "May",       "June",     "July",     "August",
                                "September", "October",  "November", "December"};
  std::vector<QStringList> rows{{"Month", "Water", "Electricity", "Heating", "Rent", "Total"}};
  for (const char* month : months)
    rows.push_back(
        {month, Amount(random), Amount(random), Amount(random), Amount(random), Amount(random)});
  DrawTable(painter, dpi, image, Px(30, dpi), 11, rows);
}

// A photograph of soft shapes on a graded ground, and its caption below.
void DrawPhoto(QPainter& painter, int dpi, std::mt19937& random, const QImage& image) {
  const QRectF photo(Px(30, dpi), Px(40, dpi), image.width() - Px(60, dpi), Px(150, dpi));
  QLinearGradient ground(photo.topLeft(), photo.bottomRight());
  ground.setColorAt(0, QColor(70, 110, 150));
  ground.setColorAt(1, QColor(150, 120, 70));
  painter.fillRect(photo, ground);
  std::uniform_real_distribution<double> x(photo.left(), photo.right());
  std::uniform_real_distribution<double> y(photo.top(), photo.bottom());
  std::uniform_real_distribution<double> size(Px(5, dpi), Px(30, dpi));
  painter.setPen(Qt::NoPen);
  painter.save();
  painter.setClipRect(photo);
  for (int i = 0; i < 25; ++i) {
    painter.setBrush(QColor(random() % 200, random() % 200, random() % 200));
    painter.drawEllipse(QPointF(x(random), y(random)), size(random), size(random));
  }
  painter.restore();
  painter.setFont(FontOfPoints("DejaVu Serif", 10, dpi));
  painter.setPen(QColor(25, 25, 25));
  painter.drawText(QRectF(photo.left(), photo.bottom() + Px(4, dpi), photo.width(), Px(8, dpi)),
                   Qt::AlignLeft | Qt::AlignVCenter, Words(random, 9));
}

void DrawStaple(QPainter& painter, int dpi, std::mt19937& random) {
  painter.save();
  painter.translate(Px(10 + random() % 8, dpi), Px(10 + random() % 8, dpi));
  painter.rotate(-20.0 - random() % 50);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(70, 70, 70));
  painter.drawRoundedRect(QRectF(0, 0, Px(12, dpi), Px(0.8, dpi)), Px(0.3, dpi), Px(0.3, dpi));
  painter.restore();
}

void AddMarks(QImage& image, const Recipe& recipe, std::mt19937& random) {
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const int dpi = recipe.dpi;
  std::uniform_real_distribution<double> across(Px(30, dpi), Px(kA4WidthMm - 90, dpi));
  std::uniform_real_distribution<double> down(Px(40, dpi), Px(kA4HeightMm - 40, dpi));
  if (recipe.bleedThrough) {
    // The back's text, mirrored and faint.
    QImage back = Sheet(dpi);
    back.fill(Qt::white);
    {
      QPainter backPainter(&back);
      DrawText(backPainter, dpi, random, 0, 11);
    }
    back = back.mirrored(true, false);
    const int bytes = image.depth() / 8;
    for (int y = 0; y < std::min(image.height(), back.height()); ++y) {
      uchar* row = image.scanLine(y);
      const uchar* ink = back.scanLine(y);
      for (int x = 0; x < std::min(image.width(), back.width()); ++x)
        for (int channel = 0; channel < std::min(bytes, 3); ++channel)
          row[x * bytes + channel] =
              static_cast<uchar>(row[x * bytes + channel] - (255 - ink[x]) * 30 / 255);
    }
  }
  switch (recipe.content) {
    case Content::Nothing:
      break;
    case Content::Text:
      painter.setRenderHint(QPainter::TextAntialiasing);
      DrawText(painter, dpi, random, 20, 10.5, recipe.script);
      break;
    case Content::PageNumber:
      DrawPageNumber(painter, dpi, random, image);
      break;
    case Content::Pencil: {
      const int grey = 150 + static_cast<int>(random() % 46);
      DrawScribble(painter, dpi, random, QPointF(across(random), down(random)), 60 + random() % 60,
                   4, 0.3 + 0.05 * (random() % 3), grey);
      break;
    }
    case Content::DarkCover:
      DrawCover(painter, dpi, random, image);
      break;
    case Content::ColourPattern:
      DrawColourPattern(painter, image);
      break;
    case Content::CapitalsTable:
      DrawCapitalsTable(painter, dpi, random, image);
      break;
    case Content::Photo:
      DrawPhoto(painter, dpi, random, image);
      break;
    case Content::LandscapeTable:
      DrawLandscapeTable(painter, dpi, random, image);
      break;
    case Content::Handwriting:
      DrawScribble(painter, dpi, random, QPointF(across(random), down(random)), 60 + random() % 60,
                   4, 0.35, 60);
      break;
    case Content::Signature:
      DrawScribble(painter, dpi, random, QPointF(across(random), down(random)), 35, 10, 0.5, 40);
      break;
    case Content::Ruling: {
      painter.setPen(QPen(QColor(70, 70, 70), Px(0.4, dpi)));
      for (double y = Px(60, dpi); y < image.height() - Px(40, dpi); y += Px(18, dpi))
        painter.drawLine(QPointF(0, y), QPointF(image.width(), y));
      painter.drawLine(QPointF(Px(70, dpi), 0), QPointF(Px(70, dpi), image.height()));
      break;
    }
    case Content::Stamp:
      DrawStamp(painter, dpi, random, QPointF(across(random) + Px(30, dpi), down(random)));
      break;
  }
  if (recipe.holes) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(40, 40, 40));
    const double r = Px(3, dpi);
    const double x = Px(12, dpi);
    for (double y : {Px(kA4HeightMm / 2 - 40, dpi), Px(kA4HeightMm / 2 + 40, dpi)})
      painter.drawEllipse(QPointF(x, y), r, r);
  }
  if (recipe.staple)
    DrawStaple(painter, dpi, random);
  if (recipe.specks) {
    std::uniform_real_distribution<double> anyX(0, image.width());
    std::uniform_real_distribution<double> anyY(0, image.height());
    std::uniform_real_distribution<double> size(Px(0.1, dpi), Px(0.6, dpi));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 30, 30));
    for (int i = 0; i < 40; ++i)
      painter.drawEllipse(QPointF(anyX(random), anyY(random)), size(random), size(random));
  }
}

void AddBorder(QImage& image, int dpi, std::mt19937& random) {
  QPainter painter(&image);
  std::uniform_real_distribution<double> width(Px(1, dpi), Px(6, dpi));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(25, 25, 25));
  painter.drawRect(QRectF(0, 0, image.width(), width(random)));
  painter.drawRect(QRectF(0, 0, width(random), image.height()));
  const double right = width(random);
  painter.drawRect(QRectF(image.width() - right, 0, right, image.height()));
}

void AddNoise(QImage& image, std::mt19937& random) {
  std::uniform_int_distribution<int> spread(-6, 6);
  const int bytes = image.depth() / 8;
  for (int y = 0; y < image.height(); ++y) {
    uchar* row = image.scanLine(y);
    for (int x = 0; x < image.width(); ++x) {
      const int change = spread(random) + spread(random);
      for (int channel = 0; channel < std::min(bytes, 3); ++channel)
        row[x * bytes + channel] =
            static_cast<uchar>(std::clamp(row[x * bytes + channel] + change, 0, 255));
    }
  }
}

// Turns and tilts the sheet as the feeder would, keeping the scan area's
// size: a tilted sheet loses its corners to the scan area's edge.
QImage Feed(const QImage& sheet, int clockwiseTurn, double skewDegrees) {
  QImage turned = sheet.transformed(QTransform().rotate(clockwiseTurn));
  if (skewDegrees == 0)
    return turned;
  QImage out(turned.size(), turned.format());
  out.fill(QColor(kPaper, kPaper, kPaper));
  out.setDotsPerMeterX(sheet.dotsPerMeterX());
  out.setDotsPerMeterY(sheet.dotsPerMeterY());
  QPainter painter(&out);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.translate(out.width() / 2.0, out.height() / 2.0);
  painter.rotate(skewDegrees);
  painter.translate(-out.width() / 2.0, -out.height() / 2.0);
  painter.drawImage(0, 0, turned);
  return out;
}

}  // namespace

QImage MakePage(const Recipe& recipe) {
  std::mt19937 random(recipe.seed);
  QImage page =
      Sheet(recipe.dpi, recipe.mode == Mode::Colour, recipe.content == Content::LandscapeTable);
  AddMarks(page, recipe, random);
  page = Feed(page, recipe.clockwiseTurn, recipe.skewDegrees);
  if (recipe.darkBorder)
    AddBorder(page, recipe.dpi, random);
  if (recipe.noise)
    AddNoise(page, random);
  return page;
}

Bitmap GreyBitmap(const QImage& image) {
  const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
  Bitmap bitmap;
  Bitmap::Create(grey.width(), grey.height(), PixelFormat::Indexed8, bitmap);
  bitmap.SetPalette(GreyPalette(256));
  for (int y = 0; y < grey.height(); ++y)
    std::memcpy(bitmap.Row(y), grey.constScanLine(y), grey.width());
  const double dpi = grey.dotsPerMeterX() * 0.0254;
  bitmap.SetResolution(std::round(dpi), std::round(dpi));
  return bitmap;
}

Bitmap MakeBitmap(const Recipe& recipe) {
  const QImage page = MakePage(recipe);
  if (recipe.mode == Mode::Grey)
    return GreyBitmap(page);
  Bitmap bitmap;
  const bool colour = recipe.mode == Mode::Colour;
  Bitmap::Create(page.width(), page.height(), colour ? PixelFormat::Rgb24 : PixelFormat::Indexed1,
                 bitmap);
  if (colour) {
    const QImage rgb = page.convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < rgb.height(); ++y)
      std::memcpy(bitmap.Row(y), rgb.constScanLine(y), 3 * static_cast<std::size_t>(rgb.width()));
  } else {
    // A scanner's usual threshold: light pencil does not survive it.
    constexpr int kBlackBelow = 128;
    bitmap.SetPalette({{0, 0, 0}, {255, 255, 255}});
    for (int y = 0; y < page.height(); ++y) {
      const uchar* grey = page.constScanLine(y);
      std::uint8_t* bits = bitmap.Row(y);
      std::memset(bits, 0, (page.width() + 7) / 8);
      for (int x = 0; x < page.width(); ++x)
        if (grey[x] >= kBlackBelow)
          bits[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
    }
  }
  const double dpi = page.dotsPerMeterX() * 0.0254;
  bitmap.SetResolution(std::round(dpi), std::round(dpi));
  return bitmap;
}

QImage ImageOf(const Bitmap& bitmap) {
  QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_Grayscale8);
  for (int y = 0; y < bitmap.Height(); ++y)
    std::memcpy(image.scanLine(y), bitmap.Row(y), bitmap.Width());
  return image;
}

}  // namespace scanned_pages
