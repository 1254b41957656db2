#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "TestImages.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/TiffPageWriter.h"

using namespace test_images;

namespace {

TEST(TiffPages, PagesOfMixedKindsComeBackInOrder) {
  QTemporaryDir folder;
  const std::string path = QDir(folder.path()).filePath("doc.tif").toStdString();
  const Bitmap pages[] = {
      MakeBitmap(30, 20, PixelFormat::Indexed1, Checker),
      MakeBitmap(25, 35, PixelFormat::Indexed8, [](int x, int y) { return (x + y) * 3u; }),
      MakeBitmap(40, 10, PixelFormat::Rgb24, Gradient),
  };
  for (TiffCompression compression : {TiffCompression::None, TiffCompression::Lzw}) {
    SCOPED_TRACE(compression == TiffCompression::Lzw ? "LZW" : "uncompressed");
    TiffPageWriter writer;
    ASSERT_EQ(writer.Open(path, compression), ImagingStatus::Ok);
    for (const Bitmap& page : pages)
      ASSERT_EQ(writer.AddPage(page), ImagingStatus::Ok);
    EXPECT_EQ(writer.PageCount(), 3);
    ASSERT_EQ(writer.Close(), ImagingStatus::Ok);

    std::unique_ptr<ImageFile> file;
    ASSERT_EQ(ImageFile::Open(path, file), ImagingStatus::Ok);
    ASSERT_EQ(file->FrameCount(), 3);
    for (int i = 0; i < 3; ++i) {
      ASSERT_EQ(file->SelectActiveFrame(i), ImagingStatus::Ok);
      EXPECT_EQ(file->Width(), pages[i].Width());
      Bitmap decoded;
      ASSERT_EQ(file->Decode(decoded), ImagingStatus::Ok);
      EXPECT_EQ(decoded.Format(), pages[i].Format());
      EXPECT_EQ(DifferentPixels(decoded, pages[i]), 0) << "page " << i;
    }
    EXPECT_EQ(file->SelectActiveFrame(3), ImagingStatus::InvalidParameter);
    EXPECT_EQ(file->SelectActiveFrame(-1), ImagingStatus::InvalidParameter);
  }
}

TEST(TiffPages, ClosingWithoutPagesIsAFailure) {
  QTemporaryDir folder;
  TiffPageWriter writer;
  ASSERT_EQ(
      writer.Open(QDir(folder.path()).filePath("empty.tif").toStdString(), TiffCompression::None),
      ImagingStatus::Ok);
  EXPECT_EQ(writer.Close(), ImagingStatus::WriteFailed);
  EXPECT_EQ(writer.AddPage(MakeBitmap(2, 2, PixelFormat::Rgb24, Gradient)),
            ImagingStatus::InvalidParameter);
}

}  // namespace
