#include "platform/win/performance_counter.h"

#include <chrono>

namespace win {

namespace {

std::function<int64_t()>& Source() {
  static std::function<int64_t()> source;
  return source;
}

}  // namespace

int64_t QueryPerformanceFrequency() { return PerformanceCounterFrequency; }

int64_t QueryPerformanceCounter() {
  if (Source()) return Source()();
  static_assert(std::chrono::steady_clock::period::den / std::chrono::steady_clock::period::num ==
                    PerformanceCounterFrequency,
                "the counter counts the steady clock's ticks");
  return std::chrono::steady_clock::now().time_since_epoch().count();
}

void SetPerformanceCounterSource(std::function<int64_t()> source) { Source() = std::move(source); }

}  // namespace win
