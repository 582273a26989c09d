// Sessions of more than one flight, the end of the fly-by, landings, crashes and replays, flown
// from the launcher.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/engine/joystick.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/dsky_display.h"
#include "program/flight/flight_maths.h"
#include "program/input/joystick_assign.h"
#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"
#include "tests/journeys/journey.h"
#include "tests/journeys/landing.h"

namespace {

using journey::Journey;
using journey::Landing;
using journey::Look;
using namespace std::chrono_literals;

class Session : public Journey {
 protected:
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

// The fly-by ends in the menu with the flight held, whether it ends by itself or by the key that
// skips it: nothing flies and nothing burns until Start.
class FlybyEnd : public Journey, public ::testing::WithParamInterface<bool> {};

TEST_P(FlybyEnd, InTheMenuWithTheFlightHeld) {
  const bool skipped = GetParam();
  float altitude = 0.0f;
  Choose("Apollo 11", "Short Flight P66");
  Continue();
  if (skipped) {
    WaitFor(
        "the fly-by", [] { return RunFlag && IntroFlyby; }, 60s);
    Press(engine::scan::kSpace);  // Exit Intro Screen
  }
  WatchTheFlyby();
  Do("the menu", [] { EXPECT_FALSE(ControlsActive) << "the controls wait for Start"; });
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

INSTANTIATE_TEST_SUITE_P(Journey, FlybyEnd, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& skipped) {
                           return skipped.param ? "Skipped" : "ByItself";
                         });

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

// Orbital, a surface mission, Orbital again: the Moon slice shows the background picture loaded
// for this flight, and the orbital Moon keeps the whole-Moon picture.
TEST_F(Session, TheOrbitalMoonsKeepTheirPicturesAfterASurfaceMission) {
  Look look;
  std::optional<int32_t> slice, orbital, background, wholeMoon;
  FlyFromTheLauncher("Orbital", "Docked Start", look);
  FlyFromTheLauncher("Apollo 11", "Short Flight P66", look);
  Choose("Orbital", "Docked Start");
  Continue();
  WatchTheFlyby();
  Do("the Moon's pictures", [&] {
    slice = HalfMoonMesh->Groups().at(0).texture;
    orbital = OrbitalMoonMesh->Groups().at(0).texture;
    background = Globals->GetTextureId("halfmoonbackground");
    wholeMoon = Globals->GetTextureId("texallmoon");
  });
  Start();
  LeaveFlight();
  Quit();
  Run();
  ASSERT_TRUE(slice && background);
  EXPECT_NE(*background, 0);
  EXPECT_EQ(*slice, *background);
  EXPECT_EQ(*orbital, *wholeMoon);
}

// A joystick button bound to Escape and tried in the Setup dialog's test is no command of the
// next flight: the fly-by opens without the exit box.
TEST_F(Journey, AButtonTriedInTheJoystickTestDoesNotFireInTheNextFlight) {
  bool exitBoxInTheFlyby = false;
  Watch(
      [&] { exitBoxInTheFlyby = exitBoxInTheFlyby || (RunFlag && IntroFlyby && ExitDialogShown); });
  size_t stick = 0;
  engine::ScriptedJoysticks* sticks = nullptr;
  Do("plug a joystick in", [&] {
    auto scripted = std::make_unique<engine::ScriptedJoysticks>();
    sticks = scripted.get();
    stick = sticks->Plug("Test Stick", {4, 4, 0});
    Engine->UseJoysticks(std::move(scripted));
  });
  Click(DriverDialog->Option_Joystick);
  Click(DriverDialog->Command1);  // Setup
  WaitFor(
      "the joystick dialog", [] { return JoystickAssign.Loaded() && JoystickAssign->Visible(); },
      10s);
  WaitFor(
      "the stick in the test", [] { return JoystickCount > 0; }, 10s);
  Do("bind button 1 to Escape", [] {
    JoystickAssign->Option2(0).UserClick();
    forms::ListBox& list = JoystickAssign->List2;
    for (int16_t item = 0; item < list.ListCount(); ++item)
      if (list.List(item) == "Escape") list.UserChoose(item);
    EXPECT_EQ(ControlAssignments[ActionEscape].Button, 0);
  });
  Do("press the button", [&] { sticks->SetButton(stick, 0, true); });
  Wait(300ms);
  Do("release the button", [&] { sticks->SetButton(stick, 0, false); });
  Wait(300ms);
  Do("Escape in the dialog", [] { JoystickAssign->UserEscape(); });
  WaitFor(
      "the launcher",
      [] { return !JoystickAssign->Visible() && DriverDialog->Command_Continue.Enabled(); }, 10s);
  Choose("Apollo 11", "Short Flight P66");
  Continue();
  WatchTheFlyby();
  Start();
  LeaveFlight();
  Quit();
  Run();
  EXPECT_FALSE(exitBoxInTheFlyby);
}

// The loudest the engine noise is in the first half second of a play: the thrust it follows.
int32_t LoudestAtTheStart(const sound::PlayRecord& play) {
  int32_t loudest = play.attenuation;
  for (const auto& [when, attenuation] : play.volumes)
    if (when < play.start + 500ms) loudest = std::max(loudest, attenuation);
  return loudest;
}

// A restart in the middle of a flight begins a flight: no lamp the last one lit, no DSKY key it
// left pending, none of its thrust.
TEST_F(Journey, ARestartLeavesTheLastFlightBehind) {
  Choose("Apollo 11", "Short Flight P66");
  Continue();
  WatchTheFlyby();
  Start();
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
  Fly(1s);
  LeaveFlight();
  Quit();
  Run();
  // One play of the noise a flight: the first, the restart from gimbal lock, the restart at
  // thrust. The last is heard starting as the first did, not at the thrust it was restarted at.
  const auto noise = journey::Plays(journey::EngineNoiseFile);
  ASSERT_EQ(noise.size(), 3u);
  EXPECT_EQ(LoudestAtTheStart(noise[2]), LoudestAtTheStart(noise[0])) << "the thrust starts afresh";
}

// The landing, the pilot's records and the last flight kept for replay.
TEST_F(Landing, ALandingFlownByKeysIsScored) {
  LandByKeys();
  Do("the landing", [] {
    EXPECT_TRUE(Landed);
    EXPECT_FALSE(Crashed);
    EXPECT_TRUE(ContactLightOn);
    EXPECT_TRUE(ContactLightFlags[1]) << "the panel's CONTACT lamp";
    EXPECT_TRUE(MessageText[1].Text.starts_with("Total Score = ")) << MessageText[1].Text;
    // The keys fly the LM down by the landing target: its miss is the accuracy scored.
    EXPECT_LT(TouchdownDistance, 100);
    EXPECT_GT(CurrentScore.TargetPoints, 0);
  });
  StartFlying();
  Do("the next flight", [] { EXPECT_FALSE(ContactLightFlags[1]) << "the panel's CONTACT lamp"; });
  LeaveFlight();
  Quit();
  Run();
  EXPECT_FALSE(Kept("score.dat").empty()) << "the pilot's records are kept";
  EXPECT_FALSE(Kept(LastFlight).empty());
}

// Fly, save the flight under a name, replay it from the menu: the LM follows the flight to its
// end, lands again and is scored into the replay alone: the pilot's records, the last flight and
// the saved replay stay as they were.
TEST_F(Landing, AFlightIsReplayedFromTheMenuAndItsLandingScoredIntoTheReplayOnly) {
  const std::string saved = "Missions/Apollo 11/Replay/flown.rpy";
  std::vector<std::pair<double, Vector3d>> flown;  // mission time ms, place
  std::string records, lastFlight, replay;
  double worst = 0.0;   // ft between the replay and the flight at one time
  double played = 0.0;  // ms of mission time under the replay's banner
  LandByKeys([&] { flown.emplace_back(MissionTime, LMPosition); });
  Press(engine::scan::kLeftAlt);  // the menu
  ClickMenu(SaveReplayItem, "Save");
  ClickMenu(NameEntryItem, "the name");
  // The entry keeps the name typed last in this run of the program.
  PressUntil(
      engine::scan::kBackspace, "an empty name", [] { return NameEntryItem.Caption.empty(); }, 30s);
  Type("flown");
  ClickMenu(SaveOkItem, "OK");
  Do("what is kept", [&] {
    records = Kept("score.dat");
    lastFlight = Kept(LastFlight);
    replay = Kept(saved);
  });
  ClickMenu(LoadItem, "Load");
  ClickMenu(
      [] {
        for (const MenuItem& row : ReplayListItems)
          if (row.Caption == "flown") return &row;
        return static_cast<const MenuItem*>(nullptr);
      },
      "the replay flown");
  ClickMenu(LoadOkItem, "OK");
  ClickMenu(ReplayItem, "Replay's Start");
  WaitFor(
      "the replay", [] { return RunFlag && ReplayPlayback; }, 10s);
  WaitFor(
      "the replay's score",
      [&] {
        if (ReplayPlayback) {
          played = MissionTime;
          const auto after = std::find_if(flown.begin(), flown.end(),
                                          [](const auto& at) { return at.first >= MissionTime; });
          if (after != flown.end() && after != flown.begin()) {
            const auto before = std::prev(after);
            const double f = (MissionTime - before->first) / (after->first - before->first);
            const auto lerp = [f](double a, double b) { return a + (b - a) * f; };
            const double dx = LMPosition.x - lerp(before->second.x, after->second.x);
            const double dy = LMPosition.y - lerp(before->second.y, after->second.y);
            const double dz = LMPosition.z - lerp(before->second.z, after->second.z);
            worst = std::max(worst, std::sqrt(dx * dx + dy * dy + dz * dz) * WorldScale);
          }
        }
        return ScoreShown;
      },
      200s);
  Do("the replayed landing", [] {
    EXPECT_TRUE(Landed);
    EXPECT_FALSE(Crashed);
    EXPECT_TRUE(MessageText[1].Text.starts_with("Total Score = ")) << MessageText[1].Text;
  });
  LeaveFlight();
  Quit();
  Run();
  ASSERT_FALSE(flown.empty());
  EXPECT_GT(played, flown.back().first - 1000.0) << "the replay plays to the flight's end";
  EXPECT_LT(worst, 1.0) << "the LM follows the flight";
  EXPECT_FALSE(replay.empty());
  // Files compared whole, without printing their bytes.
  EXPECT_TRUE(Kept(saved) == replay) << "the saved replay";
  EXPECT_TRUE(Kept(LastFlight) == lastFlight) << "the last flight";
  EXPECT_TRUE(Kept("score.dat") == records) << "the replay is not the pilot's landing";
}

// The powered descent as its text tells the pilot to fly it: the computer brakes in P63, the
// DSKY counting the descent, and below the high gate the screen asks for P64; keyed, P64 flies the
// approach, P66 takes over at the low gate and the LM lands under the automatic guidance.
TEST_F(Journey, APoweredDescentCallsForP64AndLandsUnderTheGuidance) {
  std::string shown, shownSpeed, prompt;
  float lowestPitch = 0.0f;  // the braking attitude, back to upright by the low gate
  Choose("Apollo 11", "Powered Descent P63");
  Continue();
  WatchTheFlyby();
  Start();
  Fly(3s);
  Do("the braking display", [&] {
    shown = DSKYRegister[2];
    shownSpeed = DSKYRegister[0];
  });
  WaitFor(
      "the call for P64", [&] {
        prompt = MessageText[0].Text;
        return prompt.find("VERB 3 7 ENTER, 6 4 ENTER") != std::string::npos;
      },
      60s);
  Do("the braking", [&] {
    EXPECT_EQ(DSKYProgram, "63");
    EXPECT_LT(AltitudeAboveGround, 7000.0f);
    EXPECT_NE(DSKYRegister[2], shown) << "the DSKY counts the altitude";
    // R1 counts the horizontal velocity down as P63 brakes.
    EXPECT_EQ(DSKYVerb + DSKYNoun, "0669");
    EXPECT_EQ(shownSpeed[0], 'p') << shownSpeed;
    EXPECT_GT(std::stoi(shownSpeed.substr(1)), 100) << shownSpeed;
    EXPECT_LT(std::stoi(DSKYRegister[0].substr(1)), std::stoi(shownSpeed.substr(1)))
        << DSKYRegister[0];
    // Noun 20 shows the attitude ball's angles: its second register the pitch back of the braking,
    // in hundredths of a degree.
    DSKYNoun = "20";
    FormatVerbNounDisplay();
    EXPECT_LT(PitchAxis.Angle, -0.3f);
    EXPECT_NEAR(std::stod(DSKYRegister[1].substr(1)) / 100.0, -PitchAxis.Angle * 180.0 / Pi, 0.5)
        << DSKYRegister[1];
    DSKYNoun = "69";
  });
  KeyDSKY("V37E64E");
  WaitFor(
      "P64", [] { return DSKYProgram == "64" && CurrentProgram == P64; }, 10s);
  WaitFor(
      "the low gate's P66", [&] {
        lowestPitch = std::min(lowestPitch, PitchAxis.Angle);
        return CurrentProgram == P66;
      },
      300s);
  WaitFor(
      "the touchdown", [] { return Landed || Crashed; }, 300s);
  Do("the landing", [] {
    EXPECT_TRUE(Landed);
    EXPECT_FALSE(Crashed);
    EXPECT_TRUE(ContactLightOn);
  });
  LeaveFlight();
  Quit();
  Run();
  EXPECT_LT(lowestPitch, -0.3f) << "the approach pitched back to brake";
}

// A crash: the throttle let go at a few hundred feet. The crash is heard, nothing is scored.
TEST_F(Journey, ACrashIsHeardAndNotScored) {
  Choose("Apollo 11", "Short Flight P66");
  Continue();
  WatchTheFlyby();
  Start();
  Press(engine::scan::kY);
  HoldUntil(
      engine::scan::kLeftBracket, "the crash", [] { return Crashed; }, 120s);
  Wait(2s);
  Do("the crash", [] {
    EXPECT_TRUE(EngineOff);
    EXPECT_FALSE(ScoreShown);
    EXPECT_FALSE(journey::Plays("boom.wav").empty()) << "the crash is heard";
  });
  LeaveFlight();
  Quit();
  Run();
  EXPECT_TRUE(folder_.ReadFile("score.dat").empty()) << "no record of a crash";
}

// The cabin is lit in the virtual cockpit: its light a touch warmer than white.
TEST_F(Journey, TheCabinIsLitInTheVirtualCockpit) {
  Choose("Apollo 11", "Short Flight P66");
  Continue();
  WatchTheFlyby();
  Start();
  Press(engine::scan::k1);  // Virtual Cockpit 1
  Do("the cabin", [] {
    EXPECT_TRUE(InteriorViewFlag);
    const d3d::D3DCOLORVALUE light = LightEngine->GetLight(LightIds[NearPointLight]).record.Diffuse;
    EXPECT_FLOAT_EQ(light.r, 0.93f);
    EXPECT_FLOAT_EQ(light.g, 1.0f);
    EXPECT_FLOAT_EQ(light.b, 0.96f);
  });
  LeaveFlight();
  Quit();
  Run();
}

// Each view key shows its view's name, in the shipped texts.
TEST_F(Journey, EveryViewKeyShowsItsViewsName) {
  const struct {
    int32_t key;
    const char* name;
  } views[] = {
      {engine::scan::k1, "Virtual Cockpit 1"},     {engine::scan::k1 + 1, "Virtual Cockpit 2"},
      {engine::scan::k1 + 2, "Virtual Cockpit 3"}, {engine::scan::k1 + 3, "Cockpit View 1"},
      {engine::scan::k1 + 4, "Cockpit View 2"},    {engine::scan::k1 + 5, "Cockpit View 3"},
      {engine::scan::k1 + 6, "Spot View 1"},       {engine::scan::k1 + 7, "Spot View 2"},
      {engine::scan::k1 + 8, "Ground View"}};
  std::vector<std::string> shown;
  Choose("Apollo 11", "Short Flight P66");
  Continue();
  WatchTheFlyby();
  Start();
  for (const auto& view : views) {
    Press(view.key);
    Do("the view's name", [&] { shown.push_back(MessageText[0].Text); });
  }
  LeaveFlight();
  Quit();
  Run();
  std::vector<std::string> names;
  for (const auto& view : views) names.emplace_back(view.name);
  EXPECT_EQ(shown, names);
}

// An ascent stage that falls back to the ground crashes; its scorch fades in from black to nine
// tenths, a hundredth a frame.
TEST_F(Journey, AnAscentStageThatFallsBackCrashesAndItsScorchFades) {
  std::vector<float> scorch;  // frame by frame from the strike
  Watch([&] {
    if (RunFlag && Crashed && !Busy)
      scorch.push_back(Engine->Materials().Get(MaterialIds.CraterMat)->diffuse.r);
  });
  Choose("Apollo 11", "Ascent");
  Continue();
  WatchTheFlyby();
  Start();
  Press(engine::scan::kA, engine::scan::kLeftControl);  // abort ascent: the engine starts
  WaitFor(
      "a climb", [] { return AltitudeAboveGround > 50.0f; }, 30s);
  HoldUntil(
      engine::scan::kK, "the engine stop", [] { return EngineOff; }, 5s);
  WaitFor(
      "the strike", [] { return Crashed; }, 60s);
  Wait(3s);
  LeaveFlight();
  Quit();
  Run();
  ASSERT_GT(scorch.size(), 100u);
  EXPECT_LT(scorch.front(), 0.05f);
  EXPECT_TRUE(std::is_sorted(scorch.begin(), scorch.end()));
  EXPECT_FLOAT_EQ(scorch.back(), 0.9f);
}

// A race after a flight rolled into gimbal lock with the keys, the throttle keys pushed up: the
// race starts upright with its throttle closed and flies as the first race of the run did. The
// keys' stick and throttle lever are the flight's, not the last flight's.
TEST_F(Journey, ARaceAfterARollIntoGimbalLockFliesAsTheFirstRace) {
  struct Flown {
    std::array<float, 3> angles{};
    std::array<float, 3> rates{};
    float throttle = 0.0f;
    bool crashed = false;
  };
  Flown first, later;
  const auto race = [&](Flown& flown) {
    Choose("LM Race", "Race Course");
    Continue();
    WatchTheFlyby();
    Start();
    Press(engine::scan::kEnd);  // PGNS attitude hold: the keys fly the LM
    Press(engine::scan::kY);    // manual throttle: the throttle keys' lever sets the thrust
    Hold(engine::scan::kRightBracket, 1s);
    Fly(10s);
    Do("the race", [&] {
      flown = {{RollAxis.Angle, PitchAxis.Angle, YawAxis.Angle},
               {RollAxis.Rate, PitchAxis.Rate, YawAxis.Rate},
               ThrottleCommand,
               Crashed};
    });
    LeaveFlight();
  };
  race(first);
  Choose("Apollo 11", "Short Flight P66");
  Continue();
  WatchTheFlyby();
  Start();
  Press(engine::scan::kEnd);
  HoldUntil(
      engine::scan::kRight, "a roll into gimbal lock", [] { return GimbalLocked; }, 30s);
  Hold(engine::scan::kRightBracket, 3s);
  LeaveFlight();
  race(later);
  Quit();
  Run();
  EXPECT_FALSE(first.crashed);
  EXPECT_FALSE(later.crashed) << "the race rolled over";
  for (size_t axis = 0; axis < 3; ++axis) {
    EXPECT_NEAR(later.angles[axis], first.angles[axis], 0.01f) << "axis " << axis;
    EXPECT_NEAR(later.rates[axis], first.rates[axis], 0.001f) << "axis " << axis;
  }
  EXPECT_FLOAT_EQ(later.throttle, first.throttle);
}

// The engine stopped after an automatic landing: the views look on from where they did, in the
// cabin and outside; the walker's eye takes the camera only in the view from the hatch.
TEST_F(Journey, TheEngineStopAfterALandingLeavesTheViewsWhereTheyWere) {
  std::array<d3dx::D3DXVECTOR3, 2> cabin, outside;  // the camera before and after the stop
  const auto camera = [] { return Engine->MainCamera().GetPosition(); };
  LandUnderTheGuidance();
  Wait(2s);
  Do("the cabin view", [&] { cabin[0] = camera(); });
  Hold(engine::scan::kK, 1200ms);  // engine stop
  Wait(2s);
  Do("the cabin view after the stop", [&] {
    EXPECT_TRUE(EngineOff);
    cabin[1] = camera();
  });
  Press(engine::scan::k1 + 6);  // 7: Spot View 1
  Wait(2s);
  Do("the spot view", [&] { outside[0] = camera(); });
  Wait(2s);
  Do("the spot view a while on", [&] { outside[1] = camera(); });
  LeaveFlight();
  Quit();
  Run();
  for (const auto& [name, view] : {std::pair{"cabin", &cabin}, {"outside", &outside}}) {
    const auto& [before, after] = *view;
    EXPECT_NEAR(after.x, before.x, 0.01f) << name;
    EXPECT_NEAR(after.y, before.y, 0.01f) << name;
    EXPECT_NEAR(after.z, before.z, 0.01f) << name;
  }
  // The spot view looks on from its orbit round the LM, not from the ground beside it.
  const d3dx::D3DXVECTOR3 at = outside[1];
  EXPECT_NEAR(std::sqrt(at.x * at.x + at.y * at.y + at.z * at.z), CameraOrbitDistance, 5.0f);
}

}  // namespace
