#include <gtest/gtest.h>

#include "dsm/Fix32.h"

namespace {

TEST(Fix32, ConvertsBothWays) {
  EXPECT_EQ(ToFix32(1.25).Whole, 1);
  EXPECT_EQ(ToFix32(1.25).Frac, 16384);
  EXPECT_DOUBLE_EQ(FromFix32(TW_FIX32{11, 45220}), 11 + 45220 / 65536.0);
  EXPECT_EQ(Fix32ToWord(TW_FIX32{300, 0}), 300u);
  EXPECT_EQ(WordToFix32(Fix32ToWord(ToFix32(8.5))).Frac, 32768);
}

}  // namespace
