// The ten views over real meshes: flags and hatch by record, transitions, the EVA path, the tile
// under the camera and the orbiting camera kept above the ground.
#include <string>
#include <vector>

#include "platform/engine/height_grid.h"
#include "program/cockpit/cockpit_state.h"
#include "program/scene/lm_models.h"
#include "program/scene/scene_resources.h"
#include "program/scene/textures_materials.h"
#include "program/scene/views.h"
#include "program/startup/startup_state.h"
#include "program/startup/ui_text.h"
#include "tests/program/main_display_reload.h"
#include "tests/program/scene/scene_fixture.h"

namespace {

class ViewsTest : public SceneTest {
 protected:
  void SetUp() override {
    SceneTest::SetUp();
    forms::UseClock(&clock_);
    for (const char* hatch : {"HatchOpen.x", "HatchClosedinner.x", "hatchclosedouter.x"})
      WriteModel(std::string("Models/") + hatch);
    CreateMaterials();
    CreateHatch();
    AscentStageMesh = Scene->CreateMesh("");
    for (int k = 0; k < 3; ++k) SetTile(k, 10.0f, 0);
    for (size_t v = 0; v < ViewRecords.size(); ++v)
      ViewRecords[v].ViewAngle = 40.0f + static_cast<float>(v);
    // The texts the program shows in its own language.
    LoadTranslatedStrings();
  }
  void TearDown() override {
    ProgramTralexa.reset();
    for (auto& tile : LandTiles) tile.reset();
    AscentStageMesh.reset();
    DropMainDisplay();
    forms::UseClock(nullptr);
    SceneTest::TearDown();
  }

  // Tile k: flat at `height` over -100..100 (shifted by `x`).
  void SetTile(int k, float height, float x) const {
    engine::HeightGrid grid{21, 21, 10.0f, std::vector<float>(21 * 21, height)};
    const auto bytes = engine::WriteHeightGrid(grid);
    const std::string name = "view" + std::to_string(k) + ".ht";
    folder_.WriteFile(name, std::string(bytes.begin(), bytes.end()));
    auto tile = std::make_unique<engine::EngineLandscape>(*Engine);
    tile->LoadHeightMap(win::AppPath() + "\\" + name);
    tile->SetPosition(x - 100, 0, -100);
    LandTiles[static_cast<size_t>(k)] = std::move(tile);
  }

  SavedVariables saved_ = SavedVariables(
      ViewRecords, CurrentView, PreviousView, CurrentViewIndex, InteriorViewFlag, SpotViewFlag,
      CockpitPanelFlag, ExteriorViewFlag, EVAViewFlag, SpotChase, HatchOpenFlag, TransitionSteps,
      TransitionIndex, TransitionEye, TransitionRotation, TransitionAngle, CameraOrbitYaw,
      CameraOrbitPitch, CameraOrbitDistance, CameraGroundPoint, CameraLandTile, EVAEye, EVARotation,
      EVAStartPoint, EVAStarted, WalkPathMode, WalkPathValue, FieldOfView, FramesPerSecond,
      FrameSettled, CurrentCockpitEye, CurrentCockpitRotation, MessageText, UiText, EVAMode);

 private:
  forms::VirtualClock clock_;
};

struct ViewCase {
  ViewIndex view;
  bool interior, spot, panel, exterior, eva;
  bool hatchOpen;     // the open meshes shown (the hatch flag being clear before)
  bool inner, outer;  // the closed meshes shown
  const char* name;   // shown on screen
};

class SelectViewTest : public ViewsTest, public ::testing::WithParamInterface<ViewCase> {};

TEST_P(SelectViewTest, EachRecordSetsItsKindAndShowsItsSideOfTheHatch) {
  const ViewCase& c = GetParam();
  HatchOpenFlag = false;
  FrameSettled = true;
  SelectView(c.view);
  EXPECT_EQ(std::vector<bool>(
                {InteriorViewFlag, SpotViewFlag, CockpitPanelFlag, ExteriorViewFlag, EVAViewFlag}),
            std::vector<bool>({c.interior, c.spot, c.panel, c.exterior, c.eva}));
  EXPECT_EQ(EVAMode, c.eva) << "the DSKY refuses its keys in the EVA view alone";
  if (c.interior || c.spot || c.exterior || c.eva) {
    EXPECT_EQ(HatchOpenMesh->IsEnabled(), c.hatchOpen);
    EXPECT_EQ(HatchOpenAMesh->IsEnabled(), c.hatchOpen);
    EXPECT_EQ(HatchClosedInnerMesh->IsEnabled(), c.inner);
    EXPECT_EQ(HatchClosedOuterMesh->IsEnabled(), c.outer);
  }
  EXPECT_FALSE(FrameSettled);
  EXPECT_TRUE(ViewRecords[static_cast<size_t>(c.view)].Active);
  EXPECT_EQ(CurrentViewIndex, c.view);
  EXPECT_FLOAT_EQ(FieldOfView, 40.0f + static_cast<float>(c.view));
  EXPECT_EQ(MessageText[0].Text, c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Records, SelectViewTest,
    ::testing::Values(
        ViewCase{VirtualView1, true, false, false, false, false, false, true, false,
                 "Virtual Cockpit 1"},
        ViewCase{VirtualView3, true, false, false, false, false, false, true, false,
                 "Virtual Cockpit 3"},
        ViewCase{EVAView, false, false, false, false, true, true, false, false, "EVA View"},
        ViewCase{CockpitView1, false, false, true, false, false, false, false, false,
                 "Cockpit View 1"},
        ViewCase{CockpitView3, false, false, true, false, false, false, false, false,
                 "Cockpit View 3"},
        ViewCase{ExteriorView, false, false, false, true, false, false, false, true, "Ground View"},
        ViewCase{SpotView1, false, true, false, false, false, false, false, true, "Spot View 1"},
        ViewCase{SpotView2, false, true, false, false, false, false, false, true, "Spot View 2"}));

TEST_F(ViewsTest, CockpitEyesGlideBetweenThemselvesAndJumpFromOutside) {
  VirtualCockpitEye = {Vector3{0, 0, 0}, Vector3{10, 0, 0}, Vector3{0, 20, 0}};
  FramesPerSecond = 3;  // at least five steps
  SelectView(VirtualView1);
  SelectView(VirtualView2);
  ASSERT_EQ(TransitionSteps, 5);
  EXPECT_EQ(TransitionIndex, 1);
  EXPECT_FLOAT_EQ(TransitionEye[0].x, 2.0f);
  EXPECT_FLOAT_EQ(TransitionEye[4].x, 10.0f);
  EXPECT_FLOAT_EQ(TransitionAngle[4], 41.0f);
  FramesPerSecond = 60;
  SelectView(VirtualView3);
  EXPECT_EQ(TransitionSteps, 60);
  SelectView(SpotView1);
  SelectView(VirtualView2);
  EXPECT_EQ(TransitionIndex, 0);
  EXPECT_FLOAT_EQ(CurrentCockpitEye.x, 10.0f);
  EXPECT_EQ(PreviousView.ViewAngle, ViewRecords[SpotView1].ViewAngle);
}

TEST_F(ViewsTest, TheViewAngleIsKeptExceptInTheFirstTwoPanelViews) {
  for (const ViewIndex view : {VirtualView2, CockpitView1, CockpitView2, CockpitView3, SpotView2}) {
    SelectView(view);
    FieldOfView = 75.0f;
    StoreViewAngle();
    const bool kept = view != CockpitView1 && view != CockpitView2;
    EXPECT_EQ(ViewRecords[static_cast<size_t>(view)].ViewAngle == 75.0f, kept) << view;
  }
}

TEST_F(ViewsTest, TheEVAPathRunsFromTheHatchOnceAFlight) {
  AscentStageMesh->SetPosition(0, 100, 0);
  EVAStarted = false;
  StartEVAView();
  ASSERT_EQ(SceneHelper->Points().size(), 5u);
  EXPECT_FLOAT_EQ(SceneHelper->Points()[0].y, 102.5f);
  EXPECT_FLOAT_EQ(SceneHelper->Points()[4].x, -13.25f);
  EXPECT_FLOAT_EQ(EVAEye.y, 102.5f);
  EXPECT_FLOAT_EQ(TransitionEye.back().y, 102.5f);  // toward the hatch, not an unset eye
  EXPECT_TRUE(WalkPathMode);
  EXPECT_TRUE(EVAViewFlag);
  EXPECT_TRUE(HatchOpenMesh->IsEnabled());
  StartEVAView();
  EXPECT_EQ(SceneHelper->Points().size(), 5u);
}

TEST_F(ViewsTest, TheCameraTileIsTheStrictlyHighestAndATieKeepsIt) {
  CameraGroundPoint = {0, 0, 0};
  const std::vector<std::array<float, 4>> cases = {
      // heights of tiles 0, 1, 2, then the tile expected (starting from tile 1)
      {10, 20, 5, 1},
      {30, 20, 5, 0},
      {5, 5, 40, 2},
      {7, 7, 7, 2}};
  CameraLandTile = 1;
  for (const auto& c : cases) {
    for (int k = 0; k < 3; ++k) SetTile(k, c[static_cast<size_t>(k)], 0);
    GetCameraGroundPoint();
    EXPECT_EQ(CameraLandTile, static_cast<int32_t>(c[3]));
  }
  // A tile the camera is not over does not answer.
  SetTile(0, 99, 1000);
  GetCameraGroundPoint();
  EXPECT_NE(CameraLandTile, 0);
}

TEST_F(ViewsTest, ThePitchStopsAtTheGroundAndTheLiftIsBounded) {
  for (int k = 0; k < 3; ++k) SetTile(k, 50.0f, 0);
  MissionType = 12;
  CameraOrbitDistance = 60;
  CameraOrbitYaw = 0;
  CameraOrbitPitch = -60;  // above: 52 units up
  MouseSensitivity = 1;
  ChangeCameraPitch(30, 2);  // 30 degrees down: 30 up, under the 50 of the ground
  EXPECT_FLOAT_EQ(CameraOrbitPitch, -60.0f);
  ChangeCameraPitch(-10, 2);
  EXPECT_FLOAT_EQ(CameraOrbitPitch, -70.0f);

  SelectView(SpotView2);
  CameraOrbitPitch = 0;  // level, under the ground for good: the lift gives up after 51 steps
  SetTile(0, 100000.0f, 0);
  SetTile(1, 100000.0f, 0);
  SetTile(2, 100000.0f, 0);
  LiftCameraAboveTerrain();
  EXPECT_NEAR(CameraOrbitPitch, -15.3f, 1e-3);
}

}  // namespace
