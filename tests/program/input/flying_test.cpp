#include "program/input/flying.h"

#include <gtest/gtest.h>

#include <cmath>

#include "program/flight/attitude_control.h"
#include "program/input/joystick_devices.h"
#include "tests/program/flight/headless_lm.h"
#include "tests/program/input/input_fixture.h"

namespace {

TEST(DeadZone, MapsTheCentreBandToTheCentreAndKeepsTheEnds) {
  const struct {
    float width, value, result;
  } cases[] = {
      {0.2f, 0.45f, 0.5f}, {0.2f, 0.2f, 0.25f}, {0.2f, 1.0f, 1.0f},  {0.2f, 0.0f, 0.0f},
      {0.0f, 0.3f, 0.3f},  {0.0f, 0.8f, 0.8f},  {0.3f, 0.65f, 0.5f}, {0.3f, 0.825f, 0.75f},
  };
  for (const auto& c : cases)
    EXPECT_NEAR(ApplyDeadZone(c.width, c.value), c.result, 1e-6f) << c.width << " " << c.value;
}

class KeyboardFlying : public InputTest {};

TEST_F(KeyboardFlying, HeldArrowsMoveTheHandControllerTwentyUnitsASecond) {
  PGNSSwitch.SwitchPosition = 1;
  Keys({scan::kDown});  // Pitch Down
  Frames(50);
  EXPECT_NEAR(KeyHandController[1], -20.0f, 1e-3f);
  Frames(500);
  EXPECT_EQ(KeyHandController[1], -100.0f);
  EXPECT_EQ(HandControllerAxes[0], 0.0f);
  // Released, the value stays; Center Controls (TAB) puts it back.
  Keys({-scan::kDown});
  Frame();
  EXPECT_EQ(KeyHandController[1], -100.0f);
  Tap(scan::kTab);
  EXPECT_EQ(KeyHandController[1], 0.0f);
}

TEST_F(KeyboardFlying, NoHandControllerWithThePGNSOffAndNoJumpBeforeAFrameRate) {
  Keys({scan::kLeft});
  Frames(10);
  EXPECT_EQ(KeyHandController[0], 0.0f);
  PGNSSwitch.SwitchPosition = 1;
  FramesPerSecond = 0.0f;
  Frame();
  EXPECT_FLOAT_EQ(KeyHandController[0], -4.0f);  // one frame at 5 frames a second
}

TEST_F(KeyboardFlying, ThrottleKeysSetTheManualThrottle) {
  MinThrottle = 0.1f;
  Keys({scan::kRightBracket});  // Throttle Up
  Frames(100);
  EXPECT_NEAR(ThrottleKeyValue, 40.0f, 1e-3f);
  EXPECT_NEAR(ThrottleCommand, 0.5f, 1e-5f);
  Keys({-scan::kRightBracket, scan::kLeftBracket});
  Frames(300);
  EXPECT_EQ(ThrottleKeyValue, 0.0f);
  EXPECT_FLOAT_EQ(ThrottleCommand, MinThrottle);
}

TEST_F(KeyboardFlying, MinimumImpulseKeysAskForPulses) {
  PGNSSwitch.SwitchPosition = 1;
  MinimumImpulseMode = true;
  Keys({scan::kUp});
  Frame();
  EXPECT_EQ(PitchAxis.HandControllerState, -1);
  Keys({-scan::kUp});
  Frame();
  EXPECT_EQ(PitchAxis.HandControllerState, 0);
  EXPECT_TRUE(PitchAxis.PulseRequest);
}

TEST_F(KeyboardFlying, ArrowsRedesignateTheLandingPointInP64) {
  PGNSSwitch.SwitchPosition = 2;
  CurrentProgram = P64;
  LPDStep = 10.0f;
  LandingSpot.EastWest = 100.0f;
  Keys({scan::kUp});
  Frames(10);  // one step, then TimerP64 holds the next for 500 ms
  EXPECT_EQ(LandingSpot.EastWest, 110.0f);
  Frames(20);
  EXPECT_EQ(LandingSpot.EastWest, 120.0f);
  Keys({-scan::kUp});
  VerbFlash = true;
  Frames(30);
  Keys({scan::kLeft});
  Frame();
  EXPECT_EQ(LPDCrossRangeAngle, 0.0f);
  EXPECT_EQ(MessageText[0].Text, "Press PRO to activate LPD capabilities.");
}

// The shipped joystick bindings on a scripted four-axis stick.
class JoystickFlying : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    UseJoystick = true;
    LoadJoyAssignments();
    stick = Joysticks().Plug("Flight Stick", {4, 12, 1});
    EnumerateJoysticks();
    for (AxisAssignment& axis : AxisAssignments) ValidateAxisAssignment(axis);
  }
  size_t stick = 0;
};

// The same on the headless LM, whose scene comes first.
class JoystickFlyingLM : public JoystickFlying {
 protected:
  void SetUp() override {
    headless::ResetLM(500.0f);
    const auto switches = InstrumentLayout;  // the scenario's
    JoystickFlying::SetUp();
    InstrumentLayout = switches;
  }
};

TEST_F(JoystickFlyingLM, AxesFlyThroughTheSmoothingToRates) {
  PGNSSwitch.SwitchPosition = 1;
  AutoThrottleOn = true;
  Joysticks().SetAxis(stick, 0, 10000);  // roll full right
  Joysticks().SetAxis(stick, 1, 5000);
  Joysticks().SetAxis(stick, 3, 5000);
  Main_Display->TimerAverage.SetEnabled(true);
  for (int frame = 0; frame < 50; ++frame) {
    Frame();
    headless::FlyFrame();
  }
  EXPECT_EQ(AxisAssignments[AxisRoll].Value, 1.0f);
  EXPECT_EQ(HandControllerAxes[1], 1.0f);
  EXPECT_NEAR(RollAxis.HandControllerCommand, MaxCommandedRadialVelocity,
              MaxCommandedRadialVelocity * 1e-3f);
  EXPECT_NEAR(PitchAxis.HandControllerCommand, 0.0f, 1e-5f);
  EXPECT_GT(RollAxis.Rate, 0.0f);
}

TEST_F(JoystickFlying, TheThrottleAxisMapsBelowTheDetentAndAveragesFiveFrames) {
  MinThrottle = 0.1f;
  const auto throttleAt = [&](int32_t raw) {
    // Axis type 2, the first slider, reads inverted: raw 0 is full throttle.
    Joysticks().SetAxis(stick, 2, raw);
    Frames(5);
    return ThrottleCommand;
  };
  EXPECT_NEAR(throttleAt(10), 0.6f, 1e-5f);  // 0.999 of the way
  EXPECT_EQ(throttleAt(0), 1.0f);
  Joysticks().SetAxis(stick, 2, 10000);
  Frame();
  EXPECT_NEAR(ThrottleCommand, (4.0f * 1.0f + 0.1f) / 5.0f, 1e-5f);
}

TEST_F(JoystickFlying, YawOnTheXAxisIsBound) {
  PGNSSwitch.SwitchPosition = 1;
  AxisAssignments[AxisYaw].AxisType = 0;
  AxisAssignments[AxisRoll].AxisType = -1;
  Joysticks().SetAxis(stick, 0, 0);
  Frame();
  EXPECT_EQ(HandControllerAxes[2], 0.0f);
}

TEST_F(JoystickFlying, TheStickRedesignatesOnceWhenItComesBackToTheCentre) {
  PGNSSwitch.SwitchPosition = 2;
  CurrentProgram = P64;
  Joysticks().SetAxis(stick, 0, 1000);  // held left
  Frames(10);
  EXPECT_EQ(LPDCrossRangeAngle, 0.0f);
  Joysticks().SetAxis(stick, 0, 5000);
  Frame();
  EXPECT_FLOAT_EQ(LPDCrossRangeAngle, 0.0349f);
  Joysticks().SetAxis(stick, 0, 1000);
  Frames(5);
  Joysticks().SetAxis(stick, 0, 5000);
  Frame();
  EXPECT_FLOAT_EQ(LPDCrossRangeAngle, 0.0349f);  // TimerP64 held the second one back
  Frames(25);
  Joysticks().SetAxis(stick, 0, 9000);  // right, then back
  Frame();
  Joysticks().SetAxis(stick, 0, 5000);
  Frame();
  EXPECT_NEAR(LPDCrossRangeAngle, 0.0f, 1e-6f);
}

TEST_F(JoystickFlying, MinimumImpulseStickPulses) {
  PGNSSwitch.SwitchPosition = 1;
  MinimumImpulseMode = true;
  Joysticks().SetAxis(stick, 1, 1000);  // pitch forward
  Frame();
  EXPECT_EQ(PitchAxis.HandControllerState, 1);
  Joysticks().SetAxis(stick, 1, 5000);
  Frame();
  EXPECT_EQ(PitchAxis.HandControllerState, 0);
  EXPECT_TRUE(PitchAxis.PulseRequest);
}

TEST_F(JoystickFlying, TheHatTurnsTheOrbitCameraOrTheCockpitView) {
  SpotViewFlag = true;
  CurrentViewIndex = SpotView1;
  CameraOrbitYaw = 0.0f;
  Joysticks().SetPov(stick, 0, 9000);
  Frame();
  EXPECT_LT(CameraOrbitYaw, 0.0f);
  SpotViewFlag = false;
  InteriorViewFlag = true;
  CurrentViewIndex = VirtualView1;
  VirtualCockpitRotation[0] = {};
  Frames(2);  // the hat presses Virtual Right; the next keyboard pass turns the view
  EXPECT_GT(VirtualCockpitRotation[0].y, 0.0f);
  EXPECT_EQ(CurrentCockpitRotation.y, VirtualCockpitRotation[0].y);
}

TEST_F(JoystickFlying, RateOfDescentButtonsFireOncePerRepeatBlock) {
  CommandedVerticalRate = 0.0f;
  Joysticks().SetButton(stick, 1, true);  // Rate of Descent UP
  Frames(5);
  EXPECT_EQ(CommandedVerticalRate, 1.0f);
  Frames(10);
  EXPECT_EQ(CommandedVerticalRate, 2.0f);
}

}  // namespace
