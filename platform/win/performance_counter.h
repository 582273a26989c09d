// The high-resolution counter: a count that rises at a fixed frequency, for timing short stretches.
#pragma once

#include <cstdint>
#include <functional>

namespace win {

// Counts per second of QueryPerformanceCounter.
inline constexpr int64_t PerformanceCounterFrequency = 1'000'000'000;

int64_t QueryPerformanceFrequency();
// The monotonic clock in counts, unless a test has put its own source in its place.
int64_t QueryPerformanceCounter();
// Lets a test decide what the counter reads; an empty function restores the clock.
void SetPerformanceCounterSource(std::function<int64_t()> source);

}  // namespace win
