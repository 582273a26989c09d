// The LM's meshes each frame on the real stages: offsets, turns flown and played back, the
// left-behind descent stage, legs, plumes, the shadow picture and the stage-only passes.
#include <algorithm>
#include <string>
#include <vector>

#include "program/flight/attitude_control.h"
#include "program/flight/flight_scene.h"
#include "program/scene/lm_placement.h"
#include "program/scene/scene_services.h"
#include "tests/program/scene/lm_fixture.h"

namespace {

class LMPlacementTest : public LMSceneTest {
 protected:
  // The mesh's world matrix is the reference's, turned as the test says.
  static void ExpectSameTurn(const engine::EngineMesh& mesh, const engine::EngineMesh& reference,
                             const char* what) {
    const d3dx::D3DXMATRIX a = mesh.GetMatrix();
    const d3dx::D3DXMATRIX b = reference.GetMatrix();
    for (int row = 0; row < 3; ++row)
      for (int column = 0; column < 3; ++column)
        EXPECT_NEAR(a.m[row][column], b.m[row][column], 1e-5f) << what << " " << row << column;
  }
  // A mesh turned by the increments (roll, pitch, yaw) as the LM's meshes turn.
  static MeshPtr TurnedBy(const Vector3& increment, const MeshPtr& from = nullptr) {
    MeshPtr mesh = Scene->CreateMesh("");
    if (from) mesh->SetMatrix(from->GetMatrix());
    mesh->RotateY(increment.z);
    mesh->RotateX(increment.x);
    mesh->RotateZ(increment.y);
    return mesh;
  }
  std::vector<const engine::EngineMesh*> DrawnInto(const RenderSurfacePtr& surface) const {
    std::vector<const engine::EngineMesh*> drawn;
    for (const auto& draw : backend_->meshes)
      if (draw.target == surface.get()) drawn.push_back(draw.mesh);
    return drawn;
  }
  static bool Holds(const std::vector<const engine::EngineMesh*>& drawn, const MeshPtr& mesh) {
    return std::find(drawn.begin(), drawn.end(), mesh.get()) != drawn.end();
  }

  void BuildLM() const {
    BuildStages();
    LoadRCSPlumes();
    CreateCameraPivot();
    CreateFDAIBall();
    CreateOrientationMesh();
    VirtualCockpitMesh = Scene->CreateMesh("");
    AttitudeMeasureSurface = Scene->CreateRenderSurface(32, 32, 0, 0, 0);
  }
  void TearDown() override {
    VirtualCockpitMesh.reset();
    LMSceneTest::TearDown();
  }

  SavedVariables saved_ =
      SavedVariables(AscentStageFlying, DescentStageTumbleRates, FrameTimeSec, DescentStageHeight,
                     MissionType, MissionTime, AttitudeIncrement, RollAxis, PitchAxis, YawAxis,
                     AttitudeManeuverActive, GimbalLocked, AscentOnly, DisplayAttitudeAngles);
};

TEST_F(LMPlacementTest, TheMeshesTurnWithTheLMAndTheStageLeftBehindTumblesUntilItLies) {
  SimpleLM = false;
  BuildLM();
  AscentStageFlying = false;
  const Vector3 increment{0.1f, 0.2f, 0.3f};
  TurnPivot(increment);
  TurnLMMeshes(increment);
  const MeshPtr turned = TurnedBy(increment);
  for (const MeshPtr* mesh : {&AscentStageMesh, &AscentShadowGroup, &DescentStageMesh,
                              &DescentShadowGroup, &VirtualCockpitMesh, &RCSPlumeGroup})
    ExpectSameTurn(**mesh, *turned, "joined");

  AscentStageFlying = true;
  DescentStageTumbleRates = {1.0f, 0.0f, 0.0f};
  FrameTimeSec = 0.5f;
  MissionType = 12;
  struct Case {
    float height;
    int32_t mission;
    bool tumbles;
  };
  for (const Case& c : {Case{10.0f, 12, true}, Case{2.0f, 12, false}, Case{2.0f, 99, true}}) {
    DescentStageHeight = c.height;
    MissionType = c.mission;
    const MeshPtr expected =
        c.tumbles ? TurnedBy({0.5f, 0, 0}, DescentStageMesh) : TurnedBy({}, DescentStageMesh);
    TurnLMMeshes({});
    ExpectSameTurn(*DescentStageMesh, *expected, c.tumbles ? "tumbling" : "lying");
    ExpectSameTurn(*DescentShadowGroup, *expected, "its shadow");
  }
}

TEST_F(LMPlacementTest, AReplaySetsTheAttitudeOutrightThenTurnsByTheIncrements) {
  SimpleLM = false;
  ShadowFlags = {true, false, false};
  BuildLM();
  AscentStageFlying = AttitudeManeuverActive = GimbalLocked = false;
  RollAxis.Angle = 0.1f;
  YawAxis.Angle = 0.2f;
  PitchAxis.Angle = 0.3f;
  MissionTime = 300.0;
  ApplyLMAttitude();
  MeshPtr set = Scene->CreateMesh("");
  set->SetRotation(0.1f, 0.2f, 0.3f);
  for (const MeshPtr* mesh :
       {&AscentStageMesh, &DescentStageMesh, &CameraPivot, &VirtualCockpitMesh, &AscentShadowGroup,
        &DescentShadowGroup, &RCSPlumeGroup})
    ExpectSameTurn(**mesh, *set, "set");
  MeshPtr negated = Scene->CreateMesh("");
  negated->SetRotation(-0.1f, -0.2f, -0.3f);
  ExpectSameTurn(*FDAIBallCameraPivot, *negated, "the ball's pivot");

  // Later the increments turn the LM, and the ball's pivot the other way; the ascent stage's
  // companion turns by them only with shadows on.
  MissionTime = 301.0;
  AttitudeIncrement = {0.05f, 0.0f, 0.0f};
  for (const bool shadows : {false, true}) {
    ShadowFlags[0] = shadows;
    const MeshPtr stage = TurnedBy(AttitudeIncrement, AscentStageMesh);
    const MeshPtr companion =
        shadows ? TurnedBy(AttitudeIncrement, AscentShadowGroup) : TurnedBy({}, AscentShadowGroup);
    MeshPtr ball = Scene->CreateMesh("");
    ball->SetMatrix(FDAIBallCameraPivot->GetMatrix());
    ball->RotateZ(-0.05f);
    ApplyLMAttitude();
    ExpectSameTurn(*AscentStageMesh, *stage, "turned");
    ExpectSameTurn(*CameraPivot, *stage, "the pivot");
    ExpectSameTurn(*RCSPlumeGroup, *stage, "the plumes");
    ExpectSameTurn(*AscentShadowGroup, *companion, shadows ? "with shadows" : "without");
    ExpectSameTurn(*FDAIBallCameraPivot, *ball, "the ball's pivot");
  }
}

TEST_F(LMPlacementTest, LegsStagesAndPlumesTakeWhatTheFlightGives) {
  SimpleLM = false;
  BuildLM();
  SetDescentLegOffset(2, {1.0f, -2.0f, 3.0f});
  EXPECT_EQ(DescentLegMeshes[2]->GetPosition(), (d3dx::D3DXVECTOR3{1, -2, 3}));
  PlaceDescentStageMeshes({5, 6, 7}, {0, 3, 0});
  EXPECT_EQ(DescentStageMesh->GetPosition(), (d3dx::D3DXVECTOR3{5, 6, 7}));
  EXPECT_EQ(DescentShadowGroup->GetPosition(), (d3dx::D3DXVECTOR3{5, 6, 7}));
  EXPECT_EQ(AscentShadowGroup->GetPosition(), (d3dx::D3DXVECTOR3{0, 3, 0}));

  for (size_t n = 0; n < TextureIds.RCSPlume.size(); ++n)
    TextureIds.RCSPlume[n] = TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\white.png",
                                                         "plume" + std::to_string(n));
  RCSPlumes[5]->Enable(false);
  RCSPlumes[6]->Enable(false);
  ShowRCSPlume(5, 2);
  EXPECT_TRUE(IsRCSPlumeShown(5));
  EXPECT_FALSE(IsRCSPlumeShown(6));
  EXPECT_EQ(RCSPlumes[5]->Groups()[0].texture, TextureIds.RCSPlume[1]);
}

TEST_F(LMPlacementTest, TheOffsetLiftsThePartsAndSpreadsLandedLegs) {
  SavedVariables saved(Landed, AscentStageFlying, AscentStageMeshOffset);
  SimpleLM = false;
  BuildStages();
  LoadRCSPlumes();
  Landed = AscentStageFlying = false;
  OffsetLMMeshes(3.0f);
  EXPECT_FLOAT_EQ(AscentStageMeshOffset.y, 3.0f);
  for (const MeshPtr* part : {&AscentBodyMesh, &DescentGoldFoilMesh, &HatchOpenAMesh,
                              &AscentShadowMesh, &DescentShadowMesh})
    EXPECT_FLOAT_EQ((*part)->GetPosition().y, 3.0f);
  EXPECT_FLOAT_EQ(RCSPlumes[16]->GetPosition().y, 3.0f);
  DescentLegMeshes[0]->SetPosition(0, 1, 10);
  DescentLegMeshes[1]->SetPosition(10, 1, 0);
  Landed = true;
  OffsetLMMeshes(2.0f);
  EXPECT_FLOAT_EQ(DescentLegMeshes[0]->GetPosition().z, 6.0f);
  EXPECT_FLOAT_EQ(DescentLegMeshes[0]->GetPosition().y, 3.0f);
  EXPECT_FLOAT_EQ(DescentLegMeshes[1]->GetPosition().x, 6.0f);
  // Once the ascent stage flies the descent stage's companion stays, and no lowering applies.
  Landed = false;
  AscentStageFlying = true;
  OffsetLMMeshes(5.0f);
  EXPECT_FLOAT_EQ(DescentShadowMesh->GetPosition().y, 0.0f);
  OffsetLMMeshes(-3.0f);
  EXPECT_FLOAT_EQ(AscentBodyMesh->GetPosition().y, 5.0f);
}

struct ShadowPictureCase {
  bool staged;
  bool blobs;
};

class ShadowPictureTest : public LMPlacementTest,
                          public ::testing::WithParamInterface<ShadowPictureCase> {};

TEST_P(ShadowPictureTest, TheGridTakesItsVerticesAndThePictureOfTheShadowParts) {
  SimpleLM = false;
  BuildStages();
  CreateLMShadow();
  TerrainPatchSurface = Scene->CreateRenderSurface(64, 64, 0, 0, 0);
  AscentStageFlying = GetParam().staged;
  for (size_t n = 0; n < ShadowGridVertices.size(); ++n)
    ShadowGridVertices[n] = {static_cast<float>(n), 1.0f, 2.0f};
  ShadowBlobPositions = {{{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}}};
  ShadowBlobMeshes[1]->SetPosition(0, 0, 0);
  DescentLegMeshes[3]->SetPosition(4, -1, 2);
  AscentRadarShadowMesh->Enable(false);
  DrawTerrainShadowPicture(GetParam().blobs);

  const engine::MeshGeometry& grid = ShadowGridMesh->Geometry();
  EXPECT_FLOAT_EQ(grid.positions[4799].x, 4799.0f);
  EXPECT_FLOAT_EQ(grid.positions[0].z, 2.0f);
  EXPECT_EQ(ShadowBlobMeshes[2]->GetPosition(), (d3dx::D3DXVECTOR3{7, 8, 9}));
  EXPECT_EQ(ShadowBlobMeshes[1]->GetPosition(), (d3dx::D3DXVECTOR3{0, 0, 0})) << "pad 1 has none";
  EXPECT_EQ(DescentLegShadowMeshes[3]->GetPosition(), (d3dx::D3DXVECTOR3{4, -1, 2}));
  // Seen from the sun's side, lower once staged.
  const float drop = GetParam().staged ? -3.0f : 0.0f;
  EXPECT_NEAR(TerrainPatchSurface->Camera().GetPosition().y, 80.0f + drop, 1e-4f);
  EXPECT_NEAR(TerrainPatchSurface->Camera().GetPosition().x, 400.0f, 1e-4f);
  const auto drawn = DrawnInto(TerrainPatchSurface);
  EXPECT_TRUE(Holds(drawn, AscentRadarShadowMesh)) << "shown for the picture";
  EXPECT_TRUE(Holds(drawn, DescentLegShadowMeshes[0]));
  EXPECT_EQ(Holds(drawn, ShadowBlobMeshes[0]), GetParam().blobs);
  EXPECT_FALSE(Holds(drawn, ShadowBlobMeshes[1]));
  EXPECT_FALSE(Holds(drawn, AscentBodyMesh));
  EXPECT_EQ(ShadowGridMesh->Groups()[0].texture, TerrainPatchSurface->GetTexture());
}

INSTANTIATE_TEST_SUITE_P(Options, ShadowPictureTest,
                         ::testing::Values(ShadowPictureCase{false, true},
                                           ShadowPictureCase{true, false}));

struct StagePassCase {
  bool simpleLM;
  bool shadows;
};

class StagePassTest : public LMPlacementTest,
                      public ::testing::WithParamInterface<StagePassCase> {};

TEST_P(StagePassTest, TheCockpitEyeSeesTheAscentStageWithoutThePartsInItsWay) {
  SimpleLM = GetParam().simpleLM;
  ShadowFlags = {GetParam().shadows, false, false};
  BuildStages();
  RenderAscentStage();
  const auto drawn = DrawnInto(nullptr);
  EXPECT_TRUE(Holds(drawn, AscentBodyMesh));
  EXPECT_TRUE(Holds(drawn, HatchOpenAMesh));
  EXPECT_FALSE(Holds(drawn, AscentRadarMesh));
  EXPECT_FALSE(Holds(drawn, AscentRadarOrbitMesh));
  if (!SimpleLM) {
    EXPECT_FALSE(Holds(drawn, AscentWindowsMesh));
    EXPECT_FALSE(Holds(drawn, AscentSilverFoilMesh));
    EXPECT_TRUE(Holds(drawn, AscentGoldFoilMesh));
  }
  for (const MeshPtr* part : {&AscentRadarMesh, &AscentRadarOrbitMesh, &AscentWindowsMesh,
                              &AscentSilverFoilMesh, &AscentShadowMesh, &AscentRadarShadowMesh})
    if (*part) {
      EXPECT_TRUE((*part)->IsEnabled()) << "shown again";
    }
}

INSTANTIATE_TEST_SUITE_P(Options, StagePassTest,
                         ::testing::Values(StagePassCase{false, true}, StagePassCase{true, false}));

TEST_F(LMPlacementTest, TheOrbitalShadowPassLeavesTheDescentStageOutOfAnAscentFlight) {
  SimpleLM = false;
  BuildStages();
  for (const bool ascentOnly : {false, true}) {
    AscentOnly = ascentOnly;
    backend_->meshes.clear();
    for (const MeshPtr* companion : {&AscentShadowMesh, &AscentRadarShadowMesh, &DescentShadowMesh})
      (*companion)->Enable(true);
    RenderStageMeshes();
    const auto drawn = DrawnInto(nullptr);
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), AscentShadowMesh.get()), 2);
    EXPECT_EQ(Holds(drawn, DescentShadowMesh), !ascentOnly);
    EXPECT_EQ(Holds(drawn, DescentLegShadowMeshes[0]), !ascentOnly);
    for (const MeshPtr* companion : {&AscentShadowMesh, &AscentRadarShadowMesh, &DescentShadowMesh})
      EXPECT_FALSE((*companion)->IsEnabled());
  }
}

}  // namespace
