#include "program/missions/dev_tools.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "platform/engine/camera.h"
#include "platform/engine/engine.h"
#include "platform/engine/input.h"
#include "platform/engine/landscape.h"
#include "platform/engine/resources.h"
#include "platform/engine/scan_codes.h"
#include "platform/win/byte_reader.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/main_display.h"
#include "program/missions/ini.h"
#include "program/missions/mission_file.h"
#include "program/missions/path_nodes.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "tests/program/killed_saves.h"
#include "tests/program/launcher_dialogs.h"
#include "tests/program/main_display_reload.h"
#include "tests/program/missions/program_folder.h"

namespace {

using namespace std::chrono_literals;
namespace scan = engine::scan;

class DevTools : public ScenarioTest {
 protected:
  void SetUp() override {
    ScenarioTest::SetUp();
    DropMainDisplay();
    forms::UseClock(&clock);
    RegionalDecimalSeparator = '.';
    WriteScenario("[Flight Parameters]\nStartX=0\n");
  }
  void TearDown() override {
    DropMainDisplay();
    forms::UseClock(nullptr);
  }
  void Key(int32_t code, bool down) { engine.Input().KeyEvent(code, down); }
  std::string Scenario(const std::string& section, const std::string& key) const {
    return ReadINI(section, key, "missing", ScenarioPath());
  }

  forms::VirtualClock clock;
  engine::Engine engine;
  engine::EngineInput input{engine};
  std::array<engine::EngineLandscape, 3> landscape{engine::EngineLandscape(engine),
                                                   engine::EngineLandscape(engine),
                                                   engine::EngineLandscape(engine)};
  std::array<engine::EngineLandscape*, 3> tiles{&landscape[0], &landscape[1], &landscape[2]};
  SavedVariables saved_ = SavedVariables(
      PathNodes, PathNodeCount, ValueLineList, ValueLineCount, CurrentLand, LandFunction,
      MoveIncrement, ScaleIncrement, SurveyorFunction, SurveyorIncrement, LandTilePosition,
      LandTileScale, SurveyorPosition, SurveyorRotation, MessageText, RegionalDecimalSeparator);
};

TEST_F(DevTools, ThreeNodesMakeA40ByteFileThatReadsBackInOrder) {
  PathNodeCount = 0;
  for (float x : {1.0f, 2.0f, 3.0f}) RecordPathNode({x, 10.0f * x, -x});
  EXPECT_EQ(MessageText[0].Text, "3");
  SavePathNodes();
  const auto bytes = win::ReadFileBytes(win::ResolvePath(PathNodeFilePath()), 1000);
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 40u);
  EXPECT_EQ(MessageText[0].Text, "Path Nodes Written");

  PathNodeCount = 7;
  engine::EnginePath path(engine);
  path.AddPoint({9, 9, 9});
  LoadPathNodes(path);
  ASSERT_EQ(PathNodeCount, 3);
  ASSERT_EQ(path.Points().size(), 3u);
  EXPECT_EQ(path.Points()[1].y, 20.0f);
  // The timer's node is the first view camera's position, after the loaded ones.
  engine::EngineCamera camera;
  camera.SetPosition(4.0f, 5.0f, 6.0f);
  const auto saved = ViewCameras;
  ViewCameras[1] = &camera;
  AddPathNode();
  ViewCameras = saved;
  EXPECT_EQ(PathNodeCount, 4);
  EXPECT_EQ(PathNodes[3].x, 4.0f);
  EXPECT_EQ(PathNodes[3].z, 6.0f);
  EXPECT_EQ(MessageText[0].Text, "4");
}

TEST_F(DevTools, AMissingFileLeavesTheCountAndADamagedOneIsRefused) {
  PathNodeCount = 5;
  engine::EnginePath path(engine);
  LoadPathNodes(path);
  EXPECT_EQ(PathNodeCount, 5);
  EXPECT_TRUE(path.Points().empty());

  const MessageBoxesShown shown;
  std::vector<uint8_t> bytes = EncodePathNodes(std::vector<Vector3>(2));
  for (int32_t count : {-1, 3, MaxPathNodes + 1}) {
    std::memcpy(bytes.data(), &count, 4);
    EXPECT_FALSE(DecodePathNodes(bytes)) << count;
  }
  folder_.WriteFile("Missions/Apollo 12/Test.nde", std::string(bytes.begin(), bytes.end()));
  LoadPathNodes(path);
  EXPECT_EQ(shown().size(), 1u);
  EXPECT_EQ(PathNodeCount, 5);
  EXPECT_FALSE(DecodePathNodes(std::span<const uint8_t>()));
}

TEST_F(DevTools, ValueLinesFormatNumbersAndKeepTheLast) {
  ValueLineCount = 0;
  AddValueLine("a", 3.0, 1);
  AddValueLine("b", 0.25, 2);
  AddValueLine("c", 0.0, 3);
  AddValueLine("d", "text", 4);
  EXPECT_EQ(ValueLineList[1].Value, "3.");
  EXPECT_EQ(ValueLineList[2].Value, ".25");
  EXPECT_EQ(ValueLineList[3].Value, ".");
  EXPECT_EQ(ValueLineList[4].Value, "text");
  for (int i = 5; i <= 51; ++i) AddValueLine("line " + std::to_string(i), i, 0);
  EXPECT_EQ(ValueLineCount, 50);
  EXPECT_EQ(ValueLineList[50].Label, "line 51");
  EXPECT_EQ(ValueLineList[49].Label, "line 49");
}

TEST_F(DevTools, TheLandToolMovesScalesAndWritesItsSection) {
  LandTilePosition = {};
  LandTileScale = {Vector3{100, 1, 100}, Vector3{100, 1, 100}, Vector3{100, 1, 100}};
  CurrentLand = 0;
  LandFunction = 0;
  MoveIncrement = {1, 1, 1};
  ScaleIncrement = {50, 50, 50};
  const auto run = [this](int frames) {
    for (int i = 0; i < frames; ++i) {
      ValueLineCount = 0;
      RunLandMoveTool(input, tiles);
      clock.Advance(20ms);
      forms::DoEvents();
    }
  };
  // Function 0: the arrows and the increments change nothing.
  Key(scan::kUp, true);
  Key(scan::kMinus, true);
  run(3);
  Key(scan::kMinus, false);
  run(1);
  Key(scan::kUp, false);
  EXPECT_EQ(LandTileScale[0].x, 100.0f);
  EXPECT_EQ(ScaleIncrement[0], 50.0f);
  EXPECT_EQ(ValueLineList[1].Value, ".");

  // Holding J for 30 frames of 20 ms cycles the function once per key-press interval.
  Key(scan::kJ, true);
  run(30);
  Key(scan::kJ, false);
  EXPECT_GE(LandFunction, 2);
  EXPECT_LE(LandFunction, 4);
  LandFunction = 3;  // move x/z
  Key(scan::kDown, true);
  run(2);
  Key(scan::kDown, false);
  Key(scan::kLeft, true);
  run(1);
  Key(scan::kLeft, false);
  EXPECT_EQ(LandTilePosition[0].x, 2.0f);
  EXPECT_EQ(LandTilePosition[0].z, -1.0f);
  EXPECT_EQ(landscape[0].GetPosition().x, 2.0f);

  LandFunction = 1;  // scale x-z: EQUALS cannot make the divisor 0
  ScaleIncrement[0] = 2;
  Key(scan::kEquals, true);
  run(3);
  Key(scan::kEquals, false);
  EXPECT_NE(ScaleIncrement[0], 0.0f);
  ScaleIncrement[0] = 50;
  Key(scan::kDown, true);
  run(1);
  Key(scan::kDown, false);
  EXPECT_FLOAT_EQ(LandTileScale[0].x, 102.0f);

  for (auto [precision, section] : {std::pair{1, "Landscape Position Low"},
                                    {2, "Landscape Position Medium"},
                                    {4, "Landscape Position High"}}) {
    LandPrecision = precision;
    clock.Advance(1s);
    forms::DoEvents();
    Key(scan::kO, true);
    run(1);
    Key(scan::kO, false);
    EXPECT_EQ(Scenario(section, "LandPositionX 0"), "2") << section;
    EXPECT_EQ(Scenario(section, "LandX 0"), "102") << section;
  }
}

TEST_F(DevTools, TheSurveyorToolTurnsMovesAndWritesItsSection) {
  SurveyorPosition = {};
  SurveyorRotation = {};
  SurveyorFunction = 0;
  SurveyorIncrement = 0.0f;
  const auto run = [this](int frames) {
    for (int i = 0; i < frames; ++i) {
      ValueLineCount = 0;
      RunSurveyorMoveTool(input);
      clock.Advance(20ms);
      forms::DoEvents();
    }
  };
  Key(scan::kEquals, true);
  run(1000);
  Key(scan::kEquals, false);
  EXPECT_NEAR(SurveyorIncrement, 1.0f, 1e-3f);
  SurveyorIncrement = 1.0f;  // the sum of a thousand steps, without their rounding
  Key(scan::kUp, true);
  run(1);
  Key(scan::kUp, false);
  EXPECT_NEAR(SurveyorRotation.x, 0.0174533f, 1e-4f);
  SurveyorFunction = 4;  // move y
  Key(scan::kDown, true);
  run(2);
  Key(scan::kDown, false);
  EXPECT_NEAR(SurveyorPosition.y, -2.0f, 1e-3f);
  LandPrecision = 4;
  Key(scan::kO, true);
  run(1);
  Key(scan::kO, false);
  EXPECT_EQ(Scenario("Surveyor High", "Surveyor Y"), "-2");
  EXPECT_EQ(Scenario("Surveyor High", "Surveyor RotateX").substr(0, 6), "17.453");
  EXPECT_EQ(Scenario("Surveyor Low", "Surveyor Y"), "missing");
}

TEST_F(DevTools, AToolSaveKilledAnywhereLeavesTheScenarioWhole) {
  const SavedVariables views(VirtualCockpitEye, VirtualCockpitRotation);
  ExpectWholeAfterKilledSaves(win::ResolvePath(ScenarioPath()), [](int n) {
    for (Vector3& eye : VirtualCockpitEye) eye = {1.5f * static_cast<float>(n), 2.0f, 3.0f};
    for (Vector3& turn : VirtualCockpitRotation) turn = {0.0f, 0.5f * static_cast<float>(n), 0.0f};
    SaveViewSetup();
  });
}

TEST_F(DevTools, ViewSetupAndStartPositionGoIntoTheMission) {
  VirtualCockpitEye[1] = {1.5f, 2.0f, 3.0f};
  ViewRecords[SpotView2].ViewAngle = 45.0f;
  SaveViewSetup();
  EXPECT_EQ(Scenario("Flight Parameters", "VirtualC2.X"), "1.5");
  EXPECT_EQ(Scenario("Flight Parameters", "SpotView2 VVFrustram"), "45");
  LMMeshPosition = {10.0f, 1.0f, -2.0f};
  WorldScale = 3.0f;
  std::array<float, 16> matrix{};
  matrix[15] = 1.0f;
  SaveStartPosition(matrix);
  EXPECT_EQ(Scenario("Flight Parameters", "StartX"), "30");
  EXPECT_EQ(Scenario("Flight Parameters", "StartZ"), "-6");
  const auto dock = win::ReadFileBytes(win::ResolvePath(DockingMatrixFilePath()), 100);
  ASSERT_TRUE(dock);
  EXPECT_EQ(dock->size(), 64u);
}

}  // namespace
