// The LM's stages and what moves with them, as the placement, the attitude code and the views find
// them: hierarchies, shadow casters, materials by group, plumes, command module, rig and grid.
#include <string>
#include <vector>

#include "platform/engine/engine_error.h"
#include "tests/program/scene/lm_fixture.h"

namespace {

using LMModelsTest = LMSceneTest;

struct StageCase {
  bool simpleLM;
  bool shadows;
};

class StagesTest : public LMModelsTest, public ::testing::WithParamInterface<StageCase> {};

TEST_P(StagesTest, TheStagesHoldTheirPartsAndShadowCompanions) {
  SimpleLM = GetParam().simpleLM;
  ShadowFlags = {GetParam().shadows, false, GetParam().shadows};
  BuildStages();

  for (const MeshPtr* part : {&AscentBodyMesh, &AscentRadarMesh, &AscentRadarOrbitMesh,
                              &AscentEngineFlame, &HatchClosedOuterMesh, &HatchOpenAMesh})
    EXPECT_EQ((*part)->Parent(), AscentStageMesh.get()) << (*part)->GetName();
  for (const MeshPtr* part :
       {&AscentGoldFoilMesh, &AscentSilverFoilMesh, &AscentWindowsMesh, &DescentGoldFoilMesh,
        &DescentSilverFoilMesh, &DescentRedFoilMesh, &DescentLegFoilMesh, &DescentPartsMesh}) {
    if (SimpleLM)
      EXPECT_EQ(*part, nullptr);
    else
      EXPECT_EQ((*part)->Parent(), (part == &AscentGoldFoilMesh || part == &AscentSilverFoilMesh ||
                                    part == &AscentWindowsMesh)
                                       ? AscentStageMesh.get()
                                       : DescentStageMesh.get());
  }
  EXPECT_EQ(Scene->FindMesh("LMAscentBody"), AscentBodyMesh);
  EXPECT_EQ(Scene->FindMesh("lmdescentbody"), DescentBodyMesh);
  EXPECT_EQ(DescentBodyMesh->Parent(), DescentStageMesh.get());
  EXPECT_EQ(EngineFlame->Parent(), DescentStageMesh.get());

  // The ascent companions cast shadows only with the option; the descent ones always.
  for (const MeshPtr* shadow :
       {&AscentShadowMesh, &AscentRadarShadowMesh, &AscentRadarShadowOrbitMesh}) {
    EXPECT_EQ((*shadow)->Parent(), AscentShadowGroup.get());
    EXPECT_EQ((*shadow)->Look().castsShadow, GetParam().shadows);
    EXPECT_EQ((*shadow)->Groups()[0].texture, Globals->GetTextureId("white"));
  }
  EXPECT_TRUE(DescentShadowMesh->Look().castsShadow);
  for (const MeshPtr& shadow : DescentLegShadowMeshes) {
    EXPECT_EQ(shadow->Parent(), DescentShadowGroup.get());
    EXPECT_TRUE(shadow->Look().castsShadow);
    EXPECT_EQ(shadow->Look().shadowLight, LightIds[SunLight]);
  }
  for (const MeshPtr& leg : DescentLegMeshes) {
    EXPECT_EQ(leg->Parent(), DescentStageMesh.get());
    EXPECT_EQ(leg->Look().castsShadow, GetParam().shadows);
  }
  EXPECT_EQ(DescentStageMesh->Look().castsShadow, GetParam().shadows);
  EXPECT_FALSE(AscentBodyMesh->Look().castsShadow);
  EXPECT_FLOAT_EQ(AscentBodyMesh->GetMatrix().m[0][0], -0.025f);
}

INSTANTIATE_TEST_SUITE_P(Options, StagesTest,
                         ::testing::Values(StageCase{false, true}, StageCase{false, false},
                                           StageCase{true, true}, StageCase{true, false}));

TEST_F(LMModelsTest, TheLegsTakeTheirMaterialsByGroup) {
  SimpleLM = false;
  BuildStages();
  const int32_t ship = Material("MatShip");
  const int32_t gold = Material("MatGoldFoil");
  using Groups = std::vector<int32_t>;
  const std::vector<Groups> expected = {{gold, ship, gold, gold, gold, gold},
                                        {gold, gold, ship, gold, gold, gold},
                                        {gold, gold, gold, gold, gold, ship},
                                        {gold, gold, gold, gold, gold, ship}};
  for (size_t leg = 0; leg < expected.size(); ++leg) {
    Groups actual;
    for (const engine::MeshGroup& group : DescentLegMeshes[leg]->Groups())
      actual.push_back(group.material);
    EXPECT_EQ(actual, expected[leg]) << "leg " << leg + 1;
  }
  // The ascent stage's gold foil shows in the red foil's colour.
  EXPECT_EQ(AscentGoldFoilMesh->Groups()[0].material, Material("MatRedFoil"));
  EXPECT_TRUE(DescentGoldFoilMesh->Look().surfaceFlag);
  EXPECT_FALSE(DescentGoldFoilMesh->Look().alphaTest);
  EXPECT_FALSE(DescentLegFoilMesh->Look().surfaceFlag);
  EXPECT_TRUE(AscentSilverFoilMesh->Look().surfaceFlag);

  SimpleLM = true;
  BuildDescentStage();
  for (const MeshPtr& leg : DescentLegMeshes)
    for (const engine::MeshGroup& group : leg->Groups()) EXPECT_EQ(group.material, ship);
}

TEST_F(LMModelsTest, SixteenPlumesHangFromTheirGroup) {
  LoadRCSPlumes();
  EXPECT_EQ(RCSPlumes[0], nullptr);
  for (int i = 1; i <= RCSPlumeCount; ++i) {
    const MeshPtr& plume = RCSPlumes[static_cast<size_t>(i)];
    EXPECT_EQ(plume->GetName(), "RCSPlume" + std::to_string(i));
    EXPECT_EQ(plume->Parent(), RCSPlumeGroup.get());
    EXPECT_EQ(plume->Look().drawMode, 2);
    EXPECT_EQ(plume->Groups()[0].material, Material("RCS"));
  }
}

TEST_F(LMModelsTest, TheCommandModuleIsSmallerAndCarriesItsOverlay) {
  CreateCommandModule();
  for (const MeshPtr* part : {&CMMainMesh, &CMShinyMesh, &CMOverlayMesh}) {
    EXPECT_EQ((*part)->Parent(), CommandModuleMesh.get());
    EXPECT_FLOAT_EQ((*part)->GetMatrix().m[1][1], 0.0068f);
  }
  EXPECT_EQ(CMOverlayMesh->Groups()[0].texture, Globals->GetTextureId("CMOverlay"));
  EXPECT_TRUE(CMShinyMesh->Look().surfaceFlag);
}

TEST_F(LMModelsTest, PivotsAndRigStandWhereTheViewsLookFrom) {
  CreateCameraPivot();
  CreateFDAIBall();
  CreateOrientationMesh();
  const d3dx::D3DXVECTOR3 eye = CameraMesh->TransformVector({0, 0, 0});
  EXPECT_FLOAT_EQ(eye.y, 6.25f);
  EXPECT_EQ(CameraMesh->Parent(), CameraPivot.get());
  EXPECT_FALSE(CameraPivot->IsPickable());
  const d3dx::D3DXVECTOR3 point = FDAIBallCameraPoint->TransformVector({0, 0, 0});
  EXPECT_FLOAT_EQ(point.z, -19.0f);
  EXPECT_EQ(RollOrientationMesh->Parent(), FDAIBallCameraPivot.get());
  EXPECT_EQ(Scene->FindMesh("Roll_Orientation_Mesh"), RollOrientationMesh);
  EXPECT_EQ(Scene->FindMesh("Orientation_Mesh"), OrientationMesh);
  EXPECT_EQ(FDAIBall->Groups()[0].material, Material("MatFDAI"));
}

TEST_F(LMModelsTest, TheShadowGridCoversItsGroundInCellsOfTwoTriangles) {
  CreateLMShadow();
  const engine::MeshGeometry& grid = ShadowGridMesh->Geometry();
  ASSERT_EQ(grid.positions.size(), 4800u);
  EXPECT_EQ(grid.TriangleCount(), 1600u);
  // The first cell: A, B, C, A, C, D.
  const std::vector<std::array<float, 4>> first = {
      {0, 0, 0, 0}, {0, 10, 0.05f, 0},       {10, 10, 0.05f, 0.025f},
      {0, 0, 0, 0}, {10, 10, 0.05f, 0.025f}, {10, 0, 0, 0.025f}};
  for (size_t n = 0; n < first.size(); ++n) {
    EXPECT_FLOAT_EQ(grid.positions[n].x, first[n][0]);
    EXPECT_FLOAT_EQ(grid.positions[n].y, 60.0f);
    EXPECT_FLOAT_EQ(grid.positions[n].z, first[n][1]);
    EXPECT_FLOAT_EQ(grid.texcoords[n].x, first[n][2]);
    EXPECT_FLOAT_EQ(grid.texcoords[n].y, first[n][3]);
  }
  EXPECT_FLOAT_EQ(grid.positions.back().x, 400.0f);
  EXPECT_FLOAT_EQ(grid.positions.back().z, 190.0f);
  EXPECT_TRUE(ShadowGridMesh->Look().alphaBlending);
  for (const MeshPtr& blob : ShadowBlobMeshes)
    EXPECT_EQ(blob->Groups()[0].texture, Globals->GetTextureId("blacksolid"));
}

TEST_F(LMModelsTest, TheMiniLMAndTheMarkersComeFromTheProgramFolder) {
  CreateMiniLM();
  EXPECT_EQ(Scene->FindMesh("JoyLM"), MiniLMMesh);
  EXPECT_FLOAT_EQ(MiniLMMesh->GetMatrix().m[1][1], 0.01f);
  CreateLandingMarker();
  EXPECT_EQ(Scene->FindMesh("ArrowSpot"), ArrowSpotMesh);
  EXPECT_EQ(LandingSpotMesh->Geometry().TriangleCount(), 2u);
}

TEST_F(LMModelsTest, AModelThatDoesNotLoadFailsNamingItsFile) {
  std::filesystem::remove(folder_.Path() / "Models/RCSPlume7.x");
  try {
    LoadRCSPlumes();
    FAIL() << "no error";
  } catch (const engine::EngineError& error) {
    EXPECT_NE(std::string(error.what()).find("RCSPlume7.x"), std::string::npos);
  }
}

}  // namespace
