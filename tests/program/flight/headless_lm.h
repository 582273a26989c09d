// A headless LM for the flight tests: the shipped scenario, read as a flight start reads it, a
// small real scene on the null engine (the LM's pivot and meshes, the attitude ball's rig, the
// cabin's two lights and one landscape tile of ground), and the surface loop's own flight of a
// frame.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/engine/height_grid.h"
#include "platform/win/app_path.h"
#include "program/flight/flight_dynamics.h"
#include "program/flight/flight_run.h"
#include "program/flight/flight_scene.h"
#include "program/flight/flight_state.h"
#include "program/missions/mission_file.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "program/startup/form_connections.h"
#include "tests/platform/win/temp_folder.h"

namespace headless {

// The ground tile: GroundSide samples `spacing` apart (2 world units unless a test asks for a
// wider field), centred on world (0, 0); the frames place it at its world place less
// LMMeshPosition.
inline constexpr uint32_t GroundSide = 251;
inline float GroundCorner = -250.0f;  // world units, both x and z

// Tile 0 of the ground at its render place for the LM's place now.
inline void PlaceGround() {
  LandTiles[0]->SetPosition(GroundCorner - LMMeshPosition.x, -LMMeshPosition.y,
                            GroundCorner - LMMeshPosition.z);
}

// Ground of world height `height`(x, z), world units, under the LM's place now.
inline void SetGround(const std::function<float(float x, float z)>& height, float spacing = 2.0f) {
  static const TempFolder folder;
  GroundCorner = -0.5f * static_cast<float>(GroundSide - 1) * spacing;
  engine::HeightGrid grid{GroundSide, GroundSide, spacing, {}};
  for (uint32_t row = 0; row < GroundSide; ++row)
    for (uint32_t column = 0; column < GroundSide; ++column)
      grid.heights.push_back(height(GroundCorner + static_cast<float>(column) * spacing,
                                    GroundCorner + static_cast<float>(row) * spacing));
  // The frames place the tile at its world place less the LM's, as they place a mission's.
  LandTilePosition[0] = {GroundCorner, 0.0f, GroundCorner};
  LandTileScale[0] = {1.0f, 1.0f, 1.0f};
  const auto bytes = engine::WriteHeightGrid(grid);
  folder.WriteFile("ground.ht", std::string(bytes.begin(), bytes.end()));
  LandTiles[0] = std::make_unique<engine::EngineLandscape>(*Engine);
  LandTiles[0]->LoadHeightMap((folder.Path() / "ground.ht").string());
  ActiveLandTile = 0;
  PlaceGround();
}

// The single meshes of the small scene, made by BuildScene and dropped by ReleaseScene.
inline const std::array<MeshPtr*, 17>& SceneMeshes() {
  static const std::array<MeshPtr*, 17> meshes{
      &AscentStageMesh,     &AscentShadowGroup, &DescentStageMesh, &DescentShadowGroup,
      &VirtualCockpitMesh,  &RCSPlumeGroup,     &CameraPivot,      &FDAIBallCameraPivot,
      &FDAIBallCameraPoint, &OrientationMesh,   &CraterDebrisMesh, &AscentRadarShadowMesh,
      &ShadowGridMesh,      &HatchOpenMesh,     &HatchOpenAMesh,   &HatchClosedInnerMesh,
      &HatchClosedOuterMesh};
  return meshes;
}

// The engine objects, unless a test's fixture made its own, and the meshes the flight's physics
// turns, places and lights, made once on that engine; each reset puts them upright and hides the
// plumes.
inline void BuildScene() {
  if (!Engine) {
    Engine = std::make_unique<engine::Engine>(engine::MakeNullBackend());
    Globals = std::make_unique<engine::EngineGlobals>(*Engine);
    Scene = std::make_unique<engine::EngineScene>(*Engine);
    Screen2DText = std::make_unique<engine::EngineScreen2DText>(*Engine);
    Screen2DDraw = std::make_unique<engine::EngineScreen2DDraw>(*Engine);
    ViewCameras[1] = &Engine->MainCamera();
  }
  if (!CameraPivot) {
    const auto mesh = [] { return Scene->CreateMesh(""); };
    for (MeshPtr* root : SceneMeshes()) *root = mesh();
    FDAIBallCameraPivot->AttachChild(FDAIBallCameraPoint);
    FDAIBallCameraPoint->SetPosition(0, 0, -19.0f);
    for (int plume = 1; plume <= RCSPlumeCount; ++plume) {
      RCSPlumes[static_cast<size_t>(plume)] = mesh();
      RCSPlumeGroup->AttachChild(RCSPlumes[static_cast<size_t>(plume)]);
    }
    for (int pad = 0; pad < FootpadCount; ++pad) {
      DescentLegMeshes[static_cast<size_t>(pad)] = mesh();
      DescentStageMesh->AttachChild(DescentLegMeshes[static_cast<size_t>(pad)]);
      DescentLegShadowMeshes[static_cast<size_t>(pad)] = mesh();
      ShadowBlobMeshes[static_cast<size_t>(pad)] = mesh();
    }
    for (int v = 0; v < ShadowGridVertexCount; ++v) ShadowGridMesh->AddVertex(0, 0, 0, 0, 0, 0);
    for (const char* light : {"ContactLight", "Des_Qty"}) CockpitPartMeshes[light] = mesh();
    AttitudeMeasureSurface = Scene->CreateRenderSurface(32, 32, 0, 0, 0);
    TerrainPatchSurface = Scene->CreateRenderSurface(32, 32, 0, 0, 0);
  }
  CameraPivot->SetRotation(0, 0, 0);
  ResetAttitudeReference();
  for (const MeshPtr* root : {&AscentStageMesh, &AscentShadowGroup, &DescentStageMesh,
                              &DescentShadowGroup, &VirtualCockpitMesh, &RCSPlumeGroup})
    (*root)->SetRotation(0, 0, 0);
  for (int plume = 1; plume <= RCSPlumeCount; ++plume)
    RCSPlumes[static_cast<size_t>(plume)]->Enable(false);
}

// Drops what BuildScene and SetGround made on a fixture's engine, before that engine goes.
inline void ReleaseScene() {
  LandTiles[0].reset();
  AttitudeMeasureSurface.reset();
  TerrainPatchSurface.reset();
  for (const char* light : {"ContactLight", "Des_Qty"}) CockpitPartMeshes.erase(light);
  for (auto* meshes : {&DescentLegShadowMeshes, &DescentLegMeshes, &ShadowBlobMeshes})
    for (MeshPtr& mesh : *meshes) mesh.reset();
  for (MeshPtr& mesh : RCSPlumes) mesh.reset();
  for (MeshPtr* root : SceneMeshes()) root->reset();
}

// What the frames of the headless LM keep from one to the next, as one call of the loop does.
inline FrameLocals Locals;

// The shipped Apollo 11 scenario, its LM level and at rest `heightFeet` above ground at world
// height 0.
inline void ResetLM(float heightFeet) {
  ConnectForms();
  win::SetAppPath(MAROVIN_DATA);
  MissionName = "Apollo 11";
  MissionType = 11;
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
  BuildScene();
  LMPosition = {0.0, heightFeet / WorldScale + 7.9, 0.0};
  LMMeshPosition = {0.0f, static_cast<float>(LMPosition.y), 0.0f};
  LMVelocity = {};
  RollAxis = PitchAxis = YawAxis = AttitudeAxis{};
  ControlsActive = RunFlag = true;
  FrameSettled = true;
  IntroFlyby = ReplayPlayback = ReplayLoaded = false;
  // The headless frames leave the clock alone: a sample falls due only where a test moves it.
  MissionTime = 0.0;
  Landed = OnGround = Crashed = ContactLightOn = EngineOff = false;
  AscentStageFlying = Staged = FootpadTouched = false;
  AscentStageMeshOffset = {};
  PadDown = {};
  PadHeight = {};
  FirstTouchRecord = ContactRecord = LowGateIndex = FlightRecordCount = 0;
  Locals = {};
  FramesPerSecond = 60.0f;
  FrameTimeSec = 1.0f / 60.0f;
  FrameTimeMs = 1000.0f / 60.0f;
  SetGround([](float, float) { return 0.0f; });
  MeasureAltitude();
}

// One surface frame's flight, the program's own, then the frame's end.
inline void FlyFrame() {
  FlySurfaceFrame(Locals);
  FrameSettled = true;
}

}  // namespace headless
