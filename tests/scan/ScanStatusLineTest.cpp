// The status line under the scan buttons: its texts as a table, and a line
// that keeps its height whatever it says; the preview's copy of a page.
#include <gtest/gtest.h>

#include <QImage>
#include <cstring>
#include <vector>

#include "scan/PagePreview.h"
#include "scan/ScanStatusLine.h"

namespace {

struct StepCase {
  ScanStep step;
  int page, recognised, pages;
  const char* text;
};

TEST(ScanStatusLineTest, EachStepSaysWhatRuns) {
  const StepCase cases[] = {
      {ScanStep::Scanning, 3, 0, 0, "Scanning page 3…"},
      {ScanStep::Saving, 3, 0, 0, "Saving page 3…"},
      {ScanStep::Combining, 10, 1, 10, "Recognising text: page 2 of 10"},
      {ScanStep::Combining, 10, 10, 10, "Saving…"},
      {ScanStep::Combining, 0, 0, 0, "Saving…"},
  };
  for (const StepCase& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ScanStatusLine::StepText(c.step, c.page, c.recognised, c.pages),
              QString::fromUtf8(c.text));
  }
}

TEST(ScanStatusLineTest, OutcomesLinkTheDocumentOrFolder) {
  const QString saved = ScanStatusLine::SavedText("/a/Bills/Month Ending.pdf", 10, 1);
  EXPECT_TRUE(saved.startsWith("Saved <a href=\"file:///a/Bills/Month Ending.pdf\">"));
  EXPECT_TRUE(saved.endsWith(">Month Ending.pdf</a>, 10 pages, 1 blank page set aside"));
  EXPECT_TRUE(ScanStatusLine::SavedText("/a/Doc.jpg", 1, 0).endsWith(">Doc.jpg</a>"));
  EXPECT_TRUE(ScanStatusLine::StoppedText("/a/Doc/", 4).endsWith(" 4 pages kept in <a href=\"file:///a/Doc\">Doc</a>"));
  EXPECT_EQ(ScanStatusLine::StoppedText("/a/Doc/", 0), "Scan stopped");
}

// However long the text, the line stays one line high and asks for no width.
TEST(ScanStatusLineTest, ALongNoticeNeverMovesOtherControls) {
  ScanStatusLine line;
  const int height = line.sizeHint().height();
  line.ShowNotice(std::string(400, 'x') + " set aside in a folder with a very long name");
  EXPECT_EQ(line.sizeHint().height(), height);
  EXPECT_EQ(line.sizePolicy().horizontalPolicy(), QSizePolicy::Ignored);
  EXPECT_EQ(line.minimumSizeHint().height(), line.maximumHeight());
  EXPECT_TRUE(line.toolTip().startsWith("xxx"));
  line.Clear();
  EXPECT_TRUE(line.text().isEmpty());
}

// A 24-bit bottom-up DIB, 40 by 20, its left half red and right half blue.
std::vector<std::uint8_t> TwoColourDib() {
  const int width = 40, height = 20, stride = width * 3;
  std::vector<std::uint8_t> dib(40 + stride * height);
  const std::int32_t header[] = {40, width, height};
  std::memcpy(dib.data(), header, sizeof header);
  const std::uint16_t planesAndBits[] = {1, 24};
  std::memcpy(dib.data() + 12, planesAndBits, sizeof planesAndBits);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      std::uint8_t* p = dib.data() + 40 + y * stride + x * 3;  // blue, green, red
      p[0] = x < width / 2 ? 0 : 255;
      p[2] = x < width / 2 ? 255 : 0;
    }
  return dib;
}

TEST(PagePreviewTest, SamplesTheScannersBitmapDownToTheLongestSide) {
  const std::vector<std::uint8_t> dib = TwoColourDib();
  const QImage preview = PagePreview(dib.data(), dib.size(), 10);
  ASSERT_EQ(preview.size(), QSize(10, 5));
  EXPECT_EQ(preview.pixel(1, 2), qRgb(255, 0, 0));
  EXPECT_EQ(preview.pixel(8, 2), qRgb(0, 0, 255));
  EXPECT_TRUE(PagePreview(dib.data(), 20, 10).isNull());  // a block too short for its header
  EXPECT_TRUE(PagePreview(nullptr, 0, 10).isNull());
}

}  // namespace
