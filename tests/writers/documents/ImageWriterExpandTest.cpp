#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include "TestGif.h"
#include "WriterTestSupport.h"
#include "core/FileFormatType.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/TiffPageWriter.h"
#include "writers/ImageWriter.h"

using namespace test_images;
using namespace writer_tests;

namespace {

// A multi-page TIFF whose pages are 300 × 330 pixels at `dpi`.
std::string WriteTiff(const QString& folder, int pages, double dpi) {
  const std::string path = PathIn(folder, "source.tif");
  TiffPageWriter writer;
  writer.Open(path, TiffCompression::Lzw);
  for (int i = 0; i < pages; ++i) {
    Bitmap page = MakeBitmap(300, 330, PixelFormat::Rgb24,
                             [i](int x, int y) { return static_cast<std::uint32_t>(x * y + i); });
    page.SetResolution(dpi, dpi);
    writer.AddPage(page);
  }
  writer.Close();
  return path;
}

QByteArray Digest(const std::string& path) {
  QFile file(QString::fromStdString(path));
  file.open(QIODevice::ReadOnly);
  return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

class Expand : public testing::Test {
 protected:
  QTemporaryDir source_;
  QTemporaryDir output_;
  std::vector<std::string> files_;
  PageSize size_;
};

TEST_F(Expand, FourPagesBecomeFourNumberedFiles) {
  const std::string tiff = WriteTiff(source_.path(), 4, 100);
  const std::string folder = output_.path().toStdString() + "/";
  ASSERT_EQ(ImageWriter(FileFormatType::Jpeg).Expand(tiff, folder, "Page %03d.jpg", files_, size_),
            S_OK);
  ASSERT_EQ(files_.size(), 4u);
  EXPECT_EQ(files_[0], folder + "Page 000.jpg");
  EXPECT_EQ(files_[3], folder + "Page 003.jpg");
  EXPECT_EQ(Entries(output_.path()),
            (QStringList{"Page 000.jpg", "Page 001.jpg", "Page 002.jpg", "Page 003.jpg"}));
  EXPECT_EQ(size_.width, 3000);
  EXPECT_EQ(size_.height, 3300);
}

TEST_F(Expand, PngPagesAreExactCopiesOfTheFrames) {
  const std::string tiff = WriteTiff(source_.path(), 2, 300);
  ASSERT_EQ(ImageWriter(FileFormatType::Png)
                .Expand(tiff, output_.path().toStdString() + "/", "Page %03d.png", files_, size_),
            S_OK);
  ASSERT_EQ(files_.size(), 2u);
  for (int i = 0; i < 2; ++i) {
    Bitmap frame, page;
    ASSERT_EQ(DecodeImageFile(tiff, frame, i), ImagingStatus::Ok);
    ASSERT_EQ(DecodeImageFile(files_[static_cast<std::size_t>(i)], page), ImagingStatus::Ok);
    EXPECT_EQ(DifferentPixels(frame, page), 0);
  }
  EXPECT_EQ(size_.width, 1000);
  EXPECT_EQ(size_.height, 1100);
}

TEST_F(Expand, EveryGifFrameBecomesAPage) {
  const std::string gif = PathIn(source_.path(), "frames.gif");
  ASSERT_TRUE(WriteFramesGif(gif, 3, 20, 10));
  ASSERT_EQ(ImageWriter(FileFormatType::Png)
                .Expand(gif, output_.path().toStdString(), "Page %03d.png", files_, size_),
            S_OK);
  ASSERT_EQ(files_.size(), 3u);
  Bitmap second;
  ASSERT_EQ(DecodeImageFile(files_[1], second), ImagingStatus::Ok);
  EXPECT_EQ(Rgb(PixelAt(second, 5, 5)), 0xFFFFFFu);
  EXPECT_EQ(size_.width, 8500);  // GIF stores no resolution
}

TEST_F(Expand, AFileWithoutResolutionIsTakenForLetter) {
  const std::string tiff = WriteTiff(source_.path(), 2, 0);
  ASSERT_EQ(ImageWriter(FileFormatType::Png)
                .Expand(tiff, output_.path().toStdString(), "p%d.png", files_, size_),
            S_OK);
  EXPECT_EQ(size_.width, 8500);
  EXPECT_EQ(size_.height, 11000);
}

TEST_F(Expand, OtherOutputFormatsLeaveTheSourceAlone) {
  const std::string tiff = WriteTiff(source_.path(), 2, 300);
  const QByteArray before = Digest(tiff);
  for (int format : {0, 2, 3, 4})
    EXPECT_EQ(ImageWriter(static_cast<FileFormatType>(format))
                  .Expand(tiff, output_.path().toStdString(), "p%d", files_, size_),
              E_INVALIDARG)
        << format;
  EXPECT_EQ(Digest(tiff), before);
  EXPECT_TRUE(Entries(output_.path()).isEmpty());
}

TEST_F(Expand, UnusableArgumentsAreRefused) {
  const std::string tiff = WriteTiff(source_.path(), 1, 300);
  const std::string folder = output_.path().toStdString();
  ImageWriter writer(FileFormatType::Jpeg);
  EXPECT_EQ(writer.Expand("", folder, "p%d.jpg", files_, size_), E_INVALIDARG);
  EXPECT_EQ(writer.Expand(tiff, "", "p%d.jpg", files_, size_), E_INVALIDARG);
  EXPECT_EQ(writer.Expand(tiff, folder, "", files_, size_), E_INVALIDARG);
  EXPECT_EQ(writer.Expand(folder + "/missing.tif", folder, "p%d.jpg", files_, size_), E_INVALIDARG);
  // Name formats that would read arguments that are not there.
  for (const char* format : {"p%s.jpg", "p%d%d.jpg", "page.jpg", "p%n.jpg", "p%.jpg"})
    EXPECT_EQ(writer.Expand(tiff, folder, format, files_, size_), E_INVALIDARG) << format;
  EXPECT_TRUE(files_.empty());
  EXPECT_TRUE(Entries(output_.path()).isEmpty());
}

TEST_F(Expand, HostileSourcesWriteNothing) {
  for (const QString& name : QDir(DOCKETEER_BAD_DATA).entryList({"*.tif", "*.gif"}, QDir::Files)) {
    if (name == "ifd-loop.tif")
      continue;  // its first page is sound
    std::vector<std::string> files;
    const ResultCode result = ImageWriter(FileFormatType::Png)
                                  .Expand(QDir(DOCKETEER_BAD_DATA).filePath(name).toStdString(),
                                          output_.path().toStdString(), "p%d.png", files, size_);
    EXPECT_LT(result, 0) << name.toStdString();
    EXPECT_TRUE(files.empty()) << name.toStdString();
  }
  EXPECT_TRUE(Entries(output_.path()).isEmpty());
}

}  // namespace
