// The run of one flight: the reset of its state, its files, the LM's start and the hand-over to
// the mission's frame loop; the sounds' stop and the program's shutdown.
#include "program/flight/flight_run.h"

#include <exception>

#include "platform/forms/forms.h"
#include "program/cockpit/cockpit_services.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_canvas.h"
#include "program/cockpit/dsky_programs.h"
#include "program/cockpit/help_overlays.h"
#include "program/cockpit/hud_panel.h"
#include "program/cockpit/instruments.h"
#include "program/cockpit/landing_guidance.h"
#include "program/cockpit/small_readouts.h"
#include "program/cockpit/sound_setup.h"
#include "program/cockpit/voice_callouts.h"
#include "program/flight/attitude_control.h"
#include "program/flight/docking.h"
#include "program/flight/flight_dynamics.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/flight/loading_screen.h"
#include "program/flight/main_display.h"
#include "program/input/flying.h"
#include "program/input/input_state.h"
#include "program/input/joystick_devices.h"
#include "program/input/key_dispatch.h"
#include "program/input/menu.h"
#include "program/input/mouse_input.h"
#include "program/missions/dev_tools.h"
#include "program/missions/ini.h"
#include "program/missions/instrument_layout.h"
#include "program/missions/mission_file.h"
#include "program/missions/missions_state.h"
#include "program/missions/replay_file.h"
#include "program/scene/cockpit_models.h"
#include "program/scene/engine_objects.h"
#include "program/scene/placement.h"
#include "program/scene/scene_services.h"
#include "program/scene/scene_state.h"
#include "program/scene/views.h"

namespace {

constexpr float ShadowAlpha = 0.6f;
constexpr float ShadowRange = 50000.0f;
constexpr float PadHeightLow = -8.1f;  // world units below the pivot, with shadows under the legs
constexpr float PadHeightHigh = -7.9f;
constexpr float PadReach = 11.5f;
constexpr float OrbitalPlumeTurn = 0.34906584f;  // radians
constexpr float InputFactor = 0.01f;
constexpr int32_t CalloutChannelCount = 7;
constexpr int32_t CalloutSpacingMs = 3000;
constexpr int32_t ShortCalloutSpacingMs = 700;
constexpr int16_t ShortCalloutChannel = 9;
constexpr float StoredViewAngle = 60.0f;  // degrees
constexpr float AscentOnlyLift = -3.0f;   // world units
constexpr float LowStartFeet = 512.0f;
constexpr float HighStartFeet = 8000.0f;
constexpr float P63LowPitchDegrees = -45.0f;
constexpr float P63PitchDegrees = -55.0f;
constexpr int32_t SettleRounds = 10000;
constexpr float StartWeight = 16000.0f;
constexpr int32_t FlybyEffectMs = 2000;
constexpr int32_t SilentAttenuation = -4000;
constexpr float CommandModuleOffset = -40.0f;  // world units along x
constexpr float FDAIBallTurn = PiSingle / 2;

// Each step of a pass goes on past a failure, whose text the loading screen shows.
template <class Step>
void Guarded(Step step) {
  try {
    step();
  } catch (const std::exception& error) {
    ShowLoadingStep(error.what(), false, 0);
  }
}

void ResetFlightState() {
  RestartFlag = false;
  ExitDialogShown = false;
  MissionTime = 0.0;
  DSKYRestorePending = false;
  AscentOnly = false;
  MovieCapture = false;
  DisplayModeApplied = false;
  MenuShown = false;
  DisplayHold = false;
  Staged = false;
  OnGround = false;
  EVAWalking = false;
  FrameSkipFlag = false;
  DebrisShown = false;
  Crashed = false;
  FrameSettled = false;
  RunFlag = false;
  ControlsActive = false;
  UseMouse = false;
  AutoThrottleCountdown = 0.0f;
  EngineOff = false;
  FitStartRecord = 0;
  ControlStartRecord = ContactRecord = LowGateIndex = FirstTouchRecord = FlightRecordCount = 0;
  ScoreShown = false;
  ContactLightOn = false;
  // The panel's lamp is the frame loop's own, and a new flight has touched nothing yet.
  ContactLightFlags[0] = ContactLightFlags[1] = false;
  Landed = false;
  FrameTimeMs = 0.0f;
  ReplayIndex = 1;
  ManualControlTime = ManualThrottleTime = 0.0;
  MinimumImpulseMode = false;
  HatchOpenFlag = false;
  HandControllerAxes = {0.5f, 0.5f, 0.5f};
  // The keys' stick and throttle lever are centred and closed with it: the keyboard step sets the
  // hand controller from them every frame, so a stick the last flight left deflected would fly
  // this one, and a race begun after a roll would roll over as it starts.
  KeyHandController = {};
  ThrottleKeyValue = 0.0f;
  Docked = false;
  ProbeCaptured = ProbeRetracting = DockContact = false;
  ManeuverActive = false;
  AutoAttitudeHold = false;
  AttitudeManeuverActive = true;
  GimbalLocked = false;
  ManeuverComplete = false;
  UllageTranslation = false;
  ThrustAverage = 0.0f;
  ThrottleCommand = 0.0f;
  // The thrust mean starts afresh: the last flight's commands are not this one's thrust.
  Smoothing.ThrottleRing = {};
  Smoothing.ThrottleIndex = 0;
  StagingFadeFlag = false;
  AscentPhase = NoAscent;
  NeedleKeyFlag = false;
  Engine->RestartTimer(0);
  EVAStarted = false;
  // No walker is on the path out of the cabin until this flight's EVA starts one.
  WalkPathMode = false;
  WalkPathValue = 0.0f;
  RocksPlaced = false;
  CurrentView.Active = true;
  CurrentView.HudMode = 1;
  KeyReleaseRequest = false;
  // A flag planted on an earlier landing stays with that landing.
  FlagPlanted = false;
  SavedMeshPosition = {};
  if (HatchOpenMesh) HatchOpenMesh->Enable(false);
  FootpadTouched = false;
  PadDown = {};
}

// The whole-Moon mesh shows the group of the mission's landing site.
void ShowMoonGroup() {
  if (!AllMoonMesh) return;
  for (int32_t group = 1; group <= 7; ++group) AllMoonMesh->EnableGroup(group, false);
  constexpr std::pair<int32_t, int32_t> sites[] = {{11, 2}, {12, 7}, {14, 6},
                                                   {15, 5}, {16, 3}, {17, 4}};
  for (const auto& [mission, group] : sites)
    if (MissionType == mission) AllMoonMesh->EnableGroup(group, true);
}

void ApplySwitchPositions() {
  int32_t off = 0;
  SetSwitchModelA(off);
  SetSwitchModelB(PGNSSwitch.SwitchPosition);
  SetSwitchModelD(YawRCSSwitch.SwitchPosition);
  SetSwitchModelE(PitchRCSSwitch.SwitchPosition);
  SetSwitchModelF(RollRCSSwitch.SwitchPosition);
  SetSwitchModelH(DeadbandSwitch.SwitchPosition);
  SetSwitchModelG(AutoThrottleSwitch.SwitchPosition);
  SetSwitchModelC(RateScaleSwitch.SwitchPosition);
  SetSwitchModelI(XPointerSwitch.SwitchPosition);
}

void SelectStartView() {
  if (!InteriorViewFlag && !SpotViewFlag && !CockpitPanelFlag && !ExteriorViewFlag) {
    constexpr ViewIndex views[] = {VirtualView1, VirtualView2, VirtualView3,
                                   CockpitView1, CockpitView2, CockpitView3,
                                   SpotView1,    SpotView2,    ExteriorView};
    if (StartupView >= 1 && StartupView <= 9) SelectView(views[StartupView - 1]);
    CurrentCockpitEye = VirtualCockpitEye[0];
    CurrentCockpitRotation = VirtualCockpitRotation[0];
  }
  // The view in use is chosen again, so that the flight starts in it as chosen afresh.
  for (ViewIndex view :
       {CockpitView1, CockpitView2, CockpitView3, VirtualView1, VirtualView2, VirtualView3})
    if (ViewRecords[static_cast<size_t>(view)].Active) SelectView(view);
  for (int k = 0; k < VirtualCockpitViewCount; ++k) {
    if (!ViewRecords[static_cast<size_t>(VirtualView1 + k)].Active) continue;
    CurrentCockpitEye = VirtualCockpitEye[static_cast<size_t>(k)];
    CurrentCockpitRotation = VirtualCockpitRotation[static_cast<size_t>(k)];
    FieldOfView = ViewRecords[static_cast<size_t>(VirtualView1 + k)].ViewAngle;
  }
}

void SetTargets(float roll, float pitch, float yaw) {
  RollAxis.TargetAngle = roll;
  PitchAxis.TargetAngle = pitch;
  YawAxis.TargetAngle = yaw;
}

void SetStartAttitude() {
  // The axis reset keeps a firing's time for the resets within a flight; a flight begins with no
  // firing under way, whatever the last flight was firing when it ended.
  for (AttitudeAxis* axis : {&RollAxis, &PitchAxis, &YawAxis}) {
    ResetAttitudeAxis(*axis);
    axis->FireElapsed = 0.0f;
  }
  RollAxis.Angle = StartRotation.x;
  PitchAxis.Angle = StartRotation.y;
  YawAxis.Angle = StartRotation.z;
  // The guidance start may aim the LM elsewhere; a flight whose program aims it nowhere holds the
  // start attitude, not the last flight's targets.
  SetTargets(StartRotation.x, StartRotation.y, StartRotation.z);
  // The guidance start puts the attitude reference upright, and the settle then turns the LM from
  // there to its targets (the start attitude), its meshes with it: they start upright too, or the
  // start attitude would be applied twice.
  for (const MeshPtr* mesh :
       {&AscentStageMesh, &DescentStageMesh, &CameraPivot, &VirtualCockpitMesh})
    if (*mesh) (*mesh)->SetRotation(0.0f, 0.0f, 0.0f);
  ResetAttitudeReference();
}

void StartGuidanceProgram() {
  const float h = StartPosition.y * WorldScale;
  const float degree = RadiansPerDegreeSingle;
  ScoreEligible = false;
  switch (StartProgram) {
    case NoProgram:
      if (h > LowStartFeet && h < HighStartFeet) {
        StartP63();
        PitchAxis.TargetAngle = P63LowPitchDegrees * degree;
      } else {
        StartP66();
        if (h >= HighStartFeet) SetTargets(StartRotation.x, StartRotation.y, StartRotation.z);
      }
      // A landing guided from the start may be scored, whichever program the height chose.
      ScoreEligible = true;
      break;
    case P20:
      StartP20();
      SetTargets(StartRotation.x, StartRotation.y, StartRotation.z);
      break;
    case P63:
      StartP63();
      SetTargets(StartRotation.x, P63PitchDegrees * degree, StartRotation.z);
      ScoreEligible = true;
      break;
    case P64:
    case P66:
      if (StartProgram == P64)
        StartP64();
      else
        StartP66();
      SetTargets(StartRotation.x, StartRotation.y, StartRotation.z);
      ScoreEligible = true;
      break;
    default:
      break;
  }
  if (FDAIBallCameraPivot) FDAIBallCameraPivot->SetRotation(0.0f, 0.0f, 0.0f);
}

void SettleAttitude() {
  constexpr float rate = 50.0f;
  constexpr bool realTime = false;
  for (int32_t round = 0; AttitudeManeuverActive && round < SettleRounds; ++round) {
    StepAttitudeManeuver(rate, realTime);
    forms::DoEvents();
  }
}

void PlaceLMAndWorld() {
  LMPosition = {StartPosition.x, StartPosition.y, StartPosition.z};
  LMMeshPosition = StartPosition;
  if (MissionType == OrbitalMission) {
    for (const MeshPtr* mesh : {&CMShinyMesh, &CMMainMesh, &CMOverlayMesh})
      if (*mesh) (*mesh)->SetPosition(0.0f, 0.0f, 0.0f);
    // The command module holds its place in the world; the scenario's start puts the LM against
    // it (below and behind it in the rendezvous, under its drogue when docked). The LM is drawn
    // at the origin, so the command module is drawn where it stands from the LM.
    CommandModuleWorld = {CommandModuleOffset, 0.0f, 0.0f};
    if (CommandModuleMesh) {
      CommandModuleMesh->SetPosition(CommandModuleWorld.x - StartPosition.x,
                                     CommandModuleWorld.y - StartPosition.y,
                                     CommandModuleWorld.z - StartPosition.z);
      CommandModuleMesh->SetRotation(0.0f, 0.0f, 0.0f);
      CommandModuleMesh->RotateY(CMAttitude.Yaw);
      CommandModuleMesh->RotateX(CMAttitude.Pitch);
      CommandModuleMesh->RotateZ(CMAttitude.Roll);
    }
  } else {
    for (int k = 0; k < LandTileCount; ++k) {
      auto& tile = LandTiles[static_cast<size_t>(k)];
      if (!tile) continue;
      tile->SetScale(1.0f, 1.0f, 1.0f);
      const Vector3& at = LandTilePosition[static_cast<size_t>(k)];
      tile->SetPosition(at.x - StartPosition.x, at.y - StartPosition.y, at.z - StartPosition.z);
    }
  }
  DescentStageTumbleRates = {};
  DescentStageVelocity = {};
  for (const MeshPtr* mesh : {&AscentStageMesh, &DescentStageMesh, &VirtualCockpitMesh})
    if (*mesh) (*mesh)->SetPosition(0.0f, 0.0f, 0.0f);
  if (ShadowFlags[0]) {
    for (const MeshPtr* mesh : {&DescentShadowGroup, &AscentShadowGroup}) {
      if (!*mesh) continue;
      (*mesh)->SetPosition(0.0f, 0.0f, 0.0f);
      (*mesh)->SetRotation(StartRotation.x, StartRotation.y, StartRotation.z);
    }
  }
  // The rendezvous radar stands folded on the surface and deployed in orbit.
  const bool orbital = MissionType == OrbitalMission;
  for (const auto& [mesh, shown] : {std::pair{&AscentRadarMesh, !orbital},
                                    {&AscentRadarShadowMesh, !orbital},
                                    {&AscentRadarOrbitMesh, orbital},
                                    {&AscentRadarShadowOrbitMesh, orbital}})
    if (*mesh) (*mesh)->Enable(shown);
  if (FDAIBall) FDAIBall->SetRotation(0.0f, FDAIBallTurn, 0.0f);
  // The first frame's attitude control takes the drift of this flight's start, not the drift the
  // last flight ended with, split by this flight's heading, not the heading the last flight ended
  // with.
  if (CameraPivot) MeasureHeading();
  ResolveHorizontalVelocity();
  forms::DoEvents();
}

void RunPass() {
  MainDisplayForm& form = *Main_Display;
  Guarded([&] {
    form.TimerVortanaPause.SetEnabled(false);
    if (SoundOn && MissionType == OrbitalMission) StopIfPlaying(TunnelScrapeSound);
  });
  Guarded([] {
    if (ShadowFlags[0])
      Engine->SetColourAndRange(engine::EngineGlobals::MakeColor(0, 0, 0, ShadowAlpha),
                                ShadowRange);
  });
  // The DSKY's flash and its display update run through every flight.
  form.DSKYFlash.SetEnabled(true);
  form.DSKY_Display_Update.SetEnabled(true);
  Guarded([&] {
    if (FullScreen) {
      InputEngine->SetScreenSize(DisplayModeWidth, DisplayModeHeight);
      Engine->SetWindowedFlag(false);
    } else {
      InputEngine->SetScreenSize(form.ScaleWidth(), form.ScaleHeight());
      Engine->SetWindowedFlag(true);
    }
  });
  if (Gamma == 0.0f) Gamma = 1.0f;
  if (ShipGamma == 0.0f) ShipGamma = 1.0f;
  SetMenuControls();
  const float h = ShadowFlags[1] || ShadowFlags[2] ? PadHeightLow : PadHeightHigh;
  FootpadReferencePoints = {{{0.0f, h, 0.0f},
                             {0.0f, h, PadReach},
                             {PadReach, h, 0.0f},
                             {0.0f, h, -PadReach},
                             {-PadReach, h, 0.0f}}};
  Guarded([] {
    if (MissionType == OrbitalMission) {
      for (const MeshPtr* flame : {&EngineFlame, &AscentEngineFlame})
        if (*flame) (*flame)->SetRotation(0.0f, 0.0f, OrbitalPlumeTurn);
    } else {
      SunDirection = {-1.0f, -0.25f, 0.001f};
      LightEngine->SetLight(LightIds[SunLight], LightRecords[SunLight]);
    }
    InputEngine->SetFactor(InputFactor);
  });
  if (MissionType != OrbitalMission) {
    for (int n = 0; n < LandTileCount; ++n) {
      Guarded([n] {
        auto& tile = LandTiles[static_cast<size_t>(n)];
        if (tile)
          tile->LoadHeights(ProgramFolder() + "\\Missions\\" + MissionName + "\\Textures\\temp" +
                                std::to_string(n) + ".ht",
                            1);
      });
      forms::DoEvents();
    }
  }
  FillJetSelectionTables();
  CockpitCounterValue = 2805.0f;
  CounterDriftStep = 0.0f;
  form.TimerAverage.SetEnabled(false);
  Guarded(ResetFlightState);
  Guarded(LoadInstrumentLayout);
  Guarded(LoadMissionFile);
  Guarded([] {
    if (MissionType != OrbitalMission) ShowMoonGroup();
  });
  Guarded(ApplySwitchPositions);
  Guarded([] {
    // Only a replay that loads is played back; its landing is scored into the replay alone.
    ReplayLoaded = ReplayPlayback && LoadReplay();
    SetTimeDigits(MissionClock);
    SetTimeDigits(EventClock);
    // The countdown starts at 99 s. The scenario's time to ascent ignition stays as read: P12 adds
    // it to the mission clock, a sum that carries one minute at most.
    TimeToIgnition.Hours = 0;
    TimeToIgnition.Minutes = 0;
    TimeToIgnition.Seconds = 99;
    SetTimeDigits(TimeToIgnition);
    SetArrowPointer();
  });
  if (MissionType != OrbitalMission) ResetCallouts();
  forms::DoEvents();
  form.TimerTalk(ShortCalloutChannel).SetInterval(ShortCalloutSpacingMs);
  for (int16_t channel = 1; channel <= CalloutChannelCount; ++channel) {
    form.TimerTalk(channel).SetEnabled(false);
    form.TimerTalk(channel).SetInterval(CalloutSpacingMs);
  }
  Guarded([] {
    ThrustAverage = 0.0f;
    CommandedVerticalRate = DescentSpeed;
    LMVelocity = {StartVelocity.x, StartVelocity.y, StartVelocity.z};
    EngineThrust = DPSThrust;
    Fuel = DescentFuelMass;
    ComputeRCSTorque();
    for (ViewIndex view : {EVAView, ExteriorView})
      ViewRecords[static_cast<size_t>(view)].ViewAngle = StoredViewAngle;
    if (MissionType != OrbitalMission && AllMoonMesh) {
      AllMoonMesh->SetPosition(-StartPosition.x, MoonRadius - StartPosition.y, -StartPosition.z);
      AllMoonMesh->SetRotation(MoonAngle.x, MoonAngle.y, MoonAngle.z);
    }
    SceneReferencePoint = {-3.5f, 6.7f, 0.1f};
  });
  Guarded([] {
    AscentStageFlying = false;
    OffsetLMMeshes(AscentOnly ? AscentOnlyLift : 0.0f);
    AscentStageFlying = AscentOnly;
  });
  Guarded(SelectStartView);
  Guarded(SetStartAttitude);
  if (Test11Mode && !IntroFlyby && SoundOn && Test11Sound) Test11Sound->Play();
  Guarded(StartGuidanceProgram);
  SettleAttitude();
  Guarded(PlaceLMAndWorld);
  // The stages start joined: the descent stage stands where the flight start put its mesh, at
  // the LM's pivot, whatever the last flight left behind.
  DescentStagePosition = {LMMeshPosition.x + AscentStageMeshOffset.x,
                          LMMeshPosition.y + AscentStageMeshOffset.y,
                          LMMeshPosition.z + AscentStageMeshOffset.z};
  MeasureAltitude();
  Weight = StartWeight;
  if (NodeMakeMode) {
    PathNodeCount = 0;
    IntroFlyby = true;
    Guarded([] { LoadPathNodes(*SceneHelper); });
  }
  if (IntroFlyby) {
    ControlsActive = false;
    if (SoundOn && InitiationSound) InitiationSound->Play();
    GraphicEffect->Start(FlybyEffectMs);
  } else {
    ControlsActive = true;
    PathNodeCount = 0;
  }
  Guarded([&] {
    // The camera starts on its orbit, where the first frame's ground test looks under it.
    const d3dx::D3DXVECTOR3 camera = OrbitCameraPoint({});
    CameraGroundPoint = {camera.x, camera.y, camera.z};
    ApplyShipGamma();
    form.TimerAverage.SetEnabled(true);
    if (MissionType != OrbitalMission) PlaceRocks();
  });
  Guarded([] {
    if (SoundOn && !IntroFlyby && DescentEngineSound) {
      DescentEngineSound->SetVolume(SilentAttenuation);
      DescentEngineSound->Play();
      DescentEngineSound->SetLooping(true);
    }
    ApplySoundVolumes();
  });
  forms::DoEvents();
  RunFlag = true;
  if (MissionType == OrbitalMission) {
    if (Docked) {
      ProbeCaptured = ProbeRetracting = true;
      SeatDockedCommandModule();
    }
    RunOrbitalFrameLoop();
  } else {
    RunFrameLoop();
  }
}

}  // namespace

void DropSceneReferences() {
  for (MeshPtr* mesh : {&ExplosionMesh,
                        &AscentStageMesh,
                        &AscentShadowGroup,
                        &AscentBodyMesh,
                        &AscentGoldFoilMesh,
                        &AscentSilverFoilMesh,
                        &AscentRadarMesh,
                        &AscentRadarOrbitMesh,
                        &AscentWindowsMesh,
                        &AscentShadowMesh,
                        &AscentRadarShadowMesh,
                        &AscentRadarShadowOrbitMesh,
                        &AscentEngineFlame,
                        &DescentStageMesh,
                        &DescentShadowGroup,
                        &DescentBodyMesh,
                        &DescentPartsMesh,
                        &EngineFlame,
                        &DescentGoldFoilMesh,
                        &DescentSilverFoilMesh,
                        &DescentRedFoilMesh,
                        &DescentLegFoilMesh,
                        &DescentShadowMesh,
                        &RCSPlumeGroup,
                        &CommandModuleMesh,
                        &CMMainMesh,
                        &CMShinyMesh,
                        &CMOverlayMesh,
                        &HatchOpenMesh,
                        &HatchOpenAMesh,
                        &HatchClosedInnerMesh,
                        &HatchClosedOuterMesh,
                        &CameraPivot,
                        &CameraMesh,
                        &FDAIBall,
                        &FDAIBallCameraPivot,
                        &FDAIBallCameraPoint,
                        &RollOrientationMesh,
                        &OrientationMesh,
                        &LandingSpotMesh,
                        &ArrowSpotMesh,
                        &ShadowGridMesh,
                        &MiniLMMesh,
                        &VirtualCockpitMesh,
                        &CockpitShellMesh,
                        &StarField,
                        &EarthMesh,
                        &EarthPoint,
                        &AllMoonMesh,
                        &HalfMoonMesh,
                        &OrbitalMoonMesh,
                        &FlagMesh,
                        &FlagDarkMesh,
                        &CraterDebrisMesh,
                        &StartMesh,
                        &FinishMesh,
                        &DustMesh,
                        &ScoreMesh,
                        &SurveyorMesh})
    mesh->reset();
  for (auto* meshes : {&DescentLegShadowMeshes, &DescentLegMeshes, &ShadowBlobMeshes})
    for (MeshPtr& mesh : *meshes) mesh.reset();
  for (MeshPtr& mesh : RCSPlumes) mesh.reset();
  for (auto* meshes : {&StarPointMeshes, &StarInfoMeshes, &RockMeshes, &FakeRockMeshes})
    meshes->clear();
  CockpitPartMeshes.clear();
  SwitchMeshes.clear();
  for (auto& tile : LandTiles) tile.reset();
  LandTilesCreated = false;
  OrbitalObjectsLoaded = false;
  ParticleAscent = {};
  ParticleRCS1 = {};
}

void RunFlight() {
  do RunPass();
  while (RestartFlag);
}

void ShutDownSimulator() {
  const auto ignore = [](auto step) {
    try {
      step();
    } catch (const std::exception&) {
      // Every release is tried; a failure leaves the next to run.
    }
  };
  const auto yield = [&] { ignore(forms::DoEvents); };
  ignore([] {
    if (Screen2DText) Screen2DText->ResetFonts();
  });
  yield();
  ignore(ReleaseJoysticks);
  yield();
  ignore([] {
    if (InputEngine) InputEngine->ReleaseDevices();
  });
  yield();
  ignore([] {
    if (MaterialFactory) MaterialFactory->ReleaseAll();
  });
  yield();
  for (RenderSurfacePtr* surface :
       {&ViewSurface, &FDAISurface, &XPointerSurface, &ThrottleSurface, &AltitudeRateSurface,
        &AltitudeSurface, &PanelSurface, &AttitudeMeasureSurface, &DSKYSurface, &DSKYLightsSurface,
        &FuelCounterSurface, &CounterSurface, &WindowViewSurface, &WindowOverlaySurface,
        &ShadowSurface, &TerrainPatchSurface})
    ignore([surface] {
      if (*surface) (*surface)->Release();
      surface->reset();
    });
  for (RenderSurfacePtr& surface : DataDisplaySurfaces) surface.reset();
  ignore([] {
    if (Scene) Scene->ReleaseAll();
    if (Atmosphere) Atmosphere->ReleaseAll();
    if (LightEngine) LightEngine->ReleaseAll();
  });
  yield();
  Screen2DDraw.reset();
  Screen2DText.reset();
  Atmosphere.reset();
  yield();
  ignore(ReleaseSounds);
  yield();
  DropSceneReferences();
  LightEngine.reset();
  MaterialFactory.reset();
  TextureFactory.reset();
  GraphicEffect.reset();
  MathLibrary.reset();
  Scene.reset();
  ignore([] {
    if (SceneHelper) SceneHelper->Clear();
  });
  SceneHelper.reset();
  ignore([] {
    if (Engine) Engine->SetWindowedFlag(true);
  });
  yield();
  ignore([] {
    if (Engine) Engine->Shutdown();
  });
  yield();
  InputDevices.reset();
  InputEngine.reset();
  Globals.reset();
  Engine.reset();
  ViewCameras = {};
  EngineInitialised = SimulationInitialised = false;
  forms::End();
}
