// The program starts: first display, start delay, announcement and effect on the flight.

#include "program/cockpit/dsky_programs.h"
#include "program/flight/flight_state.h"
#include "tests/program/cockpit/dsky_fixture.h"

using namespace std::chrono_literals;

namespace {

TEST_F(DSKYTest, AStartAnnouncesTheProgramAndSavesItsFirstDisplay) {
  Keys("V37E70E");
  EXPECT_EQ(CurrentProgram, P70);
  EXPECT_EQ(MessageText[0].Text, "P66 Started");
  EXPECT_EQ(MessageText[0].TextColour, 0xFF00FF00u);
  EXPECT_EQ(SavedVerb, "06");
  EXPECT_EQ(SavedNoun, "60");
  EXPECT_EQ(CompActyPercent, 80);
  EXPECT_EQ(ThrustAverageLength, 5);

  StartProgramByIndex(8);
  EXPECT_EQ(SavedVerb, "50");
  EXPECT_EQ(SavedNoun, "25");
  EXPECT_EQ(Noun71Text, "p00150");
}

TEST_F(DSKYTest, TheStartDelayIsTwoSecondsUntilTheFirstVerb37ThenOne) {
  forms::Timer& delay = Main_Display->DSKYStartProgram;
  StartP63();
  EXPECT_TRUE(delay.Enabled());
  RunFor(1990ms);
  EXPECT_TRUE(delay.Enabled());
  RunFor(20ms);
  EXPECT_FALSE(delay.Enabled());

  Keys("V37E64E");
  RunFor(1010ms);
  EXPECT_FALSE(delay.Enabled());
}

TEST_F(DSKYTest, TheAbortShowsWhiteOnRedAndStagesOnce) {
  AscentFuelMass = 5000.0f;
  APSThrust = 3500.0f;
  Fuel = 8000.0f;
  int stagings = 0;
  int ascentStarts = 0;
  DSKYNeighbours.StageAndAscend = [&] { ++stagings; };
  DSKYNeighbours.StartAscentEngine = [&] { ++ascentStarts; };

  StartP71();
  EXPECT_EQ(MessageText[0].Text, "P71 Started");
  EXPECT_EQ(MessageText[0].BoxColour, 0xFFFF0000u);
  EXPECT_TRUE(AscentStageFlying);
  EXPECT_EQ(Fuel, 5000.0f);
  EXPECT_EQ(EngineThrust, 3500.0f);

  Fuel = 1200.0f;  // burnt on the way up: a second abort must not refill the tanks
  StartP71();
  StartP12();
  EXPECT_EQ(Fuel, 1200.0f);
  EXPECT_EQ(stagings, 1);
  EXPECT_EQ(ascentStarts, 2);
  EXPECT_EQ(CurrentProgram, P12);
  DSKYNeighbours = {};
}

TEST_F(DSKYTest, AscentStartsFromTheDescentStageAndSetsTheIgnitionTime) {
  AscentFuelMass = 5000.0f;
  MissionClock.Hours = 100;
  SetTimeDigits(MissionClock);
  TimeToAscentIgnition.Minutes = 2;
  ContactLightFlags[0] = true;
  StartP12();
  EXPECT_TRUE(AscentStageFlying);
  EXPECT_EQ(Fuel, 5000.0f);
  EXPECT_EQ(IgnitionTime.Hours, 100);
  EXPECT_EQ(IgnitionTime.Minutes, 2);
  EXPECT_FALSE(ContactLightFlags[0]);
}

TEST_F(DSKYTest, RendezvousTakesTheFuelOfTheFlyingStage) {
  DescentFuelMass = 18000.0f;
  AscentFuelMass = 5000.0f;
  StartP20();
  EXPECT_EQ(Fuel, 18000.0f);
  EXPECT_TRUE(EngineOff);
  AscentOnly = true;
  StartP20();
  EXPECT_TRUE(Staged);
  EXPECT_EQ(Fuel, 5000.0f);
}

TEST_F(DSKYTest, BurnProgramsSetTheirTargetsAndIgnitionNow) {
  StartP41();
  EXPECT_NEAR(ManeuverTargets.x, 0.349f, 1e-3f);
  EXPECT_NEAR(ManeuverTargets.y, 0.524f, 1e-3f);  // -30 degrees, negated
  EXPECT_NEAR(ManeuverTargets.z, 0.698f, 1e-3f);

  MissionClock.Minutes = 5;
  SetTimeDigits(MissionClock);
  AttitudeReachedFlags[1] = true;
  EnterRequest = true;
  StartP40();
  EXPECT_TRUE(EngineOff);
  EXPECT_FALSE(AttitudeReachedFlags[1]);
  EXPECT_FALSE(EnterRequest);
  EXPECT_EQ(IgnitionTime.Minutes, 5);
  EXPECT_EQ(TimeToIgnition.TotalSeconds, 0);
}

TEST_F(DSKYTest, RoutinesKeepTheProgramAndItsRestorePoint) {
  StartP63();
  StartR62();
  EXPECT_EQ(CurrentProgram, P63);
  EXPECT_EQ(ExtendedRoutine, 62);
  EXPECT_EQ(SavedNoun, "69");
  StartR60();
  EXPECT_EQ(ExtendedRoutine, 60);
  EXPECT_EQ(DSKYVerb, "50");
  EXPECT_EQ(DSKYNoun, "18");
}

TEST_F(DSKYTest, RestartingAnIndexWithoutAProgramShowsThePendingFiller) {
  CurrentProgram = NoProgram;
  RestartCurrentProgram();
  EXPECT_EQ(DSKYRegister[2], "abbbbb");
  EXPECT_TRUE(ProgramRCSFlag);
}

}  // namespace
