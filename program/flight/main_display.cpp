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

constexpr int32_t ExitTimerMs = 10;
constexpr int32_t AverageTickMs = 100;
constexpr int32_t DSKYDisplayMs = 1000;
constexpr int32_t DSKYFlashMs = 500;
constexpr int32_t DSKYDelayMs = 2000;
constexpr int32_t CalloutSpacingMs = 3000;
constexpr int32_t ShortCalloutSpacingMs = 700;  // channel 9
constexpr int16_t ShortCalloutChannel = 9;
constexpr int32_t AscentParticleMs = 3000;
constexpr int32_t ExplosionFrameMs = 75;
constexpr int32_t ExplosionLastFrame = 13;
constexpr int32_t KeyDelayMs = 200;
constexpr int32_t ModifierMemoryMs = 500;
constexpr int32_t P64SpacingMs = 500;
constexpr int32_t ButtonDelayMs = 200;
constexpr int32_t PathNodeMs = 1000;
constexpr int32_t IdleTimerMs = 100;
constexpr int32_t RCSIdleTimerMs = 500;
constexpr int32_t RCSP64IdleTimerMs = 200;
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
  AutoThrottleCountdown = std::max(0.0f, AutoThrottleCountdown - AverageTickMs / 1000.0f);
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

MainDisplayForm::MainDisplayForm() : Form("Main_Display") {
  SetRenderSurface(true);
  const std::array<std::pair<forms::Timer*, int32_t>, 20> designed{{
      {&Timer_Test_Exit, ExitTimerMs},
      {&TimerAverage, AverageTickMs},
      {&DSKY_Display_Update, DSKYDisplayMs},
      {&DSKYFlash, DSKYFlashMs},
      {&DSKYReset, DSKYDelayMs},
      {&DSKYStartProgram, DSKYDelayMs},
      {&Timer_Program_Message, StagingMessageMs},
      {&Timer_Program_Message2, DSKYDisplayMs},
      {&Timer_Ascent_Particle, AscentParticleMs},
      {&TimerExplosion, ExplosionFrameMs},
      {&TimerKeyPress, KeyDelayMs},
      {&TimerSpecialCharacter, ModifierMemoryMs},
      {&TimerP64, P64SpacingMs},
      {&ButtonTimer, ButtonDelayMs},
      {&TimerAutoNode, PathNodeMs},
      {&TimerVortanaPause, IdleTimerMs},
      {&Timer_Replay, IdleTimerMs},
      {&TimerRCS, RCSIdleTimerMs},
      {&TimerRCSP64, RCSP64IdleTimerMs},
      {&TimerMovie, IdleTimerMs},
  }};
  for (const auto& [timer, interval] : designed) {
    timer->SetInterval(interval);
    timer->SetEnabled(timer == &TimerSpecialCharacter);
  }
  for (int16_t channel = 1; channel <= 10; ++channel) {
    TimerTalk(channel).SetInterval(channel == ShortCalloutChannel ? ShortCalloutSpacingMs
                                                                  : CalloutSpacingMs);
    TimerTalk(channel).SetEnabled(false);
  }

  Load = [] { CreateExhaustEmitters(); };
  MouseDown = [](forms::MouseButton, int16_t, float, float) { Busy = true; };
  MouseUp = [](forms::MouseButton, int16_t, float, float) { Busy = false; };
  QueryUnload = [](bool&, forms::UnloadMode) {
    ShutDownSimulator();
    forms::End();
  };
  Resize = [] { MainDisplayResize(); };

  Timer_Test_Exit.Timer = [] { CarryOutExitRequest(); };
  TimerAverage.Timer = [] { AverageTick(); };
  DSKY_Display_Update.Timer = [] { UpdateDSKYDisplay(); };
  DSKYFlash.Timer = [] { DSKYFlashTick(); };
  DSKYReset.Timer = [this] {
    DisplayHold = false;
    OneShot(DSKYReset);
    ClearDSKYLights();
  };
  DSKYStartProgram.Timer = [this] { OneShot(DSKYStartProgram); };
  Timer_Program_Message.Timer = [this] {
    OneShot(Timer_Program_Message);
    MessageText[0].Text.clear();
  };
  Timer_Program_Message2.Timer = [this] { OneShot(Timer_Program_Message2); };
  TimerTalk.Timer = [this](int16_t channel) { OneShot(TimerTalk(channel)); };
  Timer_Ascent_Particle.Timer = [this] { OneShot(Timer_Ascent_Particle); };
  TimerExplosion.Timer = [this] { ExplosionTick(TimerExplosion); };
  TimerKeyPress.Timer = [this] {
    OneShot(TimerKeyPress);
    KeyDelayActive = false;
    TimerKeyPress.SetInterval(KeyDelayMs);
  };
  TimerSpecialCharacter.Timer = [this] {
    ShiftPending = CtrlPending = WindowsKeyPending = AltPending = false;
    OneShot(TimerSpecialCharacter);
  };
  TimerP64.Timer = [this] { OneShot(TimerP64); };
  ButtonTimer.Timer = [this] { OneShot(ButtonTimer); };
  TimerAutoNode.Timer = [] { AddPathNode(); };
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
