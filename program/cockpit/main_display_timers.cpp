#include "program/cockpit/main_display_timers.h"

#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_display.h"
#include "program/cockpit/dsky_keys.h"

namespace {

constexpr int32_t kFlashMs = 500;
constexpr int32_t kResetMs = 2000;
constexpr int32_t kFirstStartDelayMs = 2000;  // before the first verb 37 of a flight
constexpr int32_t kKeyPressMs = 200;

}  // namespace

MainDisplayTimerForm::MainDisplayTimerForm() : Form("Main_Display") {
  for (forms::Timer* timer : {&DSKYFlash, &DSKYReset, &DSKYStartProgram, &DSKY_Display_Update,
                              &TimerKeyPress,
                              &Timer_Program_Message, &Timer_Program_Message2}) {
    timer->SetEnabled(false);
  }
  DSKYFlash.SetInterval(kFlashMs);
  DSKYReset.SetInterval(kResetMs);
  DSKYStartProgram.SetInterval(kFirstStartDelayMs);
  DSKY_Display_Update.SetInterval(1000);
  TimerKeyPress.SetInterval(kKeyPressMs);
  Timer_Program_Message.SetInterval(1000);
  Timer_Program_Message2.SetInterval(1000);

  DSKYFlash.Timer = [] {
    FlashPhase = !FlashPhase;
    if (ExtendedRoutine == 1 && --LampTestTicks < 0) {
      ExtendedRoutine = 0;
      SetAllLamps(false);
      VerbFlash = false;
      NounFlash = false;
    }
  };
  DSKYReset.Timer = [this] {
    DisplayHold = false;
    DSKYReset.SetEnabled(false);
    SetAllLamps(false);
  };
  DSKY_Display_Update.Timer = [] { UpdateDSKYDisplay(); };
  DSKYStartProgram.Timer = [this] { DSKYStartProgram.SetEnabled(false); };
  TimerKeyPress.Timer = [this] {
    TimerKeyPress.SetEnabled(false);
    TimerKeyPress.SetInterval(kKeyPressMs);
  };
  Timer_Program_Message.Timer = [this] {
    Timer_Program_Message.SetEnabled(false);
    MessageText[0].Text.clear();
  };
  // Channel 2 keeps its text; it is only no longer drawn.
  Timer_Program_Message2.Timer = [this] { Timer_Program_Message2.SetEnabled(false); };
}

void ArmKeyPress(int32_t milliseconds) {
  MainDisplayTimers->TimerKeyPress.SetInterval(milliseconds);
  MainDisplayTimers->TimerKeyPress.SetEnabled(true);
}
