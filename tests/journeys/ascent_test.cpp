// The ascent flown to its end from the launcher: the ascent stage waits on the surface, its engine
// lifts it off the descent stage, and an engine cut-off well clear of the ground ends the flight in
// the menu; and an ascent from the surface after a landing.
#include <cmath>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/forms/script.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_state.h"
#include "program/input/input_state.h"
#include "tests/journeys/journey.h"

namespace {

using journey::Journey;
using namespace std::chrono_literals;

// What the user sees of the two stages at one moment, in world units.
struct Stages {
  float altitude = 0.0f;  // ft above the ground
  Vector3 descent;
  Vector3 ascent;  // the LM, the ascent stage once it flies
  bool staged = false;
};

Stages StagesNow() { return {AltitudeAboveGround, DescentStagePosition, LMMeshPosition, Staged}; }

double Apart(const Vector3& a, const Vector3& b) {
  return std::hypot(a.x - b.x, a.y - b.y, a.z - b.z);
}

class Ascent : public Journey {
 protected:
  void SetUp() override {
    Journey::SetUp();
    Watch([this] { crashed_ = crashed_ || (RunFlag && Crashed); });
  }

  // The Ascent flight from the launcher to its first frames, the settings kept as they were.
  void FlyTheAscent() {
    Choose("Apollo 11", "Ascent");
    Continue();
    WaitFor(
        "the flight",
        [this] {
          settings_ = Settings();
          return RunFlag;
        },
        60s);
    WatchTheFlyby();
    Start();
  }

  // The joined stages on the surface for a few seconds: nothing falls, nothing breaks.
  void RestOnTheSurface(Stages& resting) {
    auto first = std::make_shared<Stages>();
    Do("the stages on the surface", [first] { *first = StagesNow(); });
    Fly(5s);
    Do("the stages a while on", [first, &resting] {
      resting = StagesNow();
      EXPECT_NEAR(resting.altitude, first->altitude, 0.5f) << "the stage falls";
      EXPECT_LT(std::fabs(resting.altitude), 1.0f) << "the LM stands on the ground";
      EXPECT_LT(Apart(resting.ascent, first->ascent), 0.01);
      EXPECT_LT(Apart(resting.descent, first->descent), 0.01);
      // The descent stage stands under the ascent stage, not where some other flight left it.
      EXPECT_LT(Apart(resting.descent, resting.ascent), 5.0);
      EXPECT_FALSE(resting.staged);
      EXPECT_FALSE(Crashed);
      EXPECT_TRUE(ControlsActive);
    });
  }

  // The pilot starts the ascent engine as `start` does; the stage climbs past `feet` off the
  // descent stage, which stays where it stood. The engine is heard at its full thrust.
  void ClimbPast(float feet, const std::function<void()>& start) {
    auto before = std::make_shared<Stages>();
    auto noise = std::make_shared<size_t>();
    Do("the stages before the ignition", [before, noise] {
      *before = StagesNow();
      *noise = journey::Plays(journey::EngineNoiseFile).size();
    });
    start();
    WaitFor(
        "the ignition", [] { return Staged && !EngineOff; }, 90s);
    WaitFor(
        "a climb past " + std::to_string(feet) + " ft",
        [feet] { return AltitudeAboveGround > feet || Crashed; }, 120s);
    Do("the climb", [before, noise, feet] {
      const Stages climbed = StagesNow();
      EXPECT_FALSE(Crashed);
      EXPECT_TRUE(climbed.staged);
      EXPECT_LT(Apart(climbed.descent, before->descent), 0.01) << "the descent stage stays";
      EXPECT_GT(climbed.ascent.y - before->ascent.y, 0.9 * feet / WorldScale);
      const auto plays = journey::Plays(journey::EngineNoiseFile);
      ASSERT_EQ(plays.size(), *noise + 1) << "the ascent engine is heard";
      EXPECT_FALSE(plays.back().end) << "the engine noise plays on";
      // The ascent engine burns at full thrust.
      EXPECT_EQ(plays.back().AttenuationAt(forms::Now()), journey::NoiseAttenuation(1.0f));
      EXPECT_FALSE(journey::Plays("separate.wav").empty()) << "the stages are heard to part";
    });
  }

  // Abort to ascent, the key of the Ascent flight: the engine starts at once.
  void AbortToAscent() { Press(engine::scan::kA, engine::scan::kLeftControl); }

  // P12 keyed on the DSKY, its displays proceeded through to the countdown, and PRO at the last
  // seconds before the ignition time, when the DSKY flashes verb 99.
  void StartP12() {
    KeyDSKY("V37E12E");
    WaitFor(
        "P12's first display", [] { return DSKYVerb == "06" && DSKYNoun == "33"; }, 10s);
    PressUntil(
        engine::scan::kKeypadMultiply, "the countdown",
        [] { return DSKYVerb == "06" && DSKYNoun == "74"; }, 20s);
    WaitFor(
        "verb 99", [] { return DSKYVerb == "99" && DSKYNoun == "74"; }, 70s);
    Press(engine::scan::kKeypadMultiply);
  }

  std::string settings_;  // as the flight found them
  bool crashed_ = false;
};

// The Ascent flight: the stage rests on the surface until the pilot fires the ascent engine, climbs
// off the descent stage, and the cut-off above 1000 ft fades the flight out into the menu. Flight
// Start then flies the Ascent afresh, both stages joined on the surface again.
TEST_F(Ascent, TheAscentFlightEndsInTheMenuAndStartsAfresh) {
  Stages resting, restingAgain;
  auto stopped = std::make_shared<Stages>();
  FlyTheAscent();
  RestOnTheSurface(resting);
  ClimbPast(1050.0f, [this] { AbortToAscent(); });
  HoldUntil(
      engine::scan::kK, "the engine stop", [] { return EngineOff; }, 5s);
  WaitFor(
      "the fade into the menu",
      [stopped] {
        *stopped = StagesNow();
        return !ControlsActive && SettingsOverlayShown;
      },
      10s);
  Wait(3s);
  Do("the flight stopped", [stopped] {
    EXPECT_TRUE(StagingFadeFlag) << "the view faded out";
    EXPECT_TRUE(MenuShown);
    EXPECT_FALSE(ControlsActive);
    EXPECT_LT(Apart(LMMeshPosition, stopped->ascent), 0.01) << "the flight stands still";
    EXPECT_GT(AltitudeAboveGround, 1000.0f);
    EXPECT_FALSE(Crashed);
    EXPECT_TRUE(journey::Plays(journey::EngineNoiseFile).back().end) << "the engine is silent";
  });
  Start();
  RestOnTheSurface(restingAgain);
  Do("the fresh flight", [&] {
    EXPECT_EQ(AscentPhase, NoAscent);
    EXPECT_FALSE(StagingFadeFlag);
    EXPECT_NEAR(restingAgain.altitude, resting.altitude, 0.5f);
    EXPECT_LT(Apart(restingAgain.descent, resting.descent), 0.01);
    EXPECT_LT(Apart(restingAgain.ascent, resting.ascent), 0.01);
  });
  LeaveFlight();
  Quit();
  Run();
  EXPECT_FALSE(crashed_);
  EXPECT_TRUE(forms::script::ShownMessageBoxes().empty())
      << forms::script::ShownMessageBoxes()[0].prompt;
  EXPECT_EQ(journey::SettingsChanges(settings_, Settings(), {}), std::vector<std::string>{});
}

// After a landing under the guidance of P64, the ascent from the surface: P12 keyed, its
// countdown proceeded, the ascent engine lifts the ascent stage off the descent stage, which
// stays on the ground where the LM landed.
TEST_F(Ascent, AfterALandingP12LiftsTheAscentStageOffTheDescentStage) {
  LandUnderTheGuidance();
  Hold(engine::scan::kK, 1200ms);  // engine stop
  Wait(2s);
  Do("the landed LM", [] {
    const Stages landed = StagesNow();
    EXPECT_TRUE(EngineOff);
    EXPECT_FALSE(landed.staged);
    EXPECT_LT(Apart(landed.descent, landed.ascent), 0.1) << "the stages are joined";
  });
  ClimbPast(500.0f, [this] { StartP12(); });
  Do("the ascent", [] { EXPECT_EQ(DSKYProgram, "12"); });
  LeaveFlight();
  Quit();
  Run();
  EXPECT_FALSE(crashed_);
}

}  // namespace
