#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestImages.h"
#include "platform/imaging/ImageEncoder.h"
#include "platform/imaging/PixelRows.h"

using namespace test_images;

namespace {

std::uint32_t Noise(int x, int y) {
  return static_cast<std::uint32_t>((x * 7919 + y * 104729) ^ (x * y)) * 2654435761u >> 8;
}

const std::vector<PaletteEntry> kTwoColourPalettes[] = {
    {{0, 0, 0, 255}, {255, 255, 255, 255}},
    {{255, 255, 255, 255}, {0, 0, 0, 255}},
    {{200, 30, 90, 255}, {10, 240, 60, 255}},
};

TEST(PixelRows, BandsOfBitRowsMatchRowByRowExpansion) {
  for (const auto& palette : kTwoColourPalettes)
    for (int width : {1, 7, 8, 9, 15, 16, 17, 1001}) {
      const Bitmap bitmap = MakeBitmap(width, 5, PixelFormat::Indexed1, Noise, palette);
      const std::size_t stride = static_cast<std::size_t>(width) + 3;
      std::vector<std::uint8_t> band(stride * 4, 0xAB), row(static_cast<std::size_t>(width));
      ExpandRowsToGrey(bitmap, 1, 4, band.data(), stride);
      for (int r = 0; r < 4; ++r) {
        ExpandRowToGrey(bitmap, 1 + r, row.data());
        const std::uint8_t* got = band.data() + stride * static_cast<std::size_t>(r);
        EXPECT_TRUE(std::equal(row.begin(), row.end(), got)) << width << " row " << r;
        EXPECT_EQ(got[width], 0xAB) << "written past the row, width " << width;
      }
    }
}

QByteArray JpegOf(const Bitmap& bitmap, const QString& path) {
  EXPECT_EQ(EncodeImageFile(bitmap, ImageFormat::Jpeg, path.toStdString()), ImagingStatus::Ok);
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A 1-bit page makes the same JPEG as the grey page it stands for, whatever
// its size against the bands it is expanded in.
TEST(PixelRows, OneBitJpegEqualsTheJpegOfItsGreyLevels) {
  QTemporaryDir folder;
  for (const auto& palette : kTwoColourPalettes)
    for (int height : {1, 15, 16, 17, 41}) {
      const Bitmap bits = MakeBitmap(37, height, PixelFormat::Indexed1, Noise, palette);
      std::vector<std::uint8_t> levels(37);
      const Bitmap grey = MakeBitmap(37, height, PixelFormat::Indexed8, [&](int x, int y) {
        ExpandRowToGrey(bits, y, levels.data());
        return static_cast<std::uint32_t>(levels[static_cast<std::size_t>(x)]);
      });
      EXPECT_TRUE(JpegOf(bits, folder.filePath("bits.jpg")) ==
                  JpegOf(grey, folder.filePath("grey.jpg")))
          << "height " << height;
    }
}

}  // namespace
