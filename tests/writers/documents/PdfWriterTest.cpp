#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "WriterTestSupport.h"
#include "core/FileFormatType.h"
#include "ocr/PageText.h"
#include "writers/PdfDocument.h"
#include "writers/PdfWriter.h"

using namespace writer_tests;

namespace {

class PdfWriterTest : public testing::Test {
 protected:
  // A page file of the given size, its format by its extension.
  std::string Page(const QString& name, int width, int height) {
    const Bitmap page = test_images::MakeBitmap(
        width, height, PixelFormat::Rgb24,
        [](int x, int y) { return static_cast<std::uint32_t>(x * 7 + y * 5); });
    const std::string path = PathIn(folder_.path(), name);
    EncodeImageFile(page, name.endsWith("png") ? ImageFormat::Png : ImageFormat::Jpeg, path);
    return path;
  }
  QTemporaryDir folder_;
};

struct BoxCase {
  const char* name;
  FileFormatType kind;
  const char* extension;
  int width, height;  // the document's, thousandths of an inch
  std::vector<std::pair<int, int>> images;
  QStringList boxes;
};

class PdfPageBoxes : public PdfWriterTest, public testing::WithParamInterface<BoxCase> {};

// The document size names the paper; each page lies on it the way its own
// image lies, so a page turned upright by a quarter is not squeezed, and pages
// turned by a quarter (the Rotate choice) make a landscape document.
TEST_P(PdfPageBoxes, EachPageBoxFollowsItsImage) {
  const BoxCase& c = GetParam();
  std::vector<std::string> pages;
  for (const auto& [width, height] : c.images)
    pages.push_back(
        Page(QString("Page %1.%2").arg(pages.size() + 1).arg(c.extension), width, height));
  const std::string output = PathIn(folder_.path(), "document.pdf");
  ASSERT_EQ(PdfWriter(c.kind).Save(pages, output, c.width, c.height), S_OK);
  const PdfFacts facts = InspectPdf(output);
  EXPECT_TRUE(facts.valid);
  EXPECT_EQ(facts.pages, c.boxes.size());
  EXPECT_EQ(facts.pageSizes, c.boxes);
}

const BoxCase kBoxCases[] = {
    {"ThreeJpegPagesMakeALetterDocument",
     FileFormatType::PdfCompressed,
     "jpg",
     8500,
     11000,
     {{60, 80}, {61, 80}, {62, 80}},
     {"612 x 792", "612 x 792", "612 x 792"}},
    {"RotatedPagesAreLandscape",
     FileFormatType::PdfUncompressed,
     "png",
     11000,
     8500,
     {{80, 60}, {81, 60}},
     {"792 x 612", "792 x 612"}},
    {"ALandscapePageAmongPortraitOnes",
     FileFormatType::PdfCompressed,
     "jpg",
     8500,
     11000,
     {{60, 80}, {80, 60}, {60, 80}},
     {"612 x 792", "792 x 612", "612 x 792"}},
    {"APortraitPageInALandscapeDocument",
     FileFormatType::PdfUncompressed,
     "png",
     11000,
     8500,
     {{80, 60}, {60, 80}},
     {"792 x 612", "612 x 792"}},
    {"ASquarePageKeepsTheDocumentsWay",
     FileFormatType::PdfUncompressed,
     "png",
     11000,
     8500,
     {{70, 70}},
     {"792 x 612"}},
};

INSTANTIATE_TEST_SUITE_P(Documents, PdfPageBoxes, testing::ValuesIn(kBoxCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The words of a landscape page in a portrait document lie where they are on
// the landscape page.
TEST_F(PdfWriterTest, TheTextLayerFollowsATurnedPage) {
  const std::string page = Page("Page 001.png", 800, 600);
  PageText text{800, 600, 0, {{"Renewal", 400, 300, 600, 340, 300, 345, 335}}};
  const std::string output = PathIn(folder_.path(), "document.pdf");
  PdfDocument document;
  ASSERT_EQ(document.OpenDocument(), S_OK);
  ASSERT_EQ(document.AddPage(page, FileFormatType::Png, 8500, 11000, &text), S_OK);
  ASSERT_EQ(document.SaveToFile(output), S_OK);
  ASSERT_EQ(InspectPdf(output).pageSizes, QStringList{"792 x 612"});
  const QString boxes = RunTool("pdftotext", {"-bbox", QString::fromStdString(output), "-"});
  const QRegularExpressionMatch word =
      QRegularExpression(
          "xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">Renewal<")
          .match(boxes);
  ASSERT_TRUE(word.hasMatch()) << boxes.toStdString();
  // 800 by 600 pixels over 792 by 612 points: the word's box of 400..600
  // across and 300..340 down is 396..594 by about 306..347.
  EXPECT_NEAR(word.captured(1).toDouble(), 396, 3);
  EXPECT_NEAR(word.captured(3).toDouble(), 594, 3);
  EXPECT_NEAR((word.captured(2).toDouble() + word.captured(4).toDouble()) / 2, 326, 8);
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
