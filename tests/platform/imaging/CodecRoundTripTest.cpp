#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "TestImages.h"
#include "platform/imaging/ImageEncoder.h"
#include "platform/imaging/ImageFile.h"

using namespace test_images;

namespace {

struct RoundTrip {
  const char* name;
  ImageFormat format;
  TiffCompression compression;
  PixelFormat in;
  PixelFormat expectedOut;
  bool lossless;
  bool keepsResolution;
};

std::string NameOf(const testing::TestParamInfo<RoundTrip>& info) {
  return info.param.name;
}

std::vector<PaletteEntry> ColourPalette() {
  std::vector<PaletteEntry> palette;
  for (int i = 0; i < 256; ++i)
    palette.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                       static_cast<std::uint8_t>(i * 7), 255});
  return palette;
}

Bitmap PictureFor(PixelFormat format) {
  switch (format) {
    case PixelFormat::Indexed1:
      return MakeBitmap(67, 41, format, Checker);
    case PixelFormat::Indexed8:
      return MakeBitmap(
          67, 41, format, [](int x, int y) { return (x * 3 + y) & 255u; }, ColourPalette());
    default:
      return MakeBitmap(67, 41, format, Gradient);
  }
}

class Codecs : public testing::TestWithParam<RoundTrip> {
 protected:
  QTemporaryDir folder_;
};

TEST_P(Codecs, DecodeWhatWasEncoded) {
  const RoundTrip& c = GetParam();
  const Bitmap picture = PictureFor(c.in);
  const std::string path = QDir(folder_.path()).filePath("page").toStdString();
  EncodeOptions options;
  options.tiffCompression = c.compression;
  ASSERT_EQ(EncodeImageFile(picture, c.format, path, options), ImagingStatus::Ok);

  std::unique_ptr<ImageFile> file;
  ASSERT_EQ(ImageFile::Open(path, file), ImagingStatus::Ok);
  EXPECT_EQ(file->Format(), c.format);
  EXPECT_EQ(file->FrameCount(), 1);
  EXPECT_EQ(file->Width(), 67);
  EXPECT_EQ(file->Height(), 41);
  Bitmap decoded;
  ASSERT_EQ(file->Decode(decoded), ImagingStatus::Ok);
  EXPECT_EQ(decoded.Format(), c.expectedOut);
  if (c.lossless) {
    EXPECT_EQ(DifferentPixels(picture, decoded), 0);
  } else {
    EXPECT_LE(WorstBlockDifference(picture, decoded, 4), 6);
  }
  if (c.keepsResolution) {
    EXPECT_NEAR(decoded.DpiX(), 300, 0.5);
    EXPECT_NEAR(file->DpiY(), 300, 0.5);
  }
}

constexpr auto kNone = TiffCompression::None;
constexpr auto kLzw = TiffCompression::Lzw;
using F = ImageFormat;
using P = PixelFormat;

INSTANTIATE_TEST_SUITE_P(
    AllFormats, Codecs,
    testing::Values(RoundTrip{"BmpOneBit", F::Bmp, kNone, P::Indexed1, P::Indexed1, true, true},
                    RoundTrip{"BmpPalette", F::Bmp, kNone, P::Indexed8, P::Indexed8, true, true},
                    RoundTrip{"BmpColour", F::Bmp, kNone, P::Rgb24, P::Rgb24, true, true},
                    RoundTrip{"PngOneBit", F::Png, kNone, P::Indexed1, P::Indexed1, true, true},
                    RoundTrip{"PngPalette", F::Png, kNone, P::Indexed8, P::Indexed8, true, true},
                    RoundTrip{"PngColour", F::Png, kNone, P::Rgb24, P::Rgb24, true, true},
                    RoundTrip{"PngAlpha", F::Png, kNone, P::Rgba32, P::Rgba32, true, true},
                    RoundTrip{"TiffOneBit", F::Tiff, kNone, P::Indexed1, P::Indexed1, true, true},
                    RoundTrip{"TiffPalette", F::Tiff, kNone, P::Indexed8, P::Indexed8, true, true},
                    RoundTrip{"TiffColour", F::Tiff, kNone, P::Rgb24, P::Rgb24, true, true},
                    RoundTrip{"TiffAlpha", F::Tiff, kNone, P::Rgba32, P::Rgba32, true, true},
                    RoundTrip{"LzwOneBit", F::Tiff, kLzw, P::Indexed1, P::Indexed1, true, true},
                    RoundTrip{"LzwPalette", F::Tiff, kLzw, P::Indexed8, P::Indexed8, true, true},
                    RoundTrip{"LzwColour", F::Tiff, kLzw, P::Rgb24, P::Rgb24, true, true},
                    RoundTrip{"LzwAlpha", F::Tiff, kLzw, P::Rgba32, P::Rgba32, true, true},
                    RoundTrip{"GifOneBit", F::Gif, kNone, P::Indexed1, P::Indexed8, true, false},
                    RoundTrip{"GifPalette", F::Gif, kNone, P::Indexed8, P::Indexed8, true, false},
                    RoundTrip{"GifColour", F::Gif, kNone, P::Rgb24, P::Indexed8, false, false},
                    RoundTrip{"JpegOneBitBecomesGrey", F::Jpeg, kNone, P::Indexed1, P::Indexed8,
                              false, true},
                    RoundTrip{"JpegColour", F::Jpeg, kNone, P::Rgb24, P::Rgb24, false, true}),
    NameOf);

TEST(Codecs, GreyStaysGreyInEveryLosslessFormat) {
  QTemporaryDir folder;
  const Bitmap grey = MakeBitmap(40, 30, PixelFormat::Indexed8, [](int x, int y) {
    return static_cast<std::uint32_t>(x * 6 + y);
  });
  for (ImageFormat format : {F::Bmp, F::Png, F::Tiff, F::Gif, F::Jpeg}) {
    SCOPED_TRACE(static_cast<int>(format));
    const std::string path = QDir(folder.path()).filePath("grey").toStdString();
    ASSERT_EQ(EncodeImageFile(grey, format, path), ImagingStatus::Ok);
    Bitmap decoded;
    ASSERT_EQ(DecodeImageFile(path, decoded), ImagingStatus::Ok);
    EXPECT_EQ(decoded.Format(), PixelFormat::Indexed8);
    EXPECT_TRUE(decoded.HasGreyPalette());
  }
}

TEST(Codecs, AnyAllGreyPaletteMakesAGreyJpeg) {
  // Palettes in the order colours appear, as some programs write them.
  QTemporaryDir folder;
  std::vector<PaletteEntry> shuffled;
  for (int i = 0; i < 256; ++i) {
    const auto level = static_cast<std::uint8_t>((i * 97) & 255);
    shuffled.push_back({level, level, level, 255});
  }
  const Bitmap grey = MakeBitmap(
      32, 16, PixelFormat::Indexed8, [](int x, int) { return x * 8u; }, shuffled);
  const std::string path = QDir(folder.path()).filePath("grey.jpg").toStdString();
  ASSERT_EQ(EncodeImageFile(grey, F::Jpeg, path), ImagingStatus::Ok);
  Bitmap decoded;
  ASSERT_EQ(DecodeImageFile(path, decoded), ImagingStatus::Ok);
  EXPECT_TRUE(decoded.HasGreyPalette());
  EXPECT_LE(WorstBlockDifference(grey, decoded, 4), 6);
}

TEST(Codecs, GifOfAColourPageShowsNoBanding) {
  // A smooth gradient has far more than 256 colours; dithering must keep
  // every 8×8 area close to the original instead of flat steps.
  QTemporaryDir folder;
  const Bitmap page = MakeBitmap(200, 150, PixelFormat::Rgb24, Gradient);
  const std::string path = QDir(folder.path()).filePath("page.gif").toStdString();
  ASSERT_EQ(EncodeImageFile(page, F::Gif, path), ImagingStatus::Ok);
  Bitmap decoded;
  ASSERT_EQ(DecodeImageFile(path, decoded), ImagingStatus::Ok);
  EXPECT_LE(WorstBlockDifference(page, decoded, 8), 4);
}

TEST(Codecs, GifOfFewColoursKeepsThemExactly) {
  QTemporaryDir folder;
  const std::uint32_t colours[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x123456};
  const Bitmap page =
      MakeBitmap(50, 20, PixelFormat::Rgb24, [&](int x, int) { return colours[x / 10]; });
  const std::string path = QDir(folder.path()).filePath("few.gif").toStdString();
  ASSERT_EQ(EncodeImageFile(page, F::Gif, path), ImagingStatus::Ok);
  Bitmap decoded;
  ASSERT_EQ(DecodeImageFile(path, decoded), ImagingStatus::Ok);
  EXPECT_EQ(DifferentPixels(page, decoded), 0);
}

TEST(Codecs, WritingIntoAMissingFolderFails) {
  const Bitmap page = MakeBitmap(8, 8, PixelFormat::Rgb24, Gradient);
  for (ImageFormat format : {F::Bmp, F::Png, F::Tiff, F::Gif, F::Jpeg})
    EXPECT_EQ(EncodeImageFile(page, format, "/nonexistent-folder/page"), ImagingStatus::WriteFailed)
        << static_cast<int>(format);
}

TEST(Codecs, OpeningSomethingThatIsNoImage) {
  QTemporaryDir folder;
  const QString text = QDir(folder.path()).filePath("notes.txt");
  QFile file(text);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("just some words, no picture");
  file.close();
  std::unique_ptr<ImageFile> image;
  EXPECT_EQ(ImageFile::Open(text.toStdString(), image), ImagingStatus::UnknownFormat);
  EXPECT_EQ(ImageFile::Open(folder.path().toStdString() + "/missing.png", image),
            ImagingStatus::FileNotFound);
  EXPECT_NE(ImageFile::Open(folder.path().toStdString(), image), ImagingStatus::Ok);
}

}  // namespace
