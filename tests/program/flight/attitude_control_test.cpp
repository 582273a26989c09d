#include "program/flight/attitude_control.h"

#include <gtest/gtest.h>

#include <cmath>

#include "headless_lm.h"
#include "program/cockpit/cockpit_state.h"
#include "program/flight/flight_scene.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_services.h"

namespace {

constexpr float Degree = 0.0174532925f;

class AttitudeControl : public ::testing::Test {
 protected:
  void SetUp() override {
    headless::ResetLM(1000.0f);
    UpdateMassAndThrust();
    ResetAttitudeReference();
    for (AttitudeAxis* axis : {&RollAxis, &PitchAxis, &YawAxis}) {
      ResetAttitudeAxis(*axis);
      axis->HoldAngle = NoHoldAngle;
    }
    PGNSSwitch.SwitchPosition = 1;
    RollRCSSwitch.SwitchPosition = PitchRCSSwitch.SwitchPosition = YawRCSSwitch.SwitchPosition = 0;
    SelectedDeadband = SmallDeadband;
    CurrentProgram = NoProgram;
    ManeuverActive = AutoAttitudeHold = MinimumImpulseMode = false;
    AttitudeManeuverActive = GimbalLocked = RCSFiring = false;
    AutoStepTimer = 0.0;
  }

  // The attitude steps of one frame: control, then the turn by this frame's rates.
  static void Frame() {
    UpdateAttitudeControl();
    AttitudeIncrement = {RollAxis.Rate * FrameTimeSec, PitchAxis.Rate * FrameTimeSec,
                         YawAxis.Rate * FrameTimeSec};
    UpdateFDAIFromLM();
    RCSSoundCooldown -= FrameTimeSec;
  }
};

TEST_F(AttitudeControl, DirectModeFiresWhileTheHandControllerIsOut) {
  RollRCSSwitch.SwitchPosition = 1;
  RollAxis.HandControllerCommand = -0.2f;
  Frame();
  EXPECT_TRUE(RCSFiring);
  EXPECT_EQ(RollAxis.HandControllerState, -1);
  EXPECT_NEAR(RollAxis.Rate, -RCSAngularAcceleration * FrameTimeSec, 1e-7);
  RollAxis.HandControllerCommand = 0.0f;
  Frame();
  EXPECT_FALSE(RCSFiring);
  EXPECT_NEAR(RollAxis.Rate, -RCSAngularAcceleration * FrameTimeSec, 1e-7) << "the rate stays";
}

TEST_F(AttitudeControl, RateHoldReachesTheCommandedRateAndHoldsTheAttitudeAfterwards) {
  PitchRCSSwitch.SwitchPosition = 2;
  PitchAxis.HandControllerCommand = 0.05f;
  for (int i = 0; i < 120; ++i) Frame();
  EXPECT_NEAR(PitchAxis.Rate, 0.05f, 0.0087f + 0.02f);
  EXPECT_EQ(PitchAxis.HoldAngle, NoHoldAngle) << "a command releases the hold";
  PitchAxis.HandControllerCommand = 0.0f;
  for (int i = 0; i < 240; ++i) Frame();
  EXPECT_LE(std::fabs(PitchAxis.Rate), SmallDeadband + 0.02f);
  EXPECT_NE(PitchAxis.HoldAngle, NoHoldAngle) << "centred and slow: the attitude is captured";
}

TEST_F(AttitudeControl, MinimumImpulseFiresOnePulsePerRequest) {
  YawRCSSwitch.SwitchPosition = 2;
  MinimumImpulseMode = true;
  YawAxis.HandControllerState = 1;
  YawAxis.PulseRequest = true;
  UpdateAttitudeControl();
  EXPECT_NEAR(YawAxis.Rate, RCSAngularAcceleration * 0.016, 1e-7);
  EXPECT_FALSE(YawAxis.PulseRequest);
  EXPECT_EQ(YawAxis.HandControllerState, 0);
  UpdateAttitudeControl();
  EXPECT_NEAR(YawAxis.Rate, RCSAngularAcceleration * 0.016, 1e-7);
}

TEST_F(AttitudeControl, AutomaticModeSteersOnlyInItsPrograms) {
  PGNSSwitch.SwitchPosition = 2;
  RollRCSSwitch.SwitchPosition = PitchRCSSwitch.SwitchPosition = YawRCSSwitch.SwitchPosition = 2;
  PitchAxis.TargetAngle = 10.0f * Degree;
  CurrentProgram = P00;  // steers nothing by itself
  for (int i = 0; i < 30; ++i) Frame();
  EXPECT_EQ(PitchAxis.Rate, 0.0f);
  CurrentProgram = P64;
  for (int i = 0; i < 60 * 20; ++i) Frame();
  // The rate command keeps its last value inside the deadband, so the attitude circles the target.
  EXPECT_NEAR(PitchAxis.Angle, PitchAxis.TargetAngle, 3.0f * Degree);
  EXPECT_LT(std::fabs(PitchAxis.Rate), 0.02f);
}

TEST_F(AttitudeControl, OtherPGNSPositionsFireNothing) {
  PGNSSwitch.SwitchPosition = 0;
  RollRCSSwitch.SwitchPosition = 1;
  RollAxis.HandControllerCommand = 1.0f;
  RCSFiring = AutoAttitudeHold = true;
  Frame();
  EXPECT_FALSE(RCSFiring);
  EXPECT_FALSE(AutoAttitudeHold);
  EXPECT_EQ(RollAxis.Rate, 0.0f);
}

TEST_F(AttitudeControl, P66RampsTheDescentRateButNeverAboveItsLimit) {
  PGNSSwitch.SwitchPosition = 2;
  CurrentProgram = P66;
  struct Case {
    float altitude;
    float rate;
    float expected;
  };
  for (const Case& c : {Case{330.0f, -5.0f, -10.0f}, Case{50.0f, -2.0f, -3.0f},
                        Case{330.0f, -30.0f, -30.0f + 0.8f / 60.0f}}) {
    AltitudeAboveGround = c.altitude;
    CommandedVerticalRate = c.rate;
    UpdateAttitudeControl();
    EXPECT_NEAR(CommandedVerticalRate, c.expected, 1e-5) << c.altitude << " " << c.rate;
  }
}

TEST_F(AttitudeControl, NeedlesShowBodyAxisErrors) {
  RollAxis.TargetAngle = 0.3f;
  UpdateAttitudeErrors();
  EXPECT_FLOAT_EQ(RollAxis.NeedlePosition, 0.65f);
  RollAxis.TargetAngle = 0.0f;
  RollAxis.Angle = 90.0f * Degree;
  RollAxis.TargetAngle = RollAxis.Angle;
  PitchAxis.TargetAngle = 0.1f;
  UpdateAttitudeErrors();
  EXPECT_NEAR(PitchAxis.NeedlePosition, 0.5f, 1e-6f) << "rolled 90 degrees, pitch shows on yaw";
  EXPECT_NEAR(YawAxis.NeedlePosition, 0.55f, 1e-6f);
}

TEST_F(AttitudeControl, HoverTargetsTiltAgainstTheDriftUpTo20Degrees) {
  HorizontalVelocityLateral = 3.0f;
  HorizontalVelocityForward = -30.0f;
  UpdateHoverAttitudeTargets();
  EXPECT_NEAR(RollAxis.TargetAngle, -6.0f * Degree, 1e-6f);
  EXPECT_FLOAT_EQ(PitchAxis.TargetAngle, 0.3490658402442932f);
}

TEST_F(AttitudeControl, PitchScheduleIs57DegreesWhileClimbingFast) {
  PitchScheduleTimer = 0.0;
  LMVelocity.y = 100.0;
  UpdatePitchSchedule();
  EXPECT_FLOAT_EQ(PitchAxis.TargetAngle, 0.9948377013206482f);
  LMVelocity.y = 10.0;
  UpdatePitchSchedule();
  EXPECT_FLOAT_EQ(PitchAxis.TargetAngle, 0.9948377013206482f) << "held until the next 0.2 s";
  PitchScheduleTimer = -1.0;
  UpdatePitchSchedule();
  EXPECT_EQ(PitchAxis.TargetAngle, 0.0f);
}

TEST_F(AttitudeControl, ManeuverTurnsTheLMToTheTargetWithoutOvershoot) {
  MeasureLMAngles();
  EXPECT_NEAR(RollAxis.Angle, 0.0f, 1e-3f);
  EXPECT_NEAR(PitchAxis.Angle, 0.0f, 1e-3f);
  EXPECT_NEAR(YawAxis.Angle, 0.0f, 1e-3f);
  RollAxis.TargetAngle = 5.0f * Degree;
  PitchAxis.TargetAngle = -20.0f * Degree;
  YawAxis.TargetAngle = 12.0f * Degree;
  AttitudeManeuverActive = true;
  float rate = 50.0f;
  bool realTime = false;
  int steps = 0;
  float previousPitchGap = 1.0f;
  while (AttitudeManeuverActive && steps < 10000) {
    StepAttitudeManeuver(rate, realTime);
    const float gap = std::fabs(PitchAxis.TargetAngle - PitchAxis.Angle);
    EXPECT_LE(gap, previousPitchGap + 1e-4f) << "step " << steps;
    previousPitchGap = gap;
    ++steps;
  }
  EXPECT_FALSE(AttitudeManeuverActive) << steps;
  EXPECT_NEAR(PitchAxis.Angle, PitchAxis.TargetAngle, 0.0002f);
  EXPECT_NEAR(YawAxis.Angle, YawAxis.TargetAngle, 0.0002f);
  EXPECT_NEAR(RollAxis.Angle, RollAxis.TargetAngle, 0.0002f);
  // The LM turned with the ball: its thrust axis leans by about the pitch and the roll (the
  // small steps about the three axes compose to within a degree of that).
  EXPECT_NEAR(PivotTransformVector({0, 1, 0}).y,
              std::cos(PitchAxis.TargetAngle) * std::cos(RollAxis.TargetAngle), 0.01f);
}

TEST_F(AttitudeControl, JetsThatCannotTurnTheLMFireNothingAndStayFinite) {
  RCSThrust = 0.0f;
  ComputeRCSTorque();
  UpdateMassAndThrust();
  FramesPerSecond = 0.0f;
  PGNSSwitch.SwitchPosition = 1;
  RollRCSSwitch.SwitchPosition = PitchRCSSwitch.SwitchPosition = 2;
  RollAxis.HandControllerCommand = 0.1f;
  PitchAxis.TargetAngle = 0.5f;
  for (int i = 0; i < 60; ++i) Frame();
  EXPECT_EQ(RollAxis.Rate, 0.0f);
  EXPECT_TRUE(std::isfinite(RollAxis.FireDuration));
  PGNSSwitch.SwitchPosition = 2;
  CurrentProgram = P64;
  for (int i = 0; i < 60; ++i) Frame();
  EXPECT_TRUE(std::isfinite(PitchAxis.Rate) && std::isfinite(PitchAxis.FireDuration));
}

TEST(JetSelection, TablesNameTheirPlumesAndTranslationAlongYUsesBothPasses) {
  FillJetSelectionTables();
  int cellsSet = 0;
  for (const JetSelection& table : JetSelectionTables)
    for (const JetCell& cell : table) cellsSet += cell.a + cell.b;
  EXPECT_EQ(cellsSet, 12 * 4);
  EXPECT_TRUE(JetSelectionTables[JetPitchPlus][10 - 1].a);
  EXPECT_TRUE(JetSelectionTables[JetPitchPlus][6 - 1].b);
  for (int plume = 0; plume < RCSPlumeCount; ++plume)
    EXPECT_EQ(JetSelectionTables[JetYPlus][static_cast<size_t>(plume)].a,
              JetSelectionTables[JetYPlus][static_cast<size_t>(plume)].b);
}

}  // namespace
