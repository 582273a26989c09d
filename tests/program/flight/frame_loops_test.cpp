// The frame loops flown through the whole program: the camera of the views from the cabin, the
// orbital deadband, the end of an ascent, the time step, the landing block, focus and minimising,
// the start attitude and docking.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "flight_program.h"
#include "platform/engine/scan_codes.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/flight_dynamics.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_scene.h"
#include "program/flight/main_display.h"
#include "program/flight/staging.h"
#include "program/input/input_state.h"
#include "program/missions/missions_state.h"
#include "program/missions/replay_file.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "program/scene/views.h"
#include "tests/program/scene/scene_fixture.h"

namespace {

using flight_program::RequestExit;

class FrameLoops : public flight_program::ProgramTest {
 protected:
  // The engine of the next flight draws through a new backend of that type, which `backend`
  // points at.
  template <class Backend>
  static void DrawThrough(Backend*& backend) {
    EngineBackendMaker = [&backend] {
      auto made = std::make_unique<Backend>();
      backend = made.get();
      return std::unique_ptr<engine::DrawBackend>(std::move(made));
    };
  }

  // The default program folder the build makes, with its fly-by paths, as the program folder, and
  // the settings a new user starts with; false while the build has not made it yet.
  bool UsingTheDefaultProgramFolder() {
    if (!std::filesystem::is_directory(std::filesystem::path(MAROVIN_PROGRAM_FOLDER) / "Models"))
      return false;
    UseProgramFolder(MAROVIN_PROGRAM_FOLDER);
    std::filesystem::remove(folder_.Path() / "Marovin.ini");
    return true;
  }

  // Flies the flight, calling `frame` after each frame from the first flown with the controls on
  // and the fly-by over, until it returns false; then back to the launcher and out of the program.
  void Fly(const std::string& mission, const std::string& flight,
           const std::function<bool()>& frame) {
    flight_program::StartProgram();
    Choose(mission, flight);
    bool flying = false;
    FlyFromTheLauncher([&] {
      flying = flying || (ControlsActive && !IntroFlyby);
      return !flying || frame();
    });
    EXPECT_TRUE(forms::ProgramHasEnded());
  }
};

d3dx::D3DXVECTOR3 Row(const d3dx::D3DXMATRIX& m, int row) {
  return {m(row, 0), m(row, 1), m(row, 2)};
}

void ExpectNear(const d3dx::D3DXVECTOR3& a, const d3dx::D3DXVECTOR3& b, const char* what,
                float tolerance = 1e-3f) {
  EXPECT_NEAR(a.x, b.x, tolerance) << what;
  EXPECT_NEAR(a.y, b.y, tolerance) << what;
  EXPECT_NEAR(a.z, b.z, tolerance) << what;
}

// True at the pump after a frame is presented. A frame's own yields (the camera's lift over the
// terrain, a screenshot) pump too, with the frame still busy.
bool FrameDone() { return !Busy; }

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

d3dx::D3DXVECTOR3 OrbitPoint(float distance, float yawDegrees, float pitchRadians) {
  return engine::EngineMathLibrary::PointOnSphere(
      {}, distance, yawDegrees * static_cast<float>(RadiansPerDegree), pitchRadians);
}

// The pilot's orbit around the LM, 45 world units out: spot view 1 holds the camera on it in the
// world's axes, spot view 2 rides on it in the LM's axes and so turns with the LM.
TEST_F(FrameLoops, SpotViewOneHoldsTheCameraAndSpotViewTwoTurnsWithTheLM) {
  int frame = 0;
  Fly("Apollo 11", "Short Flight P66", [&] {
    ++frame;
    const d3dx::D3DXVECTOR3 orbit =
        OrbitPoint(CameraOrbitDistance, CameraOrbitYaw,
                   CameraOrbitPitch * static_cast<float>(RadiansPerDegree));
    if (frame == 2) ExpectNear(ViewCameras[1]->GetPosition(), orbit, "spot view 1", 0.01f);
    if (frame == 4)
      ExpectNear(ViewCameras[1]->GetPosition(), CameraPivot->TransformVector(orbit), "spot view 2",
                 0.01f);
    if (frame == 1 || frame == 3) {
      SelectView(frame == 1 ? SpotView1 : SpotView2);
      CameraPivot->RotateY(0.7f);
    }
    return frame < 4;
  });
  EXPECT_EQ(frame, 4);
}

// The horizontal velocity is split along the LM's heading as it stands in the frame: a quarter
// turn of the LM about its vertical trades the forward and the lateral velocity.
TEST_F(FrameLoops, TheVelocitySplitTurnsWithTheLM) {
  int frame = 0;
  float forward = 0.0f, lateral = 0.0f, turnedForward = 0.0f, turnedLateral = 0.0f;
  Fly("Apollo 11", "Short Flight P66", [&] {
    ++frame;
    if (frame == 2) {
      forward = HorizontalVelocityForward;
      lateral = HorizontalVelocityLateral;
      TurnPivot({0.0f, 0.0f, static_cast<float>(Pi / 2)});
    }
    if (frame == 3) {
      turnedForward = HorizontalVelocityForward;
      turnedLateral = HorizontalVelocityLateral;
    }
    LMVelocity.x = 30.0;
    LMVelocity.z = 10.0;
    return frame < 3;
  });
  EXPECT_NEAR(std::hypot(forward, lateral), std::hypot(30.0, 10.0), 0.5);
  EXPECT_GT(std::fabs(std::fabs(forward) - std::fabs(lateral)), 10.0f);
  EXPECT_NEAR(std::fabs(turnedForward), std::fabs(lateral), 0.5f);
  EXPECT_NEAR(std::fabs(turnedLateral), std::fabs(forward), 0.5f);
}

// The ground tests look under the orbiting camera, not under the LM: under the LM the two inner
// tiles stand level, and out beyond the innermost one the camera stands over the middle one.
TEST_F(FrameLoops, TheCameraTileIsTheOneUnderTheCamera) {
  int frame = 0;
  Fly("Apollo 11", "Short Flight P66", [&] {
    ++frame;
    if (frame == 1) {
      SelectView(SpotView1);
      CameraOrbitDistance = 3300.0f;
      CameraOrbitYaw = 225.0f;
      CameraOrbitPitch = -30.0f;
      CameraLandTile = 0;
    }
    if (frame == 3) {
      const d3dx::D3DXVECTOR3 orbit = OrbitCameraPoint({});
      EXPECT_NEAR(CameraGroundPoint.x, orbit.x, 1.0f);
      EXPECT_NEAR(CameraGroundPoint.z, orbit.z, 1.0f);
      EXPECT_EQ(CameraLandTile, 1);
    }
    return frame < 3;
  });
  EXPECT_EQ(frame, 3);
}

// What a view key shows, in the LM's axes (the LM turns while the keys are pressed): where the
// view camera stands and looks, and whether the frame drew the 2D panel and the 3D cockpit.
struct ViewPicture {
  d3dx::D3DXVECTOR3 position, forward;
  bool panel = false, cockpit = false;
  uint32_t panelColour = 0;
};

ViewPicture SeenFromTheLM() {
  d3dx::D3DXMATRIX toLM;
  const d3dx::D3DXMATRIX pivot = CameraPivot->GetMatrix();
  d3dx::D3DXMatrixInverse(&toLM, nullptr, &pivot);
  const d3dx::D3DXVECTOR3 position = ViewCameras[1]->GetPosition();
  const d3dx::D3DXVECTOR3 forward = Row(ViewCameras[1]->GetMatrix(), 2);
  ViewPicture seen;
  d3dx::D3DXVec3TransformCoord(&seen.position, &position, &toLM);
  d3dx::D3DXVec3TransformNormal(&seen.forward, &forward, &toLM);
  d3dx::D3DXVec3Normalize(&seen.forward, &seen.forward);
  return seen;
}

// The nine view keys, each pressed and held past the repeat block and a cockpit eye's glide, each
// give a picture of their own: the virtual cockpits look forward (the LM's -x) at the 3D cockpit,
// the 2D panel is drawn in the cockpit panel views only, and no two views stand and look alike.
TEST_F(FrameLoops, EachViewKeyGivesAPictureOfItsOwn) {
  RecordingBackend* recorder = nullptr;
  DrawThrough(recorder);
  constexpr int HeldFrames = 70;  // a glide takes a frame per frame of a second, here 60
  std::vector<ViewPicture> pictures;
  int frame = 0;
  size_t shapesBefore = 0, meshesBefore = 0;
  // The keys start once the start view's own repeat block is over.
  Fly("Apollo 11", "Approach P64", [&] {
    if (!FrameDone()) return true;
    const int key = frame / HeldFrames - 1;
    const int step = frame++ % HeldFrames;
    if (key < 0) return true;
    if (step == HeldFrames - 1) {
      ViewPicture seen = SeenFromTheLM();
      for (size_t k = shapesBefore; k < recorder->shapes.size(); ++k) {
        if (recorder->shapes[k].texture != TextureIds.Panel) continue;
        seen.panel = true;
        seen.panelColour = recorder->shapes[k].colours[0];
      }
      for (size_t k = meshesBefore; k < recorder->meshes.size(); ++k)
        seen.cockpit = seen.cockpit || recorder->meshes[k].mesh == VirtualCockpitMesh.get();
      pictures.push_back(seen);
      return key < 8;
    }
    if (step == 0 || step == 1) Engine->Input().KeyEvent(engine::scan::k1 + key, step == 0);
    shapesBefore = recorder->shapes.size();
    meshesBefore = recorder->meshes.size();
    return true;
  });
  ASSERT_EQ(pictures.size(), 9u);
  for (size_t k = 0; k < pictures.size(); ++k) {
    const ViewPicture& seen = pictures[k];
    EXPECT_EQ(seen.panel, k >= 3 && k < 6) << "the 2D panel, key " << k + 1;
    if (k < 3) {
      EXPECT_TRUE(seen.cockpit) << "key " << k + 1;
      EXPECT_LT(seen.forward.x, -0.7f) << "key " << k + 1 << " looks forward, at the panel";
    }
    for (size_t j = 0; j < k; ++j) {
      const d3dx::D3DXVECTOR3 moved = seen.position - pictures[j].position;
      const d3dx::D3DXVECTOR3 turned = seen.forward - pictures[j].forward;
      EXPECT_TRUE(d3dx::D3DXVec3Length(&moved) + d3dx::D3DXVec3Length(&turned) > 0.05f ||
                  seen.panelColour != pictures[j].panelColour)
          << "keys " << j + 1 << " and " << k + 1 << " show the same picture";
    }
  }
}

// The opening fly-by is seen whole, whatever the start view (a new user's is Cockpit View 1): the
// camera rides its path from afar to the LM with no 2D panel over it, and the panel view shows
// the panel once the flight is on.
TEST_F(FrameLoops, TheOpeningFlyByIsSeenWholeWithNoPanelOverIt) {
  if (!UsingTheDefaultProgramFolder()) GTEST_SKIP() << "no default program folder yet";
  RecordingBackend* recorder = nullptr;
  DrawThrough(recorder);
  flight_program::StartProgram();
  Choose("Apollo 11", "Approach P64");
  int pumps = 0, flybyFrames = 0, panelsInFlyby = 0, panelsAfter = 0, framesAfter = 0;
  float farthest = 0.0f;
  size_t shapesBefore = 0;
  FlyFromTheLauncher([&] {
    if (!FrameDone()) return true;
    if (++pumps > 5000) return false;
    int panels = 0;
    for (size_t k = shapesBefore; k < recorder->shapes.size(); ++k)
      panels += recorder->shapes[k].texture == TextureIds.Panel ? 1 : 0;
    shapesBefore = recorder->shapes.size();
    if (IntroFlyby) {
      ++flybyFrames;
      panelsInFlyby += panels;
      farthest = std::max(farthest, CameraDistance);
      return true;
    }
    if (flybyFrames == 0) return true;
    // Cockpit View 1 chosen by its key once the fly-by is over, when the Start click's repeat
    // block has let go of the keys.
    if (framesAfter == 0 && Main_Display->TimerKeyPress.Enabled()) return true;
    if (framesAfter < 2) Engine->Input().KeyEvent(engine::scan::k1 + 3, framesAfter == 0);
    panelsAfter += panels;
    return ++framesAfter < 4;
  });
  EXPECT_GT(flybyFrames, 60) << "the fly-by lasts more than a second";
  EXPECT_GT(farthest, 100.0f) << "from afar";
  EXPECT_EQ(panelsInFlyby, 0);
  EXPECT_GT(panelsAfter, 0);
}

// Escape during the fly-by opens the exit box and pauses the flight; the fly-by ends behind the box
// and the LM stays where it was until the box is answered.
TEST_F(FrameLoops, EscapeInTheFlyByHoldsTheFlightBehindTheExitBox) {
  if (!UsingTheDefaultProgramFolder()) GTEST_SKIP() << "no default program folder yet";
  flight_program::StartProgram();
  Choose("Apollo 11", "Short Flight P66");
  int pumps = 0, flybyFrames = 0, framesAfter = 0;
  Vector3d heldAt{};
  bool moved = false;
  FlyFromTheLauncher([&] {
    if (!FrameDone()) return true;
    if (++pumps > 5000) return false;
    if (IntroFlyby) {
      // Again until the box is up: an Escape first closes whatever else is open, and none acts
      // in a repeat block.
      const int step = ++flybyFrames % 20;
      if (!ExitDialogShown && step < 2) Engine->Input().KeyEvent(engine::scan::kEscape, step == 0);
      heldAt = LMPosition;
      return true;
    }
    if (flybyFrames == 0) return true;
    EXPECT_TRUE(ExitDialogShown);
    moved = moved || LMPosition.x != heldAt.x || LMPosition.y != heldAt.y;
    return ++framesAfter < 60;
  });
  EXPECT_GT(flybyFrames, 31);
  EXPECT_EQ(framesAfter, 60);
  EXPECT_FALSE(moved) << "the LM flew on behind the exit box";
}

bool EngineNoisePlays() {
  int32_t status = 0;
  if (DescentEngineSound) DescentEngineSound->IsPlaying(status);
  return status == 1;
}

// The engine noise, looping since an ignition, stops with the engine at a crash, also once the
// sound has been switched off since (the master volume slider at 0 does that).
TEST_F(FrameLoops, TheEngineNoiseStopsAtACrash) {
  if (!UsingTheDefaultProgramFolder()) GTEST_SKIP() << "no default program folder yet";
  SavedVariables saved(SoundOn);
  int frame = 0;
  bool playedBeforeTheCrash = false, playedAfter = true;
  Fly("Apollo 11", "Short Flight P66", [&] {
    if (!FrameDone()) return true;
    switch (++frame) {
      case 1:
        SoundOn = true;
        StartDescentEngine();
        return true;
      case 2:
        playedBeforeTheCrash = EngineNoisePlays();
        SoundOn = false;
        CrashLM();
        return true;
      default:
        playedAfter = EngineNoisePlays();
        return false;
    }
  });
  EXPECT_TRUE(playedBeforeTheCrash);
  EXPECT_FALSE(playedAfter);
}

// After staging the outside camera's look-at glides from the ascent stage's offset to the LM's
// origin over the staging display's 6 s; the virtual-cockpit eye rides in the staged cabin.
TEST_F(FrameLoops, AfterStagingTheCameraGlidesAndTheEyeStaysInTheCabin) {
  int frame = 0;
  std::vector<float> lookAtHeights;
  double glideSeconds = 0.0;
  Fly("Apollo 11", "Short Flight P66", [&] {
    ++frame;
    if (frame == 1) {
      SelectView(SpotView2);
      StageAndAscend();
      return true;
    }
    if (StagingEffect.On || lookAtHeights.empty()) {
      lookAtHeights.push_back(CameraLookAt.y);
      glideSeconds += FrameTimeSec;
      return frame < 2000;
    }
    if (!InteriorViewFlag) {
      lookAtHeights.push_back(CameraLookAt.y);
      SelectView(VirtualView1);
      return true;
    }
    const Vector3& eye = VirtualCockpitEye[0];
    ExpectNear(CameraMesh->GetPosition(),
               {eye.x + AscentStageMeshOffset.x, eye.y + AscentStageMeshOffset.y,
                eye.z + AscentStageMeshOffset.z},
               "the eye in the staged cabin");
    return false;
  });
  ASSERT_GE(lookAtHeights.size(), 3u);
  EXPECT_LT(AscentStageMeshOffset.y, 0.0f);
  EXPECT_FLOAT_EQ(lookAtHeights.front(), AscentStageMeshOffset.y);
  EXPECT_TRUE(std::is_sorted(lookAtHeights.begin(), lookAtHeights.end())) << "one way, no jump";
  EXPECT_FLOAT_EQ(lookAtHeights.back(), 0.0f);
  EXPECT_NEAR(glideSeconds, 6.0, 0.1);
}

// After a crash the outside camera circles the site 150 units out and 45 degrees up, from a yaw of
// -90 degrees turning 20 degrees a second.
TEST_F(FrameLoops, AfterACrashTheCameraCirclesTheSite) {
  int frame = 0;
  float startYaw = 0.0f;
  Fly("Apollo 11", "Short Flight P66", [&] {
    ++frame;
    if (frame == 1) {
      SelectView(SpotView2);
      CrashLM();
      startYaw = CrashCameraYaw;
      return true;
    }
    // The crash's landing block yields once before the camera is placed.
    if (CrashCameraYaw == startYaw) return frame < 10;
    const float placedAt = CrashCameraYaw + 20.0f * FrameTimeSec;
    EXPECT_NEAR(placedAt, startYaw, 1e-4f) << "the first frame after the crash";
    ExpectNear(ViewCameras[1]->GetPosition(), OrbitPoint(150.0f, placedAt, -0.785398163f),
               "over the crash site", 0.01f);
    return false;
  });
  EXPECT_FLOAT_EQ(startYaw, -90.0f);
  EXPECT_LT(frame, 10);
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
  DrawThrough(recorder);
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

// The step of one frame in mission time: with movie capture, with the menu shown in orbit (where
// time stands still, but not on the surface), and paced at 60 frames a second.
struct StepCase {
  const char* name;
  const char* mission;
  const char* flight;
  float captureRate;  // frames a second, 0 without capture
  bool menu;
  double stepMs;
};

class TimeStep : public FrameLoops, public ::testing::WithParamInterface<StepCase> {};

TEST_P(TimeStep, EachFrameTakesItsStep) {
  const StepCase step = GetParam();
  int pump = 0;
  std::vector<double> steps;
  // A screenshot's own pumps come within its frame: each pump sees the step of its frame.
  Fly(step.mission, step.flight, [&] {
    if (++pump == 1) {
      MovieCapture = step.captureRate > 0.0f;
      CaptureFrameRate = step.captureRate;
      MenuShown = step.menu;
    } else if (pump > 2) {
      steps.push_back(FrameTimeMs);
    }
    return pump < 10;
  });
  ASSERT_FALSE(steps.empty());
  for (const double ms : steps) EXPECT_NEAR(ms, step.stepMs, 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    FrameLoops, TimeStep,
    ::testing::Values(
        StepCase{"Paced", "Apollo 11", "Short Flight P66", 0.0f, false, 1000.0 / 60.0},
        StepCase{"MovieCapture", "Apollo 11", "Short Flight P66", 25.0f, false, 40.0},
        StepCase{"MenuOnTheSurface", "Apollo 11", "Short Flight P66", 0.0f, true, 1000.0 / 60.0},
        StepCase{"MenuInOrbit", "Orbital", "Rendezvous", 0.0f, true, 0.0},
        StepCase{"MovieCaptureWithTheMenuInOrbit", "Orbital", "Rendezvous", 25.0f, true, 40.0}),
    [](const ::testing::TestParamInfo<StepCase>& param) { return std::string(param.param.name); });

// Counts the frames presented.
class PresentCounter : public RecordingBackend {
 public:
  int presents = 0;
  void Present() override { ++presents; }
};

// After touchdown the landing block runs once in a call of the loop, and again in the next call
// after the window was minimised and restored; nothing is presented while it is minimised. A lost
// focus lets go of the keys once, and only a regained focus lets the next loss do so again.
TEST_F(FrameLoops, TheLandingBlockRunsOncePerLoopCallAndMinimisedFramesAreNotPresented) {
  PresentCounter* counter = nullptr;
  DrawThrough(counter);
  constexpr int32_t Key = engine::scan::kCount - 1;  // no command's key
  const auto keyHeld = [] { return Engine->Input().IsDown(Key); };
  const auto lastFlight = [] {
    return std::filesystem::exists(win::ResolvePath(ReplayPath(LastFlightReplay)));
  };
  int stage = 0;
  int frames = 0;
  int landedFrames = 0;
  int presentsMinimised = 0;
  bool savedAgainInOneCall = true;
  bool keyReleasedOnLoss = false;
  bool keyKeptWhileLost = false;
  bool keyKeptOnRegain = false;
  bool keyReleasedOnSecondLoss = false;
  bool scoredOnce = false;
  bool savedAfterRestore = false;
  flight_program::StartProgram();
  Choose("Apollo 11", "Short Flight P66");
  ContinueAndWatch([&] {
    ++frames;
    switch (stage) {
      case 0:  // flying to touchdown
        if (frames > 30000) return false;
        landedFrames = RunFlag && Landed && EngineOff ? landedFrames + 1 : 0;
        if (landedFrames < 5) return true;
        EXPECT_TRUE(lastFlight()) << "the landing block saves the flight";
        std::filesystem::remove(win::ResolvePath(ReplayPath(LastFlightReplay)));
        stage = 1, frames = 0;
        return true;
      case 1:  // landed, in the same call of the loop
        savedAgainInOneCall = savedAgainInOneCall && !lastFlight();
        if (frames < 30) return true;
        Engine->Input().KeyEvent(Key, true);
        Main_Display->Hide();
        stage = 2, frames = 0;
        return true;
      case 2:
        keyReleasedOnLoss = !keyHeld();
        Engine->Input().KeyEvent(Key, true);
        stage = 3, frames = 0;
        return true;
      case 3:
        if (frames < 10) return true;
        keyKeptWhileLost = keyHeld();
        Main_Display->Show();
        stage = 4, frames = 0;
        return true;
      case 4:
        if (frames < 5) return true;
        keyKeptOnRegain = keyHeld();
        Main_Display->Hide();
        stage = 5, frames = 0;
        return true;
      case 5:
        keyReleasedOnSecondLoss = !keyHeld();
        Engine->Input().KeyEvent(Key, false);
        Main_Display->Show();
        stage = 6, frames = 0;
        return true;
      case 6:
        if (frames < 5) return true;
        scoredOnce = ScoreShown;
        Main_Display->UserSetWindowState(forms::WindowState::Minimized);
        presentsMinimised = counter->presents;
        stage = 7, frames = 0;
        return true;
      case 7:  // minimised: the program idles
        EXPECT_FALSE(RunFlag);
        if (frames < 100) return true;
        presentsMinimised = counter->presents - presentsMinimised;
        Main_Display->UserSetWindowState(forms::WindowState::Normal);
        stage = 8, frames = 0;
        return true;
      case 8:  // restored: a new call of the loop
        if (!RunFlag || frames < 10) return true;
        savedAfterRestore = lastFlight();
        EXPECT_EQ(ScoreShown, scoredOnce) << "the landing is not scored twice";
        RequestExit(1);
        stage = 9;
        return true;
      default:
        if (!DriverDialog->Visible()) return true;
        ClickLater(DriverDialog->Command_Quit);
        return false;
    }
  });
  EXPECT_EQ(stage, 9);
  EXPECT_TRUE(savedAgainInOneCall) << "the landing block runs once in a call of the loop";
  EXPECT_TRUE(keyReleasedOnLoss);
  EXPECT_TRUE(keyKeptWhileLost) << "the devices are let go once, not every frame";
  EXPECT_TRUE(keyKeptOnRegain);
  EXPECT_TRUE(keyReleasedOnSecondLoss) << "the regained focus was taken";
  EXPECT_EQ(presentsMinimised, 0);
  EXPECT_TRUE(savedAfterRestore) << "the next call of the loop runs the landing block again";
}

// A copy of the Orbital flight under that name, with the changes of its keys (every line of the
// key, in each section that has it) and the guidance computer in P20.
void CopyOrbitalFlight(const TempFolder& folder, const std::string& name,
                       const std::vector<std::pair<std::string, std::string>>& changes) {
  std::string text = folder.ReadFile("Missions/Orbital/Rendezvous.sit");
  const auto set = [&text](const std::string& key, const std::string& value) {
    size_t at = text.find("\n" + key + "=");
    ASSERT_NE(at, std::string::npos) << key;
    for (; at != std::string::npos; at = text.find("\n" + key + "=", at + 1)) {
      size_t end = text.find('\n', at + 1);
      if (text[end - 1] == '\r') --end;
      text.replace(at + 1, end - at - 1, key + "=" + value);
    }
  };
  set("Scenario Name", name);
  set("Program Mode", "P20");
  set("Docked", "0");
  for (const auto& [key, value] : changes) set(key, value);
  folder.WriteFile("Missions/Orbital/" + name + ".sit", text);
}

// A flight that starts pitched over flies its first frame pitched over by that much, no more.
TEST_F(FrameLoops, TheStartAttitudeIsTakenOnce) {
  CopyOrbitalFlight(folder_, "Pitched", {{"RotationY", "45"}});
  d3dx::D3DXVECTOR3 up;
  float pitch = 0.0f;
  Fly("Orbital", "Pitched", [&] {
    up = OnThePivot({0.0f, 1.0f, 0.0f}) - OnThePivot({});
    pitch = PitchAxis.Angle;
    return false;
  });
  const float half = std::sqrt(0.5f);
  ExpectNear(up, {-half, half, 0.0f}, "the LM's up axis");
  EXPECT_NEAR(pitch, 45.0 * RadiansPerDegree, 1e-3);
}

// The command module's axis along x and its drogue facing the LM, which starts at the world's
// origin, 40 world units beside the command module, and drifts toward it at 0.2 world units a
// second (at 1.45 ft a world unit).
void WriteDriftFlight(const TempFolder& folder) {
  ASSERT_NE(folder.ReadFile("Missions/Orbital/Rendezvous.sit").find("FtPerWorldUnit=1.45"),
            std::string::npos);
  CopyOrbitalFlight(folder, "Drift In",
                    {{"StartX", "0"},
                     {"StartY", "0"},
                     {"StartZ", "0"},
                     {"CM Pitch", "0"},
                     {"CM Roll", "0"},
                     {"CM Yaw", "-180"},
                     {"VelocityX", std::to_string(-0.2 * 1.45)},
                     {"VelocityY", "0"},
                     {"VelocityZ", "0"}});
}

// The LM's pitch as it drifts in (90 degrees points its probe along the command module's axis),
// the texts the docking shows and whether it docks.
struct Drift {
  const char* name;
  float pitchDegrees;
  std::vector<int32_t> said;  // the docking's texts on channel 1, in order
  bool docks;
};

class DockingThroughTheLoop : public FrameLoops, public ::testing::WithParamInterface<Drift> {};

TEST_P(DockingThroughTheLoop, TheDriftingLMDocksWhenAligned) {
  const Drift& drift = GetParam();
  WriteDriftFlight(folder_);
  std::vector<std::string> said;
  int frames = 0;
  Fly("Orbital", "Drift In", [&] {
    // The LM pitched over, its probe pointing along its travel at the drogue.
    if (frames == 0) {
      CameraPivot->SetRotation(0, 0, 0);
      TurnPivot({0.0f, drift.pitchDegrees * static_cast<float>(RadiansPerDegree), 0.0f});
    }
    const std::string& text = MessageText[0].Text;
    for (const int32_t id : {195, 196, 197, 198, 199, 200})
      if (text == UiText[static_cast<size_t>(id)] && (said.empty() || said.back() != text))
        said.push_back(text);
    return !Docked && ++frames < 60 * 150;
  });
  std::vector<std::string> expected;
  for (const int32_t id : drift.said) expected.push_back(UiText[static_cast<size_t>(id)]);
  ASSERT_FALSE(said.empty()) << "the probe reaches the drogue";
  if (drift.docks) {
    EXPECT_EQ(said, expected);
  } else {
    EXPECT_EQ(said.front(), expected.front());
  }
  EXPECT_EQ(Docked, drift.docks);
  if (!drift.docks) return;
  EXPECT_TRUE(ProbeCaptured);
  // The horizontal velocity's resolution leaves 1e-5 ft/s in a component that is 0.
  EXPECT_LT(std::hypot(LMVelocity.x, LMVelocity.y, LMVelocity.z), 1e-4);
}

INSTANTIATE_TEST_SUITE_P(FrameLoops, DockingThroughTheLoop,
                         ::testing::Values(Drift{"Aligned", 90.0f, {195, 198, 199}, true},
                                           Drift{"FiveDegreesOff", 85.0f, {197}, false}),
                         [](const ::testing::TestParamInfo<Drift>& param) {
                           return std::string(param.param.name);
                         });

// A flight that starts docked shows the LM held in the drogue: the probe on the drogue, and the
// LM's up axis along the command module's docking axis, into it.
TEST_F(FrameLoops, ADockedStartHoldsTheLMInTheDrogue) {
  int frames = 0;
  Fly("Orbital", "Docked Start", [&] {
    EXPECT_TRUE(Docked);
    EXPECT_LT(engine::EngineMathLibrary::Distance3D({ProbePoint.x, ProbePoint.y, ProbePoint.z},
                                                    {DroguePoint.x, DroguePoint.y, DroguePoint.z}),
              0.01f);
    const d3dx::D3DXVECTOR3 up = OnThePivot({0, 1, 0}) - OnThePivot({});
    const d3dx::D3DXVECTOR3 nose =
        CommandModuleMesh->TransformVector({0, 0, -1}) - CommandModuleMesh->TransformVector({});
    EXPECT_LT(d3dx::D3DXVec3Dot(&up, &nose),
              -std::cos(3.0f * static_cast<float>(RadiansPerDegree)));
    return ++frames < 3;
  });
  EXPECT_EQ(frames, 3);
}

// The LM's shadow grid is drawn while it is laid on the terrain, below 400 ft, and not higher up.
struct ShadowGridCase {
  const char* name;
  float feet;
  bool drawn;
};

class ShadowGrid : public FrameLoops, public ::testing::WithParamInterface<ShadowGridCase> {};

TEST_P(ShadowGrid, IsDrawnOnlyWhereItIsLaid) {
  const ShadowGridCase height = GetParam();
  SavedVariables saved(ShadowFlags);
  RecordingBackend* recorder = nullptr;
  DrawThrough(recorder);
  int frame = 0;
  size_t drawsBefore = 0;
  bool drawn = false;
  Fly("Apollo 11", "Short Flight P66", [&] {
    if (!FrameDone()) return true;
    if (++frame > 2) {
      for (size_t k = drawsBefore; k < recorder->meshes.size(); ++k)
        drawn = drawn || recorder->meshes[k].mesh == ShadowGridMesh.get();
    }
    // From the cabin, whose camera needs no lifting over the terrain.
    if (frame == 1) SelectView(CockpitView1);
    ShadowFlags = {false, true, false};
    LMPosition.y += (height.feet - AltitudeAboveGround) / WorldScale;
    LMVelocity = {};
    drawsBefore = recorder->meshes.size();
    return frame < 5;
  });
  EXPECT_EQ(drawn, height.drawn);
}

INSTANTIATE_TEST_SUITE_P(FrameLoops, ShadowGrid,
                         ::testing::Values(ShadowGridCase{"Low", 150.0f, true},
                                           ShadowGridCase{"High", 1500.0f, false}),
                         [](const ::testing::TestParamInfo<ShadowGridCase>& param) {
                           return std::string(param.param.name);
                         });

// The developer's placement tools run each frame while their modes are on: with Up held the
// landscape tool moves its tile and the Surveyor tool its model, one increment a frame.
TEST_F(FrameLoops, TheDeveloperToolsTakeTheirKeysEachFrame) {
  SavedVariables saved(LandMoveMode, SurveyorMoveMode, CurrentLand, LandFunction, MoveIncrement,
                       SurveyorFunction, SurveyorIncrement);
  int frame = 0;
  std::vector<float> tileX;
  std::vector<float> surveyorX;
  Fly("Apollo 11", "Short Flight P66", [&] {
    if (!FrameDone()) return true;
    if (++frame == 1) {
      LandMoveMode = SurveyorMoveMode = true;
      CurrentLand = 0;
      LandFunction = 3;  // move along x with Up and Down
      MoveIncrement[0] = 2.0f;
      SurveyorFunction = 3;  // "Move X"
      SurveyorIncrement = 0.5f;
      Engine->Input().KeyEvent(engine::scan::kUp, true);
    }
    tileX.push_back(LandTilePosition[0].x);
    surveyorX.push_back(SurveyorPosition.x);
    EXPECT_EQ(ValueLineCount, 0) << "the tools' lines are drawn and emptied each frame";
    if (frame < 4) return true;
    Engine->Input().KeyEvent(engine::scan::kUp, false);
    return false;
  });
  ASSERT_EQ(tileX.size(), 4u);
  for (size_t k = 1; k < tileX.size(); ++k) {
    EXPECT_FLOAT_EQ(tileX[k] - tileX[k - 1], -2.0f);
    EXPECT_FLOAT_EQ(surveyorX[k] - surveyorX[k - 1], 0.5f);
  }
}

// A flight started with the "Test-11" box ticked says no altitude callout: one due at the LM's
// altitude stays unsaid until the mute goes.
TEST_F(FrameLoops, MutedCalloutsStaySilent) {
  SavedVariables saved(SoundOn, Test11Mode, AltitudeCalls);
  int frame = 0;
  bool saidWhileMuted = false;
  bool saidOnceHeard = false;
  Fly("Apollo 11", "Short Flight P66", [&] {
    if (!FrameDone()) return true;
    ++frame;
    if (frame > 1) {
      const bool said = AltitudeCalls.front().Played;
      if (Test11Mode) saidWhileMuted = saidWhileMuted || said;
      if (!Test11Mode) saidOnceHeard = said;
    }
    if (saidOnceHeard) return false;
    SoundOn = true;
    Test11Mode = frame < 5;
    AltitudeCallEntry call;
    call.Altitude = static_cast<int32_t>(std::lround(AltitudeAboveGround));
    call.Once = true;
    AltitudeCalls = {call};
    return frame < 10;
  });
  EXPECT_FALSE(saidWhileMuted);
  EXPECT_TRUE(saidOnceHeard);
}

// With sound off the frame loop still checks the altitude calls: one due is taken, silently, and
// its pause holds the next call back, as the guidance computer's alarms need.
TEST_F(FrameLoops, WithSoundOffTheAltitudeCallsAreTakenSilently) {
  SavedVariables saved(SoundOn, AltitudeCalls);
  bool taken = false;
  int frame = 0;
  Fly("Apollo 11", "Short Flight P66", [&] {
    if (!FrameDone()) return true;
    if (++frame == 1) {
      SoundOn = false;
      AltitudeCallEntry call;
      call.Altitude = static_cast<int32_t>(std::lround(AltitudeAboveGround));
      call.Interval = 3000;
      call.Once = true;
      AltitudeCalls = {call};
      return true;
    }
    taken = AltitudeCalls.front().Played && Main_Display->TimerTalk(9).Enabled();
    return !taken && frame < 10;
  });
  EXPECT_TRUE(taken);
}

// The Earth is drawn on the sky around the camera, at the point the star field carries for it.
TEST_F(FrameLoops, TheEarthStandsOnTheSky) {
  int frame = 0;
  Fly("Apollo 11", "Short Flight P66", [&] {
    if (!FrameDone() || ++frame < 3) return true;
    const d3dx::D3DXVECTOR3 sky = EarthPoint->TransformVector({});
    ExpectNear(EarthMesh->GetPosition(), sky, "the Earth", 1.0f);
    EXPECT_GT(std::hypot(sky.x, sky.y, sky.z), 1000.0f) << "far out, not at the LM";
    return false;
  });
}

// A planted flag is drawn where it stands against the LM, its shadow only with the stage shadows
// on; a new flight starts with no flag planted.
TEST_F(FrameLoops, APlantedFlagStandsWhereItWasPlanted) {
  SavedVariables saved(FlagPlanted, FlagPosition);
  FlagPlanted = true;
  int frame = 0;
  Fly("Apollo 11", "Short Flight P66", [&] {
    if (!FrameDone()) return true;
    if (++frame == 1) {
      EXPECT_FALSE(FlagPlanted) << "no flag from an earlier flight";
      FlagPlanted = true;
      FlagPosition = {LMMeshPosition.x + 3.0f, LMMeshPosition.y - 5.0f, LMMeshPosition.z + 4.0f};
      FlagDarkMesh->SetPosition(-1.0f, -1.0f, -1.0f);
      return true;
    }
    const d3dx::D3DXVECTOR3 at{FlagPosition.x - LMMeshPosition.x, FlagPosition.y - LMMeshPosition.y,
                               FlagPosition.z - LMMeshPosition.z};
    ExpectNear(FlagMesh->GetPosition(), at, "the flag");
    ExpectNear(FlagDarkMesh->GetPosition(), ShadowFlags[0] ? at : d3dx::D3DXVECTOR3{-1, -1, -1},
               "the flag's shadow");
    return false;
  });
  EXPECT_EQ(frame, 2);
}

// While the path is recorded node by node, each frame brings the orbiting camera closer to the LM
// by the share of 400 nodes recorded.
TEST_F(FrameLoops, RecordingThePathClosesTheCameraIn) {
  SavedVariables saved(NodeMakeMode, PathNodeCount);
  int frame = 0;
  float before = 0.0f;
  float after = 0.0f;
  Fly("Apollo 11", "Short Flight P66", [&] {
    if (!FrameDone()) return true;
    if (++frame == 1) {
      NodeMakeMode = true;
      PathNodeCount = 40;
      Main_Display->TimerAutoNode.SetEnabled(true);
      before = CameraOrbitDistance;
      return true;
    }
    after = CameraOrbitDistance;
    Main_Display->TimerAutoNode.SetEnabled(false);
    NodeMakeMode = false;
    return false;
  });
  EXPECT_GT(before, 0.0f);
  EXPECT_FLOAT_EQ(after, before * 0.9f);
}

// In orbit the jet plumes are drawn with the stages, so that the jets the pilot fires are seen.
TEST_F(FrameLoops, TheOrbitalLoopDrawsTheJetPlumes) {
  RecordingBackend* recorder = nullptr;
  DrawThrough(recorder);
  int frame = 0;
  bool plumes = false;
  Fly("Orbital", "Rendezvous", [&] {
    if (!FrameDone()) return true;
    for (const auto& draw : recorder->meshes)
      plumes = plumes || (draw.mesh == RCSPlumeGroup.get() && draw.target == nullptr);
    return ++frame < 3;
  });
  EXPECT_TRUE(plumes);
}

// In orbit an automatic manoeuvre ends when its attitude is reached and the rates are small,
// and goes on while the LM is turned more than a degree away.
struct ManeuverCase {
  const char* name;
  float offDegrees;
  bool ends;
};

class OrbitalManeuver : public FrameLoops, public ::testing::WithParamInterface<ManeuverCase> {};

TEST_P(OrbitalManeuver, EndsAtItsAttitude) {
  const ManeuverCase maneuver = GetParam();
  int frame = 0;
  bool active = true;
  Fly("Orbital", "Rendezvous", [&] {
    if (++frame == 1) {
      for (AttitudeAxis* axis : {&RollAxis, &PitchAxis, &YawAxis}) {
        axis->Rate = 0.0f;
        axis->TargetAngle = axis->Angle;
      }
      PitchAxis.TargetAngle += maneuver.offDegrees * static_cast<float>(RadiansPerDegree);
      ManeuverActive = true;
      AutoAttitudeHold = false;
      return true;
    }
    active = ManeuverActive;
    return false;
  });
  EXPECT_EQ(active, !maneuver.ends);
  EXPECT_EQ(AutoAttitudeHold, maneuver.ends);
}

INSTANTIATE_TEST_SUITE_P(FrameLoops, OrbitalManeuver,
                         ::testing::Values(ManeuverCase{"Reached", 0.0f, true},
                                           ManeuverCase{"TenDegreesOff", 10.0f, false}),
                         [](const ::testing::TestParamInfo<ManeuverCase>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
