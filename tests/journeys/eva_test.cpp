// The walk on the Moon after a landing: out of the hatch, down the ladder and onto the surface,
// from the EVA view's keys.
#include <cmath>
#include <string>
#include <vector>

#include "program/cockpit/cockpit_state.h"
#include "program/scene/scene_state.h"
#include "tests/journeys/landing.h"

namespace {

using journey::Landing;
using namespace std::chrono_literals;

class Walk : public Landing {
 protected:
  void GoOut() {
    Press(engine::scan::k0);  // EVA View
    WaitFor(
        "the EVA view", [] { return EVAViewFlag; }, 10s);
  }
  // Walks forward until the walker has left the ladder's path for the ground.
  void DownTheLadder() {
    HoldUntil(
        engine::scan::kW, "the ground below the ladder", [] { return !WalkPathMode; }, 120s);
  }
  // The walker stands at the top of the path, in the cabin.
  static void ExpectAtTheHatch() {
    EXPECT_TRUE(WalkPathMode);
    EXPECT_FLOAT_EQ(WalkPathValue, 0.0f);
    EXPECT_FLOAT_EQ(EVAEye.x, EVAStartPoint.x);
    EXPECT_FLOAT_EQ(EVAEye.y, EVAStartPoint.y);
    EXPECT_FLOAT_EQ(EVAEye.z, EVAStartPoint.z);
  }
};

std::vector<std::string> Heard(const std::vector<std::string>& files) {
  std::vector<std::string> heard;
  for (const std::string& file : files)
    for (size_t i = 0; i < journey::Plays(file).size(); ++i) heard.push_back(file);
  return heard;
}

// Out of the hatch, onto the porch, down the ladder to its foot: each place is heard once. A
// step to the side ends with its key, and the flag stands where the walker planted it.
TEST_F(Walk, TheWalkDownTheLadderIsHeardAndTheFlagPlantedWhereTheWalkerStands) {
  const std::vector<std::string> clips = {"onporch.wav", "downladder.wav", "footofladder.wav"};
  std::vector<std::string> heardOnThePath;
  Vector3 stepped{}, standing{};
  LandByKeys();
  GoOut();
  Do("the hatch", [] { ExpectAtTheHatch(); });
  Press(engine::scan::kV);  // VERB
  Do("the DSKY", [] {
    EXPECT_EQ(MessageText[0].Text, "You cannot operate the DSKY during EVA.");
    EXPECT_FALSE(VerbEntryActive);
  });
  DownTheLadder();
  Do("the clips", [&] { heardOnThePath = Heard(clips); });
  Hold(engine::scan::kD, 500ms);  // a step to the right
  Wait(300ms);
  Do("the step", [&] { stepped = EVAEye; });
  Wait(1s);
  Do("the walker", [&] { standing = EVAEye; });
  Press(engine::scan::kF);  // Plant Flag
  Do("the flag", [&] {
    EXPECT_TRUE(FlagPlanted);
    EXPECT_NEAR(FlagPosition.x - LMMeshPosition.x, EVAEye.x, 1e-3f);
    EXPECT_NEAR(FlagPosition.z - LMMeshPosition.z, EVAEye.z, 1e-3f);
    // The ladder's foot lies well outside the descent stage.
    EXPECT_GT(std::hypot(FlagPosition.x - LMMeshPosition.x, FlagPosition.z - LMMeshPosition.z),
              8.0f);
  });
  LeaveFlight();
  Quit();
  Run();
  EXPECT_EQ(heardOnThePath, clips);
  EXPECT_FLOAT_EQ(standing.x, stepped.x) << "the step ends with its key";
  EXPECT_FLOAT_EQ(standing.z, stepped.z) << "the step ends with its key";
}

// A second landing of the same run: its walk starts at the hatch again, not where the last
// walker stood, and the flight begins with no walker on the ladder.
TEST_F(Walk, EveryLandingsWalkStartsAtTheHatch) {
  LandByKeys();
  GoOut();
  Hold(engine::scan::kW, 3s);  // onto the porch, and the flight left there
  Do("the porch", [] { EXPECT_TRUE(WalkPathMode); });
  LeaveFlight();
  Choose("Apollo 11", "Short Flight P66");
  Continue();
  WatchTheFlyby();
  Start();
  Do("the flight's start", [] {
    EXPECT_FALSE(WalkPathMode);
    EXPECT_FLOAT_EQ(WalkPathValue, 0.0f);
  });
  LeaveFlight();
  LandByKeys();
  GoOut();
  Do("the hatch", [] { ExpectAtTheHatch(); });
  LeaveFlight();
  Quit();
  Run();
}

}  // namespace
