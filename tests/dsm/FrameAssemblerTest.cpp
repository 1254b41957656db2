#include <gtest/gtest.h>

#include <cstring>
#include <numeric>
#include <vector>

#include "dsm/FrameAssembler.h"
#include "dsm/RowConversion.h"
#include "twain/GlobalMemory.h"

namespace {

constexpr std::size_t kLimit = std::size_t{64} << 20;

SANE_Parameters Frame(SANE_Frame format, int depth, int pixels, int lines, bool last = true) {
  const int channels = format == SANE_FRAME_RGB ? 3 : 1;
  return {format,
          last ? SANE_TRUE : SANE_FALSE,
          static_cast<SANE_Int>(SaneLineBytes(pixels, depth, channels)),
          pixels,
          lines,
          depth};
}

// Grey lines whose every sample holds its line number.
std::vector<std::uint8_t> NumberedLines(int pixels, int lines) {
  std::vector<std::uint8_t> data;
  for (int line = 0; line < lines; ++line)
    data.insert(data.end(), static_cast<std::size_t>(pixels), static_cast<std::uint8_t>(line));
  return data;
}

// Feeds in uneven pieces, as devices deliver.
bool FeedInPieces(FrameAssembler& assembler, const std::vector<std::uint8_t>& data,
                  std::size_t piece) {
  std::string why;
  for (std::size_t at = 0; at < data.size(); at += piece)
    if (!assembler.Feed(data.data() + at, std::min(piece, data.size() - at), why))
      return false;
  return true;
}

struct Page {
  explicit Page(TW_HANDLE handle) : handle(handle) {
    bytes = static_cast<const std::uint8_t*>(GlobalLock(handle));
  }
  ~Page() {
    GlobalUnlock(handle);
    GlobalFree(handle);
  }
  std::int32_t Header(std::size_t offset) const {
    std::int32_t value = 0;
    std::memcpy(&value, bytes + offset, 4);
    return value;
  }
  TW_HANDLE handle;
  const std::uint8_t* bytes;
};

TEST(FrameAssembler, GreyLinesInAnyPiecesLandBottomUp) {
  for (std::size_t piece : {1u, 5u, 7u, 64u, 4096u}) {
    SCOPED_TRACE(testing::Message() << "piece " << piece);
    FrameAssembler assembler(100, false, kLimit);
    std::string why;
    ASSERT_TRUE(assembler.BeginFrame(Frame(SANE_FRAME_GRAY, 8, 5, 4), why)) << why;
    ASSERT_TRUE(FeedInPieces(assembler, NumberedLines(5, 4), piece));
    ASSERT_TRUE(assembler.EndFrame(why)) << why;
    Page page(assembler.TakePage());
    ASSERT_NE(page.bytes, nullptr);
    EXPECT_EQ(page.Header(4), 5);
    EXPECT_EQ(page.Header(8), 4);
    const std::uint8_t* rows = page.bytes + 40 + 256 * 4;
    for (int stored = 0; stored < 4; ++stored)  // stride 8: five pixels padded to four bytes
      EXPECT_EQ(rows[stored * 8], 3 - stored);
    EXPECT_EQ(page.Header(20), 32);    // image bytes
    EXPECT_EQ(page.Header(28), 3937);  // 100 dpi in pixels per metre
  }
}

struct HeightCase {
  const char* name;
  int announced;  // lines the parameters announce, -1 for unknown
  int received;
  std::size_t piece;
};

class FrameHeights : public testing::TestWithParam<HeightCase> {};

// The page is as tall as the lines that came, whatever was announced.
TEST_P(FrameHeights, ThePageHoldsTheLinesReceived) {
  const HeightCase& c = GetParam();
  FrameAssembler assembler(100, false, kLimit);
  std::string why;
  ASSERT_TRUE(assembler.BeginFrame(Frame(SANE_FRAME_GRAY, 8, 4, c.announced), why)) << why;
  ASSERT_TRUE(FeedInPieces(assembler, NumberedLines(4, c.received), c.piece));
  ASSERT_TRUE(assembler.EndFrame(why)) << why;
  Page page(assembler.TakePage());
  EXPECT_EQ(page.Header(8), c.received);
  const std::uint8_t* rows = page.bytes + 40 + 256 * 4;
  EXPECT_EQ(rows[0], c.received - 1);  // bottom row is the last line received
  EXPECT_EQ(rows[(c.received - 1) * 4], 0);
}

INSTANTIATE_TEST_SUITE_P(FrameAssembler, FrameHeights,
                         testing::Values(HeightCase{"ShortFrame", 10, 3, 3},
                                         HeightCase{"UnknownHeight", -1, 6, 5}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FrameAssembler, ThreePassesFillTheirOwnChannels) {
  FrameAssembler assembler(100, false, kLimit);
  std::string why;
  const std::pair<SANE_Frame, std::uint8_t> passes[] = {
      {SANE_FRAME_RED, 10}, {SANE_FRAME_GREEN, 20}, {SANE_FRAME_BLUE, 30}};
  for (const auto& [frame, level] : passes) {
    EXPECT_FALSE(assembler.IsComplete());
    ASSERT_TRUE(assembler.BeginFrame(Frame(frame, 8, 2, 2, frame == SANE_FRAME_BLUE), why)) << why;
    const std::vector<std::uint8_t> data(4, level);
    ASSERT_TRUE(FeedInPieces(assembler, data, 3));
    ASSERT_TRUE(assembler.EndFrame(why));
  }
  ASSERT_TRUE(assembler.IsComplete());
  Page page(assembler.TakePage());
  const std::uint8_t* pixel = page.bytes + 40;
  EXPECT_EQ(pixel[0], 30);  // blue
  EXPECT_EQ(pixel[1], 20);
  EXPECT_EQ(pixel[2], 10);
}

TEST(FrameAssembler, BrokenOrChangingParametersAreRefused) {
  struct Case {
    const char* what;
    SANE_Parameters first;
    std::optional<SANE_Parameters> second;
  };
  SANE_Parameters narrowLine = Frame(SANE_FRAME_RGB, 8, 10, 2);
  narrowLine.bytes_per_line = 29;
  const Case cases[] = {
      {"depth 4", Frame(SANE_FRAME_GRAY, 4, 10, 2), {}},
      {"no pixels", Frame(SANE_FRAME_GRAY, 8, 0, 2), {}},
      {"no lines", Frame(SANE_FRAME_GRAY, 8, 10, 0), {}},
      {"line too short", narrowLine, {}},
      {"huge page", Frame(SANE_FRAME_RGB, 8, 100000, 100000), {}},
      {"width changes", Frame(SANE_FRAME_RED, 8, 10, 2, false), Frame(SANE_FRAME_GREEN, 8, 12, 2)},
      {"grey after red", Frame(SANE_FRAME_RED, 8, 10, 2, false), Frame(SANE_FRAME_GRAY, 8, 10, 2)},
  };
  for (const Case& c : cases) {
    FrameAssembler assembler(100, false, kLimit);
    std::string why;
    bool accepted = assembler.BeginFrame(c.first, why);
    if (accepted && c.second) {
      const std::vector<std::uint8_t> data(SaneLineBytes(10, 8, 1) * 2, 0);
      FeedInPieces(assembler, data, 64);
      assembler.EndFrame(why);
      accepted = assembler.BeginFrame(*c.second, why);
    }
    EXPECT_FALSE(accepted) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
  }
}

TEST(FrameAssembler, GreyIsThresholdedForBlackAndWhite) {
  FrameAssembler assembler(100, true, kLimit);
  std::string why;
  ASSERT_TRUE(assembler.BeginFrame(Frame(SANE_FRAME_GRAY, 8, 3, 1), why));
  const std::vector<std::uint8_t> line = {200, 10, 128};
  ASSERT_TRUE(FeedInPieces(assembler, line, 2));
  ASSERT_TRUE(assembler.EndFrame(why));
  Page page(assembler.TakePage());
  EXPECT_EQ(page.Header(12) >> 16, 1);  // bits per pixel
  EXPECT_EQ(page.bytes[40 + 2 * 4], 0b10100000);
}

TEST(FrameAssembler, FarMoreDataThanAnnouncedFails) {
  FrameAssembler assembler(100, false, kLimit);
  std::string why;
  ASSERT_TRUE(assembler.BeginFrame(Frame(SANE_FRAME_GRAY, 8, 4, 2), why));
  EXPECT_FALSE(FeedInPieces(assembler, NumberedLines(4, 50), 4));
}

TEST(FrameAssembler, EmptyFrameFails) {
  FrameAssembler assembler(100, false, kLimit);
  std::string why;
  ASSERT_TRUE(assembler.BeginFrame(Frame(SANE_FRAME_GRAY, 8, 4, 2), why));
  EXPECT_FALSE(assembler.EndFrame(why));
  EXPECT_EQ(assembler.TakePage(), nullptr);
}

struct RowCase {
  const char* what;
  std::vector<std::uint8_t> line;
  int pixels;
  std::vector<std::uint8_t> expected;
  void (*convert)(const std::uint8_t*, int, std::uint8_t*);
};

std::vector<std::uint8_t> Sixteen(std::initializer_list<std::uint16_t> samples) {
  std::vector<std::uint8_t> bytes(samples.size() * 2);
  std::memcpy(bytes.data(), std::data(samples), bytes.size());
  return bytes;
}

TEST(RowConversion, SamplesBecomeDibPixels) {
  const RowCase cases[] = {
      {"rgb 8 to bgr",
       {1, 2, 3, 4, 5, 6},
       2,
       {3, 2, 1, 6, 5, 4},
       [](const std::uint8_t* l, int p, std::uint8_t* r) { ConvertRgbRow(l, p, 8, r); }},
      {"rgb 16 keeps high bytes",
       Sixteen({0x1234, 0x5678, 0x9ABC}),
       1,
       {0x9A, 0x56, 0x12},
       [](const std::uint8_t* l, int p, std::uint8_t* r) { ConvertRgbRow(l, p, 16, r); }},
      {"rgb 1 is full intensity",
       {0b11000000},
       1,
       {0, 255, 255},
       [](const std::uint8_t* l, int p, std::uint8_t* r) { ConvertRgbRow(l, p, 1, r); }},
      {"grey 16",
       Sixteen({0xFF00, 0x0100}),
       2,
       {0xFF, 0x01},
       [](const std::uint8_t* l, int p, std::uint8_t* r) { ConvertGrayRow(l, p, 16, r); }},
      {"lineart inverts and clears the padding",
       {0b10110011, 0b01111111},
       10,
       {0b01001100, 0b10000000},
       ConvertLineartRow},
      {"threshold at half",
       {0, 127, 128, 255, 200, 1, 1, 1, 255},
       9,
       {0b00111000, 0b10000000},
       ThresholdGrayRow},
  };
  for (const RowCase& c : cases) {
    std::vector<std::uint8_t> row(c.expected.size(), 0xAA);
    c.convert(c.line.data(), c.pixels, row.data());
    EXPECT_EQ(row, c.expected) << c.what;
  }
}

// Every row width, so the wide fast path and the tail both meet the reference.
TEST(RowConversion, RgbRowsOfAnyWidthMatchTheReference) {
  for (int pixels = 1; pixels <= 40; ++pixels) {
    std::vector<std::uint8_t> line(static_cast<std::size_t>(pixels) * 3);
    std::iota(line.begin(), line.end(), static_cast<std::uint8_t>(pixels));
    std::vector<std::uint8_t> row(line.size() + 3, 0xEE);
    ConvertRgbRow(line.data(), pixels, 8, row.data());
    for (int x = 0; x < pixels; ++x)
      for (int c = 0; c < 3; ++c)
        ASSERT_EQ(row[x * 3 + c], line[x * 3 + 2 - c]) << pixels << " pixels, pixel " << x;
    EXPECT_EQ(row[line.size()], 0xEE) << "wrote past the row";
  }
}

}  // namespace
