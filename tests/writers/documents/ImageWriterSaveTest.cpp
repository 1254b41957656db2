#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "WriterTestSupport.h"
#include "core/FileFormatType.h"
#include "platform/imaging/DibReader.h"
#include "platform/imaging/ImageFile.h"
#include "writers/ImageWriter.h"

using namespace test_images;
using namespace writer_tests;

namespace {

std::uint32_t Pattern(int x, int y) {
  return static_cast<std::uint32_t>(x * 5 + y * 9) & 1;
}
// Smooth enough for JPEG's chroma subsampling; x < 45 and y < 31 keep each channel in range.
std::uint32_t Colours(int x, int y) {
  return static_cast<std::uint32_t>((x * 5) << 16 | (y * 8) << 8 | (x + y) * 3);
}

std::vector<std::uint8_t> DibOf(int bitCount) {
  if (bitCount == 24)
    return MakeDib(45, 31, 24, false, Colours);
  return MakeDib(
      45, 31, bitCount, false, bitCount == 1 ? Pattern : [](int x, int y) {
        return static_cast<std::uint32_t>(x + y * 3) & 255u;
      });
}

struct SaveCase {
  FileFormatType fileFormatType;
  int bitCount;
  PixelFormat decodedAs;
  bool lossless;
};

class ImageWriterSave : public testing::TestWithParam<SaveCase> {
 protected:
  QTemporaryDir folder_;
};

TEST_P(ImageWriterSave, WritesAPageThatDecodesAsScanned) {
  const SaveCase& c = GetParam();
  const auto dib = DibOf(c.bitCount);
  PageImage image(dib);
  const std::string path = PathIn(
      folder_.path(), "page." + QString::fromStdString(FileFormatExtension(c.fileFormatType)));
  ImageWriter writer(c.fileFormatType);
  ASSERT_EQ(writer.Save(image.Handle(), path, 200, false), S_OK);

  Bitmap scanned, written;
  ASSERT_EQ(BitmapFromDib(dib.data(), dib.size(), scanned), ImagingStatus::Ok);
  ASSERT_EQ(DecodeImageFile(path, written), ImagingStatus::Ok);
  EXPECT_EQ(written.Format(), c.decodedAs);
  if (c.lossless) {
    EXPECT_EQ(DifferentPixels(scanned, written), 0);
  } else {
    EXPECT_LE(WorstBlockDifference(scanned, written, 4), 12);
  }
  if (c.fileFormatType != FileFormatType::Gif) {
    EXPECT_NEAR(written.DpiX(), 200, 0.5);
  }
  EXPECT_EQ(Entries(folder_.path()).size(), 1) << "no temporary file may stay behind";
}

using P = PixelFormat;
using F = FileFormatType;
INSTANTIATE_TEST_SUITE_P(
    FormatsAndDepths, ImageWriterSave,
    testing::Values(
        SaveCase{F::Bmp, 1, P::Indexed1, true}, SaveCase{F::Bmp, 8, P::Indexed8, true},
        SaveCase{F::Bmp, 24, P::Rgb24, true}, SaveCase{F::Jpeg, 1, P::Indexed8, false},
        SaveCase{F::Jpeg, 8, P::Indexed8, false}, SaveCase{F::Jpeg, 24, P::Rgb24, false},
        SaveCase{F::Gif, 1, P::Indexed8, true}, SaveCase{F::Gif, 8, P::Indexed8, true},
        SaveCase{F::Gif, 24, P::Indexed8, false}, SaveCase{F::Tiff, 1, P::Indexed1, true},
        SaveCase{F::Tiff, 8, P::Indexed8, true}, SaveCase{F::Tiff, 24, P::Rgb24, true},
        SaveCase{F::TiffLzw, 1, P::Indexed1, true}, SaveCase{F::TiffLzw, 24, P::Rgb24, true},
        SaveCase{F::Png, 1, P::Indexed1, true}, SaveCase{F::Png, 8, P::Indexed8, true},
        SaveCase{F::Png, 24, P::Rgb24, true}));

TEST(ImageWriterSaveRotated, ExchangesWidthAndHeight) {
  QTemporaryDir folder;
  const auto dib = MakeDib(40, 25, 24, false, Colours);
  PageImage image(dib);
  const std::string path = PathIn(folder.path(), "turned.png");
  ASSERT_EQ(ImageWriter(FileFormatType::Png).Save(image.Handle(), path, 300, true), S_OK);
  Bitmap scanned, written;
  BitmapFromDib(dib.data(), dib.size(), scanned);
  ASSERT_EQ(DecodeImageFile(path, written), ImagingStatus::Ok);
  ASSERT_EQ(written.Width(), 25);
  ASSERT_EQ(written.Height(), 40);
  // The scanned bottom-left corner is the written top-left one.
  EXPECT_EQ(Rgb(PixelAt(written, 0, 0)), Rgb(PixelAt(scanned, 0, 24)));
  EXPECT_EQ(Rgb(PixelAt(written, 24, 39)), Rgb(PixelAt(scanned, 39, 0)));
}

TEST(ImageWriterSaveArguments, UnusableArgumentsAreRefused) {
  QTemporaryDir folder;
  PageImage image(MakeDib(4, 4, 24, false, Colours));
  ImageWriter writer(FileFormatType::Bmp);
  const std::string path = PathIn(folder.path(), "x.bmp");
  EXPECT_EQ(writer.Save(nullptr, path, 300, false), E_INVALIDARG);
  EXPECT_EQ(writer.Save(image.Handle(), "", 300, false), E_INVALIDARG);
  EXPECT_EQ(writer.Save(image.Handle(), path, 0, false), E_INVALIDARG);
  EXPECT_EQ(writer.Save(image.Handle(), path, -300, false), E_INVALIDARG);
  EXPECT_TRUE(Entries(folder.path()).isEmpty());
}

TEST(ImageWriterSaveFailures, LeaveTheExistingFileAndNoLeftovers) {
  QTemporaryDir folder;
  const std::string path = PathIn(folder.path(), "kept.png");
  {
    QFile old(QString::fromStdString(path));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("the document the user agreed to replace");
  }
  auto lying = MakeDib(16, 16, 24, false, Colours);
  PutU32(lying, 8, 5000);  // more rows than the block holds
  PageImage image(lying);
  for (int format = 0; format <= 5; ++format)
    EXPECT_EQ(
        ImageWriter(static_cast<FileFormatType>(format)).Save(image.Handle(), path, 300, false),
        E_FAIL)
        << format;
  QFile old(QString::fromStdString(path));
  ASSERT_TRUE(old.open(QIODevice::ReadOnly));
  EXPECT_EQ(old.readAll(), "the document the user agreed to replace");
  EXPECT_EQ(Entries(folder.path()), QStringList{"kept.png"});
}

TEST(ImageWriterSaveFailures, MissingFolderAndForeignHandleFail) {
  PageImage image(MakeDib(4, 4, 24, false, Colours));
  EXPECT_EQ(
      ImageWriter(FileFormatType::Jpeg).Save(image.Handle(), "/no/such/folder/p.jpg", 300, false),
      E_FAIL);
  int notAHandle[16] = {};
  EXPECT_EQ(ImageWriter(FileFormatType::Jpeg).Save(notAHandle, "/tmp/x.jpg", 300, false), E_FAIL);
}

}  // namespace
