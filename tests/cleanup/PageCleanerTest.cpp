#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstring>

#include "ScannedPageMaker.h"
#include "cleanup/PageCleaner.h"
#include "cleanup/PageSketch.h"
#include "cleanup/PageTurns.h"
#include "cleanup/SkewCorrection.h"
#include "ocr/GreyPage.h"

using scanned_pages::Content;
using scanned_pages::Mode;
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

std::vector<std::uint8_t> Bytes(const Bitmap& page) {
  std::vector<std::uint8_t> bytes;
  for (int y = 0; y < page.Height(); ++y)
    bytes.insert(bytes.end(), page.Row(y), page.Row(y) + page.Stride());
  return bytes;
}

// Only a page clearly empty is blank: a page number alone, a line of light
// pencil, a dark cover and a colour test picture are kept, while the marks a
// blank sheet picks up (holes, a staple, dust, the other side showing
// through, the lid's shadow) are no content in any mode.
TEST_P(BlankPages, AreToldFromPagesWithContent) {
  Bitmap page = scanned_pages::MakeBitmap(GetParam().recipe);
  const auto before = Bytes(page);
  EXPECT_EQ(CleanWith({.skipBlank = true}, page).blank, GetParam().blank);
  // Finding a page blank never changes it.
  EXPECT_EQ(Bytes(page), before);
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
                  false},
        BlankCase{"holes_and_staple_1bit",
                  {.content = Content::Nothing,
                   .dpi = 200,
                   .holes = true,
                   .darkBorder = true,
                   .staple = true,
                   .mode = Mode::OneBit},
                  true},
        BlankCase{"bleed_through_colour",
                  {.content = Content::Nothing,
                   .dpi = 300,
                   .noise = true,
                   .bleedThrough = true,
                   .staple = true,
                   .mode = Mode::Colour},
                  true},
        BlankCase{"page_number", {.content = Content::PageNumber, .dpi = 200, .seed = 3}, false},
        BlankCase{"page_number_1bit",
                  {.content = Content::PageNumber, .dpi = 300, .mode = Mode::OneBit, .seed = 9},
                  false},
        BlankCase{"page_number_with_faults",
                  {.content = Content::PageNumber,
                   .dpi = 200,
                   .noise = true,
                   .specks = true,
                   .bleedThrough = true,
                   .holes = true,
                   .seed = 5},
                  false},
        BlankCase{"pencil_with_bleed_through",
                  {.content = Content::Pencil,
                   .dpi = 200,
                   .noise = true,
                   .bleedThrough = true,
                   .seed = 7},
                  false},
        BlankCase{"pencil_300",
                  {.content = Content::Pencil, .dpi = 300, .noise = true, .seed = 8},
                  false},
        BlankCase{
            "dark_cover", {.content = Content::DarkCover, .dpi = 200, .mode = Mode::Colour}, false},
        BlankCase{"colour_pattern",
                  {.content = Content::ColourPattern, .dpi = 200, .mode = Mode::Colour},
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

// Without the recognition engine's orientation model, printed pages are
// still stood upright: their letters decide alone.
TEST(PageCleaner, TurnsTextPagesUprightWithoutTheEngine) {
  for (int dpi : {200, 300}) {
    for (int turn : {0, 90, 180, 270}) {
      SCOPED_TRACE(testing::Message() << dpi << " dpi, turned " << turn);
      Bitmap page = Page({.content = Content::Text,
                          .dpi = dpi,
                          .noise = true,
                          .clockwiseTurn = turn,
                          .skewDegrees = -6});
      PageCleaner cleaner({.upright = true}, "eng", "/nonexistent/");
      ASSERT_TRUE(IsOk(cleaner.Clean(page)));
      EXPECT_EQ(cleaner.LastCleanup().clockwiseTurn, (360 - turn) % 360);
    }
  }
}

// The level page is measured again from its pixels: the turn really removed
// the skew, in the direction measured.
TEST(PageCleaner, LeavesPixelsLevel) {
  for (double skew : {-7.5, 2.0}) {
    SCOPED_TRACE(skew);
    Bitmap page = Page({.content = Content::Text, .noise = true, .skewDegrees = skew});
    CleanWith({.deskew = true}, page);
    const PageSketch sketch = SketchPage(page);
    PixPtr inner = InnerInk(sketch.ink.get());
    const TextLines lines = FindTextLines(inner.get(), false);
    EXPECT_TRUE(lines.found);
    EXPECT_EQ(lines.skewDegrees, 0);  // within a fifth of a degree
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

// A stamp's frame and letters are lines too short to level by: these stamps
// once measured half a degree.
TEST(PageCleaner, LeavesPagesWithoutTextAsScanned) {
  const Recipe stamps[] = {
      {.content = Content::Stamp, .dpi = 200},
      {.content = Content::Stamp, .noise = true, .specks = true, .seed = 204},
      {.content = Content::Stamp, .noise = true, .holes = true, .seed = 246},
      {.content = Content::Stamp, .noise = true, .specks = true, .bleedThrough = true, .seed = 260},
  };
  for (const Recipe& recipe : stamps) {
    SCOPED_TRACE(recipe.seed);
    Bitmap page = Page(recipe);
    const QImage before = scanned_pages::ImageOf(page);
    const PageCleanup done = CleanWith({.skipBlank = true, .upright = true, .deskew = true}, page);
    EXPECT_FALSE(done.blank);
    EXPECT_EQ(done.clockwiseTurn, 0)
        << "the model read " << done.engineTurn << " at " << done.engineConfidence;
    EXPECT_EQ(done.skewDegrees, 0);
    EXPECT_EQ(scanned_pages::ImageOf(page), before);
  }
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
    SCOPED_TRACE(testing::Message() << BitsPerPixel(test.format) << " bits, " << test.palette.size()
                                    << " palette entries");
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

// Page turns done in place or a block at a time give the same pixels as
// turning pixel by pixel, on sizes that leave odd rows and columns over.
TEST(TurnPage, MatchesTurningPixelByPixel) {
  for (PixelFormat format : {PixelFormat::Indexed8, PixelFormat::Rgb24}) {
    for (int turn : {90, 180, 270}) {
      SCOPED_TRACE(testing::Message() << BitsPerPixel(format) << " bits, turned " << turn);
      Bitmap page, expected;
      ASSERT_TRUE(IsOk(Bitmap::Create(37, 21, format, page)));
      ASSERT_TRUE(IsOk(Bitmap::Create(37, 21, format, expected)));
      for (Bitmap* bitmap : {&page, &expected}) {
        if (format == PixelFormat::Indexed8)
          bitmap->SetPalette(GreyPalette(256));
        bitmap->SetResolution(300, 200);
        for (int y = 0; y < bitmap->Height(); ++y)
          for (std::size_t i = 0; i < bitmap->Width() * BitsPerPixel(format) / 8u; ++i)
            bitmap->Row(y)[i] = static_cast<std::uint8_t>(y * 31 + i * 7);
      }
      ASSERT_TRUE(IsOk(TurnPage(page, turn)));
      ASSERT_TRUE(IsOk(TurnClockwise(expected, turn)));
      ASSERT_EQ(page.Width(), expected.Width());
      EXPECT_EQ(page.DpiX(), expected.DpiX());
      for (int y = 0; y < page.Height(); ++y)
        ASSERT_EQ(
            std::memcmp(page.Row(y), expected.Row(y), page.Width() * BitsPerPixel(format) / 8), 0)
            << "row " << y;
    }
  }
}

}  // namespace
