// Every flight of every mission, once, as a user first flies it from the launcher: Continue, the
// fly-by ends by itself and the menu opens, Start, a minute of flight, Escape back to the
// launcher, Quit.
#include <cmath>
#include <ostream>
#include <string>

#include "program/cockpit/cockpit_state.h"
#include "program/scene/scene_state.h"
#include "tests/journeys/journey.h"

namespace {

using journey::Journey;
using namespace std::chrono_literals;

struct FlightCase {
  const char* mission;
  const char* flight;
  bool descentEngine;  // the flight burns the descent engine, whose noise the user hears
  // A fault of the flight itself that keeps the journey from passing, named until it is mended.
  const char* knownFault = nullptr;
  // Unflown, nothing of the flight moves: the Orbital flights hold the LM and the command module
  // where they start until the pilot translates or undocks, and the ascent stage stands on the
  // surface until the pilot starts its engine, so their displays read the same all minute.
  bool heldUntilFlown = false;
};

const FlightCase Flights[] = {
    {"Apollo 11", "Short Flight P66", true},
    {"Apollo 11", "Approach P64", true},
    {"Apollo 11", "Powered Descent P63", true},
    {"Apollo 11", "Ascent", false, nullptr, true},
    {"Apollo 12", "Short Flight P66", true},
    {"Apollo 12", "Approach P64", true},
    {"Apollo 12", "Powered Descent P63", true},
    {"Apollo 13", "Short Flight P66", true},
    {"Apollo 13", "Approach P64", true},
    {"Apollo 13", "Powered Descent P63", true},
    {"Apollo 14", "Short Flight P66", true},
    {"Apollo 14", "Approach P64", true},
    {"Apollo 14", "Powered Descent P63", true},
    {"Apollo 15", "Short Flight P66", true},
    {"Apollo 15", "Approach P64", true},
    {"Apollo 15", "Powered Descent P63", true},
    {"Apollo 16", "Short Flight P66", true},
    {"Apollo 16", "Approach P64", true},
    {"Apollo 16", "Powered Descent P63", true},
    {"Apollo 17", "Short Flight P66", true},
    {"Apollo 17", "Approach P64", true},
    {"Apollo 17", "Powered Descent P63", true},
    {"LM Race", "Race Course", true},
    {"Orbital", "Docked Start", false, nullptr, true},
    {"Orbital", "Rendezvous P20", false, nullptr, true},
};

void PrintTo(const FlightCase& flight, std::ostream* out) {
  *out << flight.mission << ", " << flight.flight;
}

class EveryFlight : public Journey, public ::testing::WithParamInterface<FlightCase> {};

// What the user saw and heard at one moment of the flight.
struct Moment {
  std::array<std::string, 3> registers;
  d3d::D3DCOLORVALUE sun{};
  float thrust = 0.0f;
  int32_t noiseAttenuation = 0;  // the engine noise's volume last set
};

Moment Now() {
  Moment m;
  m.registers = DSKYRegister;
  m.sun = LightEngine->GetLight(LightIds[SunLight]).record.Diffuse;
  m.thrust = ThrustAverage;
  const auto noise = journey::Plays(journey::EngineNoiseFile);
  if (!noise.empty()) m.noiseAttenuation = noise.back().AttenuationAt(forms::Now());
  return m;
}

TEST_P(EveryFlight, FliesAMinuteAndKeepsTheSettingsAndTheSound) {
  const FlightCase& flight = GetParam();
  if (flight.knownFault) GTEST_SKIP() << flight.knownFault;
  std::string before;
  std::optional<Moment> first, last;
  std::optional<Moment> powered;  // a frame with the engine burning
  forms::Duration started{};
  Choose(flight.mission, flight.flight);
  Continue();
  WaitFor(
      "the flight",
      [&] {
        before = Settings();
        return RunFlag;
      },
      60s);
  WatchTheFlyby();
  std::optional<Moment> menu;
  Wait(500ms);
  Do("the menu", [&] { menu = Now(); });
  Start();
  Do("the first frame", [&] {
    first = Now();
    started = forms::Now();
  });
  Fly(60s, [&] {
    // A frame whose thrust the 100 ms tick left as it was is one whose noise was set by it.
    const Moment now = Now();
    if (!powered && last && now.thrust == last->thrust && now.thrust > 0.2f && !EngineOff)
      powered = now;
    last = now;
  });
  LeaveFlight();
  Quit();
  Run();

  EXPECT_TRUE(forms::script::ShownMessageBoxes().empty())
      << forms::script::ShownMessageBoxes()[0].prompt;
  EXPECT_EQ(journey::SettingsChanges(before, Settings(), {}), std::vector<std::string>{});
  ASSERT_TRUE(menu && first && last);
  if (!flight.heldUntilFlown) {
    EXPECT_NE(first->registers, last->registers) << "the DSKY counts";
  }
  // The user's ship shading is the sun's light on the LM, from the menu to the end.
  for (const Moment* moment : {&*menu, &*first, &*last}) {
    EXPECT_FLOAT_EQ(moment->sun.r, journey::UserShipGamma);
    EXPECT_FLOAT_EQ(moment->sun.g, journey::UserShipGamma);
    EXPECT_FLOAT_EQ(moment->sun.b, journey::UserShipGamma);
  }
  if (flight.descentEngine) {
    const auto noise = journey::Plays(journey::EngineNoiseFile);
    ASSERT_FALSE(noise.empty()) << "the descent engine is heard";
    const sound::PlayRecord& play = noise.back();
    EXPECT_LE(play.start, started);
    EXPECT_FALSE(play.end && *play.end < started + 60s) << "the noise plays through the flight";
    ASSERT_TRUE(powered) << "the engine burns";
    EXPECT_EQ(powered->noiseAttenuation, journey::NoiseAttenuation(powered->thrust));
  }
}

INSTANTIATE_TEST_SUITE_P(Missions, EveryFlight, ::testing::ValuesIn(Flights),
                         [](const ::testing::TestParamInfo<FlightCase>& flight) {
                           std::string name =
                               std::string(flight.param.mission) + "_" + flight.param.flight;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
