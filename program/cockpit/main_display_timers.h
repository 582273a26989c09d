// The timers of the main display that drive the DSKY and the message channels. Their handlers
// run only inside forms::DoEvents, on the pump's clock.
#pragma once

#include "platform/forms/forms.h"

struct MainDisplayTimerForm : forms::Form {
  MainDisplayTimerForm();
  forms::Timer DSKYFlash{*this, "DSKYFlash"};                // 500 ms: flash phase, lamp test
  forms::Timer DSKYReset{*this, "DSKYReset"};                // 2000 ms one shot after a reset
  forms::Timer DSKYStartProgram{*this, "DSKYStartProgram"};  // one shot: program start delay
  forms::Timer DSKY_Display_Update{*this, "DSKY_Display_Update"};  // 1000 ms: the registers
  forms::Timer TimerKeyPress{*this, "TimerKeyPress"};        // key lock-out
  forms::Timer Timer_Program_Message{*this, "Timer_Program_Message"};    // channel 1 lifetime
  forms::Timer Timer_Program_Message2{*this, "Timer_Program_Message2"};  // channel 2 lifetime
};

inline forms::FormSlot<MainDisplayTimerForm> MainDisplayTimers;

// Arms the key lock-out timer with an interval in milliseconds.
void ArmKeyPress(int32_t milliseconds);
