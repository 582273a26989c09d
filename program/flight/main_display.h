// The main display: the window of the 3D view and its timers, which fire while the frame loop
// yields once per frame: the exit request, the automatic throttle with thrust and needle smoothing,
// the DSKY's flash and delays, message expiry, callout spacing and key delays.
#pragma once

#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "program/flight/flight_state.h"

class MainDisplayForm : public forms::Form {
 public:
  MainDisplayForm();

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

// The length of the staging sequence that the frame loop shows, seconds.
inline constexpr float StagingSeconds = 6.0f;
// How long the staging messages stay, ms: the interval of the message timer.
inline constexpr int32_t StagingMessageMs = 2000;

// Stops every timer of the main display but the callout timers and TimerMovie.
void StopAllTimers();
// The window's size and scale after a resize; re-enters the flight after a minimise.
void MainDisplayResize();
// Carries out ExitRequest: 1 back to the launcher, 2 replay, 3 restart.
void CarryOutExitRequest();
// The 100 ms tick: stick shaping, automatic throttle, thrust and needle smoothing.
void AverageTick();
