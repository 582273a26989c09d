// Every flight of the generated program folder builds its scene from the folder's own files: the
// scene builders load each model, texture, height grid and the star catalogue they name, at every
// landscape precision and with the simple and full LM and cabin.
#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/forms/event_pump.h"
#include "program/missions/mission_file.h"
#include "program/missions/mission_setup.h"
#include "program/scene/cockpit_models.h"
#include "program/scene/lm_models.h"
#include "program/scene/scene_resources.h"
#include "program/scene/textures_materials.h"
#include "program/scene/world_models.h"
#include "tests/program/main_display_reload.h"
#include "tests/program/saved_variables.h"
#include "tests/program/scene/scene_fixture.h"
#include "tests/tools/generated_folder.h"

namespace {

class GeneratedFolderScene : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    forms::UseClock(&clock_);
    win::SetAppPath(MAROVIN_PROGRAM_FOLDER);
  }
  void TearDown() override {
    ReleaseWorld();
    DropMainDisplay();
    forms::UseClock(nullptr);
    SceneTest::TearDown();
  }

  // What the world and cabin builders made, before the engine objects go.
  static void ReleaseWorld() {
    for (auto& tile : LandTiles) tile.reset();
    for (MeshPtr* mesh :
         {&StarField, &EarthMesh, &EarthPoint, &AllMoonMesh, &HalfMoonMesh, &OrbitalMoonMesh,
          &FlagMesh, &FlagDarkMesh, &CraterDebrisMesh, &StartMesh, &FinishMesh, &DustMesh,
          &ScoreMesh, &SurveyorMesh, &VirtualCockpitMesh, &CockpitShellMesh})
      mesh->reset();
    for (auto* meshes : {&StarPointMeshes, &StarInfoMeshes, &RockMeshes, &FakeRockMeshes})
      meshes->clear();
    CockpitPartMeshes.clear();
    SwitchMeshes.clear();
  }

  // The scene build's loaders in the order of a first flight.
  static void BuildFlightScene() {
    CreateLights();
    CreateMaterials();
    CreateMiniLM();
    LoadMissionSetup();
    CreateRenderSurfaces();
    LoadTextures();
    const std::string earth = MissionType < LMRaceMission ? std::to_string(MissionType) : "11";
    ASSERT_NE(TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\earth" + earth + ".png",
                                          "earth", -1, -1, 0, -1, -1),
              0);
    InitParticleSystem();
    CreateSunAndFlares();
    if (MissionType != OrbitalMission) CreateLand();
    CreateHatch();
    if (MissionType == LMRaceMission) CreateStartFinishGates();
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
    if (MissionType == 12) CreateSurveyor();
    if (MissionType == OrbitalMission) {
      CreateCommandModule();
      CreateOrbitalMoon();
    } else {
      Init_AllMoon();
      ASSERT_NE(AllMoonMesh, nullptr);
    }
    CreateOrientationMesh();
    CreateLandingMarker();
    CreateLMShadow();
    if (MissionType != OrbitalMission) CreateRocks();
    Init_Stars_and_Planets();
  }

  SavedVariables saved_ = SavedVariables(
      SimpleLM, SimpleCockpit, RockCount, StarErrorCount, KeptStars, BrightStarCount,
      LandTilesCreated, LandTilePosition, LandTileScale, EarthAngles, EarthDistance, EarthPosition);

 private:
  forms::VirtualClock clock_;
};

TEST_F(GeneratedFolderScene, EveryFlightBuildsItsSceneFromTheFolder) {
  const std::vector<GeneratedFlight> flights = GeneratedFlights();
  ASSERT_FALSE(flights.empty());
  RockCount = 3;
  StarErrorCount = 0;
  for (const GeneratedFlight& flight : flights)
    for (int32_t precision : {1, 2, 4})
      for (bool simple : {false, true}) {
        SCOPED_TRACE(flight.mission + "/" + flight.file + " precision " +
                     std::to_string(precision) + (simple ? " simple" : " full"));
        MissionName = flight.mission;
        FlightFile = flight.file;
        MissionType = MissionTypeOf(flight.mission);
        LandPrecision = precision;
        SimpleLM = SimpleCockpit = simple;
        ReleaseWorld();
        ReleaseEngineObjects();
        CreateEngineObjects(engine::MakeNullBackend());
        try {
          BuildFlightScene();
        } catch (const std::exception& error) {
          FAIL() << error.what();
        }
        // The whole catalogue was read: no star step failed.
        EXPECT_EQ(StarErrorCount, 0);
        EXPECT_GT(BrightStarCount, 0);
      }
}

}  // namespace
