#include <gtest/gtest.h>

#include <limits>

#include "settings/TransferRate.h"

namespace {

TEST(TransferRate, ShortOperationsCountAsFifteenMilliseconds) {
  EXPECT_EQ(MeasuredRate(3000, 3), 200000);  // one fifth of 1000000
  EXPECT_EQ(MeasuredRate(3000, 0), 200000);
  EXPECT_EQ(MeasuredRate(3000, 15), 200000);
  EXPECT_EQ(MeasuredRate(3000, 30), 100000);
}

TEST(TransferRate, RatesFitTheSetting) {
  EXPECT_EQ(MeasuredRate(std::numeric_limits<std::int64_t>::max(), 15),
            std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(MeasuredRate(-5, 100), 0);
}

TEST(TransferRate, ExpectedDurationTakesARateBelowOneAsOne) {
  EXPECT_EQ(ExpectedMilliseconds(1000000, 1000000), 1000);
  EXPECT_EQ(ExpectedMilliseconds(kUnknownInputBytes, 100000), 10000);
  EXPECT_EQ(ExpectedMilliseconds(5, 0), 5000);
  EXPECT_EQ(ExpectedMilliseconds(5, -3), 5000);
}

}  // namespace
