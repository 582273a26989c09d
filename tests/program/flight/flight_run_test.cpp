// The program flown headlessly through its entry: the launcher's choice, the scene build in its
// loading steps, the Short Flight P66 to touchdown, the way back to the launcher and the restarts.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "flight_program.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/main_display.h"
#include "program/startup/program_entry.h"

namespace {

using namespace std::chrono_literals;
using flight_program::ProgramTest;

class FlightRun : public ProgramTest {};

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
};

// Asks to leave the flight as the exit command does.
void RequestExit(int16_t request) {
  ExitRequest = request;
  RunFlag = false;
  Main_Display->Timer_Test_Exit.SetEnabled(true);
}

void StartProgram() {
  Main();
  Engine->SetFramePacing(std::chrono::nanoseconds(1s) / 60);
}

TEST_F(FlightRun, ShortFlightP66FliesToTouchdownAndReturnsToTheLauncher) {
  StartProgram();
  Choose("Apollo 11", "Short Flight P66");
  Flight flight;
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
      EXPECT_FALSE(Main_Display->Visible());
      EXPECT_FALSE(Main_Display->TimerAverage.Enabled());
      ClickLater(DriverDialog->Command_Quit);
      return false;
    }
    if (!RunFlag || !LandTiles[0]) return true;
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
    if (flight.framesLanded == 60 || flight.frames > 20000) {
      flight.landed = Landed;
      flight.crashed = Crashed;
      flight.contactLight = ContactLightOn;
      flight.fuel = Fuel;
      flight.altitude = AltitudeAboveGround;
      flight.missionTime = MissionTime;
      RequestExit(1);
      exited = true;
    }
    return true;
  });
  EXPECT_TRUE(forms::ProgramHasEnded());
  EXPECT_TRUE(flight.flybyEnded);
  EXPECT_GT(flight.frames, 1000) << "the descent takes thousands of frames";
  EXPECT_TRUE(flight.landed);
  EXPECT_FALSE(flight.crashed);
  EXPECT_TRUE(flight.contactLight);
  EXPECT_LT(flight.fuel, flight.startFuel);
  EXPECT_LE(flight.tilesMisplaced, 1) << "a tile lags the LM by at most the first frame";
  EXPECT_NEAR(flight.altitude, 0.0f, 3.0f);
  EXPECT_GT(flight.missionTime, 10000.0);
}

}  // namespace
