#include "program/cockpit/dsky_timers.h"

#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_keys.h"
#include "program/flight/main_display.h"

void DSKYFlashTick() {
  FlashPhase = !FlashPhase;
  if (ExtendedRoutine == 1 && --LampTestTicks < 0) {
    ExtendedRoutine = 0;
    SetAllLamps(false);
    VerbFlash = false;
    NounFlash = false;
  }
}

void ArmKeyPress(int32_t milliseconds) {
  Main_Display->TimerKeyPress.SetInterval(milliseconds);
  Main_Display->TimerKeyPress.SetEnabled(true);
}
