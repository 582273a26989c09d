// The program as a user meets it: the real entry on a copy of the default program folder that the
// build makes, the launcher's controls clicked, keys and mouse into the engine's input, the sounds
// on the recording output, all on the virtual clock. A journey is a list of the user's actions,
// each waiting for its moment; Run plays them in order while the program runs, and the tests then
// look at what the user saw, heard and kept.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/engine/scan_codes.h"
#include "platform/forms/forms.h"
#include "platform/forms/script.h"
#include "platform/sound/output.h"
#include "platform/win/rnd.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/flight_loop_state.h"
#include "program/flight/flight_state.h"
#include "program/input/input_state.h"
#include "program/missions/launcher_forms.h"
#include "program/scene/engine_objects.h"
#include "program/scene/scene_state.h"
#include "tests/program/flight/flight_program.h"
#include "tests/program/saved_variables.h"

namespace journey {

using namespace std::chrono_literals;
using Seconds = std::chrono::duration<double>;

// A user's settings, unlike the defaults, so that a flight that loses them shows it.
inline constexpr int32_t UserMasterVolume = 80;
inline constexpr int32_t UserEngineVolume = 70;
inline constexpr float UserShipGamma = 0.9f;
inline constexpr char UserSettings[] =
    "[Miscellaneous]\n"
    "MusicVolume=40\n"
    "RCSVolume=60\n"
    "EngineVolume=70\n"
    "MasterVolume=80\n"
    "Gamma=1.1\n"
    "Ship Gamma=0.9\n"
    "[Advanced Graphic Settings]\n"
    "DisplayFPS=-1\n";

inline constexpr char EngineNoiseFile[] = "DescentEngineNoise.wav";

// The engine noise's attenuation at `thrust` for the user's volumes: the noise rises from a
// floor of 20 to the engine volume as the thrust grows.
inline int32_t NoiseAttenuation(float thrust) {
  const double volume =
      std::nearbyint(20.0 + (UserEngineVolume - 20.0) * (1.0 - std::pow(1.0 - thrust, 2.8)));
  return static_cast<int32_t>(
      std::nearbyint(4000.0 * UserMasterVolume / 100.0 * volume / 100.0 - 4000.0));
}

// The plays of the sound file named `file` (any folder), in the order they started.
inline std::vector<sound::PlayRecord> Plays(std::string_view file) {
  std::vector<sound::PlayRecord> plays;
  for (const sound::PlayRecord& play : sound::PlayRecords())
    if (play.path.ends_with(file)) plays.push_back(play);
  return plays;
}

// The lines of a settings file that differ from `before`'s, apart from lines of `changed` keys.
inline std::vector<std::string> SettingsChanges(const std::string& before, const std::string& after,
                                                const std::vector<std::string>& changed) {
  const auto lines = [&](const std::string& text) {
    std::vector<std::string> kept;
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      const std::string line = text.substr(start, end - start);
      bool skipped = false;
      for (const std::string& key : changed) skipped = skipped || line.starts_with(key + "=");
      if (!skipped) kept.push_back(line);
      start = end + 1;
    }
    return kept;
  };
  const std::vector<std::string> a = lines(before), b = lines(after);
  std::vector<std::string> differences;
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    const std::string was = i < a.size() ? a[i] : "(none)";
    const std::string is = i < b.size() ? b[i] : "(none)";
    if (was != is) differences.push_back(was + " -> " + is);
  }
  return differences;
}

// What a user sees and hears of a flight at one moment: the DSKY, the lamps, the view, the LM's
// place and fuel, the sounds heard since the flight began, and how much the scene holds.
struct Look {
  std::string dsky;
  std::string lamps;
  int view = 0;
  std::array<long, 3> feet{};  // the LM's place, whole feet
  long fuel = 0;               // pounds
  std::vector<std::string> heard;
  size_t meshes = 0;
  size_t textures = 0;
  bool operator==(const Look&) const = default;
};

inline void PrintTo(const Look& look, std::ostream* out) {
  *out << "DSKY " << look.dsky << ", lamps " << look.lamps << ", view " << look.view << ", at ("
       << look.feet[0] << ", " << look.feet[1] << ", " << look.feet[2] << ") ft, fuel " << look.fuel
       << " lb, " << look.meshes << " meshes, " << look.textures << " textures, heard:";
  for (const std::string& sound : look.heard) *out << " " << sound;
}

// The look now; `heardSince` is the number of plays recorded when the flight began.
inline Look LookNow(size_t heardSince) {
  Look look;
  look.dsky = DSKYProgram + " " + DSKYVerb + " " + DSKYNoun + " " + DSKYRegister[0] + " " +
              DSKYRegister[1] + " " + DSKYRegister[2];
  for (bool lamp : {LampNoAtt, LampKeyRel, LampOprErr, LampGimbalLock, LampProg, LampAlt, LampVel})
    look.lamps += lamp ? '1' : '0';
  look.view = CurrentViewIndex;
  const double scale = WorldScale;
  look.feet = {std::lround(LMPosition.x * scale), std::lround(LMPosition.y * scale),
               std::lround(LMPosition.z * scale)};
  look.fuel = std::lround(Fuel);
  const auto& plays = sound::PlayRecords();
  for (size_t i = heardSince; i < plays.size(); ++i)
    look.heard.push_back(plays[i].path.substr(plays[i].path.find_last_of("\\/") + 1));
  look.meshes = Scene->MeshCount();
  look.textures = Engine->Textures().Size();
  return look;
}

// The keys of the letters a journey types, by their scan codes.
inline constexpr char KeyLetters[] = "adeflnorstwy";
inline constexpr int32_t KeyLetterCodes[] = {30, 32, 18, 33, 38, 49, 24, 19, 31, 20, 17, 21};

class Journey : public flight_program::ProgramTest {
 protected:
  // The same random draws in every journey, so that two flights of one scenario fly alike.
  void SetUp() override {
    win::SetRndSource([] { return 0.5f; });
    ProgramTest::SetUp();
    UseProgramFolder(MAROVIN_PROGRAM_FOLDER);
    folder_.WriteFile("Marovin.ini", UserSettings);
    sound::ClearPlayRecords();
    flight_program::StartProgram();
  }
  void TearDown() override {
    ProgramTest::TearDown();
    win::SetRndSource(nullptr);
  }

  // --- The user's actions, each a step of the journey ------------------------------------------

  // Picks the mission and flight in the launcher's lists.
  void Choose(const std::string& mission, const std::string& flight) {
    Do("choose " + mission + ", " + flight, [=] { ProgramTest::Choose(mission, flight); });
  }
  // Clicks a launcher button; Continue returns only when the flight has gone back.
  void Click(forms::Control& button) {
    Do("click " + button.Name(), [&button] { ClickLater(button); });
  }
  void Continue() { Click(DriverDialog->Command_Continue); }
  // Clicks Quit on the launcher once it is back; the program ends.
  void Quit() {
    WaitFor(
        "the launcher", [] { return DriverDialog->Visible() && !RunFlag; }, 10s);
    Click(DriverDialog->Command_Quit);
  }
  // The fly-by ends by itself and the in-flight menu opens.
  void WatchTheFlyby() {
    WaitFor(
        "the fly-by's end and the menu", [] { return RunFlag && SettingsOverlayShown; }, 120s);
  }
  // Approach P64 from the launcher, flown by the automatic guidance to its touchdown.
  void LandUnderTheGuidance() {
    Choose("Apollo 11", "Approach P64");
    Continue();
    WatchTheFlyby();
    Start();
    WaitFor(
        "the touchdown", [] { return Landed && ContactLightOn; }, 400s);
  }
  // Presses the in-flight menu's button with the mouse, holding it a moment as a hand does.
  void ClickMenu(const MenuItem& item, const std::string& name) {
    ClickMenu([&item] { return &item; }, name);
  }
  // The same for the button `item` finds when the pointer moves to it.
  void ClickMenu(std::function<const MenuItem*()> item, const std::string& name) {
    Do("point at " + name, [item, name] {
      const MenuItem* at = item();
      ASSERT_NE(at, nullptr) << name;
      Engine->Input().MouseMoved(static_cast<int32_t>((at->X + at->Width / 2.0f) * ScreenScaleX),
                                 static_cast<int32_t>((at->Y + at->Height / 2.0f) * ScreenScaleY));
    });
    Wait(100ms);
    Do("press the mouse on " + name, [] { Engine->Input().MouseButton(0, true); });
    Wait(170ms);
    Do("release the mouse", [] { Engine->Input().MouseButton(0, false); });
    // The menu takes no second click within 200 ms of the first.
    Wait(300ms);
  }
  // Presses a key again and again, 200 ms apart, until `until` holds.
  void PressUntil(int32_t key, const std::string& what, std::function<bool()> until,
                  Seconds limit) {
    auto next = std::make_shared<forms::Duration>();
    WaitFor(
        what,
        [=] {
          const forms::Duration now = forms::Now();
          if (now < *next) return false;
          if (Engine->Input().IsDown(key)) {
            Engine->Input().KeyEvent(key, false);
            *next = now + 100ms;
            return false;
          }
          if (until()) return true;
          Engine->Input().KeyEvent(key, true);
          *next = now + 100ms;
          return false;
        },
        limit);
  }
  // Types letters and digits, as the name entry of the menu's save page reads them.
  void Type(const std::string& text) {
    for (char c : text) {
      const auto at = std::string_view(KeyLetters).find(c);
      EXPECT_NE(at, std::string_view::npos) << c;
      if (at != std::string_view::npos) Press(KeyLetterCodes[at]);
    }
  }
  // Start in the menu: the flight begins again with the controls on.
  void Start() {
    ClickMenu(StartItem, "Start");
    WaitFor(
        "the controls", [] { return RunFlag && ControlsActive; }, 10s);
  }
  // Start Flying (F6) in flight: the flight begins again from its start.
  void StartFlying() {
    auto pressedAt = std::make_shared<double>();
    Do("note the flight's time", [pressedAt] { *pressedAt = MissionTime; });
    Press(engine::scan::kF1 + 5);
    WaitFor(
        "the flight's start again",
        [pressedAt] { return RunFlag && ControlsActive && MissionTime < *pressedAt; }, 10s);
  }
  // A key pressed and released; with a modifier, the modifier first, as the key codes read it.
  void Press(int32_t key, std::optional<int32_t> modifier = std::nullopt) {
    if (modifier) Press(*modifier);
    Hold(key, 100ms);
    // The program takes no second command within 200 ms of the first.
    Wait(300ms);
  }
  // Keys the DSKY on the keypad, Num Lock on: V verb, N noun, E enter, digits.
  void KeyDSKY(const std::string& keys) {
    Do("Num Lock on", [] { Engine->Input().SetNumLock(true); });
    for (char c : keys) {
      static constexpr int32_t digits[] = {
          engine::scan::kKeypad0, engine::scan::kKeypad1, engine::scan::kKeypad2,
          engine::scan::kKeypad3, engine::scan::kKeypad4, engine::scan::kKeypad5,
          engine::scan::kKeypad6, engine::scan::kKeypad7, engine::scan::kKeypad8,
          engine::scan::kKeypad9};
      if (c == 'V') Press(engine::scan::kV);
      else if (c == 'N') Press(engine::scan::kN);
      else if (c == 'E') Press(engine::scan::kKeypadEnter);
      else if (c >= '0' && c <= '9') Press(digits[c - '0']);
      else ADD_FAILURE() << "no DSKY key " << c;
    }
  }
  void Hold(int32_t key, forms::Duration held) {
    Do("press key " + std::to_string(key), [key] { Engine->Input().KeyEvent(key, true); });
    Wait(held);
    Do("release key " + std::to_string(key), [key] { Engine->Input().KeyEvent(key, false); });
  }
  // Holds a key down until `until` holds, as a pilot watching the instruments does.
  void HoldUntil(int32_t key, const std::string& what, std::function<bool()> until, Seconds limit) {
    Do("press key " + std::to_string(key), [key] { Engine->Input().KeyEvent(key, true); });
    WaitFor(what, std::move(until), limit);
    Do("release key " + std::to_string(key), [key] { Engine->Input().KeyEvent(key, false); });
    Wait(300ms);
  }
  // Flies by keys: at each frame `keysFor` says which keys the pilot holds, from what the
  // instruments show, until `until` holds.
  void FlyByKeys(const std::string& what, std::function<std::vector<int32_t>()> keysFor,
                 std::function<bool()> until, Seconds limit) {
    auto held = std::make_shared<std::vector<int32_t>>();
    const auto hold = [held](const std::vector<int32_t>& keys) {
      for (int32_t key : *held)
        if (std::find(keys.begin(), keys.end(), key) == keys.end())
          Engine->Input().KeyEvent(key, false);
      for (int32_t key : keys)
        if (std::find(held->begin(), held->end(), key) == held->end())
          Engine->Input().KeyEvent(key, true);
      *held = keys;
    };
    WaitFor(
        what,
        [=] {
          if (!RunFlag) return false;
          const bool done = until();
          hold(done ? std::vector<int32_t>{} : keysFor());
          return done;
        },
        limit);
  }
  // Flies on for `time` of the flight's clock, calling `eachFrame` at every frame.
  void Fly(Seconds time, std::function<void()> eachFrame = {}) {
    std::optional<double> until;
    steps_.push_back(
        {"fly " + std::to_string(time.count()) + " s", Seconds(time * 3), [=]() mutable {
           if (!RunFlag) return false;
           if (!until) until = MissionTime + time.count() * 1000.0;
           if (eachFrame) eachFrame();
           return MissionTime >= *until;
         }});
  }
  // Escape twice: the exit box, then back to the launcher.
  void LeaveFlight() {
    Press(engine::scan::kEscape);
    Press(engine::scan::kEscape);
    WaitFor(
        "the launcher", [] { return DriverDialog->Visible() && !RunFlag; }, 10s);
  }
  // Takes the look of the flight `after` its start, by the flight's own clock.
  void LookAt(Seconds after, Look& look) {
    std::optional<size_t> heardSince;
    steps_.push_back({"the look", after * 3 + Seconds(10), [=, &look]() mutable {
                        if (!RunFlag || !ControlsActive) return false;
                        if (!heardSince) heardSince = sound::PlayRecords().size();
                        if (MissionTime < after.count() * 1000.0) return false;
                        look = LookNow(*heardSince);
                        return true;
                      }});
  }
  // Waits on the program's clock until `until` holds; the journey fails after `limit`.
  void WaitFor(const std::string& what, std::function<bool()> until, Seconds limit) {
    steps_.push_back({what, limit, std::move(until)});
  }
  void Wait(forms::Duration time) {
    std::optional<forms::Duration> end;
    steps_.push_back({"wait", Seconds(1h), [=]() mutable {
                        if (!end) end = forms::Now() + time;
                        return forms::Now() >= *end;
                      }});
  }
  // Something the user does at once, or a look at what the program shows.
  void Do(const std::string& what, std::function<void()> action) {
    steps_.push_back({what, Seconds(1h), [action = std::move(action)] {
                        action();
                        return true;
                      }});
  }

  // Watches the program at every pump of the whole journey, whatever step it is at.
  void Watch(std::function<void()> watch) { watches_.push_back(std::move(watch)); }
  // Runs the program through every step, then until it ends. A step that waits in vain fails the
  // journey, which then ends the program where it is.
  void Run() {
    size_t at = 0;
    std::optional<forms::Duration> stepStart;
    RunWatching([&] {
      for (const auto& watch : watches_) watch();
      if (at == steps_.size()) return false;
      Step& step = steps_[at];
      if (!stepStart) stepStart = forms::Now();
      if (forms::Now() - *stepStart > step.limit) {
        ADD_FAILURE() << "the journey waited in vain for: " << step.what;
        forms::End();
      }
      if (step.act()) {
        ++at;
        stepStart.reset();
      }
      return true;
    });
    EXPECT_EQ(at, steps_.size()) << "the program ended before the journey did";
    EXPECT_TRUE(forms::ProgramHasEnded());
  }

  std::string Settings() const { return folder_.ReadFile("Marovin.ini"); }

 private:
  struct Step {
    std::string what;
    Seconds limit;
    std::function<bool()> act;
  };
  std::vector<Step> steps_;
  std::vector<std::function<void()>> watches_;
  // The phase clips play once a program run, and each journey is a run of its own.
  SavedVariables phaseClips_ = SavedVariables(PhaseClipPlayed);
};

}  // namespace journey
