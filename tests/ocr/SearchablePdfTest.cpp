// Searchable PDFs end to end: pages of known text rendered at 300 dpi, written
// through the write worker and the real PDF writer with recognition on, and
// read back with pdftotext as a desktop search or a viewer would.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>
#include <optional>

#include "LogCapture.h"
#include "PdfIdentifier.h"
#include "TestFiles.h"
#include "TextPages.h"
#include "ocr/RecognitionLanguages.h"
#include "ocr/RecognitionPool.h"
#include "writers/PdfWriter.h"
#include "writers/worker/ImageWriterWorkerDlg.h"

namespace {

using namespace text_pages;

class SearchablePdfTest : public LogCapture {
 protected:
  std::string Path(const char* name) const {
    return QDir(folder_.path()).filePath(name).toStdString();
  }
  std::shared_ptr<RecognitionPool> Pool(const std::string& language, int timeLimitMs = 300000) {
    return std::make_shared<RecognitionPool>(
        RecognitionPool::Options{RecognitionDataFolder(), language, 0, timeLimitMs});
  }
  // Through the write worker, as the window writes a document.
  ResultCode WritePdf(const std::vector<std::string>& pages, const std::string& pdf,
                      std::shared_ptr<PageTextSource> text, int width = kA4Width,
                      int height = kA4Height) {
    ImageWriterWorkerDlg worker(FileFormatType::PdfCompressed);
    worker.SetProgressText("Combining...");
    worker.SetPageTextSource(std::move(text));
    return worker.Save(pages, pdf, width, height);
  }
  // The printed box in points, grown by a little for the engine's own edges.
  static QRectF InPoints(const QRectF& pixels, double grow) {
    const double scale = 72.0 / kDpi;
    return QRectF(pixels.topLeft() * scale, pixels.size() * scale)
        .adjusted(-grow, -grow, grow, grow);
  }
  static std::optional<WordBox> Find(const std::vector<WordBox>& boxes, const QString& word) {
    for (const WordBox& box : boxes)
      if (Comparable(box.word).join("") == word)
        return box;
    return std::nullopt;
  }

  QTemporaryDir folder_;
};

// English on white, German with its accents on light grey and an empty page,
// in one document: the words come back in reading order, the heading is found
// where it is printed, and the empty page has no text.
TEST_F(SearchablePdfTest, PagesOfTwoLanguagesComeBackInReadingOrder) {
  const PrintedPage english =
      RenderPage(Path("Page 001.jpg"), "Renewal", EnglishParagraphs(), Qt::white);
  const PrintedPage german =
      RenderPage(Path("Page 002.jpg"), "Abrechnung", GermanParagraphs(), QColor(0xD8, 0xD8, 0xD8));
  RenderBlankPage(Path("Page 003.jpg"), Qt::white);
  const std::string pdf = Path("letter.pdf");

  ASSERT_EQ(WritePdf({Path("Page 001.jpg"), Path("Page 002.jpg"), Path("Page 003.jpg")}, pdf,
                     Pool("deu+eng")),
            S_OK);

  const QStringList englishFound = Comparable(PdfPageText(pdf, 1));
  const QStringList germanFound = Comparable(PdfPageText(pdf, 2));
  EXPECT_GE(InOrderShare(english.words, englishFound), 0.95)
      << englishFound.join(' ').toStdString();
  EXPECT_GE(InOrderShare(german.words, germanFound), 0.95) << germanFound.join(' ').toStdString();
  EXPECT_TRUE(germanFound.contains("Grüßen") && germanFound.contains("Schloßstraße"));
  EXPECT_TRUE(Comparable(PdfPageText(pdf, 3)).isEmpty());

  const std::optional<WordBox> heading = Find(PdfWordBoxes(pdf, 1), "Renewal");
  ASSERT_TRUE(heading.has_value());
  const QRectF printed = InPoints(english.markerBox, 0);
  EXPECT_TRUE(InPoints(english.markerBox, 2.0).contains(heading->box.center()));
  // A selection covers the printed word: as wide, and over its letters' height.
  EXPECT_NEAR(heading->box.width(), printed.width(), printed.width() * 0.1);
  EXPECT_LE(heading->box.top(), printed.top() + 2.0);
  EXPECT_GE(heading->box.bottom(), printed.bottom() - 2.0);
  EXPECT_LE(heading->box.height(), printed.height() * 2.0);
}

// A page laid sideways on the glass is read upright; its text layer follows
// the printed words, so the heading is found where it is printed.
TEST_F(SearchablePdfTest, SidewaysPageIsReadUpright) {
  const PrintedPage page =
      RenderPage(Path("Page 001.jpg"), "Renewal", EnglishParagraphs(), Qt::white, true);
  const std::string pdf = Path("sideways.pdf");

  ASSERT_EQ(WritePdf({Path("Page 001.jpg")}, pdf, Pool("eng"), kA4Height, kA4Width), S_OK);

  const QStringList found = Comparable(PdfPageText(pdf, 1));
  EXPECT_GE(InOrderShare(page.words, found), 0.95) << found.join(' ').toStdString();
  const std::optional<WordBox> heading = Find(PdfWordBoxes(pdf, 1), "Renewal");
  ASSERT_TRUE(heading.has_value());
  EXPECT_TRUE(InPoints(page.markerBox, 2.0).contains(heading->box.center()));
}

// Pages without text, on white and on grey, make the very PDF that is written
// without recognition; and without recognition the worker writes what the
// PDF writer always wrote.
TEST_F(SearchablePdfTest, PagesWithoutTextAddNothing) {
  RenderBlankPage(Path("Page 001.jpg"), Qt::white);
  RenderBlankPage(Path("Page 002.jpg"), QColor(0xD8, 0xD8, 0xD8));
  const std::vector<std::string> pages = {Path("Page 001.jpg"), Path("Page 002.jpg")};

  ASSERT_EQ(WritePdf(pages, Path("searchable.pdf"), Pool("eng")), S_OK);
  ASSERT_EQ(WritePdf(pages, Path("worker.pdf"), nullptr), S_OK);
  PdfWriter plain(FileFormatType::PdfCompressed);
  ASSERT_EQ(plain.Save(pages, Path("plain.pdf"), kA4Width, kA4Height), S_OK);

  const std::string expected = WithoutPdfIdentifier(ReadFileBytes(Path("plain.pdf")));
  ASSERT_FALSE(expected.empty());
  ASSERT_NE(expected, ReadFileBytes(Path("plain.pdf")));
  EXPECT_EQ(WithoutPdfIdentifier(ReadFileBytes(Path("searchable.pdf"))), expected);
  EXPECT_EQ(WithoutPdfIdentifier(ReadFileBytes(Path("worker.pdf"))), expected);
}

// The text layer is sound to poppler and qpdf alike, and costs next to
// nothing: no glyphs are embedded for words nobody sees.
TEST_F(SearchablePdfTest, TheTextLayerIsCleanAndSmall) {
  RenderPage(Path("Page 001.jpg"), "Renewal", EnglishParagraphs(), Qt::white);
  const std::vector<std::string> pages = {Path("Page 001.jpg")};
  ASSERT_EQ(WritePdf(pages, Path("searchable.pdf"), Pool("eng")), S_OK);
  ASSERT_EQ(WritePdf(pages, Path("plain.pdf"), nullptr), S_OK);
  const QString pdf = QString::fromStdString(Path("searchable.pdf"));
  for (const QString& tool : {QString("pdftotext"), QString("pdffonts")}) {
    QProcess process;
    process.start(tool, tool == "pdftotext" ? QStringList{pdf, "-"} : QStringList{pdf});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << tool.toStdString();
    EXPECT_TRUE(process.readAllStandardError().isEmpty()) << tool.toStdString();
  }
  QProcess check;
  check.start("qpdf", {"--check", pdf});
  ASSERT_TRUE(check.waitForFinished(60000));
  EXPECT_EQ(check.exitCode(), 0) << check.readAll().toStdString();
  EXPECT_TRUE(Comparable(PdfPageText(Path("searchable.pdf"), 1)).contains("Renewal"));
  const qint64 plain = QFileInfo(QString::fromStdString(Path("plain.pdf"))).size();
  EXPECT_LE(QFileInfo(pdf).size(), plain * 102 / 100 + 10240);
}

// A page that takes longer than the limit still goes into the document, as
// an image without text, and the log says why.
TEST_F(SearchablePdfTest, PageOverTheTimeLimitIsWrittenWithoutText) {
  RenderPage(Path("Page 001.png"), "Renewal", EnglishParagraphs(), Qt::white);
  const std::string pdf = Path("late.pdf");
  ImageWriterWorkerDlg worker(FileFormatType::PdfUncompressed);
  worker.SetPageTextSource(Pool("eng", 1));

  ASSERT_EQ(worker.Save({Path("Page 001.png")}, pdf, kA4Width, kA4Height), S_OK);

  EXPECT_TRUE(Comparable(PdfPageText(pdf, 1)).isEmpty());
  // The engine's deadline or, on a machine too busy for even that, the
  // writer's own wait ends it; either way the log names the page and why.
  EXPECT_NE(LogText().find("Page 001.png: no text: recognition "), std::string::npos) << LogText();
}

}  // namespace
