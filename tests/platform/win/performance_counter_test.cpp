#include "platform/win/performance_counter.h"

#include <gtest/gtest.h>

#include <chrono>

#include "platform/win/clock.h"

using namespace std::chrono_literals;

namespace {

// The virtual clock a test puts in place is the process's clock until the test takes it out.
class ProcessClock : public ::testing::Test {
 protected:
  void TearDown() override { win::UseClock(nullptr); }
  win::VirtualClock clock;
};

TEST_F(ProcessClock, TheCounterRisesOnTheRealClockAndFollowsAVirtualOne) {
  int64_t first = win::QueryPerformanceCounter();
  EXPECT_GE(win::QueryPerformanceCounter(), first);
  EXPECT_EQ(win::QueryPerformanceFrequency(), 1'000'000'000);

  win::UseClock(&clock);
  clock.Advance(100ns);
  EXPECT_EQ(win::QueryPerformanceCounter(), 100);
  clock.Advance(1ms);
  EXPECT_EQ(win::QueryPerformanceCounter(), 100 + win::QueryPerformanceFrequency() / 1000);

  win::UseClock(nullptr);
  EXPECT_GE(win::QueryPerformanceCounter(), first) << "back on the system's monotonic clock";
}

TEST_F(ProcessClock, AWaitSleepsOnTheRealClockAndJumpsAVirtualOne) {
  const win::Duration before = win::Now();
  win::Wait(2ms);
  EXPECT_GE(win::Now() - before, 2ms);

  win::UseClock(&clock);
  win::Wait(2s);
  EXPECT_EQ(win::Now(), 2s) << "no real time passes, the virtual clock moves by the wait";
  win::Wait(-1s);
  EXPECT_EQ(win::Now(), 2s) << "a wait of no time does not turn the clock back";
}

}  // namespace
