#include "program/flight/main_display.h"

#include <algorithm>
#include <cmath>

#include "platform/forms/event_pump.h"
#include "platform/win/rnd.h"
#include "program/cockpit/cockpit_services.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_display.h"
#include "program/cockpit/dsky_timers.h"
#include "program/cockpit/screen_messages.h"
#include "program/cockpit/sound_setup.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_run.h"
#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/input/flying.h"
#include "program/input/input_state.h"
#include "program/missions/dev_tools.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_services.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"

namespace {

constexpr int32_t ExplosionLastFrame = 13;
constexpr float StickDeadZone = 0.3f;
constexpr float StickSpread = 84.0f;
constexpr float StickShapeOffset = 10.5f;
constexpr float StickShapeGain = 0.00045335f;
constexpr float AutoThrottleGain = 15.0f;
constexpr float P40ThrottleStep = 0.01f;  // per tick
constexpr float SmallestVerticalThrust = 0.0001f;
constexpr float NeedleLimit = 0.43633232f;  // radians, 25 degrees

void OneShot(forms::Timer& timer) { timer.SetEnabled(false); }

void ReturnToFrameLoop() {
  if (MissionType == OrbitalMission)
    RunOrbitalFrameLoop();
  else
    RunFrameLoop();
}

void ShapeHandController() {
  Smoothing.DeadZone = UseJoystick || UseMouse ? StickDeadZone : 0.0f;
  for (size_t k = 0; k < HandControllerAxes.size(); ++k) {
    const float u =
        ApplyDeadZone(Smoothing.DeadZone, HandControllerAxes[k]) * StickSpread - StickSpread / 2.0f;
    const float s = (std::fabs(u) + StickShapeOffset) * u * StickShapeGain;
    Smoothing.AxisSpread[k] = u;
    Smoothing.AxisShaped[k] = s;
    Smoothing.AxisOutput[k] = (s + 1.0f) / 2.0f;
  }
}

// Holds the descent rate at CommandedVerticalRate: the hover throttle plus a correction once the
// rate leaves a band that is drawn afresh each tick.
void RunAutoThrottle() {
  Smoothing.Correction = 0.0f;
  Smoothing.Gain = AutoThrottleGain;
  Smoothing.Band = win::Rnd() / 2.0f;
  const float vy = static_cast<float>(LMVelocity.y);
  const float r = CommandedVerticalRate;
  if (r + Smoothing.Band < vy || r - Smoothing.Band > vy)
    Smoothing.Correction = (r - vy) / Smoothing.Gain;
  if (CurrentProgram == P40) {
    Smoothing.Correction = P40ThrottleStep;
    ThrottleCommand += P40ThrottleStep;
  } else {
    if (ThrustDirection.y == 0.0f) ThrustDirection.y = SmallestVerticalThrust;
    if (!ReplayPlayback) {
      float hover = Weight / (EngineThrust * ThrustDirection.y);
      // No engine thrust can hold the LM: full throttle.
      if (!std::isfinite(hover)) hover = 1.0f;
      ThrottleCommand = hover + Smoothing.Correction;
    }
  }
  if (!ReplayPlayback || CurrentProgram == P40)
    ThrottleCommand = std::clamp(ThrottleCommand, MinThrottle, 1.0f);
  AutoThrottleCountdown =
      std::max(0.0f, AutoThrottleCountdown - MainDisplayForm::AverageTickMs / 1000.0f);
}

// The applied thrust follows the command as the mean of the last ThrustAverageLength commands.
void SmoothThrust() {
  const int32_t length = std::clamp(ThrustAverageLength, 0, ThrottleRingSize - 1);
  ++Smoothing.ThrottleIndex;
  if (Smoothing.ThrottleIndex >= ThrottleRingSize) Smoothing.ThrottleIndex = 1;
  Smoothing.ThrottleRing[static_cast<size_t>(Smoothing.ThrottleIndex)] = ThrottleCommand;
  if (Smoothing.ThrottleIndex >= length) Smoothing.ThrottleIndex = 0;
  // Before any program has set a length the mean is the latest command alone.
  const int32_t counted = std::max(length, 1);
  float sum = 0.0f;
  for (int32_t i = 1; i <= counted; ++i) sum += Smoothing.ThrottleRing[static_cast<size_t>(i)];
  ThrustAverage = sum / static_cast<float>(counted);
}

void SmoothNeedles() {
  const std::array<const AttitudeAxis*, 3> axes{&RollAxis, &PitchAxis, &YawAxis};
  std::array<AttitudeAxis*, 3> writable{&RollAxis, &PitchAxis, &YawAxis};
  for (size_t k = 0; k < axes.size(); ++k) {
    int32_t& index = Smoothing.NeedleIndex[k];
    if (++index > NeedleRingSize) index = 1;
    auto& ring = Smoothing.NeedleRings[k];
    ring[static_cast<size_t>(index)] = axes[k]->NeedlePosition;
    float sum = 0.0f;
    for (int i = 1; i <= NeedleRingSize; ++i) sum += ring[static_cast<size_t>(i)];
    writable[k]->NeedleSmoothed = sum / NeedleRingSize;
  }
  Smoothing.NeedleLimitLow = -NeedleLimit;
  Smoothing.NeedleLimitHigh = NeedleLimit;
}

void ExplosionTick(forms::Timer& timer) {
  if (++ExplosionFrame > ExplosionLastFrame) {
    ExplosionFrame = 1;
    timer.SetEnabled(false);
  }
}

}  // namespace

void ConnectMainDisplay() {
  Main_Display.Connect([](MainDisplayForm& form) {
    form.Load = [] { CreateExhaustEmitters(); };
    form.MouseDown = [](forms::MouseButton, int16_t, float, float) { Busy = true; };
    form.MouseUp = [](forms::MouseButton, int16_t, float, float) { Busy = false; };
    form.QueryUnload = [](bool&, forms::UnloadMode) {
      ShutDownSimulator();
      forms::End();
    };
    form.Resize = [] { MainDisplayResize(); };

    form.Timer_Test_Exit.Timer = [] { CarryOutExitRequest(); };
    form.TimerAverage.Timer = [] { AverageTick(); };
    form.DSKY_Display_Update.Timer = [] { UpdateDSKYDisplay(); };
    form.DSKYFlash.Timer = [] { DSKYFlashTick(); };
    form.DSKYReset.Timer = [&form] {
      DisplayHold = false;
      OneShot(form.DSKYReset);
      ClearDSKYLights();
    };
    form.DSKYStartProgram.Timer = [&form] { OneShot(form.DSKYStartProgram); };
    form.Timer_Program_Message.Timer = [&form] {
      OneShot(form.Timer_Program_Message);
      MessageText[0].Text.clear();
    };
    form.Timer_Program_Message2.Timer = [&form] { OneShot(form.Timer_Program_Message2); };
    form.TimerTalk.Timer = [&form](int16_t channel) { OneShot(form.TimerTalk(channel)); };
    form.Timer_Ascent_Particle.Timer = [&form] { OneShot(form.Timer_Ascent_Particle); };
    form.TimerExplosion.Timer = [&form] { ExplosionTick(form.TimerExplosion); };
    form.TimerKeyPress.Timer = [&form] {
      OneShot(form.TimerKeyPress);
      KeyDelayActive = false;
      form.TimerKeyPress.SetInterval(MainDisplayForm::KeyDelayMs);
    };
    form.TimerSpecialCharacter.Timer = [&form] {
      ShiftPending = CtrlPending = WindowsKeyPending = AltPending = false;
      OneShot(form.TimerSpecialCharacter);
    };
    form.TimerP64.Timer = [&form] { OneShot(form.TimerP64); };
    form.ButtonTimer.Timer = [&form] { OneShot(form.ButtonTimer); };
    form.TimerAutoNode.Timer = [] { AddPathNode(); };
  });
}

void StopAllTimers() {
  MainDisplayForm& form = *Main_Display;
  for (forms::Timer* timer :
       {&form.ButtonTimer, &form.DSKY_Display_Update, &form.DSKYFlash, &form.DSKYReset,
        &form.DSKYStartProgram, &form.Timer_Ascent_Particle, &form.Timer_Test_Exit,
        &form.Timer_Program_Message, &form.Timer_Program_Message2, &form.Timer_Replay,
        &form.TimerAutoNode, &form.TimerExplosion, &form.TimerAverage, &form.TimerKeyPress,
        &form.TimerP64, &form.TimerRCS, &form.TimerRCSP64, &form.TimerSpecialCharacter,
        &form.TimerVortanaPause})
    timer->SetEnabled(false);
}

void MainDisplayResize() {
  MainDisplayForm& form = *Main_Display;
  if (Busy || form.TimerKeyPress.Enabled()) return;
  const int32_t fontHeight = ScreenHeight;
  // In full screen the window keeps the display mode's size, but a flight minimised from full
  // screen must still resume when the window comes back.
  if (!FullScreen) {
    StoreWindowSize(form);
    WindowHeight = form.Height();
    WindowWidth = form.Width();
    WindowTop = form.Top();
    WindowLeft = form.Left();
  }
  if (!SimulationInitialised) return;
  if (form.GetWindowState() == forms::WindowState::Minimized) {
    RunFlag = false;
    return;
  }
  if (!FullScreen) UpdateEngineWindowSize();
  if (RunFlag) {
    // The fonts are sized by the screen's height: a flight going on gets them at the new one.
    if (ScreenHeight != fontHeight) RecreateFonts();
    return;
  }
  RecreateFonts();
  RunFlag = true;
  // The frame loop is entered again from the outermost loop, not from inside this event.
  forms::Defer(ReturnToFrameLoop);
}

void CarryOutExitRequest() {
  MainDisplayForm& form = *Main_Display;
  form.Timer_Test_Exit.SetEnabled(false);
  switch (ExitRequest) {
    case 1:
      StopAllTimers();
      ReleaseInputDevices();
      RunFlag = false;
      StopAllSounds();
      UpdateEngineWindowSize();
      Busy = true;
      if (FullScreen)
        form.Move(WindowLeft, WindowTop, WindowWidth, WindowHeight);
      else
        form.Move(form.Left(), form.Top(), WindowWidth, WindowHeight);
      WindowTop = form.Top();
      WindowLeft = form.Left();
      forms::DoEvents();
      Busy = false;
      StoreWindowSize(form);
      SetEngineWindowed();
      form.Hide();
      forms::DoEvents();
      if (ShowLauncherAfterFlight) ShowLauncherAfterFlight();
      break;
    case 2:
    case 3:
      StopAllTimers();
      SettingsOverlayShown = false;
      // A restart or replay asked for during the opening fly-by flies at once: the fly-by flag of
      // the last flight would otherwise hold the next one with the controls off and no engine.
      IntroFlyby = false;
      ReplayPlayback = ExitRequest == 2;
      StopAllSounds();
      if (SoundOn) RestartMusic();
      // The next flight runs from the outermost loop once this flight's frames have unwound, so
      // restarts never nest one flight inside another.
      forms::Defer(RunFlight);
      break;
    default:
      break;
  }
}

void AverageTick() {
  if (!RunFlag || !ControlsActive) return;
  ShapeHandController();
  if (AutoThrottleOn && !EngineOff) RunAutoThrottle();
  SmoothThrust();
  SmoothNeedles();
}
