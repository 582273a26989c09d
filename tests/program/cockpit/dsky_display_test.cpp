// The registers each verb and noun show, the program monitors and the drawing of the DSKY.

#include "program/cockpit/dsky_display.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "program/cockpit/dsky_programs.h"
#include "program/flight/flight_maths.h"
#include "program/flight/flight_state.h"
#include "program/missions/missions_state.h"
#include "tests/program/cockpit/dsky_fixture.h"

using namespace std::chrono_literals;

namespace {

TEST(RegisterFormat, SignAndFiveDigitsWithImpliedDecimals) {
  EXPECT_EQ(FormatSignedValue(12.5), "p01250");
  EXPECT_EQ(FormatSignedValue(-12.5), "m01250");
  EXPECT_EQ(FormatSignedValue(0.0), "p00000");
  EXPECT_EQ(FormatSignedValue(123456.0), "p99999");
  EXPECT_EQ(Digits5(-42.4), "00042");
  EXPECT_EQ(GlyphIndex("m"), 10);
  EXPECT_EQ(GlyphIndex("a"), 13);
  EXPECT_EQ(GlyphIndex("7"), 7);
  EXPECT_EQ(GlyphIndex(""), 0);
}

struct RegisterCase {
  const char* verb;
  const char* noun;
  int program;
  const char* r1;
  const char* r2;
  const char* r3;
};

// A known state: targets roll 10, pitch -20 degrees, yaw 0; velocities 12.5, -3, 100 ft/s;
// 30 ft/s across, 5 ft/s down at 250.4 ft; thrust 57 percent; 0:03 to ignition; the docking
// target 2.5 miles away closing at 1.5 ft/s; the landing point 42 degrees down, 35 s away.
const RegisterCase kRegisterCases[] = {
    {"06", "18", 9, "p01000", "p34000", "p00000"}, {"50", "18", 7, "p01000", "p34000", "p00000"},
    {"06", "81", 9, "p01250", "m00300", "p10000"}, {"06", "42", 9, "p00000", "p00000", "p01250"},
    {"06", "43", 9, "p00340", "p03367", "p10234"}, {"06", "40", 9, "p00b03", "p01250", "p00150"},
    {"06", "60", 9, "p00030", "m00050", "p00250"}, {"06", "94", 9, "p00015", "p00050", "p00250"},
    {"16", "92", 9, "p00057", "m00050", "p00250"}, {"50", "25", 6, "p00203", "bbbbbb", "bbbbbb"},
    {"50", "25", 8, "p00015", "bbbbbb", "bbbbbb"}, {"01", "71", 9, "p00150", "p00000", "p00000"},
    {"06", "69", 9, "b00000", "b00000", "b00000"}, {"00", "00", 9, "bbbbbb", "bbbbbb", "bbbbbb"},
    {"06", "49", 9, "p00250", "p00150", "bbbbb4"},
    {"06", "78", 4, "p00250", "p00015", "b0bb00"}, {"06", "64", 10, "a35b42", "m00050", "p00250"},
    {"06", "72", 4, "bbbbbb", "bbbbbb", "bbbbbb"}, {"06", "74", 3, "m00b03", "p00100", "p05450"},
};

class RegisterFormatting : public DSKYTest, public ::testing::WithParamInterface<RegisterCase> {
 protected:
  void SetUp() override {
    DSKYTest::SetUp();
    // The three stored display values outlive every flight; noun 60 at rest stores them as 0.
    DSKYVerb = "06";
    DSKYNoun = "60";
    FormatVerbNounDisplay();
    ManeuverTargets = Vector3{DegToRad(10.0f), DegToRad(-20.0f), 0.0f};
    BurnVelocity[0] = 12.5f;
    BurnVelocity[1] = -3.0f;
    BurnVelocity[2] = 100.0f;
    LMVelocity.x = 1.5;
    LMVelocity.y = -5.0;
    HorizontalVelocityForward = 30.0f;
    AltitudeAboveGround = 250.4f;
    ThrustAverage = 0.57f;
    TimeToIgnition.Seconds = 3;
    SetTimeDigits(TimeToIgnition);
    DockRangeFeet = 13200.0f;
    WorldScale = 1.0f;
    DockSpeed = 1.5f;
    LPDAngle = 42;
    LPDTimeTens = "3";
    LPDTimeOnes = "5";
  }
};

TEST_P(RegisterFormatting, ShowsTheQuantitiesOfTheVerbAndNoun) {
  const RegisterCase& c = GetParam();
  CurrentProgram = c.program;
  DSKYVerb = c.verb;
  DSKYNoun = c.noun;
  FormatVerbNounDisplay();
  EXPECT_EQ(DSKYRegister[0], c.r1);
  EXPECT_EQ(DSKYRegister[1], c.r2);
  EXPECT_EQ(DSKYRegister[2], c.r3);
}

INSTANTIATE_TEST_SUITE_P(Table, RegisterFormatting, ::testing::ValuesIn(kRegisterCases),
                         [](const auto& test) {
                           return std::string("V") + test.param.verb + "N" + test.param.noun + "P" +
                                  std::to_string(test.param.program);
                         });

TEST_F(DSKYTest, Verb99LeavesTheRegistersToTheMonitor) {
  DSKYRegister = {"p12345", "m00001", "bbbbbb"};
  DSKYVerb = "99";
  DSKYNoun = "74";
  FormatVerbNounDisplay();
  EXPECT_EQ(DSKYRegister[0], "p12345");
  EXPECT_EQ(DSKYRegister[1], "m00001");
}

TEST_F(DSKYTest, WhileAStartIsPendingTheRegistersWaitAndNoMonitorRuns) {
  Main_Display->DSKY_Display_Update.SetEnabled(true);
  StartP63();
  RunFor(1010ms);
  EXPECT_EQ(DSKYRegister[0], "abbbbb");
  EXPECT_FALSE(LampAlt);
  // At 2 s the display update fires before the start delay ends (the form's timer order), so the
  // monitor's first register appears on the update after that.
  RunFor(2000ms);
  EXPECT_EQ(DSKYRegister[0], "p00000");  // P63's monitor: the horizontal velocity
  EXPECT_TRUE(LampAlt && LampVel);
}

// Starts a program and lets its start delay pass.
void Started(void (*start)()) {
  start();
  Main_Display->DSKYStartProgram.SetEnabled(false);
}

TEST_F(DSKYTest, OnePROInP30RunsEveryStepAndEndsTheProgram) {
  Started(StartP30);
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYVerb, "37");
  EXPECT_EQ(DSKYNoun, "bb");
  EXPECT_TRUE(NounEntryActive);
}

TEST_F(DSKYTest, P51AlignsOnEnterAndOnePROReachesItsLastDisplay) {
  Started(StartP51);
  Keys("E");
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYVerb, "41");
  EXPECT_EQ(DSKYNoun, "22");
  EXPECT_TRUE(LampNoAtt && PlatformAlignmentFlag);
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYVerb, "54");
  EXPECT_EQ(DSKYNoun, "71");
}

TEST_F(DSKYTest, LandingProgramsAcceptTheirDisplayOnPRO) {
  Started(StartP64);
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_FALSE(VerbFlash || NounFlash);
  EXPECT_FALSE(ProceedRequest);

  Started(StartP68);
  MinimumImpulseMode = true;
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYVerb, "37");
  EXPECT_EQ(DSKYNoun, "00");
  EXPECT_EQ(DSKYRegister[0], "bbbbbb");
}

TEST_F(DSKYTest, AttitudeManoeuvreRunsFromR62ThroughR60ToTheTarget) {
  Started(StartP00);
  Keys("V49E");
  ManeuverTargets = Vector3{0.0f, 0.2f, 0.0f};
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_EQ(ExtendedRoutine, 60);
  EXPECT_EQ(DSKYVerb, "50");
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_TRUE(ManeuverActive);
  EXPECT_EQ(DSKYVerb, "16");
  EXPECT_FLOAT_EQ(PitchAxis.TargetAngle, -0.2f);
  PitchAxis.Angle = -0.2f;
  UpdateDSKYDisplay();
  EXPECT_FALSE(ManeuverActive);
  EXPECT_EQ(ExtendedRoutine, 0);
}

TEST_F(DSKYTest, P41FliesToItsTargetsOnPRO) {
  Started(StartP41);
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_TRUE(ManeuverActive);
  EXPECT_FLOAT_EQ(PitchAxis.TargetAngle, ManeuverTargets.y);
  EXPECT_EQ(DSKYVerb, "16");
}

// P63 counts the braking on its own display, leaves a program alarm's registers standing, and
// below the high gate asks for P64 on the screen.
TEST_F(DSKYTest, P63CountsTheBrakingAndCallsForP64BelowTheHighGate) {
  Started(StartP63);
  HorizontalVelocityForward = 350.4f;
  LMVelocity.y = -100.2;
  AltitudeAboveGround = 7200.0f;
  MessageText[0].Text.clear();
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYRegister, (std::array<std::string, 3>{"p00350", "m01002", "p07200"}));
  EXPECT_TRUE(LampAlt && LampVel);
  EXPECT_EQ(MessageText[0].Text, "");
  AltitudeAboveGround = 6999.0f;
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYRegister[2], "p06999");
  EXPECT_EQ(MessageText[0].Text, "P64: VERB 3 7 ENTER, 6 4 ENTER");
  DSKYVerb = "05";
  DSKYNoun = "09";
  DSKYRegister = {"ab1201", "abbbbb", "abbbbb"};
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYRegister[0], "ab1201") << "the alarm stays shown";
}

TEST_F(DSKYTest, KeyingDuringAProgramLightsKeyRel) {
  Started(StartP63);
  Keys("V");  // a keyed digit would hold the display instead
  UpdateDSKYDisplay();
  EXPECT_TRUE(LampKeyRel);
}

// Sets the countdown to `seconds` before ignition.
void IgnitionIn(int32_t seconds) {
  TimeToIgnition = {};
  TimeToIgnition.Seconds = seconds;
  SetTimeDigits(TimeToIgnition);
  TimeToIgnition.Negative = true;
  TimeToIgnition.Sign = "m";
}

TEST_F(DSKYTest, AscentWaitsForPGNSInAutoAndIgnitesOnceInTheLastSeconds) {
  int ignitions = 0;
  DSKYNeighbours.StartAscentEngine = [&] { ++ignitions; };
  Started(StartP12);
  IgnitionIn(50);
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYNoun, "76");
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYNoun, "25");
  PGNSSwitch.SwitchPosition = 1;
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYNoun, "25");
  EXPECT_EQ(MessageText[0].Text, "Checklist Item: PGNS must be in Auto");
  PGNSSwitch.SwitchPosition = 2;
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYNoun, "74");
  UpdateDSKYDisplay();  // the registers follow on the next tick
  EXPECT_EQ(DSKYRegister[0], "m00b50");

  IgnitionIn(5);
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYVerb, "99");
  EXPECT_TRUE(VerbFlash && NounFlash);
  IgnitionIn(4);
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_EQ(ignitions, 1);
  EXPECT_EQ(DSKYVerb, "06");
  EXPECT_EQ(DSKYNoun, "94");
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_EQ(ignitions, 1);
  DSKYNeighbours = {};
}

TEST_F(DSKYTest, DescentBurnCountsDownAndStartsTheEngineOnPRO) {
  int ignitions = 0;
  DSKYNeighbours.StartDescentEngine = [&] { ++ignitions; };
  Started(StartP40);
  AttitudeReachedFlags[1] = true;
  UpdateDSKYDisplay();  // verb 50 noun 18: waits for PRO to fly to the burn attitude
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_TRUE(ManeuverActive);
  EXPECT_EQ(DSKYVerb, "06");
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYVerb, "50");
  EXPECT_EQ(DSKYNoun, "25");
  PGNSSwitch.SwitchPosition = 2;
  Keys("E");
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYNoun, "40");
  IgnitionIn(7);
  UpdateDSKYDisplay();
  EXPECT_TRUE(BurnWindowFlag);
  IgnitionIn(3);
  UpdateDSKYDisplay();
  EXPECT_EQ(DSKYVerb, "99");
  Keys("P");
  UpdateDSKYDisplay();
  EXPECT_EQ(ignitions, 1);
  EXPECT_EQ(DSKYVerb, "16");
  DSKYNeighbours = {};
}

class RecordingCanvas : public DSKYCanvas {
 public:
  void Begin(const std::string& surface) override { drawn.push_back("begin " + surface); }
  void DrawTexture(const std::string& texture, int32_t left, int32_t top, int32_t,
                   int32_t) override {
    drawn.push_back(texture + "@" + std::to_string(left) + "," + std::to_string(top));
  }
  void End(const std::string& surface) override { drawn.push_back("end " + surface); }
  bool Has(const std::string& entry) const {
    return std::find(drawn.begin(), drawn.end(), entry) != drawn.end();
  }
  std::vector<std::string> drawn;
};

TEST_F(DSKYTest, TheFaceShowsEachCellAndBlanksFlashingFieldsInTheDarkPhase) {
  DSKYVerb = "16";
  DSKYNoun = "68";
  DSKYProgram = "64";
  DSKYRegister = {"m01250", "p1", "abbbbb"};
  VerbFlash = true;
  FlashPhase = true;
  RecordingCanvas canvas;
  DrawDSKY(canvas, 50.0f);
  ASSERT_FALSE(canvas.drawn.empty());
  EXPECT_EQ(canvas.drawn.front(), "begin DSKYDisp");
  EXPECT_TRUE(canvas.Has("D12@15,74") && canvas.Has("D12@30,74"));  // the verb flashes dark
  EXPECT_TRUE(canvas.Has("D6@85,74") && canvas.Has("D8@100,74"));
  EXPECT_TRUE(canvas.Has("D6@85,27") && canvas.Has("D4@100,27"));
  EXPECT_TRUE(canvas.Has("D10@12,122") && canvas.Has("D5@80,122"));
  EXPECT_TRUE(canvas.Has("D0@46,170"));  // beyond a short string's end
  EXPECT_TRUE(canvas.Has("D13@12,215"));
  EXPECT_FALSE(canvas.Has("CompAct@16,11"));
  EXPECT_TRUE(canvas.Has("end DSKYLights"));
}

TEST_F(DSKYTest, CompActyLightsByChanceOrOnceAndOprErrFlashes) {
  RecordingCanvas canvas;
  CompActyPercent = 60;
  DrawDSKY(canvas, 59.0f);
  EXPECT_TRUE(canvas.Has("CompAct@16,11"));
  canvas.drawn.clear();
  CompActyPercent = 0;
  CompActyOnce = true;
  DrawDSKY(canvas, 0.0f);
  EXPECT_TRUE(canvas.Has("CompAct@16,11"));
  EXPECT_FALSE(CompActyOnce);

  canvas.drawn.clear();
  LampOprErr = true;
  LampProg = true;
  FlashPhase = true;
  DrawDSKYLights(canvas);
  EXPECT_TRUE(canvas.Has("DSKYOPRERRoff@7,149"));
  EXPECT_TRUE(canvas.Has("DSKYPROG@65,79"));
  EXPECT_TRUE(canvas.Has("BLANKoff@7,184"));
}

}  // namespace
