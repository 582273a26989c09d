// The world around the LM as the frames find it: tiles placed as the scenario says, the star
// field from a crafted catalogue, the Earth, the Moon's landing-site groups and the scenery.
#include <cmath>
#include <string>
#include <vector>

#include "platform/engine/height_grid.h"
#include "platform/forms/script.h"
#include "program/scene/scene_resources.h"
#include "program/scene/star_catalogue.h"
#include "program/scene/textures_materials.h"
#include "program/scene/world_models.h"
#include "tests/program/scene/scene_fixture.h"

namespace {

class WorldTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    MissionName = "Apollo 12";
    FlightFile = "Test";
    MissionType = 12;
    LandPrecision = 4;
    for (const char* picture :
         {"earth", "lunartexture", "rocktexture", "texallmoon", "Sun", "Flare0", "Flare4",
          "halfside", "sunside", "blackside", "moonside", "halfmoonbackground"}) {
      WriteImage(std::string("Textures/") + picture + ".png");
      TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\" + picture + ".png", picture);
    }
    for (const char* model :
         {"star.x", "USflag.x", "USFlagDark.x", "craterdebri.x", "StartFinish.x", "surveyor.x",
          "rock.x", "fakerock.x", "moonslice.x", "moonorbital.x"})
      WriteModel(std::string("Models/") + model);
    WriteModel("Models/allmoon.x", 8);
    CreateMaterials();
    CreateLights();
    Engine->SetDebugFile(win::AppPath() + "\\GraphicDebug.txt");
    Engine->SetDebugMode(true, -1, 0);
  }
  void TearDown() override {
    for (auto& tile : LandTiles) tile.reset();
    for (MeshPtr* mesh : {&StarField, &EarthMesh, &EarthPoint, &AllMoonMesh, &HalfMoonMesh,
                          &OrbitalMoonMesh, &FlagMesh, &FlagDarkMesh, &CraterDebrisMesh, &StartMesh,
                          &FinishMesh, &DustMesh, &ScoreMesh, &SurveyorMesh})
      mesh->reset();
    for (auto* meshes : {&StarPointMeshes, &StarInfoMeshes, &RockMeshes, &FakeRockMeshes})
      meshes->clear();
    SceneTest::TearDown();
  }

  void WriteCatalogue(const std::vector<BrightStar>& stars, size_t cut = 0) const {
    auto bytes = *EncodeStarCatalogue(stars);
    bytes.resize(bytes.size() - cut);
    folder_.WriteFile("bsb.dat", std::string(bytes.begin(), bytes.end()));
  }
  std::string Log() const { return folder_.ReadFile("GraphicDebug.txt"); }

  SavedVariables saved_ = SavedVariables(
      FlightFile, StarMagnitudeCut, StarBrightness, StarSize, StarInformationFlag, StarErrorCount,
      KeptStars, BrightStarCount, LandTilesCreated, LandTilePosition, LandTileScale, FieldOfView,
      CameraDistance, RockCount, EarthAngles, EarthDistance, EarthPosition);
};

TEST_F(WorldTest, TheTilesArePlacedAndScaledAsTheScenarioSays) {
  engine::HeightGrid grid{3, 3, 10.0f, std::vector<float>(9, 5.0f)};
  const auto bytes = engine::WriteHeightGrid(grid);
  for (int k = 0; k < 3; ++k) {
    const std::string n = std::to_string(k);
    folder_.WriteFile("Missions/Apollo 12/Textures/temp" + n + ".ht",
                      std::string(bytes.begin(), bytes.end()));
    LandTileFiles[static_cast<size_t>(k)].TextureFile = "land" + n + ".png";
    WriteImage("Missions/Apollo 12/Textures/land" + n + ".png");
    TextureFactory->LoadTexture(
        win::AppPath() + "\\Missions\\Apollo 12\\Textures\\land" + n + ".png", "Tex" + n);
  }
  folder_.WriteFile("Missions/Apollo 12/Test.sit",
                    "[Landscape Position High]\nLandPositionX 1=-100\nLandPositionY 1=-20\n"
                    "LandPositionZ 1=300\nLandX 1=4\nLandY 1=2\nLandZ 1=4\n");
  CreateLand();
  EXPECT_TRUE(LandTilesCreated);
  for (int k = 0; k < 3; ++k) {
    SCOPED_TRACE(k);
    const engine::EngineLandscape& tile = *LandTiles[static_cast<size_t>(k)];
    EXPECT_TRUE(tile.Loaded());
    EXPECT_EQ(tile.Texture(), Globals->GetTextureId("Tex" + std::to_string(k)));
    EXPECT_EQ(tile.Material(), Globals->GetMaterialId("LandTile" + std::to_string(k)));
  }
  const engine::EngineLandscape& middle = *LandTiles[1];
  EXPECT_FLOAT_EQ(middle.GetPosition().x, -100.0f);
  EXPECT_FLOAT_EQ(middle.GetPosition().y, -20.0f);
  EXPECT_FLOAT_EQ(middle.GetPosition().z, 300.0f);
  // What the landscape tool saves is what shows: the grid's extent times the scale.
  EXPECT_FLOAT_EQ(middle.GetWidth(), 20.0f * 4);
}

TEST_F(WorldTest, TheCatalogueGivesTheStarsBrighterThanTheCut) {
  StarMagnitudeCut = 0.2f;
  StarBrightness = 5;
  StarInformationFlag = true;
  RenderDetail = 1;
  const float nan = std::nanf("");
  WriteCatalogue({{0.25f, 0.0f, 1.0f, 9884, "Alp", "CMa"},
                  {0.0f, 0.5f, 4.5f, 424, "", "UMi"},
                  {0.5f, 0.0f, 7.0f, 1, "Dim", "Ori"},
                  {nan, 0.0f, 1.0f, 2, "Bad", "Ori"},
                  {0.1f, 0.1f, 1.0f, 3, "Cut", "Off"}},
                 /*cut=*/2);
  Init_Stars_and_Planets();
  ASSERT_EQ(BrightStarCount, 2);
  const KeptStar& sirius = KeptStars[0];
  EXPECT_FLOAT_EQ(sirius.Brightness, 1.0f);
  EXPECT_EQ(sirius.InfoText, "Bright Star #:9884,Ext:Alp, Constellation: CMa");
  // A quarter turn of right ascension on the equator, on the near sky's radius.
  EXPECT_NEAR(sirius.Position.x, 5000.0f, 0.5f);
  EXPECT_NEAR(sirius.Position.y, 0.0f, 0.5f);
  // t = (0.5 - 0.2) / 0.8 over the base 0.5.
  EXPECT_FLOAT_EQ(KeptStars[1].Brightness, 0.5f + 0.375f * 0.5f);
  EXPECT_EQ(Scene->FindMesh(sirius.InfoText), StarInfoMeshes[0]);
  for (const MeshPtr& point : StarPointMeshes) EXPECT_EQ(point->Parent(), StarField.get());
  EXPECT_EQ(StarErrorCount, 0);
  EXPECT_EQ(Scene->FindMesh("Earth"), EarthMesh);
}

TEST_F(WorldTest, OrbitalStarsAreTurnedOnceByTheirField) {
  MissionType = OrbitalMission;
  RenderDetail = 0;
  WriteCatalogue({{0.125f, 0.25f, 1.0f, 1, "A", "B"}});
  Init_Stars_and_Planets();
  ASSERT_EQ(BrightStarCount, 1);
  const d3dx::D3DXVECTOR3 drawn = StarField->TransformVector(StarPointMeshes[0]->GetPosition());
  EXPECT_NEAR(drawn.x, KeptStars[0].Position.x, 1.0f);
  EXPECT_NEAR(drawn.y, KeptStars[0].Position.y, 1.0f);
  EXPECT_NEAR(drawn.z, KeptStars[0].Position.z, 1.0f);
  EXPECT_NEAR(std::hypot(drawn.x, drawn.y, drawn.z), 200000.0f, 1.0f);
}

TEST_F(WorldTest, AMissingCatalogueAsksOncePerRunAndStillBuildsTheEarth) {
  const size_t boxes = forms::script::ShownMessageBoxes().size();
  StarErrorCount = 0;
  Init_Stars_and_Planets();
  EXPECT_EQ(BrightStarCount, 0);
  ASSERT_NE(EarthMesh, nullptr);
  EXPECT_EQ(forms::script::ShownMessageBoxes().size(), boxes + 1);
  EXPECT_EQ(forms::script::ShownMessageBoxes().back().prompt,
            "File not found  Number=53  Attempting to continue...");
  const MeshPtr oldField = StarField;
  const MeshPtr oldEarth = EarthMesh;
  Init_Stars_and_Planets();
  EXPECT_EQ(forms::script::ShownMessageBoxes().size(), boxes + 1);
  EXPECT_NE(Log().find("Init_Stars_and_Planets Program ErrorFile not found  53  Errors=2"),
            std::string::npos);
  // The previous flight's stars and Earth are released.
  EXPECT_TRUE(oldField->Destroyed());
  EXPECT_TRUE(oldEarth->Destroyed());
  DrawStars();
}

struct EarthCase {
  int32_t mission;
  float elevation, azimuth;  // degrees
};

class EarthTest : public WorldTest, public ::testing::WithParamInterface<EarthCase> {};

TEST_P(EarthTest, TheEarthStandsWhereTheLandingSiteSeesIt) {
  MissionType = GetParam().mission;
  RenderDetail = 1;
  WriteCatalogue({});
  Init_Stars_and_Planets();
  EXPECT_NEAR(EarthAngles[0], GetParam().elevation * 0.0174532925f, 1e-5);
  EXPECT_NEAR(EarthAngles[1], GetParam().azimuth * 0.0174532925f, 1e-5);
  EXPECT_FLOAT_EQ(EarthDistance, 4500.0f);
  EXPECT_GT(EarthPosition.y, 0.0f);  // above the horizon
  EXPECT_EQ(EarthPoint->Parent(), StarField.get());
}

INSTANTIATE_TEST_SUITE_P(
    Missions, EarthTest,
    ::testing::Values(EarthCase{11, -58.0f, -86.5f}, EarthCase{12, -67.0f, 88.0f},
                      EarthCase{15, -77.0f, -124.5f}, EarthCase{17, -53.5f, -98.0f},
                      EarthCase{14, -46.0f, -90.0f}, EarthCase{99, -46.0f, -90.0f}));

TEST_F(WorldTest, StarsBehindTheCameraOrBelowTheHorizonAreNotDrawn) {
  ReleaseEngineObjects();
  auto recording = std::make_unique<RecordingBackend>();
  RecordingBackend& backend = *recording;
  CreateEngineObjects(std::move(recording));
  RenderDetail = 1;
  StarSize = 10;
  FieldOfView = 60.0f;
  CameraDistance = 100.0f;
  // Ahead of the camera, behind it, and below the horizon (a negative declination is above).
  WriteCatalogue({{0.0f, -0.05f, 1.0f, 1, "", ""},
                  {0.5f, -0.05f, 1.0f, 2, "", ""},
                  {0.0f, 0.5f, 1.0f, 3, "", ""}});
  Init_Stars_and_Planets();
  ASSERT_EQ(BrightStarCount, 3);
  auto surface = Scene->CreateRenderSurface(640, 480);
  surface->SetCamera(0, 0, 0, 0, 0, 1);
  surface->StartRender(true);
  DrawStars();
  surface->EndRender();
  ASSERT_EQ(backend.shapes.size(), 1u);
  EXPECT_EQ(backend.shapes[0].kind, engine::Shape2D::Kind::FilledCircle);
  EXPECT_FLOAT_EQ(backend.shapes[0].x2, 1.0f);  // StarSize x 0.1 at 60 degrees
}

TEST_F(WorldTest, TheWholeMoonShowsOnlyTheLandingSitesGroup) {
  const std::vector<std::pair<int32_t, int>> sites = {{11, 2}, {12, 7}, {14, 6}, {15, 5},
                                                      {16, 3}, {17, 4}, {98, 0}};
  for (const auto& [mission, group] : sites) {
    SCOPED_TRACE(mission);
    MissionType = mission;
    Init_AllMoon();
    for (int k = 1; k < 8; ++k)
      EXPECT_EQ(AllMoonMesh->Groups()[static_cast<size_t>(k)].enabled, k == group) << k;
    EXPECT_TRUE(AllMoonMesh->Groups()[0].enabled);
  }
  // A model that does not load is logged, and the flight goes on without it.
  std::filesystem::remove(folder_.Path() / "Models/allmoon.x");
  EXPECT_NO_THROW(Init_AllMoon());
  EXPECT_NE(Log().find("Init_AllMoon Program Error"), std::string::npos);
}

TEST_F(WorldTest, SceneryMeshesHaveTheirNamesScalesAndMaterials) {
  RockCount = 12;
  ShadowFlags = {true, false, true};
  CreateFlag();
  CreateCraterDebris();
  CreateStartFinishGates();
  CreateSurveyor();
  CreateRocks();
  CreateDustSurface();
  CreateScoreMesh();
  CreateSunAndFlares();
  EXPECT_EQ(Scene->FindMesh("US Flag!"), FlagMesh);
  EXPECT_TRUE(FlagMesh->IsPickable());
  EXPECT_TRUE(FlagDarkMesh->Look().castsShadow);
  EXPECT_FLOAT_EQ(CraterDebrisMesh->GetMatrix().m[1][1], 0.025f);
  EXPECT_EQ(Scene->FindMesh("Finish_Mesh"), FinishMesh);
  EXPECT_FLOAT_EQ(SurveyorMesh->GetMatrix().m[0][0], -0.067f);
  ASSERT_EQ(RockMeshes.size(), 12u);
  for (size_t n = 0; n < RockMeshes.size(); ++n) {
    EXPECT_EQ(RockMeshes[n]->GetName(), "Rock" + std::to_string(n + 1));
    const int32_t material = RockMeshes[n]->Groups()[0].material;
    EXPECT_NE(std::ranges::find(MaterialIds.MatRock, material), MaterialIds.MatRock.end());
    EXPECT_TRUE(RockMeshes[n]->Look().castsShadow);
    EXPECT_FALSE(FakeRockMeshes[n]->Look().castsShadow);
  }
  const engine::MeshGeometry& dust = DustMesh->Geometry();
  ASSERT_EQ(dust.positions.size(), 20u * 20u * 6u);
  EXPECT_FLOAT_EQ(dust.positions[0].y, 60.0f);
  EXPECT_FLOAT_EQ(dust.texcoords[0].x, 0.0f);
  EXPECT_FLOAT_EQ(dust.texcoords[0].y, 1.0f);
  EXPECT_FLOAT_EQ(dust.positions.back().x, 400.0f);
  EXPECT_EQ(ScoreMesh->Geometry().TriangleCount(), 2u);
  ASSERT_EQ(Atmosphere->Flares().size(), 8u);
  EXPECT_EQ(Atmosphere->Flares()[7].texture, Globals->GetTextureId("Sun"));
  EXPECT_TRUE(Atmosphere->Enabled());
}

TEST_F(WorldTest, TheOrbitalMoonCarriesTheWholeMoonAndTheSliceTheBackground) {
  CreateOrbitalMoon();
  EXPECT_EQ(OrbitalMoonMesh->Groups()[0].texture, Globals->GetTextureId("texallmoon"));
  EXPECT_EQ(HalfMoonMesh->Groups()[0].texture, Globals->GetTextureId("halfmoonbackground"));
  EXPECT_FLOAT_EQ(HalfMoonMesh->GetPosition().y, -1039327.75f);
}

}  // namespace
