#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "TestImages.h"
#include "platform/imaging/DibReader.h"

using namespace test_images;

namespace {

// The block is copied into an allocation of exactly its size, so the
// sanitizer reports any read past its end.
ImagingStatus ReadExact(const std::vector<std::uint8_t>& dib, Bitmap& out) {
  auto block = std::make_unique<std::uint8_t[]>(dib.size());
  std::memcpy(block.get(), dib.data(), dib.size());
  return BitmapFromDib(block.get(), dib.size(), out);
}

std::uint32_t Pattern(int x, int y) {
  return static_cast<std::uint32_t>(x * 37 + y * 11);
}

struct DibCase {
  const char* name;
  int bitCount;
  bool topDown;
  PixelFormat format;
  std::uint32_t mask;
};

class DibLayouts : public testing::TestWithParam<DibCase> {};

TEST_P(DibLayouts, RowsAndColoursLandWhereTheyBelong) {
  const DibCase& c = GetParam();
  const auto pixel = [&](int x, int y) { return Pattern(x, y) & c.mask; };
  // Odd widths exercise the padding of every row to 4 bytes.
  const auto dib = MakeDib(13, 7, c.bitCount, c.topDown, pixel);
  Bitmap bitmap;
  ASSERT_EQ(ReadExact(dib, bitmap), ImagingStatus::Ok);
  EXPECT_EQ(bitmap.Format(), c.format);
  ASSERT_EQ(bitmap.Width(), 13);
  ASSERT_EQ(bitmap.Height(), 7);
  EXPECT_NEAR(bitmap.DpiX(), 300, 0.5);
  const int levels = c.bitCount <= 8 ? 1 << c.bitCount : 0;
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 13; ++x) {
      const std::uint32_t v = pixel(x, y);
      std::uint32_t expected = v;
      if (c.bitCount <= 8) {
        const auto level = static_cast<std::uint32_t>(v * 255 / (levels - 1));
        expected = level << 16 | level << 8 | level;
      }
      ASSERT_EQ(Rgb(PixelAt(bitmap, x, y)), expected) << "x " << x << " y " << y;
    }
  // The view reads the same pixels straight from the block.
  Bitmap view;
  ASSERT_EQ(BitmapViewOfDib(dib.data(), dib.size(), view), ImagingStatus::Ok);
  EXPECT_EQ(view.IsView(), c.bitCount == 1 || c.bitCount == 8 || c.bitCount == 24);
  EXPECT_EQ(DifferentPixels(bitmap, view), 0);
  EXPECT_EQ(view.Palette(), bitmap.Palette());
}

INSTANTIATE_TEST_SUITE_P(
    AllDepths, DibLayouts,
    testing::Values(DibCase{"OneBitBottomUp", 1, false, PixelFormat::Indexed1, 1},
                    DibCase{"OneBitTopDown", 1, true, PixelFormat::Indexed1, 1},
                    DibCase{"FourBit", 4, false, PixelFormat::Indexed8, 15},
                    DibCase{"EightBitBottomUp", 8, false, PixelFormat::Indexed8, 255},
                    DibCase{"EightBitTopDown", 8, true, PixelFormat::Indexed8, 255},
                    DibCase{"TwentyFourBit", 24, false, PixelFormat::Rgb24, 0xFFFFFF},
                    DibCase{"TwentyFourBitTopDown", 24, true, PixelFormat::Rgb24, 0xFFFFFF},
                    DibCase{"ThirtyTwoBit", 32, false, PixelFormat::Rgb24, 0xFFFFFF}),
    [](const testing::TestParamInfo<DibCase>& info) { return info.param.name; });

TEST(DibReader, ColourTableSizedByColoursUsed) {
  // An 8-bit DIB with only four table entries: the rows start after those four.
  auto full = MakeDib(4, 2, 8, false, [](int x, int) { return static_cast<std::uint32_t>(x); },
                      {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF});
  std::vector<std::uint8_t> dib(full.begin(), full.begin() + 40 + 16);
  dib.insert(dib.end(), full.begin() + 40 + 1024, full.end());
  PutU32(dib, 32, 4);
  Bitmap bitmap;
  ASSERT_EQ(ReadExact(dib, bitmap), ImagingStatus::Ok);
  EXPECT_EQ(Rgb(PixelAt(bitmap, 0, 0)), 0xFF0000u);
  EXPECT_EQ(Rgb(PixelAt(bitmap, 3, 1)), 0xFFFFFFu);
}

using Bytes = std::vector<std::uint8_t>;

struct LieCase {
  const char* name;
  std::function<void(std::vector<std::uint8_t>&)> lie;
  ImagingStatus expected;
};

class LyingHeaders : public testing::TestWithParam<LieCase> {};

TEST_P(LyingHeaders, AreRefusedWithoutReadingPastTheBlock) {
  auto dib = MakeDib(16, 16, 8, false, Pattern);
  GetParam().lie(dib);
  Bitmap bitmap, view;
  EXPECT_EQ(ReadExact(dib, bitmap), GetParam().expected);
  EXPECT_TRUE(bitmap.IsEmpty());
  EXPECT_EQ(BitmapViewOfDib(dib.data(), dib.size(), view), GetParam().expected);
  EXPECT_TRUE(view.IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Hostile, LyingHeaders,
    testing::Values(
        LieCase{"MoreRowsThanTheBlockHolds", [](Bytes& d) { PutU32(d, 8, 17); },
                ImagingStatus::CorruptData},
        LieCase{"HugeHeight", [](Bytes& d) { PutU32(d, 8, 0x7FFFFFFF); },
                ImagingStatus::CorruptData},
        LieCase{"HugeWidth", [](Bytes& d) { PutU32(d, 4, 0x7FFFFFFF); },
                ImagingStatus::CorruptData},
        LieCase{"MostNegativeHeight", [](Bytes& d) { PutU32(d, 8, 0x80000000u); },
                ImagingStatus::CorruptData},
        LieCase{"ZeroWidth", [](Bytes& d) { PutU32(d, 4, 0); }, ImagingStatus::CorruptData},
        LieCase{"HeaderLongerThanBlock", [](Bytes& d) { PutU32(d, 0, 0x10000); },
                ImagingStatus::CorruptData},
        LieCase{"HeaderTooShort", [](Bytes& d) { PutU32(d, 0, 12); }, ImagingStatus::CorruptData},
        LieCase{"HugeTableForColourImage",
                [](Bytes& d) {
                  d[14] = 24;
                  PutU32(d, 32, 0x40000000);
                },
                ImagingStatus::CorruptData},
        LieCase{"CutShort", [](Bytes& d) { d.pop_back(); }, ImagingStatus::CorruptData},
        LieCase{"CutToHeader", [](Bytes& d) { d.erase(d.begin() + 20, d.end()); },
                ImagingStatus::CorruptData},
        LieCase{"SixteenBits", [](Bytes& d) { d[14] = 16; }, ImagingStatus::NotSupported},
        LieCase{"RunLengthEncoded", [](Bytes& d) { PutU32(d, 16, 1); },
                ImagingStatus::NotSupported}),
    [](const testing::TestParamInfo<LieCase>& info) { return info.param.name; });

TEST(DibReader, NullBlockIsRefused) {
  Bitmap bitmap;
  EXPECT_EQ(BitmapFromDib(nullptr, 100, bitmap), ImagingStatus::CorruptData);
}

}  // namespace

namespace {

TEST(BitmapMove, LeavesTheSourceEmpty) {
  const auto dib = MakeDib(5, 5, 24, false, Pattern);
  Bitmap view;
  ASSERT_EQ(BitmapViewOfDib(dib.data(), dib.size(), view), ImagingStatus::Ok);
  Bitmap moved = std::move(view);
  EXPECT_TRUE(view.IsEmpty());
  EXPECT_FALSE(moved.IsEmpty());
  EXPECT_EQ(moved.Channels(), ChannelOrder::Bgr);
}

}  // namespace
