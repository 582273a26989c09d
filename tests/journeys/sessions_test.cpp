// Sessions of more than one flight, the end of the fly-by, landings, crashes and replays, flown
// from the launcher.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/win/rnd.h"
#include "program/cockpit/cockpit_state.h"
#include "tests/journeys/journey.h"

namespace {

using journey::Journey;
using journey::Look;
using namespace std::chrono_literals;

// The same random draws in every flight, so that two flights of one scenario fly alike.
class Session : public Journey {
 protected:
  void SetUp() override {
    win::SetRndSource([] { return 0.5f; });
    Journey::SetUp();
  }
  void TearDown() override {
    Journey::TearDown();
    win::SetRndSource(nullptr);
  }
  // From the launcher to 20 s into the flight, the look taken there, and back to the launcher.
  void FlyFromTheLauncher(const char* mission, const char* flight, Look& look) {
    Choose(mission, flight);
    Continue();
    WatchTheFlyby();
    Start();
    LookAt(20s, look);
    LeaveFlight();
  }
};

// The fly-by ends in the menu with the flight held: nothing flies and nothing burns until Start.
TEST_F(Journey, TheFlybyEndsInTheMenuWithTheFlightHeld) {
  float altitude = 0.0f;
  Choose("Apollo 11", "Short Flight P66");
  Continue();
  WatchTheFlyby();
  Press(engine::scan::kEscape);  // closes the menu
  Do("the altitude", [&] { altitude = AltitudeAboveGround; });
  Wait(10s);
  Do("the flight", [&] {
    EXPECT_FALSE(SettingsOverlayShown);
    EXPECT_FLOAT_EQ(AltitudeAboveGround, altitude) << "the LM is held";
    EXPECT_TRUE(journey::Plays(journey::EngineNoiseFile).empty());
  });
  StartFlying();
  Fly(5s);
  Do("the flight", [&] {
    EXPECT_LT(AltitudeAboveGround, altitude) << "Start Flying lets it fly";
    EXPECT_FALSE(journey::Plays(journey::EngineNoiseFile).empty());
  });
  LeaveFlight();
  Quit();
  Run();
}

// Two looks of one flight are alike: the same DSKY display, lamps and view, the same kinds of
// sound heard, the LM within a few feet and pounds. A jet firing under way when a flight ends is
// taken up by the next flight's first firing, so two flights of a scenario differ a little.
void ExpectAlike(const Look& later, const Look& first) {
  EXPECT_EQ(later.dsky.substr(0, 8), first.dsky.substr(0, 8)) << "program, verb and noun";
  EXPECT_EQ(later.lamps, first.lamps);
  EXPECT_EQ(later.view, first.view);
  for (size_t axis = 0; axis < 3; ++axis)
    EXPECT_LE(std::labs(later.feet[axis] - first.feet[axis]), 3) << "axis " << axis;
  EXPECT_LE(std::labs(later.fuel - first.fuel), 3);
  const auto kinds = [](std::vector<std::string> heard) {
    std::sort(heard.begin(), heard.end());
    heard.erase(std::unique(heard.begin(), heard.end()), heard.end());
    return heard;
  };
  EXPECT_EQ(kinds(later.heard), kinds(first.heard));
}

// Surface, Orbital, surface, Orbital in one run, with a restart: each later flight is what the
// same flight was the first time, in what the user sees and hears and in what the scene holds.
TEST_F(Session, LaterFlightsAreTheirFirstFlightAgain) {
  Look surface, orbital, surfaceAgain, restarted, orbitalAgain;
  FlyFromTheLauncher("Apollo 11", "Short Flight P66", surface);
  FlyFromTheLauncher("Orbital", "Docked Start", orbital);
  Choose("Apollo 11", "Short Flight P66");
  Continue();
  WatchTheFlyby();
  Start();
  LookAt(20s, surfaceAgain);
  StartFlying();
  LookAt(20s, restarted);
  LeaveFlight();
  FlyFromTheLauncher("Orbital", "Docked Start", orbitalAgain);
  Quit();
  Run();
  EXPECT_FALSE(surface.heard.empty());
  ExpectAlike(surfaceAgain, surface);
  ExpectAlike(restarted, surface);
  ExpectAlike(orbitalAgain, orbital);
  // The command module and the orbital Moon stay built once made; every other object of a
  // mission goes with it and comes back with it.
  EXPECT_GT(surfaceAgain.meshes, surface.meshes);
  for (const auto& [later, first] :
       {std::pair{&restarted, &surfaceAgain}, {&orbitalAgain, &orbital}}) {
    EXPECT_EQ(later->meshes, first->meshes);
    EXPECT_EQ(later->textures, first->textures);
  }
}

// A restart in the middle of a flight begins a flight: no lamp the last one lit, no DSKY key it
// left pending, none of its thrust.
TEST_F(Journey, ARestartLeavesTheLastFlightBehind) {
  float firstThrust = 0.0f, restartThrust = 0.0f;  // the most in the first half second
  const auto thrustAtTheStart = [](float& most) {
    return [&most] {
      if (MissionTime < 500.0) most = std::max(most, ThrustAverage);
      return MissionTime >= 500.0;
    };
  };
  Choose("Apollo 11", "Short Flight P66");
  Continue();
  WatchTheFlyby();
  Start();
  WaitFor("the first half second", thrustAtTheStart(firstThrust), 5s);
  Press(engine::scan::kEnd);  // PGNS attitude hold
  HoldUntil(
      engine::scan::kRight, "a roll into gimbal lock", [] { return LampNoAtt; }, 30s);
  Press(engine::scan::kL);  // KEY REL with nothing keyed
  StartFlying();
  Do("the restarted flight", [] {
    EXPECT_FALSE(LampNoAtt) << "the NO ATT lamp of the last flight";
    EXPECT_FALSE(KeyReleaseRequest) << "the last flight's KEY REL";
  });
  Fly(15s);
  Do("the engine", [] { EXPECT_GT(ThrustAverage, 0.2f); });
  StartFlying();
  WaitFor("the first half second", thrustAtTheStart(restartThrust), 5s);
  LeaveFlight();
  Quit();
  Run();
  EXPECT_FLOAT_EQ(restartThrust, firstThrust) << "the thrust starts afresh";
}

}  // namespace
