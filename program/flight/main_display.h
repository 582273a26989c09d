// The main display: the window of the 3D view and its timers, which fire while the frame loop
// yields once per frame: the exit request, the automatic throttle with thrust and needle smoothing,
// the DSKY's flash and delays, message expiry, callout spacing and key delays. Also the engine
// starts and the stage separation.
#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "program/flight/vector3.h"

inline bool Busy = false;        // a mouse button is down or the window is being changed
inline int32_t ScreenWidth = 0;  // pixels of the drawing area
inline int32_t ScreenHeight = 0;
inline float ScreenScaleX = 0.0f;           // ScreenWidth / 1600
inline float ScreenScaleY = 0.0f;           // ScreenHeight / 1200
inline bool SimulationInitialised = false;  // the scene has been built
inline int32_t ExplosionFrame = 1;          // 1 to 13
inline int32_t ThrustAverageLength = 0;     // throttle commands in the thrust mean
inline float AutoThrottleCountdown = 0.0f;  // seconds
// The staging display of the frame loop: on, its time and its length (seconds).
struct StagingDisplay {
  bool On = false;
  float Time = 0.0f;
  float Length = 0.0f;
};
inline StagingDisplay StagingEffect;

// The smoothing record of the 100 ms tick.
inline constexpr int ThrottleRingSize = 51;
inline constexpr int NeedleRingSize = 10;
struct SmoothingRecord {
  float DeadZone = 0.0f;
  std::array<float, 3> AxisSpread{};  // pitch, roll, yaw after the dead zone, -42 to 42
  std::array<float, 3> AxisShaped{};
  std::array<float, 3> AxisOutput{};  // 0 to 1, 0.5 centred
  float Correction = 0.0f;            // throttle fraction
  float Gain = 0.0f;
  float Band = 0.0f;                                   // ft/s
  std::array<float, ThrottleRingSize> ThrottleRing{};  // slots 1 to ThrustAverageLength used
  int32_t ThrottleIndex = 0;
  std::array<std::array<float, NeedleRingSize + 1>, 3> NeedleRings{};  // roll, pitch, yaw; 1..10
  std::array<int32_t, 3> NeedleIndex{};
  float NeedleLimitLow = 0.0f;   // radians
  float NeedleLimitHigh = 0.0f;  // radians
};
inline SmoothingRecord Smoothing;
// The hand-controller axis values (pitch, roll, yaw), 0 to 1, 0.5 centred.
inline std::array<float, 3> HandControllerAxes{0.5f, 0.5f, 0.5f};

// What leaving a flight for the launcher does on the launcher's side; set by the launcher.
inline std::function<void()> ShowLauncherAfterFlight;

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

// Stops every timer of the main display but the callout timers and TimerMovie.
void StopAllTimers();
// The window's size and scale after a resize; re-enters the flight after a minimise.
void MainDisplayResize();
// Carries out ExitRequest: 1 back to the launcher, 2 replay, 3 restart.
void CarryOutExitRequest();
// The 100 ms tick: stick shaping, automatic throttle, thrust and needle smoothing.
void AverageTick();
// Velocity (world axes) and life (seconds) of a new ascent exhaust particle.
void NewAscentParticle(Vector3& velocity, float& life);
void StartAscentEngine();
void StartDescentEngine();
void StageAndAscend();
