#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "dsm/StallWatchdog.h"

namespace {

TEST(StallWatchdog, FiresOnlyWhenNotKicked) {
  std::atomic<int> stalls{0};
  {
    // Kicked for twice its timeout, with a wide margin for a busy machine.
    StallWatchdog kicked(std::chrono::milliseconds(400), [&] { ++stalls; });
    for (int i = 0; i < 40; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      kicked.Kick();
    }
    EXPECT_FALSE(kicked.HasFired());
  }
  EXPECT_EQ(stalls.load(), 0);
  StallWatchdog silent(std::chrono::milliseconds(50), [&] { ++stalls; });
  for (int i = 0; i < 400 && stalls.load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_TRUE(silent.HasFired());
  EXPECT_EQ(stalls.load(), 1);
}

TEST(StallWatchdog, TripFiresAtOnce) {
  std::atomic<int> stalls{0};
  StallWatchdog watchdog(std::chrono::hours(1), [&] { ++stalls; });
  watchdog.Trip();
  for (int i = 0; i < 100 && stalls.load() == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_EQ(stalls.load(), 1);
}

}  // namespace
