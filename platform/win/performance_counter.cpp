#include "platform/win/performance_counter.h"

#include "platform/win/clock.h"

namespace win {

int64_t QueryPerformanceFrequency() { return PerformanceCounterFrequency; }

int64_t QueryPerformanceCounter() {
  static_assert(std::ratio_equal_v<Duration::period, std::ratio<1, PerformanceCounterFrequency>>,
                "a count is one tick of the clock");
  return Now().count();
}

}  // namespace win
