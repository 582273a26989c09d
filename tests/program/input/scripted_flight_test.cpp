// Whole flights flown by scripted keys on virtual time: each frame runs the input steps in the
// frame loop's order, then the loop's own flight of the frame, then yields once.
#include <gtest/gtest.h>

#include "program/flight/attitude_control.h"
#include "tests/program/flight/headless_lm.h"
#include "tests/program/input/input_fixture.h"

namespace {

class ScriptedKeyboardFlight : public InputTest {
 protected:
  void SetUp() override {
    // The headless LM's scene first: the input takes its engine over.
    headless::ResetLM(1000.0f);
    const auto switches = InstrumentLayout;  // the scenario's
    const float rateLimit = MaxCommandedRadialVelocity;
    InputTest::SetUp();
    InstrumentLayout = switches;
    MaxCommandedRadialVelocity = rateLimit;
    FramesPerSecond = 50.0f;
    PGNSSwitch.SwitchPosition = 0;
    AutoThrottleOn = false;
    Main_Display->TimerAverage.SetEnabled(true);
  }
  void Fly(int frames) {
    for (int n = 0; n < frames; ++n) {
      ProcessKeyCommands();
      ProcessMouse();
      UpdateKeyHoldRamp();
      headless::FlyFrame();
      clock.Advance(FrameTime);
      forms::DoEvents();
    }
  }
  void Press(int32_t key) {
    Keys({key});
    Fly(1);
    Keys({-key});
    Fly(1);
  }

 private:
  SavedVariables lm_ = SavedVariables(LMPosition, LMMeshPosition, LMVelocity, Fuel, EngineThrust,
                                      ThrustAverage, FrameTimeSec, FrameTimeMs, FrameSettled,
                                      OnGround, Crashed, ContactLightOn, FootpadReferencePoints,
                                      PadDown, PadHeight, FootpadTouched, MissionName, FlightFile);
};

TEST_F(ScriptedKeyboardFlight, KeysFlyTheLM) {
  // The PGNS switch to attitude hold: Ctrl, then P.
  Press(scan::kLeftControl);
  Press(scan::kP);
  EXPECT_EQ(PGNSSwitch.SwitchPosition, 1);

  // Roll right held for a second: the hand controller ramps to 20, the LM starts to roll.
  Keys({scan::kRight});
  Fly(50);
  Keys({-scan::kRight});
  EXPECT_NEAR(KeyHandController[0], 20.0f, 0.5f);
  EXPECT_FLOAT_EQ(HandControllerAxes[1], 0.6f);
  EXPECT_GT(RollAxis.HandControllerCommand, 0.0f);
  Fly(50);
  EXPECT_GT(RollAxis.Rate, 0.0f);

  // The commanded descent rate: once per repeat block.
  const float rate = CommandedVerticalRate;
  Press(scan::kO);
  Press(scan::kO);
  EXPECT_EQ(CommandedVerticalRate, rate + 1.0f);
  Fly(10);
  Press(scan::kI);
  EXPECT_EQ(CommandedVerticalRate, rate);

  // The manual throttle raises the thrust.
  const float thrust = ThrustAverage;
  Keys({scan::kRightBracket});
  Fly(100);
  Keys({-scan::kRightBracket});
  EXPECT_NEAR(ThrottleCommand, MinThrottle + 0.4f, 1e-3f);
  Fly(50);
  EXPECT_GT(ThrustAverage, thrust);

  // V 3 7 ENTR, then 6 3 ENTR on the keypad with Num Lock on: P63 starts.
  Press(scan::kNumLock);
  for (const int32_t key : {scan::kV, scan::kKeypad3, scan::kKeypad7, scan::kKeypadEnter})
    Press(key);
  EXPECT_EQ(DSKYVerb, "37");
  Fly(25);
  for (const int32_t key : {scan::kKeypad6, scan::kKeypad3, scan::kKeypadEnter}) Press(key);
  EXPECT_EQ(DSKYProgram, "63");

  // Escape twice: the exit box, then back to the launcher.
  Fly(25);
  Press(scan::kEscape);
  EXPECT_TRUE(ExitDialogShown);
  Fly(25);
  Press(scan::kEscape);
  EXPECT_EQ(ExitRequest, 1);
  EXPECT_FALSE(RunFlag);
}

}  // namespace
