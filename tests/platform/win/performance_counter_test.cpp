#include "platform/win/performance_counter.h"

#include <gtest/gtest.h>

namespace {

TEST(PerformanceCounter, RisesAndCanBeDrivenByATest) {
  int64_t first = win::QueryPerformanceCounter();
  EXPECT_GE(win::QueryPerformanceCounter(), first);
  EXPECT_EQ(win::QueryPerformanceFrequency(), 1'000'000'000);
  int64_t counts = 100;
  win::SetPerformanceCounterSource([&counts] { return counts; });
  EXPECT_EQ(win::QueryPerformanceCounter(), 100);
  counts += win::QueryPerformanceFrequency() / 1000;
  EXPECT_EQ(win::QueryPerformanceCounter(), 100 + 1'000'000);
}

}  // namespace
