// The P64 guidance step: a golden table of the braking law's branches, the steering of roll and
// yaw, and a headless P64 segment in which every output stays finite and within its limits.
#include "program/cockpit/landing_guidance.h"

#include <gtest/gtest.h>

#include <cmath>

#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/instruments.h"
#include "program/flight/flight_maths.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_state.h"
#include "tests/program/flight/headless_lm.h"
#include "tests/program/saved_variables.h"

namespace {

constexpr float QuarterPi = static_cast<float>(Pi / 4);

class LandingGuidanceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WorldScale = 1.0f;
    LMVelocity = {-1, -20, 0};
    LMMeshPosition = {1000, 100, 0};
    LandingSpot = {};
    P64LowGateHeight = 0;
    HorizontalVelocityForward = 10;
    HorizontalVelocityLateral = 0;
    ThrustAverage = 0.5f;
    EngineThrust = 9700;
    TotalMass = 1000;
    FrameTimeSec = 0.1f;
    BrakingLawTimer = 0;
    LPDCrossRangeAngle = 0;
    LPDRedesignated = false;
    PGNSSwitch.SwitchPosition = PGNSAuto;
    RollAxis = PitchAxis = YawAxis = AttitudeAxis{};
  }

  SavedVariables saved_ = SavedVariables(
      WorldScale, LMVelocity, LMMeshPosition, LMPosition, LandingSpot, P64LowGateHeight,
      HorizontalVelocityForward, HorizontalVelocityLateral, ThrustAverage, ThrottleCommand,
      EngineThrust, TotalMass, Weight, Fuel, FrameTimeSec, FrameTimeMs, FramesPerSecond,
      BrakingLawTimer, DesiredHeading, LPDCrossRangeAngle, LPDRedesignated, InstrumentLayout,
      RollAxis, PitchAxis, YawAxis, CommandedVerticalRate, LPDTime, LPDStep, LPDAngle, LPDTimeTens,
      LPDTimeOnes, LandingGuidance, VelocityHeading, LineOfSightAngle, InstrumentReadouts,
      MissionName, FlightFile, AltitudeAboveGround, AltitudeFeet, ControlsActive, RunFlag,
      FrameSettled, IntroFlyby, ReplayPlayback, Landed, OnGround, Crashed, ContactLightOn,
      EngineOff, AscentStageFlying, Staged, FootpadTouched, PadDown, PadHeight,
      FootpadReferencePoints, FirstTouchRecord, ContactRecord, FlightRecordCount,
      AscentStageMeshOffset, DPSThrust, DescentFuelMass, Gravity, RCSThrust, RCSDistance,
      MinThrottle);
};

struct BrakingCase {
  const char* name;
  float forward;    // ft/s
  float downrange;  // ft
  float thrust;     // lbf
  float throttle;
  float pitch;     // expected target, radians
  double lpdTime;  // expected, seconds
  float descent;   // expected commanded rate, ft/s
};

class BrakingLawTest : public LandingGuidanceTest,
                       public ::testing::WithParamInterface<BrakingCase> {};

TEST_P(BrakingLawTest, ThePitchTargetTheLPDTimeAndTheDescentRate) {
  const BrakingCase& c = GetParam();
  HorizontalVelocityForward = c.forward;
  LMMeshPosition.x = c.downrange;
  EngineThrust = c.thrust;
  ThrustAverage = c.throttle;
  UpdateLandingGuidance();
  EXPECT_NEAR(PitchAxis.TargetAngle, c.pitch, 1e-5);
  EXPECT_NEAR(LPDTime, c.lpdTime, 1e-4);
  EXPECT_NEAR(CommandedVerticalRate, c.descent, 1e-3);
  EXPECT_EQ(BrakingLawTimer, 1.0);
}

// Height above the low gate 100 ft throughout.
INSTANTIATE_TEST_SUITE_P(
    Branches, BrakingLawTest,
    ::testing::Values(
        // a = 0.05, k = 0.075, r = 75 / 4850: a small pitch back.
        BrakingCase{"gentle", 10, 1000, 9700, 0.5f,
                    std::acos(75.0f / 4850) - static_cast<float>(Pi / 2), -14, -12},
        // r = 15.5: more than the engine can give.
        BrakingCase{"beyond the thrust", 100, 100, 9700, 0.5f, -QuarterPi, 99,
                    -static_cast<float>(Pi / 4) * 100},
        // A negative thrust gives r = -0.39 and a pitch above 0.05 rad.
        BrakingCase{"pitch above the limit", 50, 1000, -9700, 0.5f, -QuarterPi,
                    2 * std::sqrt(125.0) - 16, -12},
        // No thrust at all: the product becomes 0.0001.
        BrakingCase{"no thrust", 10, 1000, 0, 0.0f, -QuarterPi, -14, -12},
        // Moving away from the spot: no braking rate, b = 0.01.
        BrakingCase{"receding", -5, 1000, 9700, 0.5f,
                    std::acos(1000 * 1.5f * 0.0125f / 4850) - static_cast<float>(Pi / 2), 0.02 - 16,
                    -12},
        // Past the spot: the distance is taken as 1 ft.
        BrakingCase{"past the spot", 1, -50, 9700, 0.25f,
                    std::acos(750.0f / 2425) - static_cast<float>(Pi / 2), -14, -12}),
    [](const auto& test) {
      std::string name = test.param.name;
      for (char& ch : name)
        if (ch == ' ') ch = '_';
      return name;
    });

TEST_F(LandingGuidanceTest, TheBrakingLawRunsOnceASecond) {
  HorizontalVelocityForward = 100;
  LMMeshPosition.x = 100;
  UpdateLandingGuidance();
  EXPECT_EQ(PitchAxis.TargetAngle, -QuarterPi);
  PitchAxis.TargetAngle = 0;
  for (int frame = 0; frame < 9; ++frame) UpdateLandingGuidance();
  EXPECT_EQ(PitchAxis.TargetAngle, 0.0f);
  UpdateLandingGuidance();  // the tenth 0.1 s frame
  EXPECT_EQ(PitchAxis.TargetAngle, -QuarterPi);
}

TEST_F(LandingGuidanceTest, ARedesignatedSpotKeepsThePilotsDescentRateOutOfAuto) {
  HorizontalVelocityForward = 200;
  LMMeshPosition = {100, 100, 0};  // line of sight pi/4
  CommandedVerticalRate = -3;
  LPDRedesignated = true;
  PGNSSwitch.SwitchPosition = PGNSManual;
  UpdateLandingGuidance();
  EXPECT_EQ(CommandedVerticalRate, -3);
  EXPECT_TRUE(LPDRedesignated);
  BrakingLawTimer = 0;
  PGNSSwitch.SwitchPosition = PGNSAuto;
  UpdateLandingGuidance();
  EXPECT_FALSE(LPDRedesignated);
  EXPECT_NEAR(CommandedVerticalRate, -200 * Pi / 4, 1e-3);
}

// The LM 1000 ft east of the spot flies west along the track to it (heading pi), turned by the
// pilot's cross-range redesignations; a backward flight keeps the same limit.
TEST_F(LandingGuidanceTest, RollSteersTheVelocityHeadingToTheSpotWithinItsLimit) {
  LMVelocity = {-1, 0, 0};  // heading pi
  const float pi = static_cast<float>(Pi);
  struct Case {
    float forward;     // ft/s; the limit is 0.04 rad either way
    float spotNorth;   // ft
    float crossRange;  // radians
    float roll;
  };
  for (const Case& c : {Case{100, 0, -pi, 0.04f}, Case{100, 0, 0.1f, -0.04f},
                        Case{100, 0, 0.006f, 0.006f * -0.04f / 0.0349f},
                        Case{100, 10, 0, std::atan(0.01f) * 0.04f / 0.0349f},
                        Case{-100, 0, -pi, -0.04f}, Case{-100, 0, 0.1f, 0.04f}}) {
    HorizontalVelocityForward = c.forward;
    LandingSpot.NorthSouth = c.spotNorth;
    LPDCrossRangeAngle = c.crossRange;
    RollAxis.TargetAngle = 7;
    UpdateLandingGuidance();
    EXPECT_NEAR(DesiredHeading, pi - std::atan(c.spotNorth / 1000) + c.crossRange, 1e-6);
    EXPECT_NEAR(RollAxis.TargetAngle, c.roll, 1e-6)
        << c.forward << " " << c.spotNorth << " " << c.crossRange;
    EXPECT_EQ(RollAxis.HoldAngle, RollAxis.TargetAngle);
  }
  // Within half a degree the roll target is left alone.
  RollAxis.TargetAngle = 7;
  LandingSpot.NorthSouth = 0;
  LPDCrossRangeAngle = 0.001f;
  UpdateLandingGuidance();
  EXPECT_EQ(RollAxis.TargetAngle, 7);
}

TEST_F(LandingGuidanceTest, StandingStillStillGivesFiniteTargets) {
  LMVelocity = {0, 0, 0};
  HorizontalVelocityForward = 0;
  HorizontalVelocityLateral = 3;
  UpdateLandingGuidance();
  EXPECT_TRUE(std::isfinite(VelocityHeading));
  EXPECT_NEAR(YawAxis.TargetAngle, std::atan(3 / 0.0001f), 1e-6);
  EXPECT_TRUE(std::isfinite(PitchAxis.TargetAngle));
  EXPECT_TRUE(std::isfinite(LPDStep));
}

TEST_F(LandingGuidanceTest, AHeadlessP64SegmentKeepsEveryOutputFiniteAndInItsLimits) {
  // What the scenario and the harness set besides the guidance's own inputs.
  const SavedVariables scenario(
      APSThrust, AscentFuelMass, AscentMassEmpty, AscentOnly, AscentStartTime, CMAttitude,
      CurrentCockpitEye, CurrentCockpitRotation, DescentMassEmpty, DescentSpeed, Docked,
      HistoricLandingSpot, LandTilePosition, LandTileScale, MaxCommandedRadialVelocity,
      MissionDescription, MoonAngle, MoonRadius, RCSFuel, StartPosition, StartProgram,
      StartRotation, StartVelocity, SurveyorPosition, SurveyorRotation, VirtualCockpitEye,
      VirtualCockpitRotation, MissionClock, EventClock, TimeToAscentIgnition, RCSTorque,
      MomentOfInertia, RCSAngularAcceleration, ThrustDirection, TotalSpeed, AltitudeAboveGround);
  headless::ResetLM(3000.0f);
  // Twenty seconds at 120 ft/s cross far more than the default ground.
  headless::SetGround([](float, float) { return 0.0f; }, 40.0f);
  MeasureAltitude();
  LandingSpot.EastWest = LMMeshPosition.x - 4000 / WorldScale;
  P64LowGateHeight = 100;
  LMVelocity = {-120, -40, 0};
  BrakingLawTimer = 0;
  ThrustAverage = 0.6f;
  for (int frame = 0; frame < 1200 && !Landed; ++frame) {
    HorizontalVelocityForward = static_cast<float>(-LMVelocity.x);
    UpdateLandingGuidance();
    LMVelocity.y = CommandedVerticalRate;
    headless::FlyFrame();
    for (float value : {RollAxis.TargetAngle, YawAxis.TargetAngle, PitchAxis.TargetAngle,
                        CommandedVerticalRate, LPDStep, VelocityHeading, LineOfSightAngle})
      ASSERT_TRUE(std::isfinite(value)) << frame;
    ASSERT_TRUE(std::isfinite(LPDTime)) << frame;
    ASSERT_LE(LPDTime, 99.0) << frame;
    ASSERT_LE(CommandedVerticalRate, -12.0f) << frame;
    ASSERT_GE(PitchAxis.TargetAngle, -QuarterPi - 1e-6f) << frame;
    ASSERT_LE(PitchAxis.TargetAngle, 0.05f) << frame;
  }
  EXPECT_LT(AltitudeAboveGround, 3000);
}

}  // namespace
