// Where a window lands among screens: the nearest area, and moved inside it.
#include <gtest/gtest.h>

#include "viewer/WorkArea.h"

namespace {

TEST(NearestArea, MovesAWindowInsideItsWorkArea) {
  const QRect area(0, 30, 1920, 1050);  // below a top panel
  struct Case {
    QRect window;
    QPoint expected;
  } cases[] = {
      {{100, 100, 800, 600}, {100, 100}},    // inside: unchanged
      {{1500, 100, 800, 600}, {1120, 100}},  // past the right edge
      {{-300, 100, 800, 600}, {0, 100}},     // past the left edge
      {{100, 0, 800, 600}, {100, 30}},       // under the top panel
      {{100, 900, 800, 600}, {100, 480}},    // past the bottom
      {{-50, 2000, 800, 600}, {0, 480}},     // two edges at once
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.window.x() << "," << c.window.y());
    const QRect moved = FitRectToArea(c.window, area);
    EXPECT_EQ(moved.topLeft(), c.expected);
    EXPECT_EQ(moved.size(), c.window.size());
  }
}

TEST(NearestArea, TheNearestScreenIsTheOneMostOverlappedOrClosest) {
  const QList<QRect> areas = {{0, 0, 1920, 1080}, {1920, 0, 1280, 1024}};
  EXPECT_EQ(NearestArea(areas, {1800, 100, 800, 600}), areas[1]);  // mostly on the right
  EXPECT_EQ(NearestArea(areas, {100, 100, 800, 600}), areas[0]);
  EXPECT_EQ(NearestArea(areas, {5000, 100, 800, 600}), areas[1]);  // beyond both
  EXPECT_EQ(NearestArea(areas, {-3000, 100, 800, 600}), areas[0]);
  EXPECT_TRUE(NearestArea({}, {0, 0, 10, 10}).isEmpty());
}

}  // namespace
