// The frame loops flown through the whole program: the camera of the views from the cabin.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "flight_program.h"
#include "program/flight/flight_maths.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "program/scene/views.h"

namespace {

using flight_program::RequestExit;

class FrameLoops : public flight_program::ProgramTest {
 protected:
  // Flies the flight, calling `frame` after each frame flown with the controls on and the fly-by
  // over, until it returns false; then back to the launcher and out of the program.
  void Fly(const std::string& mission, const std::string& flight,
           const std::function<bool()>& frame) {
    flight_program::StartProgram();
    Choose(mission, flight);
    bool continued = false;
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
      if (!RunFlag || !ControlsActive || IntroFlyby) return true;
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

}  // namespace
