#include "ScannedPageMaker.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <cmath>
#include <cstring>
#include <random>

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

double Px(double mm, int dpi) {
  return mm * dpi / 25.4;
}

QImage Sheet(int dpi) {
  QImage image(static_cast<int>(Px(kA4WidthMm, dpi)), static_cast<int>(Px(kA4HeightMm, dpi)),
               QImage::Format_Grayscale8);
  image.fill(QColor(kPaper, kPaper, kPaper));
  const int dotsPerMeter = static_cast<int>(dpi / 0.0254 + 0.5);
  image.setDotsPerMeterX(dotsPerMeter);
  image.setDotsPerMeterY(dotsPerMeter);
  return image;
}

QString Words(std::mt19937& random, int count) {
  std::uniform_int_distribution<int> pick(0, std::size(kWords) - 1);
  QStringList words;
  for (int i = 0; i < count; ++i)
    words << kWords[pick(random)];
  return words.join(' ');
}

void DrawText(QPainter& painter, int dpi, std::mt19937& random, int grey, double pointSize) {
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
    text += Words(random, paragraphLength(random)) + ".\n\n";
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
    for (int y = 0; y < image.height(); ++y) {
      uchar* row = image.scanLine(y);
      const uchar* ink = back.scanLine(y);
      for (int x = 0; x < image.width(); ++x)
        row[x] = static_cast<uchar>(row[x] - (255 - ink[x]) * 30 / 255);
    }
  }
  switch (recipe.content) {
    case Content::Nothing:
      break;
    case Content::Text:
      painter.setRenderHint(QPainter::TextAntialiasing);
      DrawText(painter, dpi, random, 20, 10.5);
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
  for (int y = 0; y < image.height(); ++y) {
    uchar* row = image.scanLine(y);
    for (int x = 0; x < image.width(); ++x) {
      const int noisy = row[x] + spread(random) + spread(random);
      row[x] = static_cast<uchar>(std::clamp(noisy, 0, 255));
    }
  }
}

// Turns and tilts the sheet as the feeder would, keeping the scan area's
// size: a tilted sheet loses its corners to the scan area's edge.
QImage Feed(const QImage& sheet, int clockwiseTurn, double skewDegrees) {
  QImage turned = sheet.transformed(QTransform().rotate(clockwiseTurn));
  if (skewDegrees == 0)
    return turned;
  QImage out(turned.size(), QImage::Format_Grayscale8);
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
  QImage page = Sheet(recipe.dpi);
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

QImage ImageOf(const Bitmap& bitmap) {
  QImage image(bitmap.Width(), bitmap.Height(), QImage::Format_Grayscale8);
  for (int y = 0; y < bitmap.Height(); ++y)
    std::memcpy(image.scanLine(y), bitmap.Row(y), bitmap.Width());
  return image;
}

}  // namespace scanned_pages
