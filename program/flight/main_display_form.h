// The main display's window: its timers with the intervals and states they are designed with.
// Their handlers are connected by ConnectMainDisplay, so a file that only arms or stops a timer
// links the form without the flight behind them.
#pragma once

#include <cstdint>

#include "platform/forms/control.h"
#include "platform/forms/form.h"

class MainDisplayForm : public forms::Form {
 public:
  MainDisplayForm();

  // Intervals that the program sets on these timers again while flying [ms].
  static constexpr int32_t AverageTickMs = 100;
  static constexpr int32_t KeyDelayMs = 200;

  forms::Timer Timer_Test_Exit{*this, "Timer_Test_Exit"};
  forms::Timer TimerAverage{*this, "TimerAverage"};
  forms::Timer DSKY_Display_Update{*this, "DSKY_Display_Update"};
  forms::Timer DSKYFlash{*this, "DSKYFlash"};
  forms::Timer DSKYReset{*this, "DSKYReset"};
  forms::Timer DSKYStartProgram{*this, "DSKYStartProgram"};
  forms::Timer Timer_Program_Message{*this, "Timer_Program_Message"};
  forms::Timer Timer_Program_Message2{*this, "Timer_Program_Message2"};
  forms::ControlArray<forms::Timer> TimerTalk{*this, "TimerTalk", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}};
  forms::Timer Timer_Ascent_Particle{*this, "Timer_Ascent_Particle"};
  forms::Timer TimerExplosion{*this, "TimerExplosion"};
  forms::Timer TimerKeyPress{*this, "TimerKeyPress"};
  forms::Timer TimerSpecialCharacter{*this, "TimerSpecialCharacter"};
  forms::Timer TimerP64{*this, "TimerP64"};
  forms::Timer ButtonTimer{*this, "ButtonTimer"};
  forms::Timer TimerAutoNode{*this, "TimerAutoNode"};
  // Designed but enabled by nothing.
  forms::Timer TimerVortanaPause{*this, "TimerVortanaPause"};
  forms::Timer Timer_Replay{*this, "Timer_Replay"};
  forms::Timer TimerRCS{*this, "TimerRCS"};
  forms::Timer TimerRCSP64{*this, "TimerRCSP64"};
  forms::Timer TimerMovie{*this, "TimerMovie"};
};

inline forms::FormSlot<MainDisplayForm> Main_Display;
