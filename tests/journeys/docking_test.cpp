// The docking in the Orbital flights as a pilot flies it: undocking, flying back on the
// translation jets until the drogue captures the probe, draws it in and latches, and what the
// messages, the sounds, the readouts and the LM's place show of it.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "program/flight/docking.h"
#include "program/flight/flight_scene.h"
#include "program/flight/main_display.h"
#include "tests/journeys/journey.h"

namespace {

using journey::Journey;
using journey::Plays;
using namespace std::chrono_literals;

// The translation keys: +X drives the LM along its up axis, the probe's, toward the drogue.
constexpr int32_t PlusX = engine::scan::kF12;
constexpr int32_t MinusX = engine::scan::kF11;
constexpr int32_t PlusY = engine::scan::kF10;
constexpr int32_t MinusY = engine::scan::kF1 + 8;  // F9
constexpr int32_t PlusZ = engine::scan::kF1 + 7;   // F8
constexpr int32_t MinusZ = engine::scan::kF1 + 6;  // F7

class OrbitalDocking : public Journey {
 protected:
  // Each message as it comes up on the screen.
  std::vector<std::string> messages_;

  void SetUp() override {
    Journey::SetUp();
    Watch([this] {
      if (!RunFlag || !Main_Display->Timer_Program_Message.Enabled()) return;
      const std::string& shown = MessageText[0].Text;
      if (messages_.empty() || messages_.back() != shown) messages_.push_back(shown);
    });
  }
  void Undock() { Press(engine::scan::kD, engine::scan::kLeftControl); }
  bool Saw(const std::string& message) const {
    return std::find(messages_.begin(), messages_.end(), message) != messages_.end();
  }
  // The messages from the first `first` on, in order, without repeats of one another.
  std::vector<std::string> SeenFrom(const std::string& first) const {
    auto at = std::find(messages_.begin(), messages_.end(), first);
    std::vector<std::string> seen;
    for (; at != messages_.end(); ++at)
      if (std::find(seen.begin(), seen.end(), *at) == seen.end()) seen.push_back(*at);
    return seen;
  }
};

// What the pilot sees of the probe against the drogue, in feet along the LM's own axes: how far
// the drogue lies ahead along the probe, how far off to the side and fore the probe is, and the
// LM's velocity along those axes (closing positive).
struct Approach {
  double ahead, side, fore;
  double closing, sideRate, foreRate;
};

Approach ApproachNow() {
  const Vector3 up = PivotTransformVector({0, 1, 0});
  const Vector3 side = PivotTransformVector({1, 0, 0});
  const Vector3 fore = PivotTransformVector({0, 0, 1});
  const auto dot = [](const Vector3& a, double x, double y, double z) {
    return a.x * x + a.y * y + a.z * z;
  };
  const double sx = (ProbePoint.x - DroguePoint.x) * WorldScale;
  const double sy = (ProbePoint.y - DroguePoint.y) * WorldScale;
  const double sz = (ProbePoint.z - DroguePoint.z) * WorldScale;
  const Vector3d& v = LMVelocity;
  return {-dot(up, sx, sy, sz),   dot(side, sx, sy, sz),    dot(fore, sx, sy, sz),
          dot(up, v.x, v.y, v.z), dot(side, v.x, v.y, v.z), dot(fore, v.x, v.y, v.z)};
}

// The docked LM at the end of a docking: where it is, how fast it goes, and the readouts.
struct Held {
  std::array<long, 3> feet{};
  double speed = 0.0;
  float range = 0.0f, rangeRate = 0.0f;
};

Held HeldNow() {
  const journey::Look look = journey::LookNow(0);
  return {look.feet, std::hypot(LMVelocity.x, LMVelocity.y, LMVelocity.z), DockRangeFeet,
          DockRangeRateFeet()};
}

// Undocked, the LM drifts off the drogue; flown back too slowly its probe is refused, flown back
// at a capture's speed it is captured, drawn in and latched, and the docked LM then stays where
// the latches hold it whatever jets the pilot fires. A later flight starts undocked.
TEST_F(OrbitalDocking, TheDockedLMUndocksAndFliesBackToAHardDock) {
  Held docked, later;
  std::vector<journey::Look> drifting;
  Choose("Orbital", "Docked Start");
  Continue();
  WatchTheFlyby();
  Start();
  // Docked, the LM stays at the drogue.
  Do("the LM at the start", [&] { drifting.push_back(journey::LookNow(0)); });
  Wait(2s);
  Do("the LM at the drogue", [&] {
    EXPECT_TRUE(Docked);
    drifting.push_back(journey::LookNow(0));
  });
  Undock();
  Wait(5s);
  Do("the LM drifts off", [&] {
    EXPECT_FALSE(Docked);
    drifting.push_back(journey::LookNow(0));
    EXPECT_LT(ApproachNow().closing, -0.25);
  });
  Hold(PlusX, 800ms);  // not quite enough for a capture
  WaitFor(
      "the refusal", [&] { return Saw(UiText[196]); }, 60s);
  // Inside the capture depth the refusal takes the closing speed off as the jets add it: the
  // pilot backs out and comes in again, faster.
  Wait(2s);
  Hold(MinusX, 500ms);
  Wait(2500ms);
  Hold(PlusX, 800ms);
  WaitFor(
      "the hard dock", [] { return Docked; }, 60s);
  Do("the docked LM", [&] { docked = HeldNow(); });
  Hold(PlusY, 1s);
  Hold(MinusZ, 1s);
  Wait(5s);
  Do("the docked LM later", [&] { later = HeldNow(); });
  LeaveFlight();
  // The next flight begins free of this one's docking.
  Choose("Orbital", "Rendezvous P20");
  Continue();
  WatchTheFlyby();
  Start();
  Do("the new flight", [&] { EXPECT_FALSE(Docked); });
  Undock();
  LeaveFlight();
  Quit();
  Run();

  ASSERT_EQ(drifting.size(), 3u);
  EXPECT_EQ(drifting[1].feet, drifting[0].feet);
  // 0.3 ft/s back along the probe axis, which stands upright here.
  EXPECT_NEAR(static_cast<double>(drifting[2].feet[1] - drifting[1].feet[1]), -2.0, 1.0);
  std::vector<std::string> seen = SeenFrom(UiText[45]);
  seen.resize(std::min<size_t>(seen.size(), 5));
  EXPECT_EQ(seen, (std::vector<std::string>{UiText[45], UiText[196], UiText[195], UiText[198],
                                            UiText[199]}));
  ASSERT_FALSE(messages_.empty());
  EXPECT_EQ(messages_.back(), UiText[203]);
  EXPECT_FALSE(Saw(UiText[200]));
  EXPECT_FALSE(Saw(UiText[197]));
  // The undocking and the latches, the probe's knock at the capture and as it retracts, and the
  // scrape as it is drawn in through the tunnel.
  const auto heard = [](const char* file) { return Plays(file).size(); };
  EXPECT_EQ(heard("harddock.wav"), 2u);
  EXPECT_GE(heard("bounceoff.wav"), 2u);
  ASSERT_EQ(heard("scapeintunnel.wav"), 1u);
  EXPECT_TRUE(Plays("scapeintunnel.wav")[0].stop.has_value());
  // At rest but for the least speed that the heading of the velocity needs.
  EXPECT_LT(docked.speed, 1e-4);
  EXPECT_EQ(later.feet, docked.feet);
  EXPECT_LT(later.speed, 1e-4);
  EXPECT_LT(docked.range, 0.2f);
  EXPECT_EQ(later.range, docked.range);
  EXPECT_LT(later.rangeRate, 0.1f);
}

// A pilot on the translation jets: on each axis the speed to fly is the one from which the jets
// could still stop the LM at its goal, at half their push, and up to `fastest`; the jets fire
// while the speed is off it. Along the probe the LM holds off until the probe stands in front of
// the drogue, then closes at no less than a capture's speed.
std::vector<int32_t> PilotKeys() {
  constexpr double jets = 200.0;  // lbf on each axis
  constexpr double band = 0.01;   // ft/s
  const double push = jets / TotalMass / 2.0;
  const Approach a = ApproachNow();
  std::vector<int32_t> keys;
  const auto fly = [&](double offset, double speed, double fastest, int32_t plus, int32_t minus) {
    const double wanted =
        -std::copysign(std::min(fastest, std::sqrt(2.0 * push * std::fabs(offset))), offset);
    if (speed < wanted - band) keys.push_back(plus);
    if (speed > wanted + band) keys.push_back(minus);
  };
  fly(a.fore, a.foreRate, 3.0, PlusY, MinusY);
  fly(a.side, a.sideRate, 3.0, MinusZ, PlusZ);
  const bool lined = std::hypot(a.fore, a.side) < 0.2;
  const double wanted =
      lined || a.ahead > 30.0 ? std::clamp(std::sqrt(2.0 * push * a.ahead), 0.12, 3.0) : 0.0;
  if (a.closing < wanted - band) keys.push_back(PlusX);
  if (a.closing > wanted + band) keys.push_back(MinusX);
  return keys;
}

// From the rendezvous start the command module is 390 ft away, 250 ft up the probe axis and 300 ft
// to the side: flown in on the jets the range and the range rate readouts follow the LM in, and
// the probe is captured and latched. The flight begins undocked.
TEST_F(OrbitalDocking, TheRendezvousFliesInToAHardDock) {
  std::vector<float> ranges, rates;
  Held docked;
  Choose("Orbital", "Rendezvous P20");
  Continue();
  WatchTheFlyby();
  Start();
  Undock();
  FlyByKeys(
      "the capture", PilotKeys,
      [&] {
        if (ranges.empty() || MissionTime >= 10000.0 * static_cast<double>(ranges.size())) {
          ranges.push_back(DockRangeFeet);
          rates.push_back(DockRangeRateFeet());
        }
        return ProbeCaptured;
      },
      600s);
  WaitFor(
      "the hard dock", [] { return Docked; }, 60s);
  Do("the docked LM", [&] { docked = HeldNow(); });
  LeaveFlight();
  Quit();
  Run();
  EXPECT_LT(docked.speed, 1e-4);
  EXPECT_LT(docked.range, 0.2f);
  EXPECT_EQ(SeenFrom(UiText[203]),
            (std::vector<std::string>{UiText[203], UiText[195], UiText[198], UiText[199]}));
  // Every ten seconds of the flight in: the range falls from the start's to the drogue's, and
  // the range rate shows the LM closing.
  ASSERT_GT(ranges.size(), 5u);
  EXPECT_NEAR(ranges.front(), 390.5f, 0.5f);
  EXPECT_TRUE(std::is_sorted(ranges.rbegin(), ranges.rend()));
  EXPECT_LT(ranges.back(), 30.0f);
  EXPECT_LT(rates.front(), 0.01f);
  EXPECT_GT(*std::min_element(rates.begin() + 1, rates.end()), 0.1f);
  EXPECT_GT(*std::max_element(rates.begin(), rates.end()), 2.0f);
}

}  // namespace
