#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

#include "viewer/WorkArea.h"

namespace {

struct FitCase {
  const char* name;
  QRect rect;
  QRect fitted;
};

class FitRectToAreaTest : public ::testing::TestWithParam<FitCase> {};

const QRect kArea(0, 0, 1920, 1040);

TEST_P(FitRectToAreaTest, MovesOntoTheAreaKeepingTheSize) {
  EXPECT_EQ(FitRectToArea(GetParam().rect, kArea), GetParam().fitted);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FitRectToAreaTest,
    ::testing::Values(FitCase{"Inside", {100, 100, 400, 300}, {100, 100, 400, 300}},
                      FitCase{"LeftAndBelow", {-150, 900, 400, 300}, {0, 740, 400, 300}},
                      FitCase{"RightAndAbove", {1800, -20, 400, 300}, {1520, 0, 400, 300}},
                      FitCase{"WiderThanTheArea", {-50, 10, 2000, 300}, {-80, 10, 2000, 300}},
                      FitCase{"TallerThanTheArea", {10, 50, 300, 1100}, {10, -60, 300, 1100}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FitRectToWorkAreaTest, UsesTheWorkAreaOfTheNearestScreen) {
  const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect offLeftAndBelow(area.left() - 100, area.bottom() - 50, 200, 150);
  const QRect fitted = FitRectToWorkArea(offLeftAndBelow);
  EXPECT_EQ(fitted.size(), offLeftAndBelow.size());
  EXPECT_TRUE(area.contains(fitted)) << fitted.x() << "," << fitted.y();
  const QRect farAway(area.right() + 5000, area.top() + 10, 200, 150);
  EXPECT_TRUE(area.contains(FitRectToWorkArea(farAway)));
}

}  // namespace
