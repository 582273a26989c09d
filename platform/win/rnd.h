// The program's one source of random numbers.
#pragma once

#include <functional>

namespace win {

// The next number in [0, 1). Until Randomize is called, a run draws the same sequence every time.
float Rnd();
// Seeds the generator from the process's clock (platform/win/clock.h), so that the following
// numbers differ from run to run. Does nothing while a test's source is in place, so tests stay
// repeatable.
void Randomize();
// Puts a test's source in place of the generator; it must give numbers in [0, 1). An empty
// function restores the generator.
void SetRndSource(std::function<float()> source);

}  // namespace win
