#include "program/cockpit/dsky_timers.h"

#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_keys.h"
#include "program/flight/main_display.h"

void DSKYFlashTick() {
  FlashPhase = !FlashPhase;
  if (ExtendedRoutine == LampTestRoutine && --LampTestTicks < 0) {
    ExtendedRoutine = NoRoutine;
    SetAllLamps(false);
    VerbFlash = false;
    NounFlash = false;
  }
}

void ArmKeyPress(int32_t milliseconds) {
  Main_Display->TimerKeyPress.SetInterval(milliseconds);
  Main_Display->TimerKeyPress.SetEnabled(true);
}
