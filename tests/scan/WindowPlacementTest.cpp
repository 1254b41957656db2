// The main window's placement stored at close and restored at start: what
// was saved comes back exactly, start after start, and never below the minimum.
#include <gtest/gtest.h>

#include "scan/WindowPlacement.h"

namespace {

const QList<QRect> kScreens{{0, 0, 1280, 1024}};
const QMargins kFrame(1, 25, 1, 1);  // a title bar and thin borders
const QSize kMinimum(640, 430);

struct PlacementCase {
  const char* name;
  WindowPlacement stored;
  RestoredPlacement restored;  // every start after the first shows this
};

class WindowPlacementTest : public ::testing::TestWithParam<PlacementCase> {};

// Ten starts in a row, each saving what the window system then shows: the
// frame where it was put, the client area as it was sized.
TEST_P(WindowPlacementTest, TenStartsRestoreWhatWasSaved) {
  const PlacementCase& c = GetParam();
  WindowPlacement stored = c.stored;
  for (int start = 1; start <= 10; ++start) {
    SCOPED_TRACE(start);
    const RestoredPlacement shown =
        PlaceWithin(stored, kScreens, kFrame, kMinimum, {{100, 100}, {700, 500}});
    EXPECT_EQ(shown, c.restored);
    stored = PlacementOf(shown.frameTopLeft, shown.clientSize, kMinimum);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowPlacementTest,
    ::testing::Values(
        PlacementCase{"Inside", {200, 150, 900, 482}, {{200, 150}, {900, 482}}},
        PlacementCase{"AtTheBottomEdge", {200, 516, 900, 482}, {{200, 516}, {900, 482}}},
        PlacementCase{"BelowTheScreen", {200, 900, 900, 482}, {{200, 516}, {900, 482}}},
        PlacementCase{"SavedAsOnePixel", {10, 10, 1, 1}, {{10, 10}, {640, 430}}},
        PlacementCase{"LargerThanTheScreen", {-50, -50, 3000, 2000}, {{0, 0}, {1278, 998}}},
        PlacementCase{"PositionWithoutSize", {30, 40, -1, -1}, {{30, 40}, {700, 500}}},
        PlacementCase{"NoPosition", {-1, 40, 900, 482}, {{100, 100}, {700, 500}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WindowPlacementSaveTest, NeverStoresASizeBelowTheMinimum) {
  EXPECT_EQ(PlacementOf({5, 6}, {1, 1}, kMinimum), (WindowPlacement{5, 6, 640, 430}));
  EXPECT_EQ(PlacementOf({5, 6}, {900, 300}, kMinimum), (WindowPlacement{5, 6, 900, 430}));
}

}  // namespace
