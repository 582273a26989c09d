// Placement on real meshes and real tiles: terrain alignment, the horizontal velocity, the crater,
// the tile choice, the rock field, the exhaust emitter, the fading and the tilt warnings.
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "platform/engine/height_grid.h"
#include "platform/win/rnd.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/flight_scene.h"
#include "program/flight/main_display.h"
#include "program/scene/placement.h"
#include "program/scene/scene_services.h"
#include "program/scene/textures_materials.h"
#include "tests/program/main_display_reload.h"
#include "tests/program/scene/scene_fixture.h"

namespace {

class PlacementTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    CreateMaterials();
  }
  void TearDown() override {
    for (auto& tile : LandTiles) tile.reset();
    RockMeshes.clear();
    FakeRockMeshes.clear();
    DescentBodyMesh.reset();
    win::SetRndSource(nullptr);
    DropMainDisplay();
    SceneTest::TearDown();
  }

  // Tile k: a flat grid of `side` samples `spacing` apart at `height`, its corner at (x, z).
  void MakeTile(int k, uint32_t side, float spacing, float height, float x, float z) const {
    engine::HeightGrid grid{side, side, spacing, std::vector<float>(side * side, height)};
    const auto bytes = engine::WriteHeightGrid(grid);
    const std::string name = "tile" + std::to_string(k) + ".ht";
    folder_.WriteFile(name, std::string(bytes.begin(), bytes.end()));
    auto tile = std::make_unique<engine::EngineLandscape>(*Engine);
    tile->LoadHeightMap(win::AppPath() + "\\" + name);
    tile->SetPosition(x, 0, z);
    tile->SetMaterial(Globals->GetMaterialId("LandTile" + std::to_string(k)));
    LandTiles[static_cast<size_t>(k)] = std::move(tile);
  }

  SavedVariables saved_ = SavedVariables(
      LMVelocity, LMHeading, HorizontalVelocityForward, HorizontalVelocityLateral, ActiveLandTile,
      RockRecords, RocksPlaced, RocksLaid, RockCount, RockGraphic, LMMeshPosition, FieldOfView,
      CameraDistance, Crashed, RollAxis, GimbalLocked, LampGimbalLock, LampNoAtt, LandMoveMode);
};

struct VelocityCase {
  double vx, vz;  // ft/s
  float heading;  // radians
  float forward, lateral;
};

class VelocityTest : public PlacementTest, public ::testing::WithParamInterface<VelocityCase> {};

TEST_P(VelocityTest, TheHorizontalVelocityIsSplitAlongTheHeading) {
  const VelocityCase& c = GetParam();
  LMVelocity = {c.vx, -3.0, c.vz};
  LMHeading = c.heading;
  ResolveHorizontalVelocity();
  EXPECT_NEAR(HorizontalVelocityForward, c.forward, 1e-3);
  EXPECT_NEAR(HorizontalVelocityLateral, c.lateral, 1e-3);
  EXPECT_NE(LMVelocity.x, 0.0);
  EXPECT_NE(LMVelocity.z, 0.0);
}

// Angle2D(vx, vz) is the heading of the velocity; less three quarter turns and the LM's heading.
INSTANTIATE_TEST_SUITE_P(
    Headings, VelocityTest,
    ::testing::Values(VelocityCase{0, 10, 0, 0, 10}, VelocityCase{10, 0, 0, -10, 0},
                      VelocityCase{0, 10, std::numbers::pi_v<float> / 2, 10, 0},
                      VelocityCase{0, 0, 0, 0, 0}));

TEST_F(PlacementTest, AlignmentTurnsTheUpAxisOneStepTowardTheNormal) {
  MakeTile(0, 5, 10.0f, 5.0f, -20, -20);
  MeshPtr mesh = Scene->CreateMesh("");
  mesh->SetRotation(0.2f, 0, 0);  // leaning 0.2 rad about x
  const d3dx::D3DXMATRIX before = mesh->GetRotationMatrix();
  AlignMeshToTerrain(*mesh, *LandTiles[0], 0.8f);
  const d3dx::D3DXMATRIX after = mesh->GetRotationMatrix();
  const d3dx::D3DXVECTOR3 moved{after.m[1][0] - before.m[1][0], after.m[1][1] - before.m[1][1],
                                after.m[1][2] - before.m[1][2]};
  EXPECT_NEAR(d3dx::D3DXVec3Length(&moved), 0.002f, 1e-5);
  EXPECT_GT(after.m[1][1], before.m[1][1]);

  // Upright on flat ground nothing turns.
  MeshPtr upright = Scene->CreateMesh("");
  const d3dx::D3DXMATRIX still = upright->GetRotationMatrix();
  AlignMeshToTerrain(*upright, *LandTiles[0], 1.0f);
  const d3dx::D3DXMATRIX unturned = upright->GetRotationMatrix();
  for (int row = 0; row < 3; ++row)
    for (int column = 0; column < 3; ++column)
      EXPECT_EQ(unturned.m[row][column], still.m[row][column]);
}

TEST_F(PlacementTest, TheCraterIsAConeLoweringEachSampleOnce) {
  // Samples 5 units apart: a unit grid would lower each of them up to 25 times.
  MakeTile(0, 41, 5.0f, 100.0f, -100, -100);
  ActiveLandTile = 0;
  DigCrater();
  const std::vector<std::pair<float, float>> profile = {
      {0, 60}, {25, 80}, {45, 96}, {50, 100}, {80, 100}};
  for (const auto& [x, height] : profile)
    EXPECT_NEAR(LandTiles[0]->GetHeight(x, 0), height, 1e-3) << x;
}

TEST_F(PlacementTest, ACrashLaysTheDebrisAndDigsTheCrater) {
  MakeTile(0, 41, 5.0f, 100.0f, -100, -100);
  LandTiles[0]->SetPosition(-100, -7, -100);
  ActiveLandTile = 0;
  EXPECT_FLOAT_EQ(ActiveTileRenderHeight(), -7.0f);
  CraterDebrisMesh = Scene->CreateMesh("");
  CraterDebrisMesh->SetRotation(0.3f, 0, 0);
  const float tiltBefore = CraterDebrisMesh->GetRotationMatrix().m[1][1];
  ShowCrashSite();
  EXPECT_GT(CraterDebrisMesh->GetRotationMatrix().m[1][1], tiltBefore) << "a step upright";
  EXPECT_NEAR(LandTiles[0]->GetHeight(0, 0), 100.0f - 7.0f - 40.0f, 1e-3);
  CraterDebrisMesh.reset();
}

struct TileCase {
  std::vector<float> heights;  // of tiles 0 to 2 under the LM; 0 = none there
  int before, after;
};

class TileChoiceTest : public PlacementTest, public ::testing::WithParamInterface<TileCase> {};

TEST_P(TileChoiceTest, TheStrictlyHighestTileUnderTheLMIsActive) {
  for (int k = 0; k < 3; ++k) {
    const float h = GetParam().heights[static_cast<size_t>(k)];
    // A tile with no ground under the LM lies beside it.
    MakeTile(k, 3, 10.0f, h == 0 ? 7.0f : h, h == 0 ? 500.0f : -10.0f, -10.0f);
  }
  ActiveLandTile = GetParam().before;
  UpdateFootpadHeights();
  EXPECT_EQ(ActiveLandTile, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Tiles, TileChoiceTest,
                         ::testing::Values(TileCase{{5, 3, 1}, 2, 0}, TileCase{{0, 3, 1}, 0, 1},
                                           TileCase{{4, 4, 1}, 2, 2}, TileCase{{0, 0, 0}, 1, 1},
                                           TileCase{{1, 2, 9}, 0, 2}));

TEST_F(PlacementTest, RocksLieInTheirRingAndStandOnTheGroundOnce) {
  RockCount = 40;
  PlaceRocks();
  ASSERT_EQ(RockRecords.size(), 200u);
  for (const RockRecord& rock : RockRecords) {
    EXPECT_GE(rock.Size, 0.04f);
    EXPECT_LE(rock.Size, 0.25f);
    const float d = std::hypot(rock.World.x, rock.World.z);
    EXPECT_GE(d, 26.9f);
    EXPECT_LE(d, 927.1f);
  }
  MakeTile(2, 201, 10.0f, 12.0f, -1000, -1000);
  LMMeshPosition = {100, 50, -200};
  const RockRecord first = RockRecords[0];
  UpdateRocks();
  UpdateRocks();  // once a flight: the rocks do not drift
  EXPECT_FLOAT_EQ(RockRecords[0].World.x, first.World.x + 100);
  EXPECT_FLOAT_EQ(RockRecords[0].World.z, first.World.z - 200);
  EXPECT_FLOAT_EQ(RockRecords[0].World.y, 12.0f + 50);
  EXPECT_TRUE(RocksPlaced);
  // A climb through 200 ft marks the pool not ready; coming back down, the field lies where it
  // was laid, on the ground under its render point.
  RocksPlaced = false;
  LMMeshPosition = {130, 40, -170};
  UpdateRocks();
  EXPECT_FLOAT_EQ(RockRecords[0].World.x, first.World.x + 100);
  EXPECT_FLOAT_EQ(RockRecords[0].World.z, first.World.z - 200);
  EXPECT_FLOAT_EQ(RockRecords[0].World.y, 12.0f + 40);
}

TEST_F(PlacementTest, ThePoolGoesToTheRocksInViewAndCrashesClearTheirSite) {
  RockCount = 3;
  RockGraphic = 75;
  FieldOfView = 45.0f;
  for (int n = 0; n < 3; ++n) {
    RockMeshes.push_back(Scene->CreateMesh(""));
    FakeRockMeshes.push_back(Scene->CreateMesh(""));
  }
  ViewCameras[1]->SetCamera({0, 0, 0}, {0, 0, 1});
  // Ahead and far, ahead and near but large, behind, beyond the field, ahead within the crash site.
  RockRecords = {{{}, {0, 0, 200}, 0.2f},
                 {{}, {0, 0, 50}, 0.2f},
                 {{}, {0, 0, -200}, 0.2f},
                 {{}, {0, 0, 500}, 0.2f},
                 {{}, {0, 0, 30}, 0.04f}};
  UpdateRockField();
  EXPECT_TRUE(RockMeshes[0]->IsEnabled());
  EXPECT_FLOAT_EQ(RockMeshes[0]->GetPosition().z, 200.0f);
  EXPECT_FLOAT_EQ(RockMeshes[1]->GetPosition().z, 30.0f);  // the small near rock
  EXPECT_FALSE(RockMeshes[2]->IsEnabled());
  Crashed = true;
  UpdateRockField();
  EXPECT_TRUE(RockMeshes[0]->IsEnabled());
  EXPECT_FALSE(RockMeshes[1]->IsEnabled());
}

struct TiltCase {
  float rollDegrees;
  bool light, locked;
};

class TiltTest : public PlacementTest, public ::testing::WithParamInterface<TiltCase> {};

TEST_P(TiltTest, RollNearAQuarterTurnWarnsOfGimbalLock) {
  RollAxis.Angle = GetParam().rollDegrees * 0.0174532925f;
  GimbalLocked = LampNoAtt = false;
  LampGimbalLock = true;
  CheckTiltLimits();
  EXPECT_EQ(LampGimbalLock, GetParam().light);
  EXPECT_EQ(GimbalLocked, GetParam().locked);
  EXPECT_EQ(LampNoAtt, GetParam().locked);
}

INSTANTIATE_TEST_SUITE_P(Rolls, TiltTest,
                         ::testing::Values(TiltCase{69.9f, false, false},
                                           TiltCase{70.5f, true, false}, TiltCase{-90, true, true},
                                           TiltCase{109.5f, true, false},
                                           TiltCase{110.5f, false, false}));

TEST_F(PlacementTest, TheLayersFadeWithTheCameraDistance) {
  for (int k = 0; k < 3; ++k) MakeTile(k, 3, 10.0f, 5.0f, 0, 0);
  const auto alpha = [](int k) {
    return Engine->Materials().Get(LandTiles[static_cast<size_t>(k)]->Material())->diffuse.a;
  };
  const std::vector<std::array<float, 4>> cases = {
      {1000, 1, 1, 1}, {10000, 1, 1, 0}, {25000, 1, 0.5f, 0}, {180000, 0.5f, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c[0]);
    CameraDistance = c[0];
    FadeLandscapeLayers();
    for (int k = 0; k < 3; ++k) {
      const float expected = c[static_cast<size_t>(3 - k)];
      if (expected > 0) {
        EXPECT_FLOAT_EQ(alpha(k), expected) << k;
      }
    }
  }
}

TEST_F(PlacementTest, TheExhaustEmitterFollowsTheDescentStageAndTheTimer) {
  DescentBodyMesh = Scene->CreateMesh("");
  DescentBodyMesh->SetPosition(0, 100, 0);
  CameraPivot = Scene->CreateMesh("");  // turns the new particles' speeds into world axes
  win::SetRndSource([] { return 0.5f; });
  MissionType = 12;
  CameraDistance = 10;
  Main_Display->Timer_Ascent_Particle.SetEnabled(true);
  ParticleAscent.Create(*Engine, 100, 0, 15.0f, {}, 0, 0);
  ParticleAscent.SetLifeRange(3.0f, 3.0f);
  UpdateParticleEmitter();
  ASSERT_FALSE(ParticleAscent.Particles().empty());
  // A new particle falls for one step at the speed the main display gives it (0.2 x 0.5).
  EXPECT_NEAR(ParticleAscent.Particles().back().position.y, 120.0f - 0.2f * 0.5f * 0.05f, 1e-4);
  EXPECT_EQ(ParticleAscent.Particles().size(), 20u);  // 30 - CameraDistance
  // The floor of 5 holds however far the camera is: a far camera's amount does not wrap.
  for (const float distance : {100.0f, 40000.0f, 65000.0f}) {
    CameraDistance = distance;
    UpdateParticleEmitter();
    EXPECT_EQ(ParticleAscent.Amount(), 5) << distance;
  }
}

TEST_F(PlacementTest, MeshVectorsAndPointsGoBetweenFrames) {
  MeshPtr mesh = Scene->CreateMesh("");
  mesh->SetPosition(10, 0, 0);
  d3dx::D3DXVECTOR3 v;
  GetMeshVector(v, *mesh, {0, 1, 0});
  EXPECT_FLOAT_EQ(v.x, 10.0f);
  EXPECT_FLOAT_EQ(v.z, 0.0001f);
  TransformPoint(v, *mesh, {12, 3, 0});
  EXPECT_FLOAT_EQ(v.x, 2.0f);
  EXPECT_FLOAT_EQ(v.y, 3.0f);
}

TEST_F(PlacementTest, TheWalkerFollowsTheGroundAndTakesThePathAtTheHatch) {
  SavedVariables saved(EVAEye, EVARotation, WalkForward, WalkSide, WalkPathMode, WalkPathValue,
                       WalkLookAt, FrameTimeMs);
  MakeTile(0, 21, 10.0f, 10.0f, -100, -100);
  VirtualCockpitMesh = Scene->CreateMesh("");
  VirtualCockpitMesh->SetPosition(12, 0, 1);  // the hatch point at (0, -4.5, 1)
  EVARotation = {0, 0, 0};                    // heading along +z
  WalkPathMode = false;

  struct Step {
    Vector3 from;
    float forward, frameMs;
    bool pathAfter;
    float eyeZ;  // after the step
  };
  const Step steps[] = {
      {{0, 0, -20}, 1, 400, false, -19},       // a world unit in 400 ms, on the ground
      {{0, 14, 0.5f}, 0, 100, false, 0.5f},    // standing by the hatch starts nothing
      {{0, 14, 0.9f}, -1, 100, false, 0.65f},  // walking away from it neither
  };
  for (const Step& step : steps) {
    EVAEye = step.from;
    WalkForward = step.forward;
    FrameTimeMs = step.frameMs;
    UpdateWalkingCamera();
    EXPECT_EQ(WalkPathMode, step.pathAfter);
    EXPECT_NEAR(EVAEye.z, step.eyeZ, 1e-4);
  }
  EXPECT_FLOAT_EQ(EVAEye.y, 14.0f);  // four above the ground

  // Walking toward the hatch takes the path at its hatch end.
  EVAEye = {0, 14, 0.5f};
  WalkForward = 1;
  FrameTimeMs = 100;
  UpdateWalkingCamera();
  EXPECT_TRUE(WalkPathMode);
  EXPECT_FLOAT_EQ(WalkPathValue, 3.5f);
  ASSERT_EQ(SceneHelper->Points().size(), 5u);
  EXPECT_FLOAT_EQ(SceneHelper->Points()[0].x, 9.5f);
  VirtualCockpitMesh.reset();
}

}  // namespace
