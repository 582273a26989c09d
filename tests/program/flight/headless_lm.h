// A headless LM for the flight tests: the shipped scenario, read as a flight start reads it, level
// ground at a chosen world height, and one frame of the surface loop's physics steps in the loop's
// order.
#pragma once

#include "platform/win/app_path.h"
#include "program/flight/flight_dynamics.h"
#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/missions/mission_file.h"

namespace headless {

// The shipped Apollo 11 scenario, its LM level and at rest `heightFeet` above ground at world
// height 0.
inline void ResetLM(float heightFeet) {
  win::SetAppPath(MAROVIN_DATA);
  MissionName = "Apollo 11";
  FlightFile = "Short Flight P66";
  LoadMissionFile();
  EngineThrust = DPSThrust;
  Fuel = DescentFuelMass;
  ThrustAverage = 0.0f;
  ThrottleCommand = 0.0f;
  ComputeRCSTorque();
  FootpadReferencePoints = {{{0.0f, -7.9f, 0.0f},
                             {0.0f, -7.9f, 11.5f},
                             {11.5f, -7.9f, 0.0f},
                             {0.0f, -7.9f, -11.5f},
                             {-11.5f, -7.9f, 0.0f}}};
  ResetPivot();
  LMPosition = {0.0, heightFeet / WorldScale + 7.9, 0.0};
  LMMeshPosition = {0.0f, static_cast<float>(LMPosition.y), 0.0f};
  LMVelocity = {};
  RollAxis = PitchAxis = YawAxis = AttitudeAxis{};
  ControlsActive = RunFlag = true;
  FrameSettled = true;
  IntroFlyby = ReplayPlayback = false;
  Landed = OnGround = Crashed = ContactLightOn = EngineOff = false;
  AscentStageFlying = Staged = FootpadTouched = false;
  AscentStageMeshOffset = {};
  PadDown = {};
  PadHeight = {};
  FirstTouchRecord = ContactRecord = FlightRecordCount = 0;
  FramesPerSecond = 60.0f;
  FrameTimeSec = 1.0f / 60.0f;
  FrameTimeMs = 1000.0f / 60.0f;
  // The terrain is asked at render coordinates, which move with the LM.
  SetTerrainHeightSource([](float, float) { return -LMMeshPosition.y; });
  MeasureAltitude();
}

// The physics steps of one surface frame, in the loop's order.
inline void FlyFrame() {
  UpdateMassAndThrust();
  CheckAscentStageStrike();
  IntegrateLMMotion();
  UpdateLeftBehindDescentStage();
  CheckFuelExhaustion();
  MeasureAltitude();
  ProcessFootpads();
  BurnFuel();
  FrameSettled = true;
}

}  // namespace headless
