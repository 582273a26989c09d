// The main display: the window of the 3D view and its timers, which fire while the frame loop
// yields once per frame: the exit request, the automatic throttle with thrust and needle smoothing,
// the DSKY's flash and delays, message expiry, callout spacing and key delays.
#pragma once

#include "program/flight/flight_state.h"
#include "program/flight/main_display_form.h"

// Connects the main display's events and timers to their handlers, for every load of the form.
void ConnectMainDisplay();

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
