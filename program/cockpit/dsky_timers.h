// The DSKY's share of the main display's timers (MainDisplayForm): what the flash timer does and
// how the keys arm the key lock-out. The handlers run only inside forms::DoEvents.
#pragma once

#include <cstdint>

// The 500 ms flash tick: toggles the flash phase and counts the lamp test down.
void DSKYFlashTick();
// Arms the key lock-out timer with an interval in milliseconds.
void ArmKeyPress(int32_t milliseconds);
