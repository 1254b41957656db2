#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "WriterTestSupport.h"
#include "core/FileFormatType.h"
#include "writers/PdfWriter.h"

using namespace writer_tests;

namespace {

class PdfWriterTest : public testing::Test {
 protected:
  QTemporaryDir folder_;
};

TEST_F(PdfWriterTest, ThreeJpegPagesMakeALetterDocument) {
  const auto pages = WritePages(folder_.path(), 3, ImageFormat::Jpeg, "jpg");
  const std::string output = PathIn(folder_.path(), "document.pdf");
  ASSERT_EQ(PdfWriter(FileFormatType::PdfCompressed).Save(pages, output, 8500, 11000), S_OK);
  const PdfFacts facts = InspectPdf(output);
  EXPECT_TRUE(facts.valid);
  EXPECT_EQ(facts.pages, 3);
  EXPECT_EQ(facts.pageSizes, QStringList({"612 x 792", "612 x 792", "612 x 792"}));
}

TEST_F(PdfWriterTest, RotatedPagesAreLandscape) {
  const auto pages = WritePages(folder_.path(), 2, ImageFormat::Png, "png");
  const std::string output = PathIn(folder_.path(), "document.pdf");
  ASSERT_EQ(PdfWriter(FileFormatType::PdfUncompressed).Save(pages, output, 11000, 8500), S_OK);
  const PdfFacts facts = InspectPdf(output);
  EXPECT_TRUE(facts.valid);
  EXPECT_EQ(facts.pageSizes, QStringList({"792 x 612", "792 x 612"}));
}

TEST_F(PdfWriterTest, ImagesFillTheWholePage) {
  const auto pages = WritePages(folder_.path(), 1, ImageFormat::Png, "png");
  const std::string output = PathIn(folder_.path(), "document.pdf");
  ASSERT_EQ(PdfWriter(FileFormatType::PdfUncompressed).Save(pages, output, 8500, 11000), S_OK);
  const QString list = RunTool("pdfimages", {"-list", QString::fromStdString(output)});
  // 60 × 80 pixels stretched over 8.5 × 11 inches: about 7 by 7 dots per inch.
  EXPECT_TRUE(
      list.contains(QRegularExpression("\\s60\\s+80\\s+rgb\\s+3\\s+8\\s+image\\s.*\\s7\\s+7\\s")))
      << list.toStdString();
}

TEST_F(PdfWriterTest, UnusableArgumentsAreRefusedBeforeAnyDocument) {
  const auto pages = WritePages(folder_.path(), 1, ImageFormat::Jpeg, "jpg");
  const std::string output = PathIn(folder_.path(), "document.pdf");
  PdfWriter writer(FileFormatType::PdfCompressed);
  EXPECT_EQ(writer.Save(std::vector<std::string>{}, output, 8500, 11000), E_INVALIDARG);
  EXPECT_EQ(writer.Save(pages, "", 8500, 11000), E_INVALIDARG);
  EXPECT_EQ(writer.Save(pages, output, 0, 11000), E_INVALIDARG);
  EXPECT_EQ(writer.Save(pages, output, 8500, -1), E_INVALIDARG);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(output)));
}

TEST_F(PdfWriterTest, APngPageInACompressedDocumentFails) {
  auto pages = WritePages(folder_.path(), 1, ImageFormat::Jpeg, "jpg");
  const auto png = WritePages(folder_.path(), 2, ImageFormat::Png, "png");
  pages.push_back(png[1]);
  const std::string output = PathIn(folder_.path(), "document.pdf");
  EXPECT_EQ(PdfWriter(FileFormatType::PdfCompressed).Save(pages, output, 8500, 11000), E_FAIL);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(output)));
}

TEST_F(PdfWriterTest, AFailureKeepsTheFileItWouldReplace) {
  const std::string output = PathIn(folder_.path(), "document.pdf");
  {
    QFile old(QString::fromStdString(output));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
  }
  // Damaged, cut and oversized pages fail the document.
  for (const char* bad : {"bad-crc.png", "truncated-idat.png", "huge-dimensions.png"}) {
    const std::vector<std::string> pages{std::string(DOCKETEER_BAD_DATA) + "/" + bad};
    EXPECT_EQ(PdfWriter(FileFormatType::PdfUncompressed).Save(pages, output, 8500, 11000), E_FAIL)
        << bad;
  }
  QFile old(QString::fromStdString(output));
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "old");
  EXPECT_EQ(Entries(folder_.path()), QStringList{"document.pdf"});
}

TEST_F(PdfWriterTest, AMissingPageFailsAndTheWriterCanBeUsedAgain) {
  PdfWriter writer(FileFormatType::PdfCompressed);
  const std::string output = PathIn(folder_.path(), "document.pdf");
  EXPECT_EQ(writer.Save({PathIn(folder_.path(), "missing.jpg")}, output, 8500, 11000), E_FAIL);
  const auto pages = WritePages(folder_.path(), 1, ImageFormat::Jpeg, "jpg");
  EXPECT_EQ(writer.Save(pages, output, 8500, 11000), S_OK);
  EXPECT_EQ(InspectPdf(output).pages, 1);
}

TEST_F(PdfWriterTest, PageImagesAndExpandAreNotOffered) {
  PdfWriter writer(FileFormatType::PdfUncompressed);
  std::vector<std::string> files;
  PageSize size;
  int block = 0;
  EXPECT_EQ(writer.Save(&block, PathIn(folder_.path(), "x.pdf"), 300, false), E_NOTIMPL);
  EXPECT_EQ(writer.Expand("a.pdf", "/tmp/", "p%d", files, size), E_NOTIMPL);
}

TEST(PdfDocument, OpenTwiceAndCloseWithoutOpenAreRefused) {
  PdfDocument document;
  EXPECT_EQ(document.CloseDocument(), E_INVALIDARG);
  EXPECT_EQ(document.AddPage("a.jpg", FileFormatType::Jpeg, 1, 1), E_INVALIDARG);
  EXPECT_EQ(document.SaveToFile("a.pdf"), E_INVALIDARG);
  ASSERT_EQ(document.OpenDocument(), S_OK);
  EXPECT_EQ(document.OpenDocument(), E_INVALIDARG);
  EXPECT_EQ(document.AddPage("a.jpg", FileFormatType::Gif, 1, 1), E_INVALIDARG);
  EXPECT_EQ(document.AddPages({}, FileFormatType::Jpeg, 1, 1), E_INVALIDARG);
  EXPECT_EQ(document.SaveToFile(""), E_INVALIDARG);
  EXPECT_EQ(document.CloseDocument(), S_OK);
}

}  // namespace
