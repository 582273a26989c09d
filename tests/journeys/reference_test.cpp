// Stored references: a descent and a rendezvous flown to their end under a fixed script of keys
// on the virtual clock, with the journeys' fixed random draws; their final state is compared with
// the values stored below. A change that alters how the LM flies changes them: when the change is
// meant, run this test, check that the new flight is right, and paste the values its failure
// prints (the "Reference{...}" line) over the stored ones.
#include <cmath>
#include <cstdio>
#include <ostream>
#include <string>

#include "program/cockpit/cockpit_state.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "tests/journeys/journey.h"
#include "tests/journeys/landing.h"

namespace {

using namespace std::chrono_literals;

// The final state of a scripted flight: place (ft) and velocity (ft/s) of the LM in the world,
// its fuel (lb), the range from its probe to the command module's drogue (ft), the DSKY's display
// and the score shown.
struct Reference {
  double x, y, z;
  double vx, vy, vz;
  double fuel;
  double range;
  std::string dsky;
  std::string score;
};

Reference Now() {
  const double ft = WorldScale;
  const bool scoreShown = Main_Display->Timer_Program_Message2.Enabled();
  return {LMPosition.x * ft,
          LMPosition.y * ft,
          LMPosition.z * ft,
          LMVelocity.x,
          LMVelocity.y,
          LMVelocity.z,
          Fuel,
          MissionType == OrbitalMission ? DockRangeFeet : 0.0,
          journey::LookNow(0).dsky,
          scoreShown ? MessageText[1].Text : ""};
}

std::string Printed(const Reference& r) {
  char numbers[256];
  std::snprintf(numbers, sizeof numbers, "%.1f, %.1f, %.1f, %.2f, %.2f, %.2f, %.1f, %.1f", r.x, r.y,
                r.z, r.vx, r.vy, r.vz, r.fuel, r.range);
  return "Reference{" + std::string(numbers) + ", \"" + r.dsky + "\", \"" + r.score + "\"}";
}

// Within the rounding of the printed values.
void ExpectTheReference(const Reference& flown, const Reference& stored) {
  const std::string printed = "flown: " + Printed(flown);
  EXPECT_NEAR(flown.x, stored.x, 0.1) << printed;
  EXPECT_NEAR(flown.y, stored.y, 0.1) << printed;
  EXPECT_NEAR(flown.z, stored.z, 0.1) << printed;
  EXPECT_NEAR(flown.vx, stored.vx, 0.01) << printed;
  EXPECT_NEAR(flown.vy, stored.vy, 0.01) << printed;
  EXPECT_NEAR(flown.vz, stored.vz, 0.01) << printed;
  EXPECT_NEAR(flown.fuel, stored.fuel, 0.1) << printed;
  EXPECT_NEAR(flown.range, stored.range, 0.1) << printed;
  EXPECT_EQ(flown.dsky, stored.dsky) << printed;
  EXPECT_EQ(flown.score, stored.score) << printed;
}

using StoredReference = journey::Landing;

TEST_F(StoredReference, TheDescentByKeys) {
  Reference flown;
  LandByKeys();
  Do("the end", [&] { flown = Now(); });
  LeaveFlight();
  Quit();
  Run();
  ExpectTheReference(flown, Reference{633.0, 14.3, 1114.0, 0.00, 0.00, 0.00, 1053.4, 0.0,
                                      "66 06 60 m00000 m00004 p00000", "Total Score = 2365"});
}

// The rendezvous: the translation jets toward the command module and up, then a coast.
TEST_F(StoredReference, TheRendezvousByKeys) {
  Reference flown;
  Choose("Orbital", "Rendezvous P20");
  Continue();
  WatchTheFlyby();
  Start();
  Hold(engine::scan::kF12, 3s);  // +X
  Hold(engine::scan::kF10, 2s);  // +Y
  Fly(60s);
  Do("the end", [&] { flown = Now(); });
  LeaveFlight();
  Quit();
  Run();
  ExpectTheReference(flown, Reference{-58.0, -194.4, 353.4, -0.00, 1.30, 0.87, 0.0, 391.0,
                                      "20 06 72 p00224 p00333 bbbbbb", ""});
}

}  // namespace
