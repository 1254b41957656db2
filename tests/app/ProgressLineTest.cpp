#include <gtest/gtest.h>

#include "app/ProgressLine.h"

namespace {

// The parts of the scan's progress line that apply, and only those.
TEST(ProgressLine, TheScanLineNamesWhatApplies) {
  const struct {
    int scanned, read, setAside;
    const char* text;
  } cases[] = {
      {0, -1, 0, "Scanning…"},
      {3, -1, 0, "Page 3 scanned"},
      {2, 0, 0, "Page 2 scanned · 0 read"},
      {4, -1, 2, "Page 4 scanned · 2 set aside"},
      {7, 5, 1, "Page 7 scanned · 5 read · 1 set aside"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ScanProgressText(c.scanned, c.read, c.setAside), c.text) << c.text;
  EXPECT_EQ(RecognitionProgressText(3, 10), "Recognising text: page 3 of 10");
}

}  // namespace
