// The pilot of a landing: the keys held, frame by frame, from what the instruments show.
#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/engine/scan_codes.h"
#include "program/flight/flight_state.h"
#include "tests/journeys/journey.h"

namespace journey {

// The pilot's hands in the last minutes of a landing: the throttle keys move the throttle
// toward the hover throttle, more or less as the LM sinks faster or slower than a tenth of its
// altitude a second (3 to 15 ft/s); with the attitude held, the pitch keys tilt it against its
// drift.
inline std::vector<int32_t> KeysForTheDescent(bool attitude) {
  std::vector<int32_t> keys;
  const double sink = -std::clamp(AltitudeAboveGround / 10.0, 3.0, 15.0);
  const double hover = Weight / EngineThrust;
  const double throttle = std::clamp(hover + 0.05 * (sink - LMVelocity.y), 0.0, 1.0);
  if (ThrottleCommand < throttle - 0.02) keys.push_back(engine::scan::kRightBracket);
  if (ThrottleCommand > throttle + 0.02) keys.push_back(engine::scan::kLeftBracket);
  // Down pitches up (to +x); the pitch is brought to its mark at a rate that shrinks near it.
  const double pitch = std::clamp(0.02 * LMVelocity.x, -0.15, 0.15);  // radians
  const double rate = 0.5 * (pitch - PitchAxis.Angle);                // rad/s
  if (attitude && PitchAxis.Rate < rate - 0.01) keys.push_back(engine::scan::kDown);
  if (attitude && PitchAxis.Rate > rate + 0.01) keys.push_back(engine::scan::kUp);
  return keys;
}

// A landing flown by keys: the manual throttle and, low down, the attitude hold, to the contact
// light; then the engine stopped, and the score. `eachFrame` sees every frame of the descent.
class Landing : public Journey {
 protected:
  void LandByKeys(const std::function<void()>& eachFrame = [] {}) {
    Choose("Apollo 11", "Short Flight P66");
    Continue();
    WatchTheFlyby();
    Start();
    // The computer flies the first seconds, the throttle keys' lever held at its stop, before the
    // throttle goes over to it.
    Hold(engine::scan::kLeftBracket, 6s);
    Press(engine::scan::kY);  // manual throttle
    // The computer nulls the drift; the pilot takes the attitude over before the last 250 ft,
    // where an automatic landing is not scored.
    FlyByKeys(
        "260 ft", [] { return KeysForTheDescent(false); },
        [=] {
          eachFrame();
          return AltitudeAboveGround < 260.0f;
        },
        120s);
    // The keys' hand controller centred before the attitude hold takes it.
    Press(engine::scan::kTab);
    Press(engine::scan::kEnd);  // PGNS attitude hold
    FlyByKeys(
        "the contact light", [] { return KeysForTheDescent(true); },
        [=] {
          eachFrame();
          return ContactLightOn;
        },
        300s);
    Hold(engine::scan::kK, 300ms);  // engine stop
    WaitFor(
        "the score",
        [=] {
          eachFrame();
          return ScoreShown;
        },
        20s);
  }
  std::string Kept(const std::string& file) const { return folder_.ReadFile(file); }
  static constexpr char LastFlight[] = "Missions/Apollo 11/Replay/Last Flight.rpy";
};

}  // namespace journey
