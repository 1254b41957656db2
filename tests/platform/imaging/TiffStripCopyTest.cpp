#include <gtest/gtest.h>
#include <tiffio.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestImages.h"
#include "platform/imaging/ImageFile.h"
#include "platform/imaging/TiffPageWriter.h"

namespace {

struct Layout {
  const char* name;
  std::uint16_t bits;
  std::uint16_t samples;
  std::uint16_t photometric;
  std::uint16_t planar;
};

constexpr int kWidth = 1001;  // rows of odd length, several per output strip or not
constexpr int kHeight = 47;

// A one-page TIFF of the layout, its bytes a pattern that differs along both axes.
void WriteInput(const std::string& path, const Layout& l, std::uint32_t rowsPerStrip,
                std::uint16_t compression) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  ASSERT_NE(tif, nullptr);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, kWidth);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, kHeight);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bits);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.samples);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, l.planar);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, rowsPerStrip);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, compression);
  TIFFSetField(tif, TIFFTAG_XRESOLUTION, 200.0f);
  TIFFSetField(tif, TIFFTAG_YRESOLUTION, 100.0f);
  TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  if (l.samples == 4) {
    const std::uint16_t extra = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &extra);
  }
  if (l.photometric == PHOTOMETRIC_PALETTE) {
    std::vector<std::uint16_t> red(256), green(256), blue(256);
    for (int i = 0; i < 256; ++i) {
      red[i] = static_cast<std::uint16_t>(i * 257);
      green[i] = static_cast<std::uint16_t>((255 - i) * 257);
      blue[i] = static_cast<std::uint16_t>((i * 7 & 255) * 257);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
  }
  const int planes = l.planar == PLANARCONFIG_SEPARATE ? l.samples : 1;
  const std::size_t bitsPerRow =
      static_cast<std::size_t>(kWidth) * l.bits * (planes == 1 ? l.samples : 1);
  std::vector<std::uint8_t> row((bitsPerRow + 7) / 8);
  for (int plane = 0; plane < planes; ++plane)
    for (int y = 0; y < kHeight; ++y) {
      for (std::size_t i = 0; i < row.size(); ++i)
        row[i] = static_cast<std::uint8_t>(i * 131 + static_cast<std::size_t>(y) * 7 + plane);
      if (bitsPerRow % 8 != 0)  // padding bits stay clear
        row.back() = static_cast<std::uint8_t>(row.back() & (0xFF00 >> (bitsPerRow % 8)));
      ASSERT_EQ(TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y),
                                  static_cast<std::uint16_t>(plane)),
                1);
    }
  TIFFClose(tif);
}

QByteArray Bytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The same two pages written once from the file, once from its decoded bitmap.
void WriteBothWays(const std::string& input, TiffCompression compression, const std::string& copied,
                   const std::string& decoded) {
  TiffPageWriter fromFile;
  ASSERT_EQ(fromFile.Open(copied, compression), ImagingStatus::Ok);
  ASSERT_EQ(fromFile.AddPageFile(input), ImagingStatus::Ok);
  ASSERT_EQ(fromFile.AddPageFile(input), ImagingStatus::Ok);
  ASSERT_EQ(fromFile.Close(), ImagingStatus::Ok);
  Bitmap page;
  ASSERT_EQ(DecodeImageFile(input, page), ImagingStatus::Ok);
  TiffPageWriter fromBitmap;
  ASSERT_EQ(fromBitmap.Open(decoded, compression), ImagingStatus::Ok);
  ASSERT_EQ(fromBitmap.AddPage(page), ImagingStatus::Ok);
  ASSERT_EQ(fromBitmap.AddPage(page), ImagingStatus::Ok);
  ASSERT_EQ(fromBitmap.Close(), ImagingStatus::Ok);
}

TEST(TiffStripCopy, CopiedPagesEqualDecodedPagesInEveryLayout) {
  const Layout layouts[] = {
      {"1-bit black", 1, 1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG},
      {"1-bit white", 1, 1, PHOTOMETRIC_MINISWHITE, PLANARCONFIG_CONTIG},
      {"8-bit grey", 8, 1, PHOTOMETRIC_MINISBLACK, PLANARCONFIG_CONTIG},
      {"8-bit white", 8, 1, PHOTOMETRIC_MINISWHITE, PLANARCONFIG_CONTIG},
      {"8-bit palette", 8, 1, PHOTOMETRIC_PALETTE, PLANARCONFIG_CONTIG},
      {"RGB", 8, 3, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG},
      {"RGBA", 8, 4, PHOTOMETRIC_RGB, PLANARCONFIG_CONTIG},
      {"RGB planes (decoded whole)", 8, 3, PHOTOMETRIC_RGB, PLANARCONFIG_SEPARATE},
  };
  QTemporaryDir folder;
  const auto in = [&](const char* name) {
    return QDir(folder.path()).filePath(name).toStdString();
  };
  for (const Layout& layout : layouts)
    for (std::uint32_t rowsPerStrip : {1u, 3u, 16u, static_cast<std::uint32_t>(kHeight)})
      for (std::uint16_t inputCompression : {COMPRESSION_NONE, COMPRESSION_LZW})
        for (TiffCompression output : {TiffCompression::None, TiffCompression::Lzw}) {
          SCOPED_TRACE(testing::Message()
                       << layout.name << ", " << rowsPerStrip << " rows a strip, input "
                       << inputCompression << ", output LZW " << (output == TiffCompression::Lzw));
          WriteInput(in("page.tif"), layout, rowsPerStrip, inputCompression);
          WriteBothWays(in("page.tif"), output, in("copied.tif"), in("decoded.tif"));
          const QByteArray copied = Bytes(in("copied.tif"));
          EXPECT_FALSE(copied.isEmpty());
          EXPECT_TRUE(copied == Bytes(in("decoded.tif")));
        }
}

TEST(TiffStripCopy, ADamagedStripFailsThePageAndTheDocument) {
  QTemporaryDir folder;
  TiffPageWriter writer;
  ASSERT_EQ(writer.Open(QDir(folder.path()).filePath("d.tif").toStdString(), TiffCompression::Lzw),
            ImagingStatus::Ok);
  EXPECT_NE(writer.AddPageFile(std::string(DOCKETEER_BAD_DATA) + "/truncated-strip.tif"),
            ImagingStatus::Ok);
  EXPECT_EQ(writer.Close(), ImagingStatus::WriteFailed);
}

// Output is buffered: a write the disk refuses must still fail the document.
TEST(TiffStripCopy, AWriteThatFailsLaterIsStillReported) {
  if (!QFile::exists("/dev/full"))
    GTEST_SKIP() << "no /dev/full";
  TiffPageWriter writer;
  ASSERT_EQ(writer.Open("/dev/full", TiffCompression::None), ImagingStatus::Ok);
  writer.AddPage(test_images::MakeBitmap(8, 8, PixelFormat::Rgb24, test_images::Gradient));
  EXPECT_EQ(writer.Close(), ImagingStatus::WriteFailed);
}

}  // namespace
