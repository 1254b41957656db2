#include <gtest/gtest.h>

#include "TestImages.h"
#include "platform/imaging/Rotation.h"

using namespace test_images;

namespace {

class Rotation : public testing::TestWithParam<PixelFormat> {};

TEST_P(Rotation, TurnsClockwiseAndSwapsTheAxes) {
  // 70 x 3 crosses several tiles and, for one bit, byte boundaries.
  const int width = 70, height = 3;
  const auto pixel = [](int x, int y) {
    return static_cast<std::uint32_t>((x * 7 + y * 3) % 2 == 0 ? 0x102030 + x : y);
  };
  Bitmap source = MakeBitmap(width, height, GetParam(), pixel);
  source.SetResolution(300, 150);
  Bitmap rotated;
  ASSERT_EQ(RotateClockwise90(source, rotated), ImagingStatus::Ok);
  ASSERT_EQ(rotated.Width(), height);
  ASSERT_EQ(rotated.Height(), width);
  EXPECT_EQ(rotated.Format(), GetParam());
  EXPECT_EQ(rotated.DpiX(), 150);
  EXPECT_EQ(rotated.DpiY(), 300);
  // Clockwise: the bottom-left corner becomes the top-left.
  for (int y = 0; y < rotated.Height(); ++y)
    for (int x = 0; x < rotated.Width(); ++x)
      ASSERT_EQ(Rgb(PixelAt(rotated, x, y)), Rgb(PixelAt(source, y, height - 1 - x)))
          << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(AllFormats, Rotation,
                         testing::Values(PixelFormat::Indexed1, PixelFormat::Indexed8,
                                         PixelFormat::Rgb24, PixelFormat::Rgba32));

TEST(RotationOfNothing, IsRefused) {
  Bitmap empty, out;
  EXPECT_EQ(RotateClockwise90(empty, out), ImagingStatus::InvalidParameter);
}

}  // namespace
