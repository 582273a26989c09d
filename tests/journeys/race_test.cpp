// The LM Race flown by keys from the start to the finish, landed and scored.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/engine/scan_codes.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "program/missions/score_file.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "tests/journeys/journey.h"
#include "tests/program/scene/scene_fixture.h"

namespace {

using journey::Journey;
using namespace std::chrono_literals;

struct Place {
  float x, z;  // world units
};

// The pilot of the race: toward `goal` some 40 ft up, at a speed that can still be braked, then,
// once over it and nearly still, down onto it with the drift held off.
class RacePilot {
 public:
  explicit RacePilot(Place goal) : goal_(goal) {}

  std::vector<int32_t> Keys() {
    std::vector<int32_t> keys;
    const double g = Gravity;
    const double dx = (goal_.x - LMMeshPosition.x) * WorldScale;
    const double dz = (goal_.z - LMMeshPosition.z) * WorldScale;
    const double distance = std::hypot(dx, dz);
    descending_ = descending_ || (distance < 30.0 && std::hypot(LMVelocity.x, LMVelocity.z) < 5.0);
    const double speed = std::min({60.0, std::sqrt(1.6 * distance), 0.1 * distance});
    const double vx = distance > 1.0 ? dx / distance * speed : 0.0;
    const double vz = distance > 1.0 ? dz / distance * speed : 0.0;
    const double ax = std::clamp(0.3 * (vx - LMVelocity.x), -1.6, 1.6);
    const double az = std::clamp(0.3 * (vz - LMVelocity.z), -1.6, 1.6);
    // Down pitches the thrust toward -x, Right rolls it toward +z.
    const double pitchRate = 0.5 * (std::atan(-ax / g) - PitchAxis.Angle);
    const double rollRate = 0.5 * (std::atan(az / g) - RollAxis.Angle);
    if (PitchAxis.Rate < pitchRate - 0.01) keys.push_back(engine::scan::kDown);
    if (PitchAxis.Rate > pitchRate + 0.01) keys.push_back(engine::scan::kUp);
    if (RollAxis.Rate < rollRate - 0.01) keys.push_back(engine::scan::kRight);
    if (RollAxis.Rate > rollRate + 0.01) keys.push_back(engine::scan::kLeft);
    const double climb = descending_ ? -std::clamp(AltitudeAboveGround / 10.0, 3.0, 8.0)
                                     : std::clamp(0.3 * (40.0 - AltitudeAboveGround), -8.0, 8.0);
    const double hover =
        Weight / EngineThrust / std::cos(PitchAxis.Angle) / std::cos(RollAxis.Angle);
    const double throttle = std::clamp(hover + 0.05 * (climb - LMVelocity.y), 0.0, 1.0);
    if (ThrottleCommand < throttle - 0.02) keys.push_back(engine::scan::kRightBracket);
    if (ThrottleCommand > throttle + 0.02) keys.push_back(engine::scan::kLeftBracket);
    return keys;
  }
  bool Descending() const { return descending_; }

 private:
  Place goal_;
  bool descending_ = false;
};

// Keeps the texts of the last frame shown on the screen.
class ShownTexts : public RecordingBackend {
 public:
  std::vector<std::string> shown;

  void Present() override {
    shown.clear();
    size_t shape = 0;  // each 2D draw has its shape
    for (const Draw& draw : draws) {
      if (std::string_view(draw.kind) != "2D") continue;
      const engine::Shape2D& drawn = shapes[shape++];
      if (!draw.target && drawn.kind == engine::Shape2D::Kind::Text) shown.push_back(drawn.text);
    }
    shapes.clear();
    draws.clear();
    meshes.clear();
  }
};

struct RaceCase {
  const char* name;
  Place goal;
  bool finished;  // the goal lies in the finish area
};

void PrintTo(const RaceCase& race, std::ostream* out) { *out << race.name; }

// The program's engine, made at its start, draws through a ShownTexts.
class Race : public Journey, public ::testing::WithParamInterface<RaceCase> {
 protected:
  void SetUp() override {
    EngineBackendMaker = [this] {
      auto made = std::make_unique<ShownTexts>();
      backend_ = made.get();
      return std::unique_ptr<engine::DrawBackend>(std::move(made));
    };
    // The roster of a program run afresh on a folder without a score file.
    PilotRoster = {};
    Journey::SetUp();
  }
  ShownTexts* backend_ = nullptr;

 private:
  SavedVariables roster_ = SavedVariables(PilotRoster);
};

// The race flown by keys from the start gate and landed on the goal: landed in the finish area
// the race ends and is scored, the score table shows its rows and the pilot's bests are raised
// and kept; landed short of it, nothing is scored or kept.
TEST_P(Race, FlownByKeysAndLanded) {
  const RaceCase& race = GetParam();
  const std::vector<std::string> raceTexts = {"Race Started", "Finish Line Crossed!",
                                              "Landed! Race Ended."};
  std::vector<std::string> messages;  // the race's texts of message channel 1, in the order shown
  double started = 0.0, touchedDown = 0.0;  // ms of the flight's clock
  std::string score;
  std::vector<std::string> table;
  Watch([&] {
    if (!RunFlag || !ControlsActive) return;
    for (const std::string& text : backend_->shown) {
      if (std::ranges::count(raceTexts, text) && (messages.empty() || messages.back() != text))
        messages.push_back(text);
      if (text.starts_with("Racing Score")) score = text;
    }
    if (started == 0.0 && !messages.empty()) started = MissionTime;
    if (started > 0.0 && touchedDown == 0.0 && FootpadTouched) touchedDown = MissionTime;
  });
  Choose("LM Race", "Race Course");
  Continue();
  WatchTheFlyby();
  Start();
  Press(engine::scan::kEnd);  // PGNS attitude hold: the keys fly the LM
  // The throttle keys' lever set near the hover before the throttle goes over to it.
  Hold(engine::scan::kRightBracket, 1s);
  Press(engine::scan::kY);  // manual throttle
  auto pilot = std::make_shared<RacePilot>(race.goal);
  FlyByKeys(
      "the contact light on the goal", [pilot] { return pilot->Keys(); },
      [pilot] { return (ContactLightOn && pilot->Descending()) || Crashed; }, 300s);
  Hold(engine::scan::kK, 300ms);  // engine stop
  WaitFor(
      "the landing", [] { return Landed; }, 20s);
  Wait(1s);
  // Space steps the head-up panel through its modes to the score table.
  PressUntil(
      engine::scan::kSpace, "the score table",
      [&] { return std::ranges::count(backend_->shown, "Time") > 0; }, 10s);
  Do("the score table", [&] { table = backend_->shown; });
  Wait(1s);
  LeaveFlight();
  Quit();
  Run();
  EXPECT_FALSE(Crashed);
  EXPECT_EQ(messages, race.finished ? raceTexts : std::vector<std::string>{"Race Started"});
  const std::string file = folder_.ReadFile("score.dat");
  const PilotRecord& best = PilotRoster[static_cast<size_t>(ActivePilot)];
  if (!race.finished) {
    EXPECT_EQ(score, "");
    EXPECT_EQ(best.RaceTotal, 0) << "no best raised";
    EXPECT_TRUE(file.empty()) << "nothing is kept";
    return;
  }
  // The rows of the table after its box, pilot and header.
  const auto time = std::find(table.begin(), table.end(), "Time");
  ASSERT_GE(table.end() - time, 12) << ::testing::PrintToString(table);
  const auto points = [&](int row) { return std::stoi(time[3 * row + 1]); };
  EXPECT_EQ(time[3], "Altitude");
  EXPECT_EQ(time[6], "Manual Throttle");
  EXPECT_EQ(time[9], "Total");
  EXPECT_NEAR(points(0), 5000.0 - (touchedDown - started) / 50.0, 10.0) << "the race's time";
  // Some 40 ft up all the way: most of the altitude points, not all.
  EXPECT_GT(points(1), 2500);
  EXPECT_LT(points(1), 4000);
  EXPECT_EQ(points(2), 1000) << "the whole race on the manual throttle";
  const int32_t total = points(3);
  EXPECT_NEAR(total, points(0) + points(1), 1);
  EXPECT_EQ(score, "Racing Score = " + std::to_string(total));
  EXPECT_EQ(best.RaceTotal, total);
  EXPECT_FLOAT_EQ(best.RaceManualPoints, 1000.0f);
  EXPECT_EQ(std::lround(best.RaceTimePoints), points(0));
  EXPECT_EQ(std::lround(best.RaceHeightPoints), points(1));
  const std::vector<PilotRecord> kept =
      DecodeScoreFile(std::span(reinterpret_cast<const uint8_t*>(file.data()), file.size()));
  ASSERT_EQ(kept.size(), static_cast<size_t>(PilotCount)) << "the score file";
  EXPECT_EQ(kept[static_cast<size_t>(ActivePilot - 1)].RaceTotal, total);
}

// A flight after the race, in the same run of the program: its first frame splits its start
// drift by its own heading, not by the heading the race ended with, and fires no jet for it.
TEST_F(Journey, AFlightAfterTheRaceStartsOnItsOwnHeading) {
  float rollRate = 1.0f;
  Choose("LM Race", "Race Course");
  Continue();
  WatchTheFlyby();
  Start();
  Press(engine::scan::kEnd);  // PGNS attitude hold: the keys fly the LM
  Hold(engine::scan::kC, 2s);  // yaw right
  Press(engine::scan::kTab);   // the keys' hand controller centred
  Fly(5s);
  Do("the race's heading", [] { EXPECT_GT(std::fabs(LMHeading), 0.05) << "the LM turned"; });
  LeaveFlight();
  Choose("Apollo 11", "Short Flight P66");
  Continue();
  WatchTheFlyby();
  Start();
  Fly(1s);
  Do("the descent's roll", [&] { rollRate = RollAxis.Rate; });
  LeaveFlight();
  Quit();
  Run();
  EXPECT_FLOAT_EQ(rollRate, 0.0f) << "a roll fired for the race's heading";
}

INSTANTIATE_TEST_SUITE_P(Journey, Race,
                         ::testing::Values(RaceCase{"ToTheFinish", {300.0f, 1750.0f}, true},
                                           RaceCase{"ShortOfTheFinish", {1000.0f, 900.0f}, false}),
                         [](const ::testing::TestParamInfo<RaceCase>& race) {
                           return race.param.name;
                         });

}  // namespace
