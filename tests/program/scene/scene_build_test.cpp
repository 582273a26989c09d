// The whole scene of a surface mission built in the flight start's order from a small program
// folder, as the frames, the instruments and the views then find it.
#include <string>
#include <vector>

#include "platform/engine/height_grid.h"
#include "program/scene/cockpit_models.h"
#include "program/scene/lm_models.h"
#include "program/scene/scene_resources.h"
#include "program/scene/star_catalogue.h"
#include "program/scene/textures_materials.h"
#include "program/scene/world_models.h"
#include "tests/program/main_display_reload.h"
#include "tests/program/scene/scene_files.h"
#include "tests/program/scene/scene_fixture.h"

namespace {

class SceneBuildTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    MissionName = "Apollo 12";
    FlightFile = "Test";
    MissionType = 12;
    PreviousMissionType = 12;
    TextureQuality = 0.5f;
    RenderDetail = 1;
    ScreenHeight = 600;
    DisplayModeWidth = 640;
    DisplayModeHeight = 480;
    LandPrecision = 4;
    RockCount = 2;
    StarMagnitudeCut = 0.2f;
    const char* tiles[] = {"fine.png", "middle.png", "coarse.png"};
    for (int k = 0; k < LandTileCount; ++k)
      LandTileFiles[static_cast<size_t>(k)].TextureFile = tiles[k];
    for (const ExpectedTexture& row : SurfaceMissionTextures()) WriteImage(row.file);
    WriteImage("Textures/moonbackground.jpg");
    WriteImage("Textures/earth12.png");

    WriteStageModels();
    for (int i = 1; i <= RCSPlumeCount; ++i)
      WriteModel("Models/RCSPlume" + std::to_string(i) + ".x");
    for (const std::string& model : CabinModels) WriteModel("Models/" + model + ".X");
    for (const std::string& model : Levers) WriteModel("Models/" + model + ".X");
    WriteModel("Models/virtual.X");
    for (const char* model : {"FDAIBall.X", "landingmarker.x", "star.x", "USflag.x", "USFlagDark.x",
                              "craterdebri.x", "surveyor.x", "rock.x", "fakerock.x"})
      WriteModel(std::string("Models/") + model);
    WriteModel("Models/allmoon.x", 8);

    engine::HeightGrid grid{5, 5, 10.0f, std::vector<float>(25, 5.0f)};
    const auto bytes = engine::WriteHeightGrid(grid);
    for (int k = 0; k < LandTileCount; ++k)
      folder_.WriteFile("Missions/Apollo 12/Textures/temp" + std::to_string(k) + ".ht",
                        std::string(bytes.begin(), bytes.end()));
    folder_.WriteFile("Missions/Apollo 12/Test.sit", "[Landscape Position High]\n");
    const auto stars = *EncodeStarCatalogue(
        {{0.25f, 0.0f, 1.0f, 9884, "Alp", "CMa"}, {0.5f, 0.0f, 7.0f, 1, "Dim", "Ori"}});
    folder_.WriteFile("bsb.dat", std::string(stars.begin(), stars.end()));

    // What the engine start makes before the first scene build.
    CreateMaterials();
    CreateLights();
  }
  void TearDown() override {
    for (auto& tile : LandTiles) tile.reset();
    for (MeshPtr* mesh : {&StarField, &EarthMesh, &EarthPoint, &AllMoonMesh, &FlagMesh,
                          &FlagDarkMesh, &CraterDebrisMesh, &DustMesh, &ScoreMesh, &SurveyorMesh,
                          &VirtualCockpitMesh, &CockpitShellMesh})
      mesh->reset();
    for (auto* meshes : {&StarPointMeshes, &StarInfoMeshes, &RockMeshes, &FakeRockMeshes})
      meshes->clear();
    CockpitPartMeshes.clear();
    SwitchMeshes.clear();
    DropMainDisplay();
    SceneTest::TearDown();
  }

  // The scene's steps of the first build, in their order.
  static void BuildSurfaceScene() {
    CreateFonts();
    CreateRenderSurfaces();
    LoadTextures();
    TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\earth12.png", "earth");
    InitParticleSystem();
    CreateSunAndFlares();
    CreateLand();
    CreateHatch();
    BuildVirtualCockpit();
    CreateSwitchModels();
    BuildAscentStage();
    BuildDescentStage();
    LoadRCSPlumes();
    CreateCameraPivot();
    CreateDustSurface();
    CreateCraterDebris();
    CreateFlag();
    CreateExplosion();
    CreateScoreMesh();
    CreateFDAIBall();
    CreateSurveyor();
    Init_AllMoon();
    CreateOrientationMesh();
    CreateLandingMarker();
    CreateLMShadow();
    CreateRocks();
    Init_Stars_and_Planets();
  }

  SavedVariables saved_ = SavedVariables(
      FlightFile, MissionName, MissionType, LandPrecision, RockCount, StarMagnitudeCut,
      StarErrorCount, KeptStars, BrightStarCount, LandTilesCreated, LandTilePosition, LandTileScale,
      EarthAngles, EarthDistance, EarthPosition, TextureIds, MaterialIds, UiText);
};

TEST_F(SceneBuildTest, TheWholeSceneBuildsInItsOrderAndTheOtherPartsFindIt) {
  BuildSurfaceScene();

  // Resources by name and by kept id.
  EXPECT_EQ(FontIds[SmallFont], Globals->GetFontId("SmallFont"));
  for (const RenderSurfacePtr* surface :
       {&ViewSurface, &FDAISurface, &AttitudeMeasureSurface, &WindowViewSurface,
        &WindowOverlaySurface, &ShadowSurface, &TerrainPatchSurface})
    EXPECT_NE(*surface, nullptr);
  EXPECT_EQ(TextureIds.ParticleTexture, Globals->GetTextureId("ParticleTexture"));
  EXPECT_EQ(ParticleAscent.Texture(), TextureIds.ParticleTexture);
  EXPECT_NE(Globals->GetMaterialId("LandTile2"), 0);

  // The stages, the cabin and the rig hang where the frames move them.
  EXPECT_EQ(AscentBodyMesh->Parent(), AscentStageMesh.get());
  EXPECT_EQ(HatchOpenAMesh->Parent(), AscentStageMesh.get());
  EXPECT_EQ(DescentLegMeshes[3]->Parent(), DescentStageMesh.get());
  EXPECT_EQ(RCSPlumes[16]->Parent(), RCSPlumeGroup.get());
  EXPECT_EQ(CameraMesh->Parent(), CameraPivot.get());
  EXPECT_EQ(FDAIBallCameraPoint->Parent(), FDAIBallCameraPivot.get());
  EXPECT_EQ(CockpitPart("ContactLight").Parent(), VirtualCockpitMesh.get());
  EXPECT_TRUE(CockpitPart("KeyEntr").IsPickable());
  EXPECT_FALSE(CockpitPart("Des_Qty").IsPickable());
  EXPECT_EQ(Scene->FindMesh("Orientation_Mesh"), OrientationMesh);
  EXPECT_EQ(ShadowGridMesh->Geometry().positions.size(), 4800u);

  // The world: tiles, the Moon's site group, scenery, rocks, stars and the Earth.
  EXPECT_TRUE(LandTilesCreated);
  for (const auto& tile : LandTiles) EXPECT_TRUE(tile->Loaded());
  EXPECT_NE(AllMoonMesh, nullptr);
  EXPECT_NE(SurveyorMesh, nullptr);
  EXPECT_NE(CraterDebrisMesh, nullptr);
  EXPECT_EQ(RockMeshes.size(), 2u);
  EXPECT_EQ(FakeRockMeshes.size(), 2u);
  EXPECT_EQ(BrightStarCount, 1);
  EXPECT_EQ(StarErrorCount, 0);
  EXPECT_EQ(Scene->FindMesh("Earth"), EarthMesh);
}

}  // namespace
