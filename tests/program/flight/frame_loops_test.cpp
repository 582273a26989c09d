// The frame loops flown through the whole program: the camera of the views from the cabin.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "flight_program.h"
#include "program/flight/flight_maths.h"
#include "program/flight/main_display.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "program/scene/views.h"
#include "tests/program/scene/scene_fixture.h"

namespace {

using flight_program::RequestExit;

class FrameLoops : public flight_program::ProgramTest {
 protected:
  // Flies the flight, calling `frame` after each frame from the first flown with the controls on
  // and the fly-by over, until it returns false; then back to the launcher and out of the program.
  void Fly(const std::string& mission, const std::string& flight,
           const std::function<bool()>& frame) {
    flight_program::StartProgram();
    Choose(mission, flight);
    bool continued = false;
    bool flying = false;
    bool exited = false;
    RunWatching([&] {
      if (!continued) {
        continued = true;
        ClickLater(DriverDialog->Command_Continue);
        return true;
      }
      if (exited) {
        if (!DriverDialog->Visible()) return true;
        ClickLater(DriverDialog->Command_Quit);
        return false;
      }
      if (!RunFlag) return true;
      flying = flying || (ControlsActive && !IntroFlyby);
      if (!flying) return true;
      if (!frame()) {
        RequestExit(1);
        exited = true;
      }
      return true;
    });
    EXPECT_TRUE(forms::ProgramHasEnded());
  }
};

d3dx::D3DXVECTOR3 Row(const d3dx::D3DXMATRIX& m, int row) {
  return {m(row, 0), m(row, 1), m(row, 2)};
}

void ExpectNear(const d3dx::D3DXVECTOR3& a, const d3dx::D3DXVECTOR3& b, const char* what) {
  EXPECT_NEAR(a.x, b.x, 1e-3f) << what;
  EXPECT_NEAR(a.y, b.y, 1e-3f) << what;
  EXPECT_NEAR(a.z, b.z, 1e-3f) << what;
}

// A point given in the LM pivot's axes, in the world.
d3dx::D3DXVECTOR3 OnThePivot(const Vector3& point) {
  return CameraPivot->TransformVector({point.x, point.y, point.z});
}

// The view camera stands at the eye on the pivot and looks along the eye's forward axis.
void ExpectCameraAtTheEye(const Vector3& eye, const char* view) {
  const d3dx::D3DXMATRIX camera = ViewCameras[1]->GetMatrix();
  ExpectNear(ViewCameras[1]->GetPosition(), OnThePivot(eye), view);
  ExpectNear(Row(camera, 2), Row(CameraMesh->GetMatrix(), 2), view);
}

// From outside a virtual-cockpit view is a jump to its eye; from one virtual-cockpit view to
// another the eye glides one step a frame and ends at the new eye and angle; a cockpit panel view
// looks out forward and down from the cabin's fixed eye.
TEST_F(FrameLoops, CabinViewsTakeTheCameraFromTheCockpitEye) {
  int frame = 0;
  int glideFrames = 0;
  int steps = 0;
  float wideAngle = 0.0f;
  bool glidedBetween = false;
  Fly("Apollo 11", "Short Flight P66", [&] {
    switch (++frame) {
      case 1:
        SelectView(SpotView2);
        return true;
      case 2:
        SelectView(VirtualView1);
        return true;
      case 3:
        EXPECT_EQ(TransitionIndex, 0) << "from outside the eye jumps";
        ExpectCameraAtTheEye(VirtualCockpitEye[0], "virtual view 1");
        wideAngle = FieldOfView + 20.0f;
        ViewRecords[VirtualView2].ViewAngle = wideAngle;
        SelectView(VirtualView2);
        steps = TransitionSteps;
        return true;
      default:
        break;
    }
    if (glideFrames < steps) {
      ++glideFrames;
      const d3dx::D3DXVECTOR3 at = CameraMesh->GetPosition();
      if (glideFrames == 1)
        glidedBetween = std::fabs(at.z - VirtualCockpitEye[0].z) > 1e-4f &&
                        std::fabs(at.z - VirtualCockpitEye[1].z) > 1e-4f;
      if (TransitionIndex != 0 && glideFrames < steps) return true;
      EXPECT_EQ(TransitionIndex, 0);
      EXPECT_EQ(glideFrames, steps) << "the glide takes one frame a step";
      ExpectCameraAtTheEye(VirtualCockpitEye[1], "virtual view 2");
      EXPECT_FLOAT_EQ(FieldOfView, wideAngle);
      SelectView(CockpitView1);
      return true;
    }
    const float pitch = CockpitViewAngle * static_cast<float>(RadiansPerDegree);
    const Vector3 eye{0.0f, CockpitEyeHeight, 0.0f};
    ExpectCameraAtTheEye(eye, "cockpit view 1");
    const d3dx::D3DXVECTOR3 ahead =
        OnThePivot({-std::cos(pitch), -std::sin(pitch), 0.0f}) - OnThePivot({});
    ExpectNear(Row(ViewCameras[1]->GetMatrix(), 2), ahead, "forward and down out of the cabin");
    return false;
  });
  EXPECT_GE(steps, 5);
  EXPECT_EQ(glideFrames, steps);
  EXPECT_TRUE(glidedBetween) << "the first glide frame lies between the two eyes";
}

// In orbit the manual attitude control holds its own deadband, whatever the switch says.
TEST_F(FrameLoops, TheOrbitalLoopSetsItsOwnManualDeadband) {
  double orbital = 0.0;
  int frames = 0;
  // The first frame seen with the controls on may be the one that turned them on.
  Fly("Orbital", "Rendezvous", [&] {
    orbital = SelectedDeadband;
    return ++frames < 2;
  });
  EXPECT_DOUBLE_EQ(orbital, 0.014);
}

// An engine cut-off at that height above the ground, and whether it ends the ascent.
struct AscentCutOff {
  float feet;
  bool ends;
};

class AscentEnd : public FrameLoops, public ::testing::WithParamInterface<AscentCutOff> {};

double NowMs() { return static_cast<double>(forms::Now().count()) / 1e6; }

// An ascent whose engine cuts off well clear of the ground fades out over 2 s, then stops under
// the menu with no scene drawn; a cut-off low down leaves the stage flying.
TEST_P(AscentEnd, AnEngineCutOffHighFadesOutToTheMenu) {
  const AscentCutOff cutOff = GetParam();
  RecordingBackend* recorder = nullptr;
  EngineBackendMaker = [&recorder] {
    auto backend = std::make_unique<RecordingBackend>();
    recorder = backend.get();
    return std::unique_ptr<engine::DrawBackend>(std::move(backend));
  };
  int frame = 0;
  double fadeStartMs = -1.0;
  double menuAfterMs = -1.0;
  bool controlsDuringFade = true;
  int skyAfterMenu = 0;
  size_t drawsBefore = 0;
  Fly("Apollo 11", "Short Flight P66", [&] {
    ++frame;
    if (frame == 1) {
      StageAndAscend();
      return true;
    }
    if (frame == 3) {
      EXPECT_EQ(AscentPhase, AscentBurning);
      // The engine cuts off with the stage that high above the ground.
      LMPosition.y += (cutOff.feet - AltitudeAboveGround) / WorldScale;
      LMVelocity = {};
      EngineOff = true;
      return true;
    }
    if (frame < 3) return true;
    if (StagingFadeFlag && fadeStartMs < 0.0) fadeStartMs = NowMs();
    if (fadeStartMs >= 0.0 && menuAfterMs < 0.0) {
      if (!MenuShown) {
        controlsDuringFade = controlsDuringFade && ControlsActive;
        return true;
      }
      menuAfterMs = NowMs() - fadeStartMs;
      drawsBefore = recorder->draws.size();
      return true;
    }
    if (menuAfterMs < 0.0) return frame < 300;
    for (size_t k = drawsBefore; k < recorder->draws.size(); ++k)
      if (recorder->draws[k].target == nullptr && std::string(recorder->draws[k].kind) == "sky")
        ++skyAfterMenu;
    drawsBefore = recorder->draws.size();
    EXPECT_FALSE(ControlsActive);
    return frame < 400;
  });
  EXPECT_EQ(fadeStartMs >= 0.0, cutOff.ends);
  if (!cutOff.ends) return;
  EXPECT_TRUE(controlsDuringFade) << "the stage flies on while the view fades";
  EXPECT_NEAR(menuAfterMs, 2000.0, 50.0);
  EXPECT_EQ(skyAfterMenu, 0) << "the faded-out frames draw no scene";
}

INSTANTIATE_TEST_SUITE_P(FrameLoops, AscentEnd,
                         ::testing::Values(AscentCutOff{1500.0f, true},
                                           AscentCutOff{300.0f, false}));

}  // namespace
