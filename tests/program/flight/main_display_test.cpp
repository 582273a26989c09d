#include "program/flight/main_display.h"
#include "program/flight/staging.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>

#include "headless_lm.h"
#include "platform/forms/event_pump.h"
#include "platform/forms/script.h"
#include "platform/win/rnd.h"
#include "platform/win/twips.h"
#include "program/cockpit/cockpit_state.h"
#include "program/cockpit/sound_setup.h"
#include "program/flight/flight_loop_state.h"
#include "program/input/input_state.h"
#include "program/missions/missions_state.h"
#include "program/startup/form_connections.h"
#include "program/startup/startup_state.h"
#include "tests/program/main_display_reload.h"
#include "tests/program/saved_variables.h"

using namespace std::chrono_literals;

namespace {

// Each test has the main display as it loads, whatever the tests before it left running.
class MainDisplay : public ::testing::Test {
 protected:
  void SetUp() override {
    ConnectForms();
    DropMainDisplay();
    forms::UseClock(&clock);
    win::SetRndSource([] { return 0.5f; });
    headless::ResetLM(500.0f);
    Smoothing = {};
    ThrustAverageLength = 5;
    CurrentProgram = NoProgram;
    AutoThrottleOn = false;
    UseJoystick = UseMouse = false;
    FullScreen = false;
    Busy = false;
    Docked = ProbeCaptured = ProbeRetracting = false;
  }
  void TearDown() override {
    DropMainDisplay();
    win::SetRndSource(nullptr);
    forms::UseClock(nullptr);
  }
  // One frame of the surface loop: the physics, then the one yield in which the timers fire.
  void FlyFor(forms::Duration total) {
    const forms::Duration frame = forms::Duration(1s) / 60;
    for (forms::Duration t{0}; t < total; t += frame) {
      headless::FlyFrame();
      clock.Advance(frame);
      forms::DoEvents();
    }
  }
  forms::VirtualClock clock;
  SavedVariables saved_ = SavedVariables(Docked, ProbeCaptured, ProbeRetracting);
};

TEST_F(MainDisplay, TimersStartDisabledButTheModifierTimerAndOneShotsStopThemselves) {
  MainDisplayForm& form = *Main_Display;
  for (forms::Control* control : form.Controls())
    EXPECT_EQ(control->Enabled(), control == &form.TimerSpecialCharacter) << control->Name();
  EXPECT_EQ(form.TimerTalk(9).Interval(), 700);
  EXPECT_EQ(form.TimerTalk(1).Interval(), 3000);

  ShiftPending = true;
  clock.Advance(500ms);
  forms::DoEvents();
  EXPECT_FALSE(ShiftPending);
  EXPECT_FALSE(form.TimerSpecialCharacter.Enabled());

  ExplosionFrame = 1;
  form.TimerExplosion.SetEnabled(true);
  for (int i = 0; i < 12; ++i) {
    clock.Advance(75ms);
    forms::DoEvents();
  }
  EXPECT_EQ(ExplosionFrame, 13);
  clock.Advance(75ms);
  forms::DoEvents();
  EXPECT_EQ(ExplosionFrame, 1) << "after frame 13 the explosion starts over and stops";
  EXPECT_FALSE(form.TimerExplosion.Enabled());

  form.TimerTalk(3).SetEnabled(true);
  clock.Advance(3000ms);
  forms::DoEvents();
  EXPECT_FALSE(form.TimerTalk(3).Enabled()) << "the callout channel may speak again";
}

TEST_F(MainDisplay, ThrustFollowsTheCommandOverTheMeanLength) {
  RunFlag = ControlsActive = true;
  ThrottleCommand = 0.1f;
  for (int i = 0; i < 5; ++i) AverageTick();
  EXPECT_FLOAT_EQ(ThrustAverage, 0.1f);
  ThrottleCommand = 1.0f;
  for (float expected : {0.28f, 0.46f, 0.64f, 0.82f, 1.0f}) {
    AverageTick();
    EXPECT_NEAR(ThrustAverage, expected, 1e-6f);
  }
}

TEST_F(MainDisplay, ThrustMeanBeforeAnyProgramSetsItsLengthIsTheLatestCommand) {
  RunFlag = ControlsActive = true;
  ThrustAverageLength = 0;
  for (float command : {0.3f, 0.7f}) {
    ThrottleCommand = command;
    AverageTick();
    EXPECT_EQ(ThrustAverage, command);
  }
  ThrustAverageLength = 15;
  ThrottleCommand = 0.6f;
  for (int i = 0; i < 15; ++i) AverageTick();
  ThrustAverageLength = 5;  // a program change shortens the mean
  for (int i = 0; i < 6; ++i) AverageTick();
  EXPECT_NEAR(ThrustAverage, 0.6f, 1e-6f);
}

TEST_F(MainDisplay, HandControllerShapingIsSquareNearTheCentre) {
  RunFlag = ControlsActive = true;
  HandControllerAxes = {0.5f, 1.0f, 0.0f};
  AverageTick();
  EXPECT_EQ(Smoothing.AxisOutput[0], 0.5f);
  EXPECT_NEAR(Smoothing.AxisOutput[1], (52.5f * 42.0f * 0.00045335f + 1.0f) / 2.0f, 1e-6f);
  EXPECT_NEAR(Smoothing.AxisOutput[2], 1.0f - Smoothing.AxisOutput[1], 1e-6f);
}

TEST_F(MainDisplay, NeedlesAreTheMeanOfTheLastTenPositions) {
  RunFlag = ControlsActive = true;
  RollAxis.NeedlePosition = 0.6f;
  AverageTick();
  EXPECT_NEAR(RollAxis.NeedleSmoothed, 0.06f, 1e-6f);
  for (int i = 0; i < 9; ++i) AverageTick();
  EXPECT_NEAR(RollAxis.NeedleSmoothed, 0.6f, 1e-6f);
}

TEST_F(MainDisplay, AutomaticThrottleInsideTheBandGivesTheHoverThrottle) {
  RunFlag = ControlsActive = true;
  AutoThrottleOn = true;
  UpdateMassAndThrust();
  CommandedVerticalRate = -3.0f;
  LMVelocity.y = -3.1;  // inside the band of 0.25 ft/s
  AverageTick();
  EXPECT_FLOAT_EQ(ThrottleCommand, Weight / EngineThrust);
  LMVelocity.y = -5.0;  // falling too fast: more throttle
  AverageTick();
  EXPECT_FLOAT_EQ(ThrottleCommand, Weight / EngineThrust + 2.0f / 15.0f);
}

TEST_F(MainDisplay, AutomaticThrottleHoldsAHoverOnVirtualTime) {
  MainDisplayForm& form = *Main_Display;
  RunFlag = ControlsActive = true;
  AutoThrottleOn = true;
  CommandedVerticalRate = 0.0f;
  LMVelocity.y = -10.0;
  ThrustAverageLength = 5;
  form.TimerAverage.SetEnabled(true);
  FlyFor(60s);
  EXPECT_NEAR(LMVelocity.y, 0.0, 0.5);
  const float altitude = AltitudeAboveGround;
  FlyFor(10s);
  EXPECT_NEAR(AltitudeAboveGround, altitude, 5.0f) << "the LM hovers";
  EXPECT_LT(Fuel, DescentFuelMass);
  form.TimerAverage.SetEnabled(false);
}

TEST_F(MainDisplay, HostileThrustLeavesTheAutomaticThrottleFinite) {
  RunFlag = ControlsActive = true;
  AutoThrottleOn = true;
  for (float thrust : {0.0f, 1.0f}) {
    EngineThrust = thrust;
    ThrustDirection = {};
    AverageTick();
    EXPECT_TRUE(std::isfinite(ThrottleCommand)) << thrust;
    EXPECT_TRUE(std::isfinite(ThrustAverage)) << thrust;
    EXPECT_LE(ThrottleCommand, 1.0f);
  }
}

TEST_F(MainDisplay, StagingKicksTheAscentStageUpOnceAndSaysSoTheSecondTime) {
  Main_Display->Timer_Ascent_Particle.SetEnabled(false);
  Staged = false;
  LMVelocity = {1.0, -2.0, 0.0};
  StageAndAscend();
  EXPECT_TRUE(Staged);
  EXPECT_TRUE(AscentStageFlying);
  EXPECT_EQ(Fuel, AscentFuelMass);
  EXPECT_NEAR(LMVelocity.y, -1.8, 1e-6);
  EXPECT_NEAR(DescentStageVelocity.y, -2.2, 1e-6) << "the descent stage recoils";
  EXPECT_TRUE(StagingEffect.On);
  EXPECT_TRUE(Main_Display->Timer_Ascent_Particle.Enabled());
  const Vector3d after = LMVelocity;
  StageAndAscend();
  EXPECT_EQ(LMVelocity.y, after.y) << "already staged: nothing changes";
}

TEST_F(MainDisplay, StagingWithTheProbeHeldLeavesTheAscentStageAtRest) {
  for (bool* held : {&Docked, &ProbeCaptured, &ProbeRetracting}) {
    Docked = ProbeCaptured = ProbeRetracting = false;
    *held = true;
    Staged = false;
    LMVelocity = {1.0, -2.0, 0.5};
    StageAndAscend();
    EXPECT_EQ(LMVelocity.x, 0.0);
    EXPECT_EQ(LMVelocity.y, 0.0);
    EXPECT_EQ(LMVelocity.z, 0.0);
    EXPECT_NEAR(DescentStageVelocity.y, -2.2, 1e-6) << "the descent stage still recoils";
  }
}

TEST_F(MainDisplay, StagingSoundsTheSeparationAndOnlyAnIgnitionStartsTheEngineSound) {
  const SavedVariables saved(SoundOn);
  int32_t result = 0;
  SoundEngine.Init(0, result);
  for (SoundObject* buffer : {&SeparationSound, &DescentEngineSound}) {
    *buffer = std::make_unique<sound::SoundBuffer>(SoundEngine);
    bool loaded = false;
    (*buffer)->Load(MAROVIN_FIXTURES "/sound/tone.wav", 0, false, loaded);
    ASSERT_TRUE(loaded);
  }
  const auto playing = [](const SoundObject& buffer) {
    int32_t status = 0;
    buffer->IsPlaying(status);
    return status == 1;
  };
  SoundOn = true;
  Staged = false;
  StageAndAscend();
  EXPECT_TRUE(playing(SeparationSound));
  EXPECT_FALSE(playing(DescentEngineSound)) << "staging does not light the engine";
  StartAscentEngine();
  EXPECT_TRUE(playing(DescentEngineSound));
  SeparationSound.reset();
  DescentEngineSound.reset();
  SoundEngine = sound::SoundEngine();
}

TEST_F(MainDisplay, EngineStartsSetThrustFuelAndTheThrottleTick) {
  const SavedVariables saved(UllageTranslation);
  UllageTranslation = true;
  StartDescentEngine();
  EXPECT_FALSE(UllageTranslation);
  EXPECT_EQ(EngineThrust, DPSThrust);
  EXPECT_EQ(Fuel, DescentFuelMass);
  EXPECT_FLOAT_EQ(ThrottleCommand, 0.1f);
  EXPECT_TRUE(Main_Display->TimerAverage.Enabled());
  Landed = true;
  MissionTime = 5000.0;
  StartAscentEngine();
  EXPECT_FALSE(Landed);
  EXPECT_EQ(MissionTime, 0.0);
  EXPECT_EQ(EngineThrust, APSThrust);
  EXPECT_EQ(ThrustAverage, 1.0f);
  EXPECT_TRUE(AscentStageFlying && Staged);
}

TEST_F(MainDisplay, ExitRequestsStopTheTimersAndReturnToTheLauncherOrRestartLater) {
  MainDisplayForm& form = *Main_Display;
  form.Show();
  bool launcherShown = false;
  ShowLauncherAfterFlight = [&launcherShown] { launcherShown = true; };
  form.TimerAverage.SetEnabled(true);
  ExitRequest = 1;
  form.Timer_Test_Exit.SetEnabled(true);
  clock.Advance(10ms);
  forms::DoEvents();
  EXPECT_TRUE(launcherShown);
  EXPECT_FALSE(form.Visible());
  EXPECT_FALSE(form.TimerAverage.Enabled());
  EXPECT_FALSE(form.Timer_Test_Exit.Enabled());
  ShowLauncherAfterFlight = nullptr;

  {
    // Inside a handler, as a flight's frame is, the next flight waits for the outermost loop.
    forms::detail::HandlerScope frame;
    ReplayPlayback = true;
    ExitRequest = 3;
    form.Timer_Test_Exit.SetEnabled(true);
    clock.Advance(10ms);
    forms::DoEvents();
    EXPECT_FALSE(ReplayPlayback);
    ExitRequest = 2;
    form.Timer_Test_Exit.SetEnabled(true);
    clock.Advance(10ms);
    forms::DoEvents();
    EXPECT_TRUE(ReplayPlayback);
  }
  // The deferred flights are not flown here: this test has no scene.
  forms::script::StartAfresh();
}

TEST_F(MainDisplay, AFlightMinimisedInFullScreenResumesWhenRestored) {
  MainDisplayForm& form = *Main_Display;
  SimulationInitialised = true;
  FullScreen = true;
  RunFlag = true;
  form.Show();
  form.UserSetWindowState(forms::WindowState::Minimized);
  EXPECT_FALSE(RunFlag);
  form.UserSetWindowState(forms::WindowState::Normal);
  EXPECT_TRUE(RunFlag);
  SimulationInitialised = false;
  // The frame loop it re-enters is not flown here: this test has no scene.
  forms::script::StartAfresh();
}

// The window system here draws no frame around the window, so it reports the outer size as the
// inner one. The place the resize handler keeps, and the settings file saves, must give the same
// drawing area and 2D scale when the next start places the window with it.
TEST_F(MainDisplay, AKeptWindowSizePlacedAgainGivesTheSameDrawingArea) {
  MainDisplayForm& form = *Main_Display;
  form.Show();
  WindowLeft = win::PixelsToTwips(134);
  WindowTop = win::PixelsToTwips(10);
  WindowWidth = win::PixelsToTwips(1011);
  WindowHeight = win::PixelsToTwips(819);
  int32_t firstWidth = 0;
  int32_t firstHeight = 0;
  for (int start = 1; start <= 3; ++start) {
    Busy = true;
    form.Move(WindowLeft, WindowTop, WindowWidth, WindowHeight);
    Busy = false;
    const int32_t clientWidth = form.ScaleWidth();
    const int32_t clientHeight = form.ScaleHeight();
    form.UserMoved(WindowLeft, WindowTop, clientWidth, clientHeight);
    MainDisplayResize();
    if (start == 1) {
      firstWidth = ScreenWidth;
      firstHeight = ScreenHeight;
    }
    EXPECT_EQ(ScreenWidth, firstWidth) << "start " << start;
    EXPECT_EQ(ScreenHeight, firstHeight) << "start " << start;
    EXPECT_FLOAT_EQ(ScreenScaleY, static_cast<float>(firstHeight) / ReferenceHeight);
  }
  EXPECT_EQ(WindowWidth, win::PixelsToTwips(1011));
  EXPECT_EQ(WindowHeight, win::PixelsToTwips(819));
}

}  // namespace
