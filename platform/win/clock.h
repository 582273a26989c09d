// The process's one clock: what timers, frame times and the performance counter read, and what
// waits are measured on. Tests put a virtual clock in its place and move time themselves.
//
// The clock lives in a shared object of its own (win_clock), so that the program, the engine and
// the library, which carries its own copy of every static platform layer, all read the same one.
#pragma once

#include <chrono>

namespace win {

using Duration = std::chrono::nanoseconds;

class Clock {
 public:
  virtual ~Clock() = default;
  virtual Duration Now() const = 0;
  // Lets a virtual clock jump over an idle wait; a real clock returns false and the caller waits.
  virtual bool SkipAhead(Duration wait) = 0;
};

// Time that moves only when a test moves it, or when something waits on it.
class VirtualClock final : public Clock {
 public:
  Duration Now() const override { return now_; }
  bool SkipAhead(Duration wait) override {
    now_ += wait;
    return true;
  }
  void Advance(Duration by) { now_ += by; }

 private:
  Duration now_{0};
};

// nullptr returns to the monotonic system clock. The clock must outlive its use.
void UseClock(Clock* clock);
Clock& CurrentClock();
Duration Now();

// Waits for the given time: a real clock sleeps, a virtual clock jumps ahead at once.
void Wait(Duration wait);

}  // namespace win
