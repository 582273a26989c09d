#include "program/cockpit/voice_callouts.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/forms/event_pump.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/sound_setup.h"
#include "program/flight/flight_state.h"
#include "program/flight/main_display.h"
#include "program/missions/mission_setup.h"
#include "tests/program/cockpit/sound_fixture.h"
#include "tests/program/main_display_reload.h"

namespace {

using namespace std::chrono_literals;

// The shipped Apollo 11 scenario's callout tables with a sound under each of their file names, in
// a descending flight whose controls are live.
class VoiceCallouts : public SoundSetup {
 protected:
  void SetUp() override {
    SoundSetup::SetUp();
    DropMainDisplay();
    folder_.WriteFile("Missions/Apollo 11/Short Flight P66.sit", "");
    std::filesystem::copy_file(
        std::string(MAROVIN_DATA) + "/Missions/Apollo 11/Short Flight P66.sit",
        folder_.Path() / "Missions/Apollo 11/Short Flight P66.sit",
        std::filesystem::copy_options::overwrite_existing);
    FlightFile = "Short Flight P66";
    LoadMissionSetup();
    ChooseMission("Apollo 11", 11);
    CreateSounds();
    ResetCallouts();
    ControlsActive = true;
    CurrentProgram = P66;
    FuelPercent = 50.0f;
  }
  void TearDown() override {
    DropMainDisplay();
    SoundSetup::TearDown();
  }

  void SetAltitude(double feet) {
    AltitudeAboveGround = static_cast<float>(feet);
    AltitudeFeet = static_cast<int32_t>(std::lround(feet));
  }

  // One frame: the callouts, then the frame's time and the window system's yield. Gives the calls
  // that the frame started: the fixture's sounds are shorter than a frame.
  std::vector<std::string> Frame() {
    CheckCallouts();
    std::vector<std::string> started = PlayingCalls();
    clock_.Advance(100ms);
    forms::DoEvents();
    return started;
  }

  // The files of the callout sounds that play now.
  static std::vector<std::string> PlayingCalls() {
    std::vector<std::string> files;
    auto collect = [&files](const auto& calls, const std::vector<SoundObject>& sounds) {
      for (size_t i = 0; i < calls.size(); ++i)
        if (Playing(sounds[i])) files.push_back(calls[i].File);
    };
    collect(AltitudeCalls, AltitudeCallSounds);
    collect(DescentCalls, DescentCallSounds);
    collect(LPDCalls, LPDCallSounds);
    collect(FuelCalls, FuelCallSounds);
    return files;
  }
  static void StopCalls() {
    for (auto* sounds : {&AltitudeCallSounds, &DescentCallSounds, &LPDCallSounds, &FuelCallSounds})
      for (const SoundObject& sound : *sounds) sound->Stop();
  }

  SavedVariables flight_ = SavedVariables(FlightFile, AltitudeAboveGround, AltitudeFeet, LMVelocity,
                                          FuelPercent, LPDAngle, CurrentProgram, ControlsActive,
                                          AscentStageFlying, Test11Mode, RateCallsArmed, LampProg,
                                          ProgramAlarmPending, DSKYRegister, DSKYNoun, DSKYVerb);
};

TEST_F(VoiceCallouts, AnAltitudeCallStartsStrictlyWithinItsWindow) {
  struct Case {
    double altitude;
    bool calls;
  };
  for (const Case& c : std::vector<Case>{
           {2940.0, false}, {2941.0, true}, {3059.0, true}, {3060.0, false}, {410.0, false}}) {
    SCOPED_TRACE(c.altitude);
    ResetCallouts();
    DropMainDisplay();
    StopCalls();
    SetAltitude(c.altitude);
    CheckAltitudeCallouts();
    EXPECT_EQ(PlayingCalls().size(), c.calls ? 1u : 0u);
    EXPECT_EQ(ProgramAlarmPending == 1201, c.calls);
    ProgramAlarmPending = 0;
  }
}

TEST_F(VoiceCallouts, The1201AlarmComesWithEveryCheckInTheWindow) {
  SetAltitude(3000.0);
  EXPECT_EQ(Frame(), std::vector<std::string>{"alt3000.wav"});
  EXPECT_TRUE(LampProg);
  EXPECT_EQ(DSKYRegister[0], "ab1201");
  EXPECT_EQ(DSKYVerb, "05");
  EXPECT_EQ(DSKYNoun, "09");
  // Played once, the call stays silent after its pause, but the alarm is raised again.
  for (int frame = 0; frame < 40; ++frame) Frame();
  ProgramAlarmPending = 0;
  EXPECT_TRUE(Frame().empty());
  EXPECT_EQ(ProgramAlarmPending, 1201);
}

TEST_F(VoiceCallouts, RoundsTheRateAndTheFuel) {
  // Without pauses, so that both checks play.
  DescentCalls = {{.File = "down1.wav", .Low = 0, .High = 0}};
  FuelCalls = {{.File = "quantitylight.wav", .Low = 5}};
  struct Case {
    double velocity;
    float fuel;
    std::vector<std::string> calls;
  };
  for (const Case& c :
       std::vector<Case>{{-0.04, 5.04f, {"down1.wav", "quantitylight.wav"}}, {-0.06, 5.06f, {}}}) {
    SCOPED_TRACE(c.velocity);
    DropMainDisplay();
    StopCalls();
    LMVelocity.y = c.velocity;
    FuelPercent = c.fuel;
    CheckDescentRateCallouts();
    CheckFuelCallouts();
    EXPECT_EQ(PlayingCalls(), c.calls);
  }
}

TEST_F(VoiceCallouts, ADescentPlaysItsCallsPacedAndArmed) {
  LMVelocity.y = -20.0;
  sound::ClearPlayRecords();
  const auto begin = forms::Now();
  double altitude = 3200.0;
  for (int t = 0; t <= 190000 && altitude > 15.0; t += 100) {
    if (altitude < 420.0) LMVelocity.y = -3.0;
    if (t == 150000) FuelPercent = 5.0f;
    SetAltitude(altitude);
    Frame();
    altitude += LMVelocity.y * 0.1;
  }
  std::vector<std::pair<std::string, int64_t>> heard;  // file, time [ms]
  for (const sound::PlayRecord& play : sound::PlayRecords())
    heard.emplace_back(
        play.path.substr(play.path.rfind('\\') + 1),
        std::chrono::duration_cast<std::chrono::milliseconds>(play.start - begin).count());
  // 3060 ft after 7 s; 408 ft after 143 s, then 3 ft/s: each arming call is followed by one rate
  // call after its 3 s pause, and the quantity light is called once.
  const std::vector<std::pair<std::string, int64_t>> expected = {
      {"alt3000.wav", 7100},         {"alt400.wav", 142500}, {"down3.wav", 145500},
      {"quantitylight.wav", 150000}, {"alt300.wav", 176500}, {"down3.wav", 179500}};
  EXPECT_EQ(heard, expected);
  EXPECT_EQ(ProgramAlarmPending, 1201);
}

TEST_F(VoiceCallouts, InP64AnArmingCallIsFollowedByOneLPDCall) {
  CurrentProgram = P64;
  LPDAngle = 45;
  LMVelocity.y = -3.0;  // "down three", which P64 does not call
  SetAltitude(400.0);
  EXPECT_EQ(Frame(), std::vector<std::string>{"alt400.wav"});
  for (int frame = 0; frame < 29; ++frame) EXPECT_TRUE(Frame().empty());
  EXPECT_EQ(Frame(), std::vector<std::string>{"lpd45.wav"});
  EXPECT_FALSE(RateCallsArmed);
  // Once played, and disarmed: nothing more until the next arming call.
  for (int frame = 0; frame < 40; ++frame) EXPECT_TRUE(Frame().empty());
}

TEST_F(VoiceCallouts, NoCallsInTheAscentOrTheTestFlight) {
  FuelPercent = 5.0f;
  SetAltitude(400.0);
  AscentStageFlying = true;
  EXPECT_TRUE(Frame().empty());
  AscentStageFlying = false;
  Test11Mode = true;
  EXPECT_TRUE(Frame().empty());
}

TEST_F(VoiceCallouts, WithSoundOffTheAltitudeCallsStillPaceAndAlarm) {
  SoundOn = false;
  SetAltitude(3000.0);
  EXPECT_TRUE(Frame().empty());
  EXPECT_EQ(ProgramAlarmPending, 1201);
  EXPECT_TRUE(Main_Display->TimerTalk(9).Enabled());
}

TEST_F(VoiceCallouts, AnEntryWithoutAPauseHoldsNoLaterCall) {
  AltitudeCalls[0].Interval = 0;
  AltitudeCalls[0].Once = false;
  SetAltitude(3000.0);
  EXPECT_EQ(Frame(), std::vector<std::string>{"alt3000.wav"});
  EXPECT_FALSE(Main_Display->TimerTalk(9).Enabled());
  EXPECT_EQ(Frame(), std::vector<std::string>{"alt3000.wav"});
}

TEST_F(VoiceCallouts, EachFlightStartsWithEveryCallDue) {
  SetAltitude(400.0);
  Frame();
  EXPECT_TRUE(RateCallsArmed);
  EXPECT_TRUE(AltitudeCalls[1].Played);
  ResetCallouts();
  EXPECT_FALSE(RateCallsArmed);
  EXPECT_FALSE(AltitudeCalls[1].Played);
}

}  // namespace
