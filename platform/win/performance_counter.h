// The high-resolution counter: a count that rises at a fixed frequency, for timing short stretches.
#pragma once

#include <cstdint>

namespace win {

// Counts per second of QueryPerformanceCounter: one count a nanosecond of the process's clock.
inline constexpr int64_t PerformanceCounterFrequency = 1'000'000'000;

int64_t QueryPerformanceFrequency();
// The process's clock (platform/win/clock.h) in counts, so a test's virtual clock drives it too.
int64_t QueryPerformanceCounter();

}  // namespace win
