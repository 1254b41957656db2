#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "WriterTestSupport.h"
#include "core/DebugLog.h"
#include "core/FileFormatType.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/TiffPageWriter.h"
#include "writers/ImageWriter.h"

using namespace test_images;
using namespace writer_tests;

namespace {

class Combine : public testing::Test {
 protected:
  QTemporaryDir folder_;
};

TEST_F(Combine, ThreeTiffPagesMakeOneThreePageTiff) {
  const auto pages = WritePages(folder_.path(), 3, ImageFormat::Tiff, "tif");
  const std::string output = PathIn(folder_.path(), "document.tif");
  ASSERT_EQ(ImageWriter(FileFormatType::Tiff).Save(pages, output, 8500, 11000), S_OK);
  EXPECT_EQ(ImageFrameCount(output), 3);
  const QString info = RunTool("tiffinfo", {QString::fromStdString(output)});
  EXPECT_EQ(info.count("Compression Scheme: None"), 3) << info.toStdString();
}

TEST_F(Combine, LzwDocumentsUseTheHorizontalPredictor) {
  const auto pages = WritePages(folder_.path(), 2, ImageFormat::Png, "png");
  const std::string output = PathIn(folder_.path(), "document.tif");
  ASSERT_EQ(ImageWriter(FileFormatType::TiffLzw).Save(pages, output, 8500, 11000), S_OK);
  const QString info = RunTool("tiffinfo", {QString::fromStdString(output)});
  EXPECT_EQ(info.count("Compression Scheme: LZW"), 2) << info.toStdString();
  EXPECT_EQ(info.count("Predictor: horizontal differencing"), 2) << info.toStdString();
  Bitmap first, source;
  ASSERT_EQ(DecodeImageFile(output, first, 0), ImagingStatus::Ok);
  ASSERT_EQ(DecodeImageFile(pages[0], source), ImagingStatus::Ok);
  EXPECT_EQ(DifferentPixels(first, source), 0);
}

TEST_F(Combine, OneBitPagesStayOneBit) {
  const auto pages = WritePages(folder_.path(), 2, ImageFormat::Tiff, "tif", PixelFormat::Indexed1);
  const std::string output = PathIn(folder_.path(), "document.tif");
  ASSERT_EQ(ImageWriter(FileFormatType::TiffLzw).Save(pages, output, 8500, 11000), S_OK);
  Bitmap second;
  ASSERT_EQ(DecodeImageFile(output, second, 1), ImagingStatus::Ok);
  EXPECT_EQ(second.Format(), PixelFormat::Indexed1);
}

TEST_F(Combine, AMissingPageRemovesThePartialDocument) {
  auto pages = WritePages(folder_.path(), 3, ImageFormat::Tiff, "tif");
  QFile::remove(QString::fromStdString(pages[2]));
  const std::string output = PathIn(folder_.path(), "document.tif");
  EXPECT_EQ(ImageWriter(FileFormatType::Tiff).Save(pages, output, 8500, 11000), E_FAIL);
  EXPECT_EQ(Entries(folder_.path()), (QStringList{"Page 001.tif", "Page 002.tif"}));
}

TEST_F(Combine, AHostilePageFailsTheDocument) {
  auto pages = WritePages(folder_.path(), 1, ImageFormat::Tiff, "tif");
  pages.push_back(std::string(DOCKETEER_BAD_DATA) + "/truncated-strip.tif");
  EXPECT_EQ(ImageWriter(FileFormatType::Tiff).Save(pages, PathIn(folder_.path(), "d.tif"), 1, 1),
            E_FAIL);
  EXPECT_EQ(Entries(folder_.path()), QStringList{"Page 001.tif"});
}

TEST_F(Combine, UnusableArgumentsAreRefused) {
  const auto pages = WritePages(folder_.path(), 1, ImageFormat::Tiff, "tif");
  const std::string output = PathIn(folder_.path(), "document.tif");
  EXPECT_EQ(ImageWriter(FileFormatType::Tiff).Save(std::vector<std::string>{}, output, 1, 1),
            E_INVALIDARG);
  EXPECT_EQ(ImageWriter(FileFormatType::Tiff).Save(pages, "", 1, 1), E_INVALIDARG);
  for (int format : {0, 1, 2, 5})
    EXPECT_EQ(ImageWriter(static_cast<FileFormatType>(format)).Save(pages, output, 1, 1),
              E_INVALIDARG)
        << format;
}

TEST_F(Combine, LogsEachPageAsItIsAdded) {
  ASSERT_TRUE(OpenDebugLog());
  const auto pages = WritePages(folder_.path(), 2, ImageFormat::Tiff, "tif");
  const std::string output = PathIn(folder_.path(), "document.tif");
  ASSERT_EQ(ImageWriter(FileFormatType::Tiff).Save(pages, output, 1, 1), S_OK);
  CloseDebugLog();
  QFile log(QString::fromStdString(LogFilePath()));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(log.readAll());
  const QString lines[] = {"vector Save(" + QString::fromStdString(output) + ")",
                           "multiframe Save(" + QString::fromStdString(output) + ")",
                           "multiframe SaveAdd(" + QString::fromStdString(pages[1]) + ")",
                           "successful SaveAdd()"};
  qsizetype at = 0;
  for (const QString& line : lines) {
    at = text.indexOf(line, at);
    EXPECT_GE(at, 0) << line.toStdString();
  }
}

}  // namespace
