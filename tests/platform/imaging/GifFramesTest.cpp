#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "TestGif.h"
#include "TestImages.h"
#include "platform/imaging/ImageFile.h"

using namespace test_images;

namespace {

TEST(GifFrames, AreCountedAndDecodedOneByOne) {
  QTemporaryDir folder;
  const std::string path = QDir(folder.path()).filePath("frames.gif").toStdString();
  ASSERT_TRUE(WriteFramesGif(path, 3, 9, 5));
  std::unique_ptr<ImageFile> file;
  ASSERT_EQ(ImageFile::Open(path, file), ImagingStatus::Ok);
  ASSERT_EQ(file->FrameCount(), 3);
  // Decoding out of order re-reads from the start each time.
  for (int frame : {2, 0, 1}) {
    SCOPED_TRACE(frame);
    ASSERT_EQ(file->SelectActiveFrame(frame), ImagingStatus::Ok);
    Bitmap bitmap;
    ASSERT_EQ(file->Decode(bitmap), ImagingStatus::Ok);
    EXPECT_EQ(bitmap.Width(), 9);
    const std::uint32_t expected = frame % 2 ? 0xFFFFFFu : 0u;
    EXPECT_EQ(Rgb(PixelAt(bitmap, 0, 0)), expected);
    EXPECT_EQ(Rgb(PixelAt(bitmap, 8, 4)), expected);
  }
  EXPECT_EQ(file->SelectActiveFrame(3), ImagingStatus::InvalidParameter);
}

}  // namespace
