// The two frame loops: the surface missions' and the Orbital mission's, with the steps they share
// (focus, display mode, time step, screenshot, present, one yield) and the small routines the
// surface loop owns.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/forms/forms.h"
#include "platform/win/app_path.h"
#include "platform/win/numbers.h"
#include "platform/win/performance_counter.h"
#include "platform/win/rnd.h"
#include "program/cockpit/cockpit_services.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_canvas.h"
#include "program/cockpit/dsky_display.h"
#include "program/cockpit/dsky_keys.h"
#include "program/cockpit/dsky_programs.h"
#include "program/cockpit/engine_screen2d.h"
#include "program/cockpit/help_overlays.h"
#include "program/cockpit/hud_panel.h"
#include "program/cockpit/instruments.h"
#include "program/cockpit/landing_guidance.h"
#include "program/cockpit/screen_messages.h"
#include "program/cockpit/small_readouts.h"
#include "program/cockpit/sound_setup.h"
#include "program/cockpit/voice_callouts.h"
#include "program/flight/attitude_control.h"
#include "program/flight/docking.h"
#include "program/flight/flight_dynamics.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_run.h"
#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/flight/frame_step.h"
#include "program/flight/main_display.h"
#include "program/input/flying.h"
#include "program/input/input_state.h"
#include "program/input/joystick_devices.h"
#include "program/input/key_dispatch.h"
#include "program/input/menu.h"
#include "program/input/mouse_input.h"
#include "program/missions/dev_tools.h"
#include "program/missions/ini.h"
#include "program/missions/missions_state.h"
#include "program/missions/replay_file.h"
#include "program/missions/scoring.h"
#include "program/scene/engine_objects.h"
#include "program/scene/lm_placement.h"
#include "program/scene/placement.h"
#include "program/scene/scene_resources.h"
#include "program/scene/scene_services.h"
#include "program/scene/scene_state.h"
#include "program/scene/view_surfaces.h"
#include "program/scene/views.h"
#include "program/scene/world_models.h"
#include "program/startup/startup_state.h"

namespace {

constexpr int32_t ScreenDumpText = 38;
constexpr int32_t RaceEndedText = 205;
constexpr int32_t RacingScoreText = 206;
constexpr int32_t TotalScoreText = 207;
constexpr int32_t RaceStartedText = 208;
constexpr int32_t FinishLineText = 209;
constexpr int16_t MissionEventChannel = 9;
constexpr int32_t MissionEventMs = 4000;
constexpr int32_t ScreenshotMessageMs = 2000;
constexpr int32_t RaceMessageMs = 4000;
constexpr int32_t ScoreMessageMs = 20000;
constexpr int32_t SilentAttenuation = -4000;
constexpr float EngineNoiseFloor = 20.0f;  // volume of the engine noise at the lowest thrust
constexpr float EngineNoiseCurve = 2.8f;
constexpr float RaceStartX = 1600.0f;  // world units
constexpr float FinishX = 400.0f;
constexpr float FinishZ = 1500.0f;
constexpr float FlybyEndDistance = 10.0f;
constexpr float DSKYRedrawSeconds = 0.1f;
constexpr float CounterDriftLimit = 0.05f;
constexpr float CounterDriftGain = 0.04f;
constexpr float CounterDriftBias = 0.48f;
constexpr int32_t GroundContactFeet = 10;  // below it the attitude ball is measured each frame
constexpr int32_t ScorchFadeLeast = 10;    // of the fade's hundredths
constexpr int32_t ScoreGateLowFeet = 5;
constexpr int32_t ScoreGateHighFeet = 250;
constexpr int32_t LowGateAltitudeFeet = 100;
constexpr int32_t LowFlightFeet = 200;
constexpr int32_t ShadowFeet = 400;
constexpr float CameraTerrainFeet = 1.45f;  // feet per world unit of the camera's height
constexpr float MoonTurnPerSecond = 0.000872664625997165f;  // radians, 0.05 degree
constexpr float CrashCameraDistance = 150.0f;               // world units from the crash site
constexpr float CrashCameraPitch = -PiSingle / 4;           // radians: 45 degrees above the site
constexpr float CrashCameraTurn = 20.0f;                    // degrees of yaw per second
constexpr float GroundViewEyeHeight = 4.0f;  // world units above the terrain: a standing eye
// The ground view stands this many times the LM's height away, so that it sees the LM about 20
// degrees up, with the horizon in the picture.
constexpr float GroundViewReachPerHeight = 2.75f;
constexpr float DrogueApproachRange = 10.0f;
constexpr float DrogueReachRange = 0.11f;
constexpr float OrbitalSunAzimuth = PiSingle / 2.005f;
constexpr float OrbitalSunElevation = 0.2617994f;
constexpr float OrbitalJetForce = 200.0f;           // lbf of the translation jets
constexpr double OrbitalDescentFullTank = 18002.0;  // pounds, 100 % on the gauge in orbit
constexpr float SmallIncrement = 0.0001f;
constexpr double OrbitalDeadband = 0.014;  // radians, the manual attitude deadband in orbit
constexpr int32_t AscentEndFeet = 1000;    // an engine cut-off higher than this ends the ascent
constexpr int32_t AscentFadeMs = 2000;
constexpr float PathNodeApproach = 400.0f;  // nodes at which the recording camera reaches the LM
constexpr int32_t ModeSettleMs = 500;
constexpr int32_t OrbitalModeSettleMs = 1000;

// --- Steps both loops share
// -----------------------------------------------------------------------

// Releases the input devices when the window loses the focus and takes them back when it regains
// it, once for each change.
void HandleFocus(bool& inputReleased) {
  const bool active = Engine->IsWindowActive();
  if (active && inputReleased) {
    InputEngine->Reinitialise(true, 0);
    inputReleased = false;
    ApplySoundVolumes();
  } else if (!active && !inputReleased) {
    InputEngine->ReleaseDevices();
    inputReleased = true;
    ApplySoundVolumes();
  }
}

// The Orbital loop first brings the engine up to the window's size and settles longer, with no
// yield after the settle.
void ApplyDisplayMode(bool orbital) {
  if (!DisplayModePending || DisplayModeApplied) return;
  DisplayModePending = false;
  DisplayModeApplied = true;
  if (orbital) UpdateEngineWindowSize();
  if (FullScreen) {
    ScreenWidth = DisplayModeWidth;
    ScreenHeight = DisplayModeHeight;
    ScreenScaleY = static_cast<float>(ScreenHeight) / ReferenceHeight;
    ScreenScaleX = static_cast<float>(ScreenWidth) / ReferenceWidth;
    Engine->EnterFullScreen(DisplayModeWidth, DisplayModeHeight, DisplayModeBits, SetDepthBuffer);
    Screen2DText->ResetFonts();
    forms::DoEvents();
    CreateFonts();
    GraphicEffect->SetGamma(Gamma);
    Engine->RefreshAfterModeChange(orbital ? OrbitalModeSettleMs : ModeSettleMs);
    if (!orbital) forms::DoEvents();
  } else {
    GraphicEffect->SetGamma(Gamma);
  }
  FlybyTime = 0.0f;
}

float TakeFrameStep(float screenshotMs, bool menuStopsTime) {
  FramesPerSecond = MovieCapture ? CaptureFrameRate : Engine->GetFrameRate();
  float ms = FrameStepMs(Engine->GetElapsedTime(), screenshotMs, FramesPerSecond);
  if (menuStopsTime && MenuShown) ms = 0.0f;
  if (MovieCapture && CaptureFrameRate > 0.0f) ms = 1000.0f / CaptureFrameRate;
  FrameTimeMs = ms;
  MissionTime += ms;
  FrameTimeSec = ms / 1000.0f;
  return ms;
}

void RunInputStep() {
  ProcessKeyCommands();
  ProcessMouse();
  UpdateKeyHoldRamp();
  DrawDataDisplays();
}

void CoolJetSound() {
  RCSSoundCooldown -= FrameTimeSec;
  if (RCSSoundCooldown < 0.0f) {
    RCSSoundCooldown = -1.0f;
    if (SoundOn && IsPlaying(RCSLoopSound)) RCSLoopSound->SetLooping(false);
  }
}

void HideJetPlumes() {
  for (int plume = 1; plume <= RCSPlumeCount; ++plume)
    if (RCSPlumes[static_cast<size_t>(plume)]) RCSPlumes[static_cast<size_t>(plume)]->Enable(false);
}

// The flame of the firing stage flickers: a random picture of the plume set, a random turn.
void ShowEngineFlame() {
  const MeshPtr& flame = AscentStageFlying ? AscentEngineFlame : EngineFlame;
  if (!flame) return;
  // Pictures 1 to 5, rounded as a whole number: the half-way draws go to the even picture.
  const int32_t picture = win::RoundHalfEven(win::Rnd() * 4.0f + 1.0f);
  flame->SetTexture(TextureIds.RCSPlume[static_cast<size_t>(picture - 1)], -1.0f);
  flame->SetRotation(0.0f, win::Rnd(), 0.0f);
  flame->Enable(true);
}

void HideEngineFlames() {
  for (const MeshPtr* flame : {&EngineFlame, &AscentEngineFlame})
    if (*flame) (*flame)->Enable(false);
}

void DrawDSKYWhenDue(float& accumulator) {
  accumulator += FrameTimeSec;
  if (accumulator <= DSKYRedrawSeconds || !DSKYSurface || !DSKYLightsSurface) return;
  accumulator = 0.0f;
  DrawDSKY();
  EngineDSKYCanvas canvas;
  DrawDSKYLights(canvas);
}

// The screenshot of this frame when one is asked for; its time in ms is kept out of the next step.
float TakeScreenshotWhenAsked() {
  if (!MovieCapture && !ScreenshotRequest) return 0.0f;
  const int64_t frequency = win::QueryPerformanceFrequency();
  const int64_t start = win::QueryPerformanceCounter();
  SaveScreenshot();
  const int64_t end = win::QueryPerformanceCounter();
  return static_cast<float>(static_cast<double>(end - start) / static_cast<double>(frequency) *
                            1000.0);
}

void DrawMessages(Screen2D& screen) {
  MainDisplayForm& form = *Main_Display;
  if (form.Timer_Program_Message.Enabled()) DrawMessage(screen);
  if (form.Timer_Program_Message2.Enabled()) DrawMessage2(screen);
  if (!MessageText[2].Text.empty()) DrawMessage3(screen);
}

EngineScreen2D MessageScreen() {
  return EngineScreen2D(*Engine, *Screen2DDraw, *Screen2DText, FontIds[MessageFont]);
}

// Presents the frame, marks it settled and yields once; false when the loop ends here.
bool PresentAndYield() {
  Engine->RenderToScreen();
  Busy = false;
  FrameSettled = true;
  forms::DoEvents();
  return RunFlag;
}

// The loops run no frame on a dead engine: an engine failure inside a frame shows its text and
// takes the flight back to the launcher, as leaving it does.
bool RunGuardedFrame(bool (*frame)(FrameLocals&), FrameLocals& locals) {
  try {
    return frame(locals);
  } catch (const std::exception& error) {
    forms::MsgBox(error.what(), forms::MsgBoxButtons::Ok, forms::MsgBoxIcon::Exclamation,
                  "Marovin");
    RunFlag = false;
    ExitRequest = 1;
    Main_Display->Timer_Test_Exit.SetEnabled(true);
    return false;
  }
}

// --- The surface loop ---------------------------------------------------------------------------

void RunGuidanceStep(MainDisplayForm& form) {
  if (IntroFlyby || !ControlsActive || !FrameSettled) return;
  switch (CurrentProgram) {
    case P12:
    case P70:
    case P71:
      if (Staged) UpdatePitchSchedule();
      break;
    case P63:  // the braking phase flies the same law toward the landing spot
    case P64:
      UpdateNeedleAngles();
      break;
    default:
      break;
  }
  if (CurrentProgram == P64 && AltitudeFeet > 0 &&
      static_cast<float>(AltitudeFeet) < P64LowGateHeight) {
    form.DSKYStartProgram.SetEnabled(true);
    StartP66();
  }
  // The approach that the landing's score fits ends at the first sample 100 ft up or lower.
  if (LowGateIndex == 0 && AltitudeFeet <= LowGateAltitudeFeet) LowGateIndex = FlightRecordCount;
  if (PGNSSwitch.SwitchPosition < PGNSAuto) {
    if (ControlStartRecord == 0 && MissionType != LMRaceMission)
      ControlStartRecord = FlightRecordCount;
    ManualControlTime += FrameTimeSec;
  }
  if (!AutoThrottleOn) ManualThrottleTime += FrameTimeSec;
  if (AltitudeFeet > ScoreGateLowFeet && AltitudeFeet < ScoreGateHighFeet &&
      PGNSSwitch.SwitchPosition == PGNSAuto && !ReplayPlayback)
    ScoreEligible = false;
}

bool InFinishArea() { return LMMeshPosition.x < FinishX && LMMeshPosition.z > FinishZ; }

void EndLanding(MainDisplayForm& form, bool& landingHandled) {
  if (!EngineOff || landingHandled) return;
  ThrottleCommand = 0.0f;
  if (!Landed) return;
  landingHandled = true;
  // A replayed landing keeps the replay it came from: nothing of it is the last flight.
  if (!ReplayPlayback && !ReplayLoaded) SaveReplay(-1);
  if (MissionType == LMRaceMission) {
    ScoreEligible = InFinishArea();
    if (ScoreEligible) ShowMessage(UiText[RaceEndedText], RaceMessageMs, BlackBox, GreenText);
  }
  if (Crashed) return;
  if (MissionType != LMRaceMission && SoundOn && LandedSound) {
    LandedSound->SetLooping(false);
    LandedSound->Play();
  }
  if (ScoreShown || !ScoreEligible) return;
  ScoreShown = true;
  MeasureSurfaceUnevenness();
  form.TimerTalk(MissionEventChannel).SetEnabled(true);
  const bool race = MissionType == LMRaceMission;
  if (race)
    ScoreRace();
  else
    ScoreLanding();
  const int32_t score = race ? CurrentScore.RaceTotal : CurrentScore.LandingTotal;
  ShowMessage2(UiText[race ? RacingScoreText : TotalScoreText] + " = " + std::to_string(score),
               ScoreMessageMs, 0xFFFFFFFF, 0xFF0000FF);
  ClearHudModes();
}

void SetEngineNoise() {
  if (!SoundOn || !DescentEngineSound) return;
  int32_t attenuation = SilentAttenuation;
  if (ControlsActive && !IntroFlyby && ThrustAverage > 0.0f) {
    const float thrust = std::min(ThrustAverage, 1.0f);
    int32_t volume = static_cast<int32_t>(win::RoundHalfEven(
        EngineNoiseFloor + (static_cast<float>(EngineVolume) - EngineNoiseFloor) *
                               (1.0f - std::pow(1.0f - thrust, EngineNoiseCurve))));
    attenuation = VolumeToAttenuation(volume);
  }
  DescentEngineSound->SetVolume(attenuation);
}

// Playback follows the loaded replay's samples by their times; recording keeps one sample every
// 100 ms. The samples of a loaded replay stay for its scoring once its playback has ended.
void PlayBackOrRecord(double& nextSampleTime) {
  if (AscentStageFlying) return;
  if (ReplayPlayback) {
    if (StepReplayIndex(ReplayCount, ReplayIndex, MissionTime)) InterpolateReplaySample();
    if (ReplayIndex >= ReplayCount - 2) {
      ReplayPlayback = false;
      if (AltitudeAboveGround < 2.0f) EngineOff = true;
    }
    return;
  }
  if (Landed || !FrameSettled || ReplayLoaded) return;
  if (!ReplaySampleDue(MissionTime, nextSampleTime, FlightRecordCount)) return;
  ++FlightRecordCount;
  FlightRecord[static_cast<size_t>(FlightRecordCount)] = CaptureFlightSample();
}

void ShowRaceMessages() {
  if (MissionType != LMRaceMission) return;
  if (ControlStartRecord == 0) {
    if (LMMeshPosition.x < RaceStartX) {
      ControlStartRecord = std::max(FlightRecordCount, 1);
      ShowMessage(UiText[RaceStartedText], RaceMessageMs, BlackBox, 0xFFFF8000);
    }
  } else if (InFinishArea()) {
    ShowMessage(UiText[FinishLineText], RaceMessageMs, GreenText, WhiteText);
  }
}

// The developer's placement tools take their keys each frame and list their state.
void RunDeveloperTools() {
  if (LandMoveMode) {
    std::array<engine::EngineLandscape*, LandTileCount> tiles{};
    for (size_t k = 0; k < tiles.size(); ++k) tiles[k] = LandTiles[k].get();
    RunLandMoveTool(*InputEngine, tiles);
  }
  if (SurveyorMoveMode) RunSurveyorMoveTool(*InputEngine);
}

void PlaceTiles() {
  for (int k = 0; k < LandTileCount; ++k) {
    auto& tile = LandTiles[static_cast<size_t>(k)];
    if (!tile) continue;
    const Vector3& at = LandTilePosition[static_cast<size_t>(k)];
    const Vector3& scale = LandTileScale[static_cast<size_t>(k)];
    tile->SetPosition(at.x - LMMeshPosition.x, at.y - LMMeshPosition.y, at.z - LMMeshPosition.z);
    tile->SetScale(scale.x, scale.y, scale.z);
  }
}

// The opening fly-by: the camera rides the recorded path until it comes within 10 of the LM. An
// empty path has nothing to show and ends the fly-by at once.
void FlyBy() {
  FlybyTime += FrameTimeSec;
  float distance = 0.0f;
  if (!SceneHelper->Points().empty()) {
    SceneHelper->MoveCamera(FlybyTime, 1.0f);
    const d3dx::D3DXVECTOR3 p = Engine->MainCamera().GetPosition();
    distance = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
  }
  CameraDistance = distance;
  // The fly-by ends in the menu: the flight itself begins with its Start, which runs it afresh
  // with the controls on and the engine heard.
  if (distance < FlybyEndDistance) {
    IntroFlyby = false;
    PathNodeCount = 0;
    SettingsOverlayShown = true;
  }
}

// The first view camera's place, read back for the sky, the view surfaces and the instruments.
void ReadBackViewCamera() {
  const d3dx::D3DXVECTOR3 at = ViewCameras[1]->GetPosition();
  ViewCameraPosition = {at.x, at.y, at.z};
  CameraDistance = std::sqrt(at.x * at.x + at.y * at.y + at.z * at.z);
}

// Puts the view camera at `position` looking at `target`. It chases the LM's pivot, lagging behind
// its turns, unless the chase is off or spot view 1 holds the camera still.
void AimViewCamera(const d3dx::D3DXVECTOR3& position, const Vector3& target, bool chase) {
  const d3dx::D3DXVECTOR3 at{target.x, target.y, target.z};
  engine::EngineCamera& camera = *ViewCameras[1];
  const bool held = SpotViewFlag && !SpotChase;
  if (chase && !held && CameraPivot)
    camera.ChaseMesh(*CameraPivot, position, at, 2.0f, -1,
                     engine::EngineMathLibrary::Distance3D(position, at) + 5.0f, 0, 1.0f);
  else
    camera.SetCamera(position, at);
  ReadBackViewCamera();
}

// Right after staging, the orbiting camera's look-at glides from the ascent stage's offset to the
// LM's origin over the staging display's length, so that the view does not jump with the stage.
Vector3 StagingLookAt() {
  if (!StagingEffect.On) return {};
  float t = StagingEffect.Length > 0.0f ? StagingEffect.Time / StagingEffect.Length : 1.0f;
  const Vector3 at = LerpVector(AscentStageMeshOffset, {}, t);
  if (t >= 1.0f)
    StagingEffect.On = false;
  else
    StagingEffect.Time += FrameTimeSec;
  return at;
}

// The ground view's camera stands on the terrain, in the world, where the view was chosen: out
// along the pilot's orbit yaw, far enough to see the LM low over the horizon, so that the LM is
// seen flying past the spot. It is placed on the first frame after the view is chosen; false
// where no terrain is.
Vector3 GroundCamera;  // world units
bool GroundCameraPlaced = false;

bool PlaceGroundCamera() {
  if (FrameSettled && GroundCameraPlaced) return true;
  const float height = std::max(AltitudeAboveGround, 0.0f) / std::max(WorldScale, 1.0f);
  // Nearer in, where the terrain does not reach that far out.
  d3dx::D3DXVECTOR3 spot{};
  float ground = NoTerrainHeight;
  for (float reach = CameraOrbitDistance + GroundViewReachPerHeight * height;
       reach >= CameraOrbitDistance && ground == NoTerrainHeight; reach /= 2.0f) {
    spot = engine::EngineMathLibrary::PointOnSphere({}, reach,
                                                    CameraOrbitYaw * RadiansPerDegreeSingle, 0.0f);
    ground = TerrainHeight(spot.x, spot.z);
  }
  GroundCameraPlaced = ground != NoTerrainHeight;
  GroundCamera = {spot.x + LMMeshPosition.x, ground + GroundViewEyeHeight + LMMeshPosition.y,
                  spot.z + LMMeshPosition.z};
  return GroundCameraPlaced;
}

// The camera orbiting the LM, for the spot views (and a flight with no view chosen), or standing
// on the ground for the ground view. After a crash it circles the site from above, on its own
// orbit.
void PlaceOrbitCamera() {
  CameraLookAt = StagingLookAt();
  FrameHook();
  if (Crashed) {
    const d3dx::D3DXVECTOR3 position = engine::EngineMathLibrary::PointOnSphere(
        {CameraLookAt.x, CameraLookAt.y, CameraLookAt.z}, CrashCameraDistance,
        CrashCameraYaw * RadiansPerDegreeSingle, CrashCameraPitch);
    CrashCameraYaw -= CrashCameraTurn * FrameTimeSec;
    AimViewCamera(position, CameraLookAt, false);
  } else if (ExteriorViewFlag && PlaceGroundCamera()) {
    AimViewCamera({GroundCamera.x - LMMeshPosition.x, GroundCamera.y - LMMeshPosition.y,
                   GroundCamera.z - LMMeshPosition.z},
                  CameraLookAt, false);
  } else {
    if (!LandMoveMode && LandTilesCreated) LiftCameraAboveTerrain();
    const d3dx::D3DXVECTOR3 position = OrbitCameraPoint(CameraLookAt);
    CameraGroundPoint = {position.x, position.y, position.z};
    AimViewCamera(position, CameraLookAt, true);
  }
  if (CurrentView.HudMode == 2) DrawCockpitDisplays();
}

bool SeenFromTheCabin() {
  return (InteriorViewFlag || EVAViewFlag || CockpitPanelFlag) && CameraMesh && CameraPivot;
}

// The eye points are the cabin's; after staging the cabin sits at the ascent stage's offset.
void SetEye(engine::EngineMesh& eye, const Vector3& position, const Vector3& rotation) {
  eye.SetPosition(position.x + AscentStageMeshOffset.x, position.y + AscentStageMeshOffset.y,
                  position.z + AscentStageMeshOffset.z);
  eye.SetRotation(rotation.x, rotation.y, rotation.z);
}

// The eye of a virtual-cockpit or EVA view: one step of the glide between two eyes while one
// plays, else the eye of the first active of those views.
void PlaceWindowViewEye(engine::EngineMesh& eye) {
  if (TransitionIndex > 0) {
    const auto step = static_cast<size_t>(TransitionIndex - 1);
    if (step < TransitionEye.size()) {
      SetEye(eye, TransitionEye[step], TransitionRotation[step]);
      FieldOfView = TransitionAngle[step];
    }
    if (++TransitionIndex > TransitionSteps || step >= TransitionEye.size()) TransitionIndex = 0;
    return;
  }
  for (int k = 0; k < VirtualCockpitViewCount; ++k) {
    if (!ViewRecords[static_cast<size_t>(VirtualView1 + k)].Active) continue;
    SetEye(eye, VirtualCockpitEye[static_cast<size_t>(k)],
           VirtualCockpitRotation[static_cast<size_t>(k)]);
    return;
  }
  if (ViewRecords[EVAView].Active) SetEye(eye, EVAEye, EVARotation);
}

// The cockpit panel views look out of the cabin from its fixed eye, forward and down by the
// mission's angles; the third looks by its own angles.
void PlacePanelViewEye(engine::EngineMesh& eye) {
  const bool third = ViewRecords[CockpitView3].Active;
  const float pitch = third ? FullScreenViewAngle : CockpitViewAngle;
  const float yaw = (third ? FullScreenViewYawAngle : 0.0f) - 90.0f;
  eye.SetRotation(pitch * RadiansPerDegreeSingle, yaw * RadiansPerDegreeSingle, 0.0f);
  eye.SetPosition(AscentStageMeshOffset.x, CockpitEyeHeight + AscentStageMeshOffset.y,
                  AscentStageMeshOffset.z);
}

// The views from the cabin take the view camera from the cockpit eye on the LM's pivot.
void PlaceCockpitEye() {
  engine::EngineMesh& eye = *CameraMesh;
  PlaceWindowViewEye(eye);
  if (CockpitPanelFlag) PlacePanelViewEye(eye);
  // Drawing the pivot brings the eye's matrix up to date with the LM's attitude.
  CameraPivot->Render();
  ViewCameras[1]->SetMatrix(eye.GetMatrix());
  DrawCockpitDisplays();
  RenderAscentStage();
  ReadBackViewCamera();
}

void PlaceCamera() {
  if (SeenFromTheCabin())
    PlaceCockpitEye();
  else
    PlaceOrbitCamera();
}

// The cabin is lit in the views from inside it; looking around from the hatch, more as the LM's
// shadow falls away.
void LightTheCabin() {
  if (!InteriorViewFlag && !EVAViewFlag) return;
  const float s = EVAViewFlag ? std::clamp(0.7f + 0.3f * (1.0f - ShadowFade), 0.0f, 1.0f) : 1.0f;
  d3d::D3DLIGHT8& light = LightRecords[NearPointLight];
  light.Diffuse.r = s - 0.07f;
  light.Diffuse.g = s;
  light.Diffuse.b = s - 0.04f;
  const Vector3 at = PivotTransformVector({});
  light.Position = {at.x, at.y, at.z};
  LightEngine->SetLight(LightIds[NearPointLight], light);
}

void PlaceScene() {
  if (!RockMeshes.empty() && AltitudeFeet < LowFlightFeet && !IntroFlyby) {
    if (RocksPlaced)
      UpdateRockField();
    else
      UpdateRocks();
  } else {
    RocksPlaced = false;
  }
  if (IntroFlyby) {
    FlyBy();
    return;
  }
  PlaceCamera();
  LightTheCabin();
  if (MissionType == 12 && SurveyorMesh) {
    SurveyorMesh->SetPosition(SurveyorPosition.x - LMMeshPosition.x,
                              SurveyorPosition.y - LMMeshPosition.y,
                              SurveyorPosition.z - LMMeshPosition.z);
    SurveyorMesh->SetRotation(SurveyorRotation.x, SurveyorRotation.y, SurveyorRotation.z);
  }
  // The walker's eye is the camera of the view from the hatch alone; the other views keep theirs
  // when the engine stops on the ground.
  if (EVAViewFlag && Landed && !Crashed && EngineOff) UpdateWalkingCamera();
}

void BurnFuelAndDriftCounter() {
  if (!ControlsActive) return;
  BurnFuel();
  CounterDriftStep =
      std::clamp(CounterDriftStep + (win::Rnd() - CounterDriftBias) * CounterDriftGain,
                 -CounterDriftLimit, CounterDriftLimit);
  CockpitCounterValue -= CounterDriftStep;
}

// The voice callouts under their own conditions, then the mission's events, which the same
// spacing timer holds apart from the calls; an altitude call that starts this frame does not
// hold back the events.
void SoundCallouts(MainDisplayForm& form) {
  const bool spacing = form.TimerTalk(MissionEventChannel).Enabled();
  CheckCallouts();
  if (SoundOn && !spacing && !AscentStageFlying && ControlsActive) CheckMissionEvents();
}

void RenderViewPasses(bool cockpitShadows) {
  const auto light = [](int index, bool on) { LightEngine->EnableLight(LightIds[index], on); };
  const auto render = [](const MeshPtr& mesh) {
    if (mesh) mesh->Render();
  };
  const bool rocks = RockCount != 0 && RocksPlaced && !IntroFlyby;
  const auto rockPass = [&] {
    if (rocks) UpdateRocksVisibility();
  };
  const auto stageShadows = [&](bool gated) {
    if (ShadowFlags[0] && !(gated && cockpitShadows)) UpdateStageVisibility();
  };
  const auto dust = [&](bool flybyGated) {
    if (AltitudeFeet < LowFlightFeet && MissionType != LMRaceMission && ControlsActive &&
        !(flybyGated && IntroFlyby))
      render(DustMesh);
  };
  const auto outside = [&](bool last) {
    light(SunLight, true), light(FillLight, true), light(NearPointLight, false);
    render(DescentStageMesh);
    render(AscentStageMesh);
    rockPass();
    stageShadows(false);
    render(CameraPivot);
    dust(!last);
    render(RCSPlumeGroup);
  };
  if (CockpitPanelFlag) {
    light(SunLight, true), light(FillLight, true), light(NearPointLight, false);
    rockPass();
    render(DescentStageMesh);
    stageShadows(true);
    render(CameraPivot);
    dust(true);
    render(RCSPlumeGroup);
  }
  if (InteriorViewFlag && !IntroFlyby) {
    light(SunLight, true), light(FillLight, true), light(NearPointLight, false);
    render(DescentStageMesh);
    rockPass();
    stageShadows(true);
    dust(true);
    light(SunLight, false), light(FillLight, false), light(NearPointLight, true);
    light(InstrumentPointLight, false);
    render(RCSPlumeGroup);
    render(VirtualCockpitMesh);
    render(CameraPivot);
  }
  if (EVAViewFlag) {
    light(SunLight, true), light(FillLight, true), light(NearPointLight, false);
    render(DescentStageMesh);
    rockPass();
    if (WalkPathValue > 1.0f) render(AscentStageMesh);
    if (ShadowFlags[0]) {
      light(SunLight, true), light(FillLight, false), light(NearPointLight, false);
      UpdateStageVisibility();
    }
    light(SunLight, false), light(FillLight, false), light(NearPointLight, true);
    render(VirtualCockpitMesh);
  }
  if (SpotViewFlag || IntroFlyby) outside(false);
  if (ExteriorViewFlag) outside(true);
}

void SetViewPlanes(float cameraHeight) {
  engine::EngineCamera& camera = *ViewCameras[1];
  float nearPlane = 1.0f;
  float farPlane = 10000.0f;
  if (ExteriorViewFlag || SpotViewFlag || IntroFlyby) {
    if (RenderDetail == 0) {
      nearPlane = CameraDistance < 100000.0f ? std::max(cameraHeight / 2.0f, 1.0f) : 1.0f;
      farPlane = nearPlane * 200000.0f;
    }
  } else if (InteriorViewFlag) {
    nearPlane = RenderDetail > 0 ? 0.1f : (CurrentViewIndex == VirtualView2 ? 0.5f : 0.2f);
    farPlane = RenderDetail > 0 ? 5000.0f : 250000.0f;
  } else if (EVAViewFlag) {
    nearPlane = 0.3f;
    farPlane = 150000.0f;
  } else if (CockpitPanelFlag) {
    nearPlane = 1.0f;
    farPlane = 200000.0f;
  }
  camera.SetViewFrustum(FieldOfView, farPlane, nearPlane);
}

// The ascent is over once its engine cuts off with the stage well clear of the ground; a cut-off
// lower down leaves the stage to the pilot.
void TrackAscentPhase() {
  if (!AscentStageFlying || !Staged)
    AscentPhase = NoAscent;
  else if (!EngineOff)
    AscentPhase = std::max<int32_t>(AscentPhase, AscentBurning);
  else if (AscentPhase == AscentBurning && AltitudeFeet > AscentEndFeet)
    AscentPhase = AscentOver;
  else if (AscentPhase == NoAscent)
    AscentPhase = AscentStaged;
}

// The end of an ascent fades the view out; once it is dark the flight stops under the menu and
// the frames draw no scene. A crashed stage shows its crash instead.
bool AscentFadedOut() {
  if (!AscentStageFlying || !Staged || Crashed || AscentPhase < AscentOver) return false;
  if (!StagingFadeFlag) {
    StagingFadeFlag = true;
    GraphicEffect->Start(AscentFadeMs);
    return false;
  }
  if (!GraphicEffect->IsFinished()) return false;
  // The first dark frame opens the menu, which offers the next flight; closed, it stays closed.
  if (ControlsActive) SettingsOverlayShown = true;
  MenuShown = true;
  ControlsActive = false;
  GraphicEffect->Stop();
  return true;
}

// The scorch of an ascent stage that struck the ground fades in from black, a hundredth a frame,
// to nine tenths.
void FadeScorch() {
  if (ScorchFade <= 0) return;
  ScorchFade = std::max(ScorchFade - 1, ScorchFadeLeast);
  const float term = 1.0f - static_cast<float>(ScorchFade) / 100.0f;
  MaterialFactory->SetDiffuse(MaterialIds.CraterMat, term, term, term, 1.0f);
}

// The Earth stands on the sky that travels with the camera, at the point the star field carries.
void PlaceEarth() {
  if (!EarthMesh || !EarthPoint) return;
  const d3dx::D3DXVECTOR3 at = EarthPoint->TransformVector({});
  EarthMesh->SetPosition(at.x, at.y, at.z);
}

// The planted flag stands where it was planted, against the LM at the render origin.
void RenderFlag() {
  for (const MeshPtr* flag : {&FlagMesh, &FlagDarkMesh}) {
    if (!*flag || (flag == &FlagDarkMesh && !ShadowFlags[0])) continue;
    (*flag)->SetPosition(FlagPosition.x - LMMeshPosition.x, FlagPosition.y - LMMeshPosition.y,
                         FlagPosition.z - LMMeshPosition.z);
    (*flag)->Render();
  }
}

// Draws the frame's scene; false when the end of an ascent has left nothing to draw.
bool RenderSurfaceFrame(float& dskyAccumulator) {
  Busy = true;
  LightEngine->EnableLight(LightIds[SunLight], true);
  LightEngine->EnableLight(LightIds[FillLight], false);
  if (StarField)
    StarField->SetPosition(ViewCameraPosition.x - 1.0f, ViewCameraPosition.y - 1.0f,
                           ViewCameraPosition.z - 1.0f);
  const bool cockpitShadows = (InteriorViewFlag || CockpitPanelFlag) && ShadowFlags[2];
  if (AltitudeFeet < LowFlightFeet) DrawLMShadow();
  const bool legShadows = cockpitShadows || (!ShadowFlags[0] && ShadowFlags[1]);
  for (const MeshPtr& leg : DescentLegShadowMeshes)
    if (leg) leg->Enable(legShadows);
  // The grid is drawn only in the frames that lay it, so that no stale shadow stays behind.
  const bool terrainShadow =
      (ShadowFlags[1] || cockpitShadows) && AltitudeFeet < ShadowFeet && !Crashed;
  if (terrainShadow) LayTerrainShadow();
  DrawDSKYWhenDue(dskyAccumulator);
  const float cameraHeight =
      ViewCameraPosition.y - TerrainHeight(ViewCameraPosition.x, ViewCameraPosition.z);
  SetViewPlanes(cameraHeight);
  const auto allLightsOn = [] {
    for (int k = 0; k < LightCount; ++k) LightEngine->EnableLight(LightIds[k], true);
  };
  allLightsOn();
  // The view surface holds the ground that the main pass lays under the scene; its pass leaves
  // the fill light off.
  if (RenderDetail > 0) {
    RenderViewSurface();
    allLightsOn();
  }
  PlaceEarth();
  Engine->Clear(0);
  if (AscentFadedOut()) return false;
  Atmosphere->RenderSky();
  DrawStars();
  if (EarthMesh) EarthMesh->Render();
  if (RenderDetail > 0) {
    DrawSceneSurface();
    if (RenderNearTiles && ShowGroundMarkers) PlaceGroundMarkers();
  } else {
    LightEngine->EnableLight(LightIds[NearPointLight], true);
    FadeLandscapeLayers();
    if (ShowGroundMarkers) PlaceGroundMarkers();
    LightEngine->EnableLight(LightIds[NearPointLight], false);
  }
  const bool terrainFar = cameraHeight * CameraTerrainFeet > static_cast<float>(ShadowFeet) ||
                          AltitudeFeet > ShadowFeet;
  RenderNearTiles = !terrainFar;
  if (CameraDistance < 100000.0f) {
    if (ShadowGridMesh && terrainShadow) ShadowGridMesh->Render();
    if (MissionType == 12 && SurveyorMesh) SurveyorMesh->Render();
    if (FlagPlanted) RenderFlag();
    if (MissionType == LMRaceMission) {
      for (auto [gate, x, z] :
           {std::tuple{&StartMesh, 1600.0f, 300.0f}, std::tuple{&FinishMesh, 400.0f, 1765.0f}}) {
        if (!*gate) continue;
        (*gate)->SetPosition(x - LMMeshPosition.x, 100.0f - LMMeshPosition.y, z - LMMeshPosition.z);
        (*gate)->Render();
      }
    }
    if (Staged) UpdateParticleEmitter();
    if (Crashed) {
      FadeScorch();
      if (CraterDebrisMesh) CraterDebrisMesh->Render();
    } else {
      RenderViewPasses(cockpitShadows);
    }
  }
  return true;
}

// The 2D instrument panel belongs to the cockpit panel views; the virtual cockpits show the 3D
// one, the outside views none, and the fly-by is seen whole.
void DrawPanelInItsViews() {
  if (CockpitPanelFlag && !IntroFlyby) DrawViewOverlays();
}

void DrawSurface2D(bool sceneDrawn) {
  EngineScreen2D screen = MessageScreen();
  if (sceneDrawn) {
    DrawPanelInItsViews();
    if (!IntroFlyby) DrawHudPanel(CurrentView);
  }
  if (ReplayPlayback) DrawCentredNotice(screen);
  DrawMessages(screen);
  if (SettingsOverlayShown) DrawSettingsOverlay();
  if ((LandMoveMode || SurveyorMoveMode) && ValueLineCount > 0) DrawValueLines();
  if (MenuShown) DrawStatusLine(screen);
  // While the path is recorded node by node the orbiting camera closes in on the LM.
  if (NodeMakeMode && Main_Display->TimerAutoNode.Enabled())
    CameraOrbitDistance *= 1.0f - static_cast<float>(PathNodeCount) / PathNodeApproach;
  if (ExitDialogShown) RunExitDialog();
  DrawHelpPages();
  DrawProgramHelpText();
  if (DisplayFPS) DrawFPS();
}

bool SurfaceFrame(FrameLocals& locals) {
  MainDisplayForm& form = *Main_Display;
  HandleFocus(locals.inputReleased);
  if (form.GetWindowState() == forms::WindowState::Minimized) {
    RunFlag = false;
    return false;
  }
  ApplyDisplayMode(false);
  TakeFrameStep(locals.screenshotMs, false);
  Busy = true;
  UpdateFootpadHeights();
  RunDeveloperTools();
  CoolJetSound();
  RunInputStep();
  if (PendingFadeTime != 0 && GraphicEffect->IsFinished()) {
    GraphicEffect->StartFadeIn(PendingFadeTime);
    PendingFadeTime = 0;
    ScoreShown = false;
    StartEVAView();
  }
  HideJetPlumes();
  RunGuidanceStep(form);
  EndLanding(form, locals.landingHandled);
  SetEngineNoise();
  if (!RunFlag) return false;
  FlySurfaceFrame(locals);
  // The window views are drawn from the LM as this frame leaves it.
  if (!SimpleLM) RenderWindowSurfaces();
  PlaceScene();
  SoundCallouts(form);
  DrawCounterDigits4();
  DrawCounterDigits2();
  if (!IntroFlyby) CoverViewWithHud(CurrentView);
  DrawSurface2D(RenderSurfaceFrame(locals.dskyAccumulator));
  locals.screenshotMs = TakeScreenshotWhenAsked();
  return PresentAndYield();
}

// --- The Orbital loop ---------------------------------------------------------------------------

void IntegrateOrbitalTranslation() {
  if (ProbeCaptured) TranslationCommand = {};
  if (!EngineOff || UllageTranslation) TranslationCommand[0] = 1;
  const Vector3 command{static_cast<float>(-TranslationCommand[2]),
                        static_cast<float>(TranslationCommand[0]),
                        static_cast<float>(TranslationCommand[1])};
  ThrustDirection = PivotTransformVector(command);
  const bool anyCommand =
      TranslationCommand[0] != 0 || TranslationCommand[1] != 0 || TranslationCommand[2] != 0;
  if (EngineOff && anyCommand) {
    RestartLoopSound();
    UpdateRCSJets();
  }
  RCSFiring = EngineOff && anyCommand;
  const double dt = FrameTimeSec;
  const double forces[3] = {
      OrbitalJetForce * ThrustDirection.x,
      EngineOff ? OrbitalJetForce * ThrustDirection.y
                : static_cast<double>(ThrustAverage) * EngineThrust * ThrustDirection.y,
      OrbitalJetForce * ThrustDirection.z};
  Vector3d displacement;
  double* velocity[3] = {&LMVelocity.x, &LMVelocity.y, &LMVelocity.z};
  double* moved[3] = {&displacement.x, &displacement.y, &displacement.z};
  float* world[3] = {&LMVelocityWorld.x, &LMVelocityWorld.y, &LMVelocityWorld.z};
  for (int axis : {1, 0, 2}) {
    const double a = TotalMass > 0.0f ? forces[axis] / TotalMass : 0.0;
    *moved[axis] = (*velocity[axis] * dt + a * dt * dt / 2.0) / WorldScale;
    *velocity[axis] += a * dt;
    *world[axis] = static_cast<float>(*velocity[axis] / WorldScale);
  }
  if (DockContact) {
    const Vector3 push = PivotTransformVector(DockPush);
    LMPosition.x += push.x;
    LMPosition.y += push.y;
    LMPosition.z += push.z;
  }
  LMPosition.x += displacement.x;
  LMPosition.y += displacement.y;
  LMPosition.z += displacement.z;
  LMMeshPosition = {static_cast<float>(LMPosition.x), static_cast<float>(LMPosition.y),
                    static_cast<float>(LMPosition.z)};
  TotalSpeed = static_cast<float>(std::sqrt(
      LMVelocity.x * LMVelocity.x + LMVelocity.y * LMVelocity.y + LMVelocity.z * LMVelocity.z));
}

void StepOrbitalAttitude() {
  // Near the command module the hand controller holds the attitude in a deadband of its own,
  // whatever the deadband switch says.
  SelectedDeadband = OrbitalDeadband;
  UpdateAttitudeControl();
  if (ManeuverActive) {
    constexpr float rate = 5.0f;
    constexpr bool realTime = true;
    StepAttitudeManeuver(rate, realTime);
  }
  ResolveHorizontalVelocity();
  if (ProbeCaptured) {
    if (Docked) {
      AttitudeIncrement = {};
    } else {
      const auto aligned = [](float error) {
        const float turn = -ProbeInsertion * error * RadiansPerDegreeSingle;
        return std::fabs(turn) < SmallIncrement ? 0.0f : turn;
      };
      AttitudeIncrement.x = aligned(DockRollError);
      AttitudeIncrement.y = aligned(DockPitchError);
    }
    RollAxis.Rate = PitchAxis.Rate = 0.0f;
    if (Docked) YawAxis.Rate = 0.0f;
  } else {
    AttitudeIncrement = {RollAxis.Rate * FrameTimeSec, PitchAxis.Rate * FrameTimeSec,
                         YawAxis.Rate * FrameTimeSec};
  }
  UpdateFDAIFromLM();
}

// The LM stays at the render origin; the command module is drawn where it is against the LM.
void PlaceCommandModule() {
  if (!CommandModuleMesh) return;
  CommandModuleMesh->SetPosition(CommandModuleWorld.x - LMMeshPosition.x,
                                 CommandModuleWorld.y - LMMeshPosition.y,
                                 CommandModuleWorld.z - LMMeshPosition.z);
}

// The camera outside looks at the LM, and at the drogue as the probe comes close to it.
void PlaceOrbitalOutsideCamera() {
  Vector3 target = StagingLookAt();
  const float range = engine::EngineMathLibrary::Distance3D(
      {ProbePoint.x, ProbePoint.y, ProbePoint.z}, {DroguePoint.x, DroguePoint.y, DroguePoint.z});
  if (range < DrogueApproachRange) {
    float t = 1.0f - (range - DrogueReachRange) / DrogueApproachRange;
    target = LerpVector(target, DroguePoint, t);
  }
  CameraLookAt = target;
  FrameHook();
  AimViewCamera(OrbitCameraPoint(target), target, true);
}

void PlaceOrbitalCamera() {
  if (IntroFlyby) {
    FlyBy();
    return;
  }
  if (SeenFromTheCabin())
    PlaceCockpitEye();
  else
    PlaceOrbitalOutsideCamera();
  DrawCounterDigits4();
  DrawCounterDigits2();
}

// The stages by view, as on the surface: the views from the cabin look out from inside the ascent
// stage, whose hull would fill them, so they leave it out; the virtual cockpit's views show the
// cabin in its place, lit by its own lamp alone.
void RenderOrbitalStages() {
  const auto render = [](const MeshPtr& mesh) {
    if (mesh) mesh->Render();
  };
  if (!AscentOnly) render(DescentStageMesh);
  if (IntroFlyby || !SeenFromTheCabin()) render(AscentStageMesh);
  // The jets that the attitude and translation steps showed are seen firing.
  render(RCSPlumeGroup);
  if (!InteriorViewFlag || IntroFlyby) return;
  for (int k = 0; k < LightCount; ++k) LightEngine->EnableLight(LightIds[k], k == NearPointLight);
  render(VirtualCockpitMesh);
  render(CameraPivot);
}

void RenderOrbitalScene(float& dskyAccumulator) {
  if (ControlsActive || IntroFlyby)
    for (const MeshPtr* moon : {&OrbitalMoonMesh, &HalfMoonMesh, &AllMoonMesh})
      if (*moon) (*moon)->RotateZ(-FrameTimeSec * MoonTurnPerSecond);
  const d3dx::D3DXVECTOR3 sun =
      engine::EngineMathLibrary::PointOnSphere({}, 1.0f, OrbitalSunAzimuth, OrbitalSunElevation);
  LightRecords[SunLight].Direction = {sun.x, sun.y, sun.z};
  LightEngine->SetLight(LightIds[SunLight], LightRecords[SunLight]);
  ViewCameras[1]->SetViewFrustum(FieldOfView, RenderDetail > 0 ? 10000.0f : 200000.0f,
                                 CockpitPanelFlag || InteriorViewFlag ? 0.1f : 1.0f);
  if (ShadowFlags[0]) RenderStageMeshes();
  if (!ManeuverActive) CheckTiltLimits();
  RenderWindowSurfaces();
  DrawDSKYWhenDue(dskyAccumulator);
  for (int k = 0; k < LightCount; ++k) LightEngine->EnableLight(LightIds[k], true);
  if (RenderDetail > 0) RenderViewSurfaceFixed();
  if (ManeuverActive) IsAttitudeReached(1.0f, 0.4f);
  Engine->Clear(0);
  Atmosphere->RenderSky();
  DrawStars();
  if (RenderDetail != 0) {
    DrawSceneSurfaceOrbital();
  } else {
    for (const MeshPtr* moon : {&OrbitalMoonMesh, &HalfMoonMesh})
      if (*moon) (*moon)->Render();
  }
  if (CommandModuleMesh) CommandModuleMesh->Render();
  RenderOrbitalStages();
  if (!AscentOnly) UpdateParticleEmitter();
}

void DrawOrbital2D() {
  EngineScreen2D screen = MessageScreen();
  DrawPanelInItsViews();
  DrawMessages(screen);
  if (!IntroFlyby) DrawHudPanel(CurrentView);
  if (SettingsOverlayShown) DrawSettingsOverlay();
  if (MenuShown) DrawStatusLine(screen);
  if (ExitDialogShown) RunExitDialog();
  DrawHelpPages();
  DrawProgramHelpText();
  if (DisplayFPS) DrawFPS();
}

bool OrbitalFrame(FrameLocals& locals) {
  MainDisplayForm& form = *Main_Display;
  HandleFocus(locals.inputReleased);
  if (form.GetWindowState() == forms::WindowState::Minimized) {
    RunFlag = false;
    return false;
  }
  ApplyDisplayMode(true);
  Busy = true;
  CoolJetSound();
  RunInputStep();
  TakeFrameStep(locals.screenshotMs, true);
  if (IsPlaying(DescentEngineSound)) {
    DescentEngineSound->Stop();
    forms::DoEvents();
  }
  if (RunFlag) {
    // An empty tank feeds no engine: a flight that starts without fuel, as the docked one does,
    // would otherwise thrust at the throttle's least setting and carry the LM through the
    // command module.
    if (Fuel <= 0.0f) EngineOff = true;
    HideJetPlumes();
    if (EngineOff) {
      HideEngineFlames();
      ThrottleCommand = 0.0f;
    } else {
      ShowEngineFlame();
    }
    UpdateMassAndThrust();
    UpdateFuelPercent(OrbitalDescentFullTank);
    PlaceCommandModule();
    if (ControlsActive) {
      UpdateLeftBehindDescentStage();
      UpdateDockingPoints();
      UpdateDockingContact();
      IntegrateOrbitalTranslation();
      StepOrbitalAttitude();
    }
    PlaceOrbitalCamera();
    RenderOrbitalScene(locals.dskyAccumulator);
  }
  DrawOrbital2D();
  locals.screenshotMs = TakeScreenshotWhenAsked();
  return PresentAndYield();
}

void RunLoop(bool (*frame)(FrameLocals&)) {
  FrameLocals locals;
  // The set-up before the loop (files, replay, the settle) is not the first frame's step.
  Engine->RestartTimer(0);
  while (RunGuardedFrame(frame, locals)) {
  }
}

}  // namespace

void RunFrameLoop() { RunLoop(SurfaceFrame); }

void RunOrbitalFrameLoop() { RunLoop(OrbitalFrame); }

void FrameHook() {}

void SaveScreenshot() {
  if (NodeMakeMode) return;
  const std::string folder = ProgramFolder() + "\\Screenshots";
  std::error_code ignored;
  std::filesystem::create_directories(win::ResolvePath(folder), ignored);
  ScreenshotCounter =
      NextScreenshotNumber(win::ResolvePath(folder), MissionName, ScreenshotCounter);
  // A name another mission's count made ("Apollo 1" + "10001" is "Apollo 11" + "0001") is passed
  // over: the engine never writes over a file.
  const auto nameOf = [] { return MissionName + ScreenshotNumberText(ScreenshotCounter) + ".bmp"; };
  while (std::filesystem::exists(win::ResolvePath(folder + "\\" + nameOf()), ignored))
    ++ScreenshotCounter;
  const std::string name = nameOf();
  if (!MovieCapture)
    ShowMessage(UiText[ScreenDumpText] + "= " + name, ScreenshotMessageMs, 0xFFFF8000, 0xFF000000);
  forms::DoEvents();
  try {
    Engine->Screenshot(folder + "\\" + name);
  } catch (const std::exception& error) {
    // A screenshot that cannot be written is told of; the flight goes on.
    ShowMessage(error.what(), ScreenshotMessageMs, RedBox, WhiteText);
  }
  forms::DoEvents();
  ScreenshotRequest = false;
}

void CheckMissionEvents() {
  const float verticalRate = static_cast<float>(LMVelocity.y);
  const float horizontal = HorizontalVelocityForward;
  const auto event = [](size_t clip) {
    MainDisplayForm& form = *Main_Display;
    form.TimerTalk(MissionEventChannel).SetInterval(MissionEventMs);
    form.TimerTalk(MissionEventChannel).SetEnabled(true);
    if (MissionVoiceSounds[clip]) MissionVoiceSounds[clip]->Play();
  };
  if (MissionType == 11) {
    if (AltitudeFeet == 20 && verticalRate < 0.0f && horizontal > 0.0f) event(3);
    if (AltitudeFeet == 15 && verticalRate < 0.0f) event(4);
  } else if (MissionType == 17) {
    if (AltitudeFeet == 45 && verticalRate < 4.0f) event(3);
    if (AltitudeFeet == 32 && verticalRate < 2.0f) event(4);
  }
}

void FlySurfaceFrame(FrameLocals& locals) {
  if (EngineOff) {
    HideEngineFlames();
    ThrottleCommand = 0.0f;
    // Also with the sound switched off since the engine started: its noise would loop on.
    if (DescentEngineSound) DescentEngineSound->Stop();
  } else {
    ShowEngineFlame();
  }
  UpdateMassAndThrust();
  if (ControlsActive && !Landed) {
    CheckAscentStageStrike();
    PlayBackOrRecord(locals.nextSampleTime);
    ShowRaceMessages();
    IntegrateLMMotion();
    UpdateLeftBehindDescentStage();
    CheckFuelExhaustion();
  } else if (!Landed) {
    LMMeshPosition = {static_cast<float>(LMPosition.x), static_cast<float>(LMPosition.y),
                      static_cast<float>(LMPosition.z)};
  }
  if (!AscentStageFlying) CheckAttitudeWarnings();
  if (!ReplayPlayback && !Landed) UpdateAttitudeControl();
  if (AttitudeManeuverActive && !IntroFlyby) {
    constexpr float rate = 5.0f;
    constexpr bool realTime = true;
    StepAttitudeManeuver(rate, realTime);
  }
  if (ControlsActive && !Landed) {
    MeasureHeading();
    ResolveHorizontalVelocity();
    if (!AttitudeManeuverActive) CheckTiltLimits();
    // Close to the ground the attitude ball follows the legs' tipping of the LM.
    if (InstrumentLayout[PanelFDAI].Enabled && AltitudeFeet < GroundContactFeet) MeasureLMAngles();
  }
  MeasureAltitude();
  ProcessFootpads();
  TrackAscentPhase();
  if (ControlsActive) {
    AttitudeIncrement = {RollAxis.Rate * FrameTimeSec, PitchAxis.Rate * FrameTimeSec,
                         YawAxis.Rate * FrameTimeSec};
    if (ReplayPlayback)
      ApplyLMAttitude();
    else
      UpdateFDAIFromLM();
  }
  PlaceTiles();
  BurnFuelAndDriftCounter();
}
