#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstring>

#include "ScannedPageMaker.h"
#include "cleanup/PageCleaner.h"
#include "cleanup/SkewCorrection.h"

using scanned_pages::Content;
using scanned_pages::Recipe;

namespace {

PageCleanup CleanWith(CleanupChoices choices, Bitmap& page) {
  PageCleaner cleaner(choices);
  EXPECT_TRUE(IsOk(cleaner.Clean(page)));
  return cleaner.LastCleanup();
}

Bitmap Page(const Recipe& recipe) {
  return scanned_pages::GreyBitmap(scanned_pages::MakePage(recipe));
}

struct BlankCase {
  const char* name;
  Recipe recipe;
  bool blank;
};

class BlankPages : public testing::TestWithParam<BlankCase> {};

TEST_P(BlankPages, AreToldFromPagesWithContent) {
  Bitmap page = Page(GetParam().recipe);
  const QImage before = scanned_pages::ImageOf(page);
  EXPECT_EQ(CleanWith({.skipBlank = true}, page).blank, GetParam().blank);
  // Finding a page blank never changes it.
  EXPECT_EQ(scanned_pages::ImageOf(page), before);
}

INSTANTIATE_TEST_SUITE_P(
    Generated, BlankPages,
    testing::Values(
        BlankCase{"clean", {.content = Content::Nothing, .dpi = 200}, true},
        BlankCase{"noisy", {.content = Content::Nothing, .dpi = 200, .noise = true}, true},
        BlankCase{"all_faults",
                  {.content = Content::Nothing,
                   .dpi = 200,
                   .noise = true,
                   .specks = true,
                   .bleedThrough = true,
                   .holes = true,
                   .darkBorder = true},
                  true},
        BlankCase{"handwriting",
                  {.content = Content::Handwriting, .dpi = 200, .noise = true, .holes = true},
                  false},
        BlankCase{"stamp",
                  {.content = Content::Stamp, .dpi = 200, .bleedThrough = true, .darkBorder = true},
                  false},
        BlankCase{"signature", {.content = Content::Signature, .dpi = 200, .specks = true}, false},
        BlankCase{"ruled_form_running_off_the_edges",
                  {.content = Content::Ruling, .dpi = 200, .darkBorder = true},
                  false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PageCleaner, TurnsTextPagesUprightAndLevelsThem) {
  for (int turn : {90, 180, 270}) {
    SCOPED_TRACE(turn);
    Bitmap page = Page({.content = Content::Text, .clockwiseTurn = turn, .skewDegrees = 3});
    const PageCleanup done = CleanWith({.upright = true, .deskew = true}, page);
    EXPECT_EQ(done.clockwiseTurn, (360 - turn) % 360);
    EXPECT_NEAR(done.skewDegrees, -3, 0.2);
    EXPECT_LT(page.Width(), page.Height());  // portrait again
    EXPECT_EQ(page.DpiX(), 300);
  }
}

TEST(PageCleaner, LevelsSkewBothWaysKeepingSizeAndWhiteCorners) {
  for (double skew : {-8.0, -0.7, 5.5}) {
    SCOPED_TRACE(skew);
    Bitmap page = Page({.content = Content::Text, .dpi = 200, .skewDegrees = skew});
    const int width = page.Width();
    const int height = page.Height();
    EXPECT_NEAR(CleanWith({.deskew = true}, page).skewDegrees, -skew, 0.2);
    EXPECT_EQ(page.Width(), width);
    EXPECT_EQ(page.Height(), height);
    EXPECT_EQ(page.Format(), PixelFormat::Indexed8);
    EXPECT_GT(page.Row(0)[0], 200);
    EXPECT_GT(page.Row(height - 1)[width - 1], 200);
  }
}

TEST(PageCleaner, LeavesPagesWithoutTextAsScanned) {
  Bitmap page = Page({.content = Content::Stamp, .dpi = 200});
  const QImage before = scanned_pages::ImageOf(page);
  const PageCleanup done = CleanWith({.skipBlank = true, .upright = true, .deskew = true}, page);
  EXPECT_FALSE(done.blank);
  EXPECT_EQ(done.clockwiseTurn, 0);
  EXPECT_EQ(done.skewDegrees, 0);
  EXPECT_EQ(scanned_pages::ImageOf(page), before);
}

// Colour and black-and-white pages turn in their own format: channels and
// palette stay, and a white-on-index-1 palette is still white outside.
TEST(RotatePage, KeepsFormatPaletteAndResolution) {
  struct Case {
    PixelFormat format;
    std::vector<PaletteEntry> palette;
  };
  const Case cases[] = {
      {PixelFormat::Rgb24, {}},
      {PixelFormat::Indexed1, {{0, 0, 0}, {255, 255, 255}}},
      {PixelFormat::Indexed1, {{255, 255, 255}, {0, 0, 0}}},
  };
  for (const Case& test : cases) {
    Bitmap page;
    ASSERT_TRUE(IsOk(Bitmap::Create(400, 300, test.format, page)));
    page.SetPalette(test.palette);
    page.SetResolution(150, 150);
    const bool whiteIsZero = test.format == PixelFormat::Indexed1 && test.palette[0].red == 255;
    for (int y = 0; y < page.Height(); ++y)
      std::memset(page.Row(y), whiteIsZero ? 0x00 : 0xff, page.Stride());
    ASSERT_TRUE(IsOk(RotatePage(page, 5)));
    EXPECT_EQ(page.Format(), test.format);
    EXPECT_EQ(page.Palette(), test.palette);
    EXPECT_EQ(page.Width(), 400);
    EXPECT_EQ(page.DpiX(), 150);
    EXPECT_EQ(page.Row(0)[0], whiteIsZero ? 0x00 : 0xff);
    EXPECT_EQ(page.Row(150)[20], whiteIsZero ? 0x00 : 0xff);
  }
}

}  // namespace
