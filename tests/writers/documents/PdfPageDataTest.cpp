#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "WriterTestSupport.h"
#include "core/FileFormatType.h"
#include "platform/imaging/FaxG4.h"
#include "platform/imaging/ImageFile.h"
#include "writers/ImageWriter.h"
#include "writers/PdfWriter.h"

using namespace test_images;
using namespace writer_tests;

namespace {

// Not a multiple of 8 wide (rows end in padding bits), and whole points at
// 100 dpi, so that the page renders back one pixel for one.
constexpr int kWidth = 125;
constexpr int kHeight = 100;

// Text-like black and white: strokes, dots and a solid block.
bool IsBlack(int x, int y) {
  return (x / 7 + y / 5) % 3 == 0 || (x > 90 && y > 70) || (x * y) % 37 == 1;
}

Bitmap BlackAndWhitePage(bool blackFirst) {
  Bitmap page = MakeBitmap(kWidth, kHeight, PixelFormat::Indexed1, [blackFirst](int x, int y) {
    return static_cast<std::uint32_t>(IsBlack(x, y) == blackFirst ? 0 : 1);
  });
  page.SetPalette(blackFirst ? std::vector<PaletteEntry>{{0, 0, 0, 255}, {255, 255, 255, 255}}
                             : std::vector<PaletteEntry>{{255, 255, 255, 255}, {0, 0, 0, 255}});
  return page;
}

// The first page's image as poppler decodes it, and where it differs from
// the page: the number of pixels whose black or white is wrong (-1 for none).
int WrongPixels(const std::string& pdf, const QString& folder) {
  const QString stem = folder + "/image";
  RunTool("pdfimages", {"-png", "-f", "1", "-l", "1", QString::fromStdString(pdf), stem});
  Bitmap image;
  if (!IsOk(DecodeImageFile((stem + "-000.png").toStdString(), image)) || image.Width() != kWidth ||
      image.Height() != kHeight)
    return -1;
  int wrong = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      wrong += (PixelAt(image, x, y).red < 128) != IsBlack(x, y);
  return wrong;
}

// Black-and-white pages go into both kinds losslessly, however they arrive,
// and come back pixel for pixel.
TEST(PdfPageData, BlackAndWhitePagesAreGroup4AndExact) {
  const struct {
    const char* name;
    ImageFormat format;
    bool blackFirst;
    FileFormatType kind;
    const char* recompress;  // tiffcp's compression for a TIFF page, or none
  } cases[] = {
      {"png black first, uncompressed", ImageFormat::Png, true, FileFormatType::PdfUncompressed},
      {"png white first, compressed", ImageFormat::Png, false, FileFormatType::PdfCompressed},
      {"tiff g4 black first", ImageFormat::Tiff, true, FileFormatType::PdfCompressed, "g4"},
      {"tiff g4 white first", ImageFormat::Tiff, false, FileFormatType::PdfUncompressed, "g4"},
      {"tiff lzw", ImageFormat::Tiff, true, FileFormatType::PdfCompressed, "lzw"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir folder;
    std::string page = PathIn(folder.path(), c.format == ImageFormat::Png ? "p.png" : "p.tif");
    ASSERT_TRUE(IsOk(EncodeImageFile(BlackAndWhitePage(c.blackFirst), c.format, page)));
    if (c.recompress != nullptr) {
      const std::string copied = PathIn(folder.path(), "g4.tif");
      RunTool("tiffcp",
              {"-c", c.recompress, QString::fromStdString(page), QString::fromStdString(copied)});
      page = copied;
    }
    const std::string pdf = PathIn(folder.path(), "out.pdf");
    PdfWriter writer(c.kind);
    ASSERT_EQ(writer.Save({page}, pdf, kWidth * 10, kHeight * 10), S_OK) << writer.GetErrorText();
    // Group 4 data stays so; a PNG page keeps whichever of Group 4 and its
    // own data is smaller.
    if (c.format == ImageFormat::Tiff)
      EXPECT_TRUE(RunTool("pdfimages", {"-list", QString::fromStdString(pdf)}).contains("ccitt"));
    else
      EXPECT_LE(QFileInfo(QString::fromStdString(pdf)).size(),
                QFileInfo(QString::fromStdString(page)).size() + 1500);
    EXPECT_EQ(WrongPixels(pdf, folder.path()), 0);
  }
}

// A Group 4 TIFF page is copied byte for byte, not decoded and encoded again.
TEST(PdfPageData, StoredGroup4IsCopiedAsItStands) {
  QTemporaryDir folder;
  const std::string plain = PathIn(folder.path(), "p.tif");
  const std::string g4 = PathIn(folder.path(), "g4.tif");
  ASSERT_TRUE(IsOk(EncodeImageFile(BlackAndWhitePage(true), ImageFormat::Tiff, plain)));
  RunTool("tiffcp", {"-c", "g4", QString::fromStdString(plain), QString::fromStdString(g4)});
  std::unique_ptr<ImageFile> file;
  ASSERT_TRUE(IsOk(ImageFile::Open(g4, file)));
  StoredFaxG4 stored;
  ASSERT_TRUE(IsOk(file->FindStoredFaxG4(stored)));
  QFile source(QString::fromStdString(g4));
  ASSERT_TRUE(source.open(QIODevice::ReadOnly));
  const QByteArray data =
      source.readAll().mid(static_cast<int>(stored.offset), static_cast<int>(stored.length));
  const std::string pdf = PathIn(folder.path(), "out.pdf");
  ASSERT_EQ(PdfWriter(FileFormatType::PdfCompressed).Save({g4}, pdf, 1250, 1000), S_OK);
  QFile output(QString::fromStdString(pdf));
  ASSERT_TRUE(output.open(QIODevice::ReadOnly));
  EXPECT_TRUE(output.readAll().contains(data));
}

// Converting a TIFF expands its black-and-white pages so that they stay so:
// Group 4 pages as one-page Group 4 TIFFs, other 1-bit pages as PNG.
TEST(PdfPageData, ExpandKeepsBlackAndWhitePagesLossless) {
  const struct {
    const char* compression;
    FileFormatType pageFormat;
    const char* page;
  } cases[] = {
      {"g4", FileFormatType::Jpeg, "Page 000.tif"},
      {"g4", FileFormatType::Png, "Page 000.tif"},
      {"none", FileFormatType::Jpeg, "Page 000.png"},
      {"none", FileFormatType::Png, "Page 000.png"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    QTemporaryDir folder;
    const std::string plain = PathIn(folder.path(), "p.tif");
    const std::string source = PathIn(folder.path(), "source.tif");
    ASSERT_TRUE(IsOk(EncodeImageFile(BlackAndWhitePage(true), ImageFormat::Tiff, plain)));
    RunTool("tiffcp",
            {"-c", c.compression, QString::fromStdString(plain), QString::fromStdString(source)});
    ASSERT_TRUE(QDir(folder.path()).mkdir("pages"));
    std::vector<std::string> pages;
    PageSize size;
    const std::string format = "Page %03d." + FileFormatExtension(c.pageFormat);
    ASSERT_EQ(ImageWriter(c.pageFormat)
                  .Expand(source, PathIn(folder.path(), "pages"), format, pages, size),
              S_OK);
    ASSERT_EQ(pages, std::vector<std::string>{PathIn(folder.path(), QString("pages/") + c.page)});
    const std::string pdf = PathIn(folder.path(), "out.pdf");
    const FileFormatType kind = c.pageFormat == FileFormatType::Jpeg
                                    ? FileFormatType::PdfCompressed
                                    : FileFormatType::PdfUncompressed;
    ASSERT_EQ(PdfWriter(kind).Save(pages, pdf, kWidth * 10, kHeight * 10), S_OK);
    EXPECT_EQ(WrongPixels(pdf, folder.path()), 0);
  }
}

TEST(PdfPageData, BlackAndWhiteScansOfACompressedPdfArePng) {
  const struct {
    int bitCount;
    FileFormatType document;
    FileFormatType page;
  } cases[] = {
      {1, FileFormatType::PdfCompressed, FileFormatType::Png},
      {8, FileFormatType::PdfCompressed, FileFormatType::Jpeg},
      {1, FileFormatType::PdfUncompressed, FileFormatType::Png},
      {1, FileFormatType::Jpeg, FileFormatType::Jpeg},
  };
  for (const auto& c : cases) {
    const PageImage image(MakeDib(16, 8, c.bitCount, false, [](int x, int) { return x % 2; }));
    EXPECT_EQ(ScannedPageFormat(c.document, image.Handle()), c.page) << c.bitCount;
  }
}

}  // namespace

// Lossless colour, grey and palette pages come back pixel for pixel, whether
// their data is copied (PNG) or decoded and deflated on the way (LZW TIFF),
// and the file is sound to qpdf.
TEST(PdfPageData, LosslessPagesComeBackExactly) {
  const std::vector<PaletteEntry> palette{
      {200, 30, 30, 255}, {30, 200, 30, 255}, {30, 30, 200, 255}, {250, 250, 250, 255}};
  const auto pattern = [](int x, int y) { return static_cast<std::uint32_t>(x * 977 + y * 131); };
  const struct {
    const char* name;
    Bitmap page;
    ImageFormat format;
  } cases[] = {
      {"rgb png", MakeBitmap(61, 43, PixelFormat::Rgb24, pattern), ImageFormat::Png},
      {"grey png", MakeBitmap(61, 43, PixelFormat::Indexed8, pattern), ImageFormat::Png},
      {"palette png",
       MakeBitmap(
           61, 43, PixelFormat::Indexed8, [](int x, int y) { return (x + y) % 4u; }, palette),
       ImageFormat::Png},
      {"rgb lzw tiff", MakeBitmap(61, 43, PixelFormat::Rgb24, pattern), ImageFormat::Tiff},
  };
  QTemporaryDir folder;
  std::vector<std::string> pages;
  for (const auto& c : cases) {
    pages.push_back(PathIn(
        folder.path(),
        QString("%1.%2").arg(pages.size()).arg(c.format == ImageFormat::Png ? "png" : "tif")));
    EncodeOptions options;
    options.tiffCompression = TiffCompression::Lzw;
    ASSERT_TRUE(IsOk(EncodeImageFile(c.page, c.format, pages.back(), options)));
  }
  const std::string pdf = PathIn(folder.path(), "out.pdf");
  ASSERT_EQ(PdfWriter(FileFormatType::PdfUncompressed).Save(pages, pdf, 8500, 11000), S_OK);
  EXPECT_TRUE(InspectPdf(pdf).valid);
  RunTool("pdfimages", {"-png", QString::fromStdString(pdf), folder.path() + "/image"});
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    Bitmap image;
    ASSERT_TRUE(IsOk(DecodeImageFile(
        QString("%1/image-%2.png").arg(folder.path()).arg(i, 3, 10, QChar('0')).toStdString(),
        image)));
    EXPECT_EQ(DifferentPixels(image, cases[i].page), 0);
  }
}
