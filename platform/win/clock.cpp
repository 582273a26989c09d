#include "platform/win/clock.h"

#include <thread>

namespace win {

namespace {

class SteadyClock final : public Clock {
 public:
  Duration Now() const override {
    return std::chrono::duration_cast<Duration>(
        std::chrono::steady_clock::now().time_since_epoch());
  }
  bool SkipAhead(Duration) override { return false; }
};

// Never destroyed: timers of program-wide forms may still read the clock during static
// destruction.
struct ClockState {
  SteadyClock steady;
  Clock* current = &steady;
};

ClockState& State() {
  static ClockState* state = new ClockState;
  return *state;
}

}  // namespace

void UseClock(Clock* clock) { State().current = clock ? clock : &State().steady; }

Clock& CurrentClock() { return *State().current; }

Duration Now() { return State().current->Now(); }

void Wait(Duration wait) {
  if (wait <= Duration::zero()) return;
  if (!CurrentClock().SkipAhead(wait)) std::this_thread::sleep_for(wait);
}

}  // namespace win
