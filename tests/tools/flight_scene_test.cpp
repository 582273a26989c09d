// Every flight of the generated program folder builds its scene from the folder's own files: the
// scene builders load each model, texture, height grid and the star catalogue they name, at every
// landscape precision and with the simple and full LM and cabin.
#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>
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

  // The scene build's loaders in the order of a first flight, each named for the report of a
  // file it cannot open; false when one failed.
  static bool BuildFlightScene() {
    const bool orbital = MissionType == OrbitalMission;
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"CreateLights", CreateLights},
        {"CreateMaterials", CreateMaterials},
        {"CreateMiniLM", CreateMiniLM},
        {"LoadMissionSetup", LoadMissionSetup},
        {"CreateRenderSurfaces", CreateRenderSurfaces},
        {"LoadTextures", LoadTextures},
        {"BuildScene (the Earth)", LoadEarth},
        {"InitParticleSystem", InitParticleSystem},
        {"CreateSunAndFlares", CreateSunAndFlares},
        {"CreateLand", orbital ? Nothing : CreateLand},
        {"CreateHatch", CreateHatch},
        {"CreateStartFinishGates", MissionType == LMRaceMission ? CreateStartFinishGates : Nothing},
        {"BuildVirtualCockpit", BuildVirtualCockpit},
        {"CreateSwitchModels", CreateSwitchModels},
        {"BuildAscentStage", BuildAscentStage},
        {"BuildDescentStage", BuildDescentStage},
        {"LoadRCSPlumes", LoadRCSPlumes},
        {"CreateCameraPivot", CreateCameraPivot},
        {"CreateDustSurface", CreateDustSurface},
        {"CreateCraterDebris", CreateCraterDebris},
        {"CreateFlag", CreateFlag},
        {"CreateExplosion", CreateExplosion},
        {"CreateScoreMesh", CreateScoreMesh},
        {"CreateFDAIBall", CreateFDAIBall},
        {"CreateSurveyor", MissionType == 12 ? CreateSurveyor : Nothing},
        {"CreateCommandModule", orbital ? CreateCommandModule : Nothing},
        {"CreateOrbitalMoon", orbital ? CreateOrbitalMoon : Nothing},
        {"Init_AllMoon", orbital ? Nothing : LoadAllMoon},
        {"CreateOrientationMesh", CreateOrientationMesh},
        {"CreateLandingMarker", CreateLandingMarker},
        {"CreateLMShadow", CreateLMShadow},
        {"CreateRocks", orbital ? Nothing : CreateRocks},
        {"Init_Stars_and_Planets", Init_Stars_and_Planets}};
    for (const auto& [name, step] : steps) {
      try {
        step();
      } catch (const std::exception& error) {
        ADD_FAILURE() << name << ": " << error.what();
        return false;
      }
    }
    return true;
  }
  static void Nothing() {}
  static void LoadEarth() {
    const std::string n = MissionType < LMRaceMission ? std::to_string(MissionType) : "11";
    TextureFactory->LoadTexture(win::AppPath() + "\\Textures\\earth" + n + ".png", "earth", -1, -1,
                                0, -1, -1);
  }
  // The whole-Moon builder logs a failure and goes on; here it counts as one.
  static void LoadAllMoon() {
    Init_AllMoon();
    if (!AllMoonMesh) throw std::runtime_error("allmoon.x did not load");
  }

  SavedVariables saved_ = SavedVariables(
      SimpleLM, SimpleCockpit, RockCount, StarErrorCount, KeptStars, BrightStarCount,
      LandTilesCreated, LandTilePosition, LandTileScale, EarthAngles, EarthDistance, EarthPosition);

 private:
  forms::VirtualClock clock_;
};

// One case per landscape precision and LM (simple or full), so each stays well inside a test's
// time under the sanitizers.
using SceneChoice = std::tuple<int32_t, bool>;

class GeneratedFolderSceneChoice : public GeneratedFolderScene,
                                   public ::testing::WithParamInterface<SceneChoice> {};

TEST_P(GeneratedFolderSceneChoice, EveryFlightBuildsItsSceneFromTheFolder) {
  const std::vector<GeneratedFlight> flights = GeneratedFlights();
  ASSERT_FALSE(flights.empty());
  RockCount = 3;
  StarErrorCount = 0;
  for (const GeneratedFlight& flight : flights) {
    SCOPED_TRACE(flight.mission + "/" + flight.file);
    MissionName = flight.mission;
    FlightFile = flight.file;
    MissionType = MissionTypeOf(flight.mission);
    LandPrecision = std::get<0>(GetParam());
    SimpleLM = SimpleCockpit = std::get<1>(GetParam());
    ReleaseWorld();
    ReleaseEngineObjects();
    CreateEngineObjects(engine::MakeNullBackend());
    ASSERT_TRUE(BuildFlightScene());
    // The whole catalogue was read: no star step failed.
    EXPECT_EQ(StarErrorCount, 0);
    EXPECT_GT(BrightStarCount, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(Choices, GeneratedFolderSceneChoice,
                         ::testing::Combine(::testing::Values(1, 2, 4), ::testing::Bool()),
                         [](const ::testing::TestParamInfo<SceneChoice>& choice) {
                           return "Precision" + std::to_string(std::get<0>(choice.param)) +
                                  (std::get<1>(choice.param) ? "Simple" : "Full");
                         });

}  // namespace
