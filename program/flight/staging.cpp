#include "program/flight/staging.h"

#include "platform/forms/event_pump.h"
#include "platform/win/rnd.h"
#include "program/cockpit/cockpit_services.h"
#include "program/cockpit/screen_messages.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/input/input_state.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_services.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"

namespace {

constexpr uint32_t StagingTextColour = 0xFFFF8000;
constexpr uint32_t StagingBackColour = 0xFFFFFFFF;
constexpr int32_t AlreadyStagedText = 176;
constexpr int32_t StagedText = 177;
constexpr float StagingKick = 0.2f;       // ft/s up the LM's axis
constexpr float AscentStageLift = -3.0f;  // world units

}  // namespace

void StartAscentEngine() {
  AscentStageFlying = Staged = true;
  Landed = EngineOff = false;
  CommandedVerticalRate = 8000.0f;
  AutoThrottleOn = true;
  ControlStartRecord = ContactRecord = LowGateIndex = FirstTouchRecord = FlightRecordCount = 0;
  ScoreShown = ContactLightOn = false;
  FrameTimeMs = 0.0f;
  ReplayIndex = 1;
  MissionTime = 0.0;
  // The event timer counts the ascent from the mission clock at ignition.
  EventClock = MissionClock;
  CurrentView.Active = false;
  CurrentView.HudMode = 1;
  EVAStarted = false;
  MainDisplayForm& form = *Main_Display;
  form.TimerAverage.SetEnabled(true);
  Fuel = AscentFuelMass;
  EngineThrust = APSThrust;
  ThrustAverage = 1.0f;
  ThrottleCommand = 1.0f;
  if (SoundOn) {
    PlaySeparationSound();
    PlayEngineSound();
  }
  form.Timer_Ascent_Particle.SetEnabled(true);
  forms::DoEvents();
  StartAscentExhaust(0.2f, 0.0f, 30.0f);
}

void StartDescentEngine() {
  EngineOff = false;
  // The burn itself now pushes the propellant down: the ullage translation ends.
  UllageTranslation = false;
  AutoThrottleOn = true;
  Main_Display->TimerAverage.SetEnabled(true);
  Fuel = DescentFuelMass;
  EngineThrust = DPSThrust;
  ThrustAverage = 0.1f;
  ThrottleCommand = 0.1f;
  if (SoundOn) {
    PlaySeparationSound();
    PlayEngineSound();
  }
}

void StageAndAscend() {
  if (Staged) {
    ShowMessage(UiText[AlreadyStagedText], StagingMessageMs, StagingBackColour, StagingTextColour);
    return;
  }
  ShowMessage(UiText[StagedText], StagingMessageMs, StagingBackColour, StagingTextColour);
  StagingEffect = {true, 0.0f, StagingSeconds};
  const Vector3 kick = PivotTransformVector({0.0f, StagingKick, 0.0f});
  OffsetLMMeshes(AscentStageLift);
  Fuel = AscentFuelMass;
  AscentStageFlying = Staged = true;

  DescentStageTumbleRates = {RollAxis.Rate - 0.03f + 0.06f * win::Rnd(),
                             PitchAxis.Rate - 0.03f + 0.06f * win::Rnd(),
                             YawAxis.Rate - 0.02f + 0.04f * win::Rnd()};
  const Vector3d before = LMVelocity;
  // A staging with the probe held in the drogue leaves the ascent stage with the command module.
  if (Docked || ProbeCaptured || ProbeRetracting)
    LMVelocity = {};
  else
    LMVelocity = {LMVelocity.x + kick.x, LMVelocity.y + kick.y, LMVelocity.z + kick.z};
  // The descent stage recoils against the kick.
  DescentStageVelocity = {before.x - kick.x, before.y - kick.y, before.z - kick.z};

  if (SoundOn) PlaySeparationSound();
  MainDisplayForm& form = *Main_Display;
  form.Timer_Ascent_Particle.SetEnabled(true);
  forms::DoEvents();
  StartAscentExhaust(0.0f, 0.0f, 8.0f);
}
