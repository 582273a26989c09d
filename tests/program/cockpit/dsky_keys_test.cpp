// Key entry, the verbs and the register loads of the DSKY.

#include <cmath>
#include <string>

#include "program/cockpit/dsky_programs.h"
#include "program/flight/flight_state.h"
#include "tests/program/cockpit/dsky_fixture.h"

using namespace std::chrono_literals;

namespace {

struct KeyCase {
  const char* name;
  int program;  // started before the keys; 0 for none
  const char* keys;
  const char* verb;
  const char* noun;
  const char* shownProgram;
  const char* r1;
  bool oprErr;
};

// What a key sequence leaves on the display.
const KeyCase kKeyCases[] = {
    {"verb keyed", 0, "V0", "0b", "bb", "bb", "bbbbbb", false},
    {"noun keyed", 0, "N36", "bb", "36", "bb", "bbbbbb", false},
    {"third verb digit ignored", 0, "V066", "06", "bb", "bb", "bbbbbb", false},
    {"verb 37 prompts for a program", 0, "V37E", "37", "bb", "bb", "bbbbbb", false},
    {"verb 37 twice with a blank noun", 0, "V37EE", "37", "bb", "bb", "bbbbbb", false},
    {"verb 37 starts P63", 0, "V37E63E", "06", "69", "63", "bbbbbb", false},
    {"verb 37 70 shows P66", 0, "V37E70E", "06", "60", "66", "bbbbbb", false},
    {"verb 37 unknown program", 0, "V37E99E", "37", "99", "99", "bbbbbb", true},
    {"unsigned entry shows a plus", 0, "N33V21E0001", "21", "33", "bb", "p0001b", false},
    {"sixth digit ignored", 0, "N33V21E123456", "21", "33", "bb", "p12345", false},
    {"sign after a digit ignored", 0, "N33V21E1-2345", "21", "33", "bb", "p12345", false},
    {"signed entry", 0, "N81V21E-0125", "21", "81", "bb", "m0125b", false},
    {"clear restarts the entry", 0, "N81V21E-01C7", "21", "81", "bb", "p7bbbb", false},
    {"four digits light OPR ERR", 0, "N81V21E-0125E", "21", "81", "bb", "m0125b", true},
    {"reset after OPR ERR restores", 0, "N81V21E-0125ER", "bb", "81", "bb", "m0125b", false},
    {"verb 32 in P30", 5, "V32E", "32", "33", "30", "bbbbbb", true},
    {"verb 32 restarts P64", 10, "V32E", "06", "64", "64", "bbbbbb", false},
    {"verb 35 outside P00", 9, "V35E", "35", "69", "63", "bbbbbb", true},
    {"verb 49 outside P00", 9, "V49E", "49", "69", "63", "bbbbbb", true},
    {"verb 49 in P00 starts R62", 2, "V49E", "06", "22", "00", "bbbbbb", false},
    {"verb 34 asks for a program", 9, "V34E", "37", "bb", "63", "bbbbbb", false},
    {"verb 33 leaves the verb empty", 9, "V33E", "", "69", "63", "bbbbbb", false},
    {"verb 96 starts P00", 9, "V96E", "bb", "bb", "00", "bbbbbb", false},
};

class KeySequence : public DSKYTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(KeySequence, LeavesTheDisplay) {
  const KeyCase& c = GetParam();
  if (c.program != 0) StartProgramByIndex(c.program);
  Keys(c.keys);
  EXPECT_EQ(DSKYVerb, c.verb);
  EXPECT_EQ(DSKYNoun, c.noun);
  EXPECT_EQ(DSKYProgram, c.shownProgram);
  EXPECT_EQ(DSKYRegister[0], c.r1);
  EXPECT_EQ(LampOprErr, c.oprErr);
}

INSTANTIATE_TEST_SUITE_P(Table, KeySequence, ::testing::ValuesIn(kKeyCases), [](const auto& test) {
  std::string name = test.param.name;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
});

TEST(RegisterToNumber, SignsDecimalsAndOctal) {
  EXPECT_FLOAT_EQ(RegisterToNumber("", 2, false), 0.0f);
  EXPECT_FLOAT_EQ(RegisterToNumber("p01250", 2, false), 12.5f);
  EXPECT_FLOAT_EQ(RegisterToNumber("m01250", 2, false), -12.5f);
  EXPECT_FLOAT_EQ(RegisterToNumber("p12bbb", 0, false), 12.0f);  // a blank ends the number
  EXPECT_FLOAT_EQ(RegisterToNumber("p00010", 0, true), 12.0f);   // ten written in base 8
  EXPECT_FLOAT_EQ(RegisterToNumber("p00064", 0, true), 100.0f);
}

TEST_F(DSKYTest, AnUnsignedEntryLoadsAsOctalIntoAWholeNumberNoun) {
  Keys("N33V21E00010E");
  EXPECT_EQ(IgnitionTime.Hours, 12);
  EXPECT_FALSE(LampKeyRel);  // the load's release request restored the display at once
  EXPECT_FALSE(DisplayHold);
}

TEST_F(DSKYTest, Verb24LoadsTwoRegistersAndVerb25ThreeThenRestores) {
  Keys("V06N81E");  // the display to come back to: verb 06 noun 81
  Keys("V24E+01250E");
  EXPECT_EQ(DSKYVerb, "22");
  EXPECT_TRUE(RegisterLoads[1].Active);
  Keys("-00500E");
  EXPECT_FLOAT_EQ(BurnVelocity[0], 12.5f);
  EXPECT_FLOAT_EQ(BurnVelocity[1], -5.0f);
  EXPECT_EQ(DSKYVerb, "06");
  EXPECT_EQ(DSKYNoun, "81");

  Keys("V25E+00100E+00200E");
  EXPECT_EQ(DSKYVerb, "23");
  Keys("+00300E");
  EXPECT_FLOAT_EQ(BurnVelocity[2], 3.0f);
  EXPECT_EQ(DSKYVerb, "06");
  EXPECT_EQ(LoadsRemaining, 0);
}

TEST_F(DSKYTest, ClockNounsSetTheMissionClockAndShowItAfterTheVerb) {
  Keys("N36V23E+01250E");
  EXPECT_EQ(MissionClock.Seconds, 12);  // 12.50 rounds half to even
  Keys("V22E+00007E");
  EXPECT_EQ(MissionClock.Minutes, 7);
  EXPECT_EQ(DSKYRegister[1], "p00007");
  EXPECT_EQ(DSKYRegister[0].substr(1), "00000");
}

TEST_F(DSKYTest, AttitudeEntryStartsR62OrAlignsThePlatformInP51) {
  StartProgramByIndex(2);
  Keys("N22V21E+04500E");
  EXPECT_EQ(ExtendedRoutine, 62);
  EXPECT_EQ(DSKYVerb, "06");
  EXPECT_EQ(DSKYNoun, "22");

  StartProgramByIndex(8);
  Keys("N22V21E+04500E");
  EXPECT_EQ(ExtendedRoutine, 0);
  EXPECT_NE(RollAxis.TargetAngle, 0.0f);
}

TEST_F(DSKYTest, VerbAndNounAreRefusedDuringEVAAndTheCallStops) {
  EVAMode = true;
  ControlAssignments[ActionKeyPadVerb].Pressed = true;
  ControlAssignments[ActionKeyPadPro].Pressed = true;
  ProcessDSKYKeys(0);
  EXPECT_EQ(MessageText[0].Text, "You cannot operate the DSKY during EVA.");
  EXPECT_EQ(MessageText[0].BoxColour, 0xFFFF0000u);
  EXPECT_FALSE(ProceedRequest);
  Keys("P");
  EXPECT_TRUE(ProceedRequest);
}

TEST_F(DSKYTest, AKeyMatchesByItsCodeOrItsPressedFlag) {
  ControlAssignments[ActionKeyPadPro].KeyCode = 77;
  ProcessDSKYKeys(76);
  EXPECT_FALSE(ProceedRequest);
  ProcessDSKYKeys(77);
  EXPECT_TRUE(ProceedRequest);
}

TEST_F(DSKYTest, LampTestLightsAllButFourLampsForFiveSeconds) {
  StartProgramByIndex(2);
  Keys("V35E");
  EXPECT_EQ(DSKYRegister[0], "888888");
  EXPECT_TRUE(LampOprErr && LampAlt && LampVel && LampKeyRel && LampProg);
  EXPECT_FALSE(LampStby || LampRestart || LampSpare1 || LampSpare2);
  RunFor(4990ms);
  EXPECT_TRUE(LampProg);
  RunFor(20ms);
  EXPECT_FALSE(LampProg);
  EXPECT_EQ(ExtendedRoutine, 0);
}

TEST_F(DSKYTest, ResetWithoutAPendingAlarmKeepsTheHold) {
  StartProgramByIndex(9);
  LampProg = true;
  Keys("R");
  EXPECT_FALSE(LampProg);
  EXPECT_TRUE(DisplayHold);
  EXPECT_FALSE(LampRestart);
}

TEST_F(DSKYTest, ResetOfAProgramAlarmRestartsTheProgramAndReleasesTheHoldAfterTwoSeconds) {
  StartProgramByIndex(5);
  Keys("V06N36E");
  LampProg = true;
  ProgramAlarmPending = 1;
  Keys("R");
  EXPECT_EQ(DSKYNoun, "33");  // P30's first display again
  EXPECT_TRUE(LampRestart);
  EXPECT_TRUE(DisplayHold);
  RunFor(1990ms);
  EXPECT_TRUE(DisplayHold);
  RunFor(20ms);
  EXPECT_FALSE(DisplayHold);
  EXPECT_FALSE(LampRestart);
}

TEST_F(DSKYTest, KeyReleaseEndsEntryAndTheRestoreWaitsForTheLamp) {
  Keys("V06N64E");
  Keys("V16");
  Keys("K");
  EXPECT_TRUE(KeyReleaseRequest);
  EXPECT_FALSE(VerbEntryActive);
  RestoreDSKYState();
  EXPECT_EQ(DSKYVerb, "16");  // KEY REL not lit: the request stays pending
  LampKeyRel = true;
  RestoreDSKYState();
  EXPECT_EQ(DSKYVerb, "06");
  EXPECT_FALSE(KeyReleaseRequest);
}

TEST_F(DSKYTest, KeyLockOutLastsLongerAfterConfirmingKeys) {
  Keys("V");
  EXPECT_EQ(Main_Display->TimerKeyPress.Interval(), 200);
  Keys("P");
  EXPECT_EQ(Main_Display->TimerKeyPress.Interval(), 400);
  RunFor(410ms);
  EXPECT_FALSE(Main_Display->TimerKeyPress.Enabled());
  EXPECT_EQ(Main_Display->TimerKeyPress.Interval(), 200);
}

TEST_F(DSKYTest, AttitudeCountsAsReachedOnlyWithinToleranceAndRate) {
  ManeuverActive = true;
  ExtendedRoutine = 60;
  PitchAxis.TargetAngle = 0.01f;  // within 1 degree
  RollAxis.Rate = 0.01f;          // above 0.4 degree per second
  EXPECT_FALSE(IsAttitudeReached(1.0f, 0.4f));
  EXPECT_TRUE(ManeuverActive);
  RollAxis.Rate = 0.005f;
  EXPECT_TRUE(IsAttitudeReached(1.0f, 0.4f));
  EXPECT_FALSE(ManeuverActive);
  EXPECT_EQ(ExtendedRoutine, 0);
  EXPECT_TRUE(AttitudeReachedFlags[0] && AttitudeReachedFlags[1]);
  EXPECT_TRUE(AutoAttitudeHold) << "the attitude control holds what was reached";
}

}  // namespace
