// Renders and recognises pages the way the program does, for compare_ocr.py:
//   docketeer_ocr_bench render <folder> <pages>
//       writes "Page 001.png"... (A4, 300 dpi, text) and "Page 001.txt" with its words
//   docketeer_ocr_bench pdf <language> <interval ms> <output.pdf> <page files...>
//       hands each page to the recognition pool as a scan would (one page every
//       interval), then writes the searchable PDF; prints the seconds from the
//       last page's arrival to the finished document, and from the first.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QStringList>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ocr/RecognitionLanguages.h"
#include "ocr/RecognitionPool.h"
#include "writers/PdfWriter.h"

namespace {

constexpr int kWidth = 2480;
constexpr int kHeight = 3508;
constexpr int kMargin = 240;

const QStringList kWords = {
    "account",  "balance", "statement", "payment", "invoice",  "the",      "of",       "and",
    "for",      "your",    "we",        "have",    "received", "amount",   "due",      "date",
    "please",   "contact", "office",    "policy",  "renewal",  "house",    "premium",  "annual",
    "monthly",  "tax",     "return",    "refund",  "water",    "heating",  "electric", "meter",
    "reading",  "credit",  "card",      "limit",   "interest", "rate",     "percent",  "bank",
    "transfer", "letter",  "reference", "number",  "customer", "service",  "thank",    "you",
    "with",     "regards", "period",    "ending",  "charges",  "included", "notice",   "change",
    "address",  "details", "signed",    "copy",    "records",  "mortgage", "loan",     "schedule"};

QString Paragraph(QRandomGenerator& random, int words) {
  QStringList text;
  for (int i = 0; i < words; ++i)
    text << kWords[static_cast<int>(random.bounded(kWords.size()))];
  text.first()[0] = text.first()[0].toUpper();
  return text.join(' ') + '.';
}

int Render(const std::string& folder, int pages) {
  QRandomGenerator random(20261207);
  for (int page = 1; page <= pages; ++page) {
    QImage image(kWidth, kHeight, QImage::Format_Grayscale8);
    image.fill(Qt::white);
    image.setDotsPerMeterX(11811);
    image.setDotsPerMeterY(11811);
    QStringList all;
    {
      QPainter painter(&image);
      QFont font("DejaVu Serif");
      font.setPixelSize(42);
      painter.setFont(font);
      double top = kMargin;
      while (top < kHeight - 3 * kMargin) {
        const QString paragraph = Paragraph(random, 40 + static_cast<int>(random.bounded(40)));
        QRectF used;
        painter.drawText(QRectF(kMargin, top, kWidth - 2 * kMargin, kHeight - kMargin - top),
                         Qt::TextWordWrap, paragraph, &used);
        top = used.bottom() + 40;
        all << paragraph;
      }
    }
    char name[64];
    std::snprintf(name, sizeof name, "/Page %03d", page);
    image.save(QString::fromStdString(folder + name + ".png"));
    std::ofstream(folder + name + ".txt") << all.join('\n').toStdString() << '\n';
  }
  return 0;
}

int WritePdf(const std::string& language, int intervalMs, const std::string& output,
             const std::vector<std::string>& pages) {
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  auto pool = std::make_shared<RecognitionPool>(
      RecognitionPool::Options{RecognitionDataFolder(), language});
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (i > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
    pool->Submit(pages[i]);
  }
  const auto lastArrival = Clock::now();
  PdfWriter writer(FileFormatType::PdfUncompressed);
  writer.SetPageTextSource(pool);
  if (Failed(writer.Save(pages, output, 8268, 11693))) {
    std::fprintf(stderr, "%s\n", writer.GetErrorText().c_str());
    return 1;
  }
  const auto done = Clock::now();
  std::printf("after last page %.3f\nwhole %.3f\n",
              std::chrono::duration<double>(done - lastArrival).count(),
              std::chrono::duration<double>(done - start).count());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "render") {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return Render(argv[2], std::atoi(argv[3]));
  }
  if (argc >= 6 && std::string(argv[1]) == "pdf")
    return WritePdf(argv[2], std::atoi(argv[3]), argv[4], {argv + 5, argv + argc});
  std::fprintf(stderr,
               "usage: %s render <folder> <pages> | pdf <language> <interval ms> <out.pdf> "
               "<pages...>\n",
               argv[0]);
  return 2;
}
