// The program flown headlessly through its entry: the launcher's choice, the scene build in its
// loading steps, the Short Flight P66 to touchdown, the way back to the launcher and the restarts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <vector>

#include "flight_program.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/flight_maths.h"
#include "program/flight/main_display.h"
#include "program/input/input_state.h"
#include "program/missions/launcher.h"
#include "program/scene/scene_state.h"
#include "tests/program/scene/scene_fixture.h"

namespace {

using flight_program::ProgramTest;
using flight_program::RequestExit;
using flight_program::StartProgram;

class FlightRun : public ProgramTest {
 public:
  using ProgramTest::Choose;
  using ProgramTest::ClickLater;
  using ProgramTest::FlyFromTheLauncher;
  using ProgramTest::RunWatching;
  const TempFolder& Folder() const { return folder_; }
};

// What the watcher saw of a flight.
struct Flight {
  int frames = 0;
  int framesLanded = 0;
  bool flybyEnded = false;
  bool landed = false;
  bool crashed = false;
  bool contactLight = false;
  float startFuel = -1.0f;
  float fuel = -1.0f;
  int tilesMisplaced = 0;
  float altitude = 0.0f;
  float lowest = 1e9f;
  double missionTime = 0.0;
  int32_t lowGate = 0;
  int32_t contact = 0;
};

void FlyShortFlightP66ToTouchdown(FlightRun& test) {
  StartProgram();
  FlightRun::Choose("Apollo 11", "Short Flight P66");
  Flight flight;
  test.FlyFromTheLauncher([&] {
    if (!LandTiles[0]) return true;
    ++flight.frames;
    if (flight.startFuel < 0.0f) flight.startFuel = Fuel;
    // The tiles stand where the world has them, seen from the LM at the render origin.
    const d3dx::D3DXVECTOR3 tile = LandTiles[0]->GetPosition();
    if (std::fabs(tile.x - (LandTilePosition[0].x - LMMeshPosition.x)) > 1.0f ||
        std::fabs(tile.z - (LandTilePosition[0].z - LMMeshPosition.z)) > 1.0f)
      ++flight.tilesMisplaced;
    flight.flybyEnded = flight.flybyEnded || !IntroFlyby;
    flight.lowest = std::min(flight.lowest, AltitudeAboveGround);
    if (Landed) ++flight.framesLanded;
    if (flight.framesLanded < 60 && flight.frames <= 20000) return true;
    flight.landed = Landed;
    flight.crashed = Crashed;
    flight.contactLight = ContactLightOn;
    flight.fuel = Fuel;
    flight.altitude = AltitudeAboveGround;
    flight.missionTime = MissionTime;
    flight.lowGate = LowGateIndex;
    flight.contact = ContactRecord;
    return false;
  });
  EXPECT_TRUE(forms::ProgramHasEnded());
  EXPECT_NE(test.Folder().ReadFile("Marovin.ini").find("[Window]"), std::string::npos)
      << "the settings are saved with the window";
  EXPECT_TRUE(flight.flybyEnded);
  EXPECT_GT(flight.frames, 1000) << "the descent takes thousands of frames";
  EXPECT_TRUE(flight.landed);
  EXPECT_FALSE(flight.crashed);
  EXPECT_TRUE(flight.contactLight);
  EXPECT_LT(flight.fuel, flight.startFuel);
  EXPECT_LE(flight.tilesMisplaced, 1) << "a tile lags the LM by at most the first frame";
  EXPECT_NEAR(flight.altitude, 0.0f, 3.0f);
  EXPECT_GT(flight.missionTime, 10000.0);
  // The flight starts 400 ft up: the low gate at 100 ft comes well before the contact light.
  EXPECT_GT(flight.lowGate, 0);
  EXPECT_LT(flight.lowGate, flight.contact);
}

TEST_F(FlightRun, ShortFlightP66FliesToTouchdownAndReturnsToTheLauncher) {
  FlyShortFlightP66ToTouchdown(*this);
}

// The same on the default program folder that the build makes, once it holds the scene's files.
TEST_F(FlightRun, ShortFlightP66FliesToTouchdownOnTheDefaultProgramFolder) {
  if (!std::filesystem::is_directory(std::filesystem::path(MAROVIN_PROGRAM_FOLDER) / "Models"))
    GTEST_SKIP() << "the default program folder has no models yet";
  UseProgramFolder(MAROVIN_PROGRAM_FOLDER);
  FlyShortFlightP66ToTouchdown(*this);
}

// The approach as a user flies it: Start Flying during the fly-by, then the guidance computer
// alone. It flies the track to the spot upright, hands over to P66 at the low gate and lands.
TEST_F(FlightRun, ApproachP64FliesUprightToTheLowGateAndLandsNearTheSpot) {
  if (!std::filesystem::is_directory(std::filesystem::path(MAROVIN_PROGRAM_FOLDER) / "Models"))
    GTEST_SKIP() << "the default program folder has no models yet";
  UseProgramFolder(MAROVIN_PROGRAM_FOLDER);
  StartProgram();
  Choose("Apollo 11", "Approach P64");
  bool startedFlying = false;
  int frames = 0;
  float steepestRoll = 0.0f;  // in P64
  bool p66AboveGround = false;
  float missedBy = 1e9f;  // ft
  bool landed = false;
  bool crashed = false;
  FlyFromTheLauncher([&] {
    if (!startedFlying) {
      EXPECT_TRUE(IntroFlyby);
      startedFlying = true;
      RequestExit(3);
      return true;
    }
    if (CurrentProgram == P64) steepestRoll = std::max(steepestRoll, std::fabs(RollAxis.Angle));
    p66AboveGround = p66AboveGround || (CurrentProgram == P66 && AltitudeAboveGround > 100);
    if (++frames < 20000 && !Landed && !Crashed) return true;
    landed = Landed;
    crashed = Crashed;
    missedBy = std::hypot(LMMeshPosition.x - LandingSpot.EastWest,
                          LMMeshPosition.z - LandingSpot.NorthSouth) *
               WorldScale;
    return false;
  });
  EXPECT_LT(steepestRoll, 5 * RadiansPerDegree);
  EXPECT_TRUE(p66AboveGround) << "P66 takes over at the low gate";
  EXPECT_TRUE(landed);
  EXPECT_FALSE(crashed);
  EXPECT_LT(missedBy, 500.0f);
}

// Flight after flight from the launcher: the same flight again, the Orbital mission and back, each
// building and destroying its mission's objects, so that the counts of meshes and textures hold.
TEST_F(FlightRun, RestartsKeepTheSceneSteadyAndExitThreeFliesAgainFromTheOutermostLoop) {
  StartProgram();
  Choose("Apollo 11", "Short Flight P66");
  struct Leg {
    const char* mission;
    const char* flight;
  };
  const std::vector<Leg> legs = {{"Apollo 11", "Short Flight P66"},
                                 {"Orbital", "Rendezvous"},
                                 {"Apollo 11", "Short Flight P66"},
                                 {"Orbital", "Rendezvous"},
                                 {"Apollo 11", "Short Flight P66"}};
  size_t leg = 0;
  int frames = 0;
  bool flying = false;
  bool clickReturned = false;
  bool restartedOutside = false;
  int restarts = 0;
  std::vector<size_t> meshes;
  std::vector<size_t> textures;
  std::vector<int> missions;
  std::vector<bool> test11;
  RunWatching([&] {
    if (!flying) {
      if (!DriverDialog->Visible() && leg > 0) return true;
      if (leg > 0) {
        EXPECT_FALSE(Main_Display->Visible());
        EXPECT_FALSE(Main_Display->TimerAverage.Enabled());
        meshes.push_back(Scene->MeshCount());
        textures.push_back(Engine->Textures().Size());
      }
      if (leg == legs.size()) {
        ClickLater(DriverDialog->Command_Quit);
        return false;
      }
      Choose(legs[leg].mission, legs[leg].flight);
      // The callouts are muted for the first flight alone: a later flight takes the box as it is.
      DriverDialog->Check1.SetValue(leg == 0 ? forms::Control::kChecked
                                             : forms::Control::kUnchecked);
      clickReturned = false;
      forms::script::PostUserAction([&] {
        DriverDialog->Command_Continue.UserClick();
        clickReturned = true;
      });
      flying = true;
      frames = 0;
      return true;
    }
    if (!RunFlag || !ControlsActive) return true;
    if (++frames == 1) {
      missions.push_back(MissionType);
      test11.push_back(Test11Mode);
    }
    if (frames == 100 && leg == 0 && restarts == 0) {
      // The restart of the first flight waits until the launcher's click has returned.
      ++restarts;
      RequestExit(3);
      frames = 0;
      return true;
    }
    if (frames == 2 && restarts == 1 && leg == 0) restartedOutside = clickReturned;
    if (frames == 200) {
      RequestExit(1);
      flying = false;
      ++leg;
    }
    return true;
  });
  EXPECT_TRUE(restartedOutside) << "exit request 3 must not nest the next flight in the last";
  EXPECT_EQ(missions, (std::vector<int>{11, 11, 99, 11, 99, 11}));
  EXPECT_EQ(test11, (std::vector<bool>{true, true, false, false, false, false}));
  ASSERT_EQ(meshes.size(), legs.size());
  // The command module and the orbital Moon stay once built; every other mission object goes with
  // its mission and comes back with it.
  EXPECT_GT(meshes[2], meshes[0]);
  EXPECT_EQ(meshes[4], meshes[2]);
  EXPECT_EQ(meshes[3], meshes[1]);
  EXPECT_EQ(textures[4], textures[2]);
  EXPECT_EQ(textures[3], textures[1]);
}

// Ctrl+C in the terminal or a desktop's logout during a flight: the flight's settings are saved
// and the program ends as closing the flight's window ends it.
TEST_F(FlightRun, ATerminationSignalInFlightSavesTheSettingsAndEnds) {
  const SavedVariables volume(MusicVolume);
  forms::EndOnTerminationSignals(EndAsQuit);
  StartProgram();
  Choose("Apollo 11", "Short Flight P66");
  int frames = 0;
  ContinueAndWatch([&] {
    if (!RunFlag || !ControlsActive) return true;
    if (++frames == 30) {
      MusicVolume = 37;  // as the in-flight menu's slider sets it
      std::raise(SIGTERM);
    }
    if (frames == 300) forms::End();  // the signal was not answered
    return true;
  });
  forms::EndOnTerminationSignals(nullptr);
  for (int signal : {SIGINT, SIGTERM}) std::signal(signal, SIG_DFL);
  EXPECT_LT(frames, 300);
  EXPECT_FALSE(SimulationInitialised);
  const std::string settings = Folder().ReadFile("Marovin.ini");
  EXPECT_NE(settings.find("MusicVolume=37"), std::string::npos);
  // The in-flight menu, shown through the fly-by, left the launcher's other volumes as they were.
  EXPECT_NE(settings.find("MasterVolume=100"), std::string::npos) << settings;
  EXPECT_NE(settings.find("Sound=-1"), std::string::npos);
}

// Start Flying during the opening fly-by: the restart flies at once, with the pilot's controls,
// no menu, rather than opening with the fly-by again.
TEST_F(FlightRun, ARestartAskedForDuringTheFlybyFliesAtOnce) {
  StartProgram();
  Choose("Apollo 11", "Short Flight P66");
  bool restarted = false;
  int frames = 0;
  bool flybyAgain = true;
  bool controls = false;
  bool menu = true;
  FlyFromTheLauncher([&] {
    if (!restarted) {
      // The stand-in folder's fly-by path is empty and ends at its first frame: hold the flight
      // in the fly-by as a recorded path does.
      IntroFlyby = true;
      ControlsActive = false;
      restarted = true;
      RequestExit(3);
      return true;
    }
    if (++frames < 30) return true;
    flybyAgain = IntroFlyby;
    controls = ControlsActive;
    menu = SettingsOverlayShown;
    return false;
  });
  EXPECT_TRUE(restarted);
  EXPECT_FALSE(flybyAgain);
  EXPECT_TRUE(controls);
  EXPECT_FALSE(menu);
}

// A model missing from the program folder ends the program with the box that names it; missing
// sound files leave the flight silent but flying.
TEST_F(FlightRun, AMissingModelIsFatalAndMissingSoundsAreSilent) {
  std::filesystem::remove_all(folder_.Path() / "General Sounds");
  std::filesystem::remove(folder_.Path() / "Models" / "LMAscent.x");
  StartProgram();
  Choose("Apollo 11", "Short Flight P66");
  ContinueAndWatch([] { return true; });
  EXPECT_TRUE(forms::ProgramHasEnded());
  const auto& boxes = forms::script::ShownMessageBoxes();
  ASSERT_FALSE(boxes.empty());
  EXPECT_EQ(boxes.back().title, "Fatal Error");
  EXPECT_NE(boxes.back().prompt.find("LMAscent.x"), std::string::npos) << boxes.back().prompt;
  EXPECT_NE(boxes.back().prompt.find("Sorry, this error is fatal - bye."), std::string::npos);
  for (const auto& box : boxes) EXPECT_NE(box.title, "Sound Error");
}

// One frame of each view row draws its meshes in the row's order, with its near and far planes
// (those of a render detail above 0, the settings' default).
TEST_F(FlightRun, EachViewRowDrawsItsPassesInOrderWithItsPlanes) {
  RecordingBackend* recorder = nullptr;
  EngineBackendMaker = [&recorder] {
    auto backend = std::make_unique<RecordingBackend>();
    recorder = backend.get();
    return std::unique_ptr<engine::DrawBackend>(std::move(backend));
  };
  StartProgram();
  Choose("Apollo 11", "Short Flight P66");
  struct Row {
    bool* flag;
    std::vector<const MeshPtr*> order;
    float nearPlane, farPlane;
  };
  const std::vector<Row> rows = {
      {&CockpitPanelFlag, {&DescentStageMesh, &CameraPivot, &RCSPlumeGroup}, 1.0f, 200000.0f},
      {&InteriorViewFlag,
       {&DescentStageMesh, &RCSPlumeGroup, &VirtualCockpitMesh, &CameraPivot},
       0.1f,
       5000.0f},
      {&EVAViewFlag, {&DescentStageMesh, &VirtualCockpitMesh}, 0.3f, 150000.0f},
      {&SpotViewFlag,
       {&DescentStageMesh, &AscentStageMesh, &CameraPivot, &RCSPlumeGroup},
       -1.0f,
       -1.0f}};
  size_t row = 0;
  size_t drawnFrom = 0;
  int frames = 0;
  std::vector<std::string> failures;
  ContinueAndWatch([&] {
    if (row == rows.size()) {
      if (!DriverDialog->Visible()) return true;
      ClickLater(DriverDialog->Command_Quit);
      return false;
    }
    if (!RunFlag || !ControlsActive || IntroFlyby) return true;
    if (++frames < 2) return true;
    if (frames > 2 && frames % 2 == 1) {
      // The frame just drawn had only this row's flag.
      const Row& drawn = rows[row];
      std::vector<const engine::EngineMesh*> order;
      for (size_t k = drawnFrom; k < recorder->meshes.size(); ++k)
        if (recorder->meshes[k].target == nullptr) order.push_back(recorder->meshes[k].mesh);
      size_t at = 0;
      for (const MeshPtr* mesh : drawn.order) {
        const auto found =
            std::find(order.begin() + static_cast<long>(at), order.end(), mesh->get());
        if (found == order.end())
          failures.push_back("row " + std::to_string(row) + " lacks a pass or has it out of order");
        else
          at = static_cast<size_t>(found - order.begin()) + 1;
      }
      const engine::EngineCamera& camera = *ViewCameras[1];
      if (drawn.nearPlane > 0.0f &&
          (camera.NearPlane() != drawn.nearPlane || camera.FarPlane() != drawn.farPlane))
        failures.push_back("row " + std::to_string(row) + " planes " +
                           std::to_string(camera.NearPlane()) + " " +
                           std::to_string(camera.FarPlane()));
      if (++row == rows.size()) {
        RequestExit(1);
        return true;
      }
    }
    for (const Row& r : rows) *r.flag = false;
    ExteriorViewFlag = false;
    *rows[row].flag = true;
    drawnFrom = recorder->meshes.size();
    return true;
  });
  EXPECT_EQ(row, rows.size());
  EXPECT_TRUE(failures.empty()) << failures.front();
}

}  // namespace
