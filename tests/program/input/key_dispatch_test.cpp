#include "program/input/key_dispatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "platform/forms/script.h"
#include "platform/win/numbers.h"
#include "program/missions/launcher_forms.h"
#include "tests/program/input/input_fixture.h"

namespace {

class KeyDispatch : public InputTest {};

TEST_F(KeyDispatch, ComposesOneKeyCodePerKeyDown) {
  // Frames of key events (negative: released); the code of the last frame's key.
  const struct {
    const char* what;
    std::vector<std::vector<int32_t>> frames;
    int32_t code;
    bool waitOutLatches = false;
  } cases[] = {
      {"plain key", {{scan::kN}}, scan::kN},
      {"Shift, then N", {{scan::kLeftShift, -scan::kLeftShift}, {scan::kN}}, 1000049},
      {"right Shift", {{scan::kRightShift, -scan::kRightShift}, {scan::kN}}, 1000049},
      {"Shift forgotten after 500 ms",
       {{scan::kLeftShift, -scan::kLeftShift}, {scan::kN}},
       scan::kN,
       true},
      {"Ctrl wins over Shift",
       {{scan::kLeftShift, -scan::kLeftShift, scan::kRightControl, -scan::kRightControl},
        {scan::kN}},
       100049},
      {"the Windows key wins over both",
       {{scan::kLeftShift, -scan::kLeftShift, scan::kLeftControl, -scan::kLeftControl,
         scan::kLeftWindows, -scan::kLeftWindows},
        {scan::kN}},
       10049},
      {"a bare modifier", {{scan::kLeftShift, -scan::kLeftShift}}, 1000000},
      {"Num Lock switched on", {{scan::kNumLock, -scan::kNumLock}}, 1100000},
      {"keypad with Num Lock", {{scan::kNumLock, -scan::kNumLock}, {scan::kKeypad8}}, 1100072},
      {"keypad after Num Lock off",
       {{scan::kNumLock, -scan::kNumLock}, {scan::kNumLock, -scan::kNumLock}, {scan::kKeypad8}},
       scan::kKeypad8},
      {"a release neither fires nor latches", {{scan::kLeftShift}, {-scan::kLeftShift}}, 0},
  };
  for (const auto& c : cases) {
    for (size_t f = 0; f < c.frames.size(); ++f) {
      if (f + 1 == c.frames.size() && c.waitOutLatches) Frames(30);
      Keys(c.frames[f]);
      ProcessKeyCommands();
      if (f + 1 < c.frames.size()) Frame();
    }
    EXPECT_EQ(CurrentKeyCode, c.code) << c.what;
    // Everything up again and every latch forgotten before the next case.
    for (int32_t key = 1; key < scan::kCount; ++key) Input().KeyEvent(key, false);
    if (Input().NumLockOn()) Tap(scan::kNumLock);
    Frames(30);
    NumLockOn = false;
  }
}

// One command: the keys that fire it (each pressed and released, a frame each; 0 waits out the
// repeat block) and what it does.
struct CommandCase {
  const char* what;
  std::function<void()> before;
  std::vector<int32_t> keys;
  std::function<void()> check;
};

class Commands : public InputTest, public ::testing::WithParamInterface<size_t> {};

const std::vector<CommandCase>& CommandCases() {
  static const std::vector<CommandCase> cases = {
      {"O raises the commanded descent rate",
       [] { CommandedVerticalRate = -3.0f; },
       {scan::kO},
       [] {
         EXPECT_EQ(CommandedVerticalRate, -2.0f);
         EXPECT_TRUE(DescentRateChanged);
       }},
      {"Ctrl+P steps the PGNS switch and says so",
       [] {},
       {scan::kLeftControl, scan::kP},
       [] {
         EXPECT_EQ(PGNSSwitch.SwitchPosition, 1);
         EXPECT_EQ(MessageText[0].Text, "PGNS Attitude Hold");
         EXPECT_TRUE(ControlsActive);  // P alone is Pause
       }},
      {"the PGNS switch goes round",
       [] { PGNSSwitch.SwitchPosition = 2; },
       {scan::kLeftControl, scan::kP},
       [] { EXPECT_EQ(PGNSSwitch.SwitchPosition, 0); }},
      {"H steps the cross-pointer scale",
       [] {},
       {scan::kH},
       [] { EXPECT_EQ(XPointerHighScale, 1); }},
      {"P pauses",
       [] {},
       {scan::kP},
       [] {
         EXPECT_FALSE(ControlsActive);
         EXPECT_TRUE(MenuShown);
       }},
      {"M asks for a screenshot", [] {}, {scan::kM}, [] { EXPECT_TRUE(ScreenshotRequest); }},
      {"F2 shows the program's help",
       [] {},
       {scan::kF1 + 1},
       [] { EXPECT_TRUE(ProgramHelpShown); }},
      {"F3 shows the ground markers",
       [] {},
       {scan::kF1 + 2},
       [] { EXPECT_TRUE(ShowGroundMarkers); }},
      {"Shift+R starts the replay",
       [] {},
       {scan::kLeftShift, scan::kR},
       [] {
         EXPECT_EQ(ExitRequest, 2);
         EXPECT_FALSE(RunFlag);
         EXPECT_EQ(MessageText[0].Text, "Replay Started");
       }},
      {"no EVA before the landing",
       [] {},
       {scan::k0},
       [] {
         EXPECT_EQ(PendingFadeTime, 0);
         EXPECT_EQ(MessageText[0].Text, "No EVA until Landing!");
         EXPECT_EQ(MessageText[0].BoxColour, 0xFFFF0000u);
       }},
      {"the EVA view after the landing",
       [] { Landed = true; },
       {scan::k0},
       [] { EXPECT_EQ(PendingFadeTime, 1000); }},
      {"no abort in a replay",
       [] { ReplayPlayback = true; },
       {scan::kF1 + 7},
       [] { EXPECT_EQ(MessageText[0].Text, "No Aborts allowed in Replay."); }},
      {"Escape with help shown closes it and goes on",
       [] {
         HelpPage = 2;
         SettingsOverlayShown = true;
       },
       {scan::kEscape},
       [] {
         EXPECT_EQ(HelpPage, 0);
         EXPECT_FALSE(SettingsOverlayShown);
         EXPECT_FALSE(ExitDialogShown);
       }},
      {"Escape twice leaves the flight",
       [] {},
       {scan::kEscape, 0, scan::kEscape},
       [] {
         EXPECT_EQ(ExitRequest, 1);
         EXPECT_FALSE(RunFlag);
         EXPECT_FALSE(ControlsActive);
       }},
      {"Alt opens the menu", [] {}, {scan::kLeftAlt}, [] { EXPECT_TRUE(SettingsOverlayShown); }},
      {"Space steps the head-up modes of the active views",
       [] {
         ViewRecords[CockpitView1].Active = true;
         ViewRecords[CockpitView1].HudMode = 6;
       },
       {scan::kSpace},
       [] { EXPECT_EQ(ViewRecords[CockpitView1].HudMode, 0); }},
  };
  return cases;
}

TEST_P(Commands, FireOnTheirKeys) {
  const CommandCase& c = CommandCases()[GetParam()];
  SCOPED_TRACE(c.what);
  // The abort key is F8 in no shipped file: bind it here.
  ControlAssignments[ActionKeyAbortAscent].KeyCode = scan::kF1 + 7;
  c.before();
  for (const int32_t key : c.keys) {
    if (key == 0) {
      WaitOutRepeatBlock();
      continue;
    }
    Tap(key);
  }
  c.check();
}

INSTANTIATE_TEST_SUITE_P(KeyBoardOnly, Commands,
                         ::testing::Range<size_t>(0, CommandCases().size()));

TEST_F(KeyDispatch, NumLockOnAtTheStartTypesKeypadDigits) {
  Input().SetNumLock(true);  // as the window system reports it
  Keys({scan::kKeypad7});
  ProcessKeyCommands();
  EXPECT_EQ(CurrentKeyCode, 1100000 + scan::kKeypad7);
}

TEST_F(KeyDispatch, ACommandBlocksTheOthersForTheRepeatDelayButNotTheDSKY) {
  CommandedVerticalRate = 0.0f;
  Tap(scan::kO);
  Tap(scan::kO);  // 40 ms later: blocked
  Tap(scan::kV);  // the DSKY's VERB key goes through
  EXPECT_EQ(CommandedVerticalRate, 1.0f);
  EXPECT_TRUE(VerbEntryActive);
  WaitOutRepeatBlock();
  Tap(scan::kO);
  EXPECT_EQ(CommandedVerticalRate, 2.0f);
}

TEST_F(KeyDispatch, F1ShowsTwoHelpPagesThenOpensTheHelpFile) {
  HelpFilePath = "help/marovinhelp.chm";
  const size_t opened = forms::script::ShownHelpPages().size();
  for (const int32_t expected : {1, 2, 0}) {
    Tap(scan::kF1);
    WaitOutRepeatBlock();
    EXPECT_EQ(HelpPage, expected);
  }
  EXPECT_EQ(forms::script::ShownHelpPages().size(), opened + 1);
}

TEST_F(KeyDispatch, StartReplayEndsThePassAndHeldKeysWait) {
  Keys({scan::kLeftShift});
  Frame();
  Keys({-scan::kLeftShift, scan::kR, scan::kP, scan::kEnd});  // Pause and PGNS Hold with it
  Frame();
  EXPECT_EQ(ExitRequest, 2);
  EXPECT_TRUE(ControlsActive);
  EXPECT_EQ(PGNSSwitch.SwitchPosition, 0);
}

TEST_F(KeyDispatch, HeldSwitchKeysActOnlyWithoutAModifierHeld) {
  Keys({scan::kLeftShift});
  Frame();
  Keys({scan::kEnd});  // PGNS Hold
  Frames(3);
  EXPECT_EQ(PGNSSwitch.SwitchPosition, 0);
  Keys({-scan::kLeftShift});
  Frame();
  EXPECT_EQ(PGNSSwitch.SwitchPosition, 1);

  // The large deadband is position 1 and the small one 0, as the toggle steps them. (The Shift
  // latch lasts 500 ms after the key: a key that goes down meanwhile carries it.)
  Keys({-scan::kEnd});
  Frames(30);
  Keys({scan::kJ});
  Frame();
  EXPECT_EQ(DeadbandSwitch.SwitchPosition, 1);
  Keys({-scan::kJ, scan::kU});
  Frame();
  EXPECT_EQ(DeadbandSwitch.SwitchPosition, 0);
}

TEST_F(KeyDispatch, TranslationKeysFollowTheLaterOfAPair) {
  ControlAssignments[ActionKeyTranslatePX].KeyCode = scan::kF1 + 8;
  ControlAssignments[ActionKeyTranslateMX].KeyCode = scan::kF1 + 9;
  Keys({scan::kF1 + 8});
  Frame();
  EXPECT_EQ(TranslationCommand[0], 1);
  Keys({scan::kF1 + 9});
  Frame();
  EXPECT_EQ(TranslationCommand[0], -1);
  Keys({-(scan::kF1 + 8), -(scan::kF1 + 9)});
  Frame();
  EXPECT_EQ(TranslationCommand[0], 0);
}

// A key let go again before the frame polls it (a press shorter than a frame: down and up in one
// yield) acts for that one frame, as a held key does.
TEST_F(KeyDispatch, AKeyTappedWithinAFrameActsForThatFrame) {
  Keys({scan::kK, -scan::kK});
  Frame();
  EXPECT_TRUE(EngineOff) << "Kill Engine";
  ControlAssignments[ActionKeyTranslatePX].KeyCode = scan::kF1 + 8;
  Keys({scan::kF1 + 8, -(scan::kF1 + 8)});
  Frame();
  EXPECT_EQ(TranslationCommand[0], 1);
  Frame();
  EXPECT_EQ(TranslationCommand[0], 0) << "one frame only";
}

TEST_F(KeyDispatch, AHeldStrafeKeyRampsUpTheOrbitCamera) {
  SpotViewFlag = true;
  CurrentViewIndex = SpotView1;
  CameraOrbitYaw = 0.0f;
  Frame();  // the ramp's start is taken in a frame without a hold
  Keys({scan::kA});
  Frame();
  EXPECT_FLOAT_EQ(CameraOrbitYaw, 0.04f);  // 2 degrees a second at factor 1
  Frame();
  // The ramp starts from 2 and grows by 1.5 a second below 3, then by 4 a second.
  EXPECT_FLOAT_EQ(CameraOrbitYaw, 0.04f + 0.04f * 2.06f);
  float previous = MouseSensitivity;
  for (int frame = 0; frame < 30; ++frame) {
    Frame();
    const float rate = previous < 3.0f ? 1.5f : 4.0f;
    EXPECT_FLOAT_EQ(MouseSensitivity, std::min(previous * (1.0f + rate / 50.0f), 20.0f));
    previous = MouseSensitivity;
  }
  Frames(50);
  EXPECT_FLOAT_EQ(MouseSensitivity, 20.0f);
  Keys({-scan::kA});
  Frame();
  EXPECT_FLOAT_EQ(MouseSensitivity, 1.0f);
}

TEST_F(KeyDispatch, CockpitEyesStayInTheCabin) {
  InteriorViewFlag = true;
  CurrentViewIndex = VirtualView2;
  VirtualCockpitEye[1] = {-2.0f, 3.0f, 2.0f};
  FramesPerSecond = 0.0f;  // not measured yet: steps as at 5 frames a second
  Frame();
  Keys({scan::kD});  // Strafe Right
  Frames(40);
  EXPECT_FLOAT_EQ(VirtualCockpitEye[1].z, 2.06f);
  EXPECT_EQ(CurrentCockpitEye.z, VirtualCockpitEye[1].z);
  EXPECT_TRUE(std::isfinite(MouseSensitivity));
}

TEST_F(KeyDispatch, ClampAndHudCycle) {
  Vector3 eye{-9.0f, 9.0f, -9.0f};
  ClampCockpitEye(eye);
  EXPECT_EQ(eye.x, -4.3f);
  EXPECT_EQ(eye.y, 6.26f);
  EXPECT_EQ(eye.z, -2.06f);
  ViewRecord view{false, 3, 0.0f};
  CycleHudMode(view);
  EXPECT_EQ(view.HudMode, 3);  // an inactive view keeps its mode
}

}  // namespace

namespace {

TEST_F(KeyDispatch, F4GoesFullScreenAndBackToTheWindowsPlace) {
  const SavedVariables saved(DisplayModeWidth, DisplayModeHeight, DisplayModeBits, WindowLeft,
                             WindowTop, WindowWidth, WindowHeight, LightIds, FontIds);
  // The scene's four lights are set again first.
  for (size_t light = 0; light < LightIds.size(); ++light)
    LightIds[light] = static_cast<int16_t>(LightEngine->CreateLight(LightRecords[light]));
  DriverDialog.Get();
  DisplayModeWidth = 1024;
  DisplayModeHeight = 768;
  DisplayModeBits = 32;
  MainDisplayForm& display = *Main_Display;
  display.Move(300, 450, 9000, 6000);
  Tap(scan::kF1 + 3);
  EXPECT_TRUE(FullScreen);
  EXPECT_FALSE(Engine->IsWindowed());
  EXPECT_TRUE(display.FullScreen());
  EXPECT_EQ(ScreenWidth, 1024);
  EXPECT_FLOAT_EQ(ScreenScaleY, 768.0f / 1200.0f);
  EXPECT_EQ(DriverDialog->chkWindowed.Value(), forms::Control::kUnchecked);
  EXPECT_EQ(WindowWidth, 9000);
  display.Move(0, 0, 15360, 11520);  // the window system covers the screen
  WaitOutRepeatBlock();
  Tap(scan::kF1 + 3);
  EXPECT_FALSE(FullScreen);
  EXPECT_TRUE(Engine->IsWindowed());
  EXPECT_FALSE(display.FullScreen());
  EXPECT_EQ(display.Left(), 300);
  EXPECT_EQ(display.Width(), 9000);
  EXPECT_EQ(DriverDialog->chkWindowed.Value(), forms::Control::kChecked);
  // The picture is laid out for the window again, not for the display mode.
  EXPECT_EQ(ScreenWidth, display.ScaleWidth());
  EXPECT_EQ(ScreenHeight, display.ScaleHeight());
  EXPECT_FLOAT_EQ(ScreenScaleY, static_cast<float>(display.ScaleHeight()) / 1200.0f);
  EXPECT_EQ(Engine->Width(), display.ScaleWidth());
  EXPECT_EQ(Engine->Height(), display.ScaleHeight());
  EXPECT_EQ(Engine->Fonts().Get(FontIds[LargeFont])->size,
            win::RoundHalfEven(30.0f * static_cast<float>(ScreenHeight) / 1024.0f));
}

// A window resized while the flight goes on: the back buffer and the fonts follow it.
TEST_F(KeyDispatch, AWindowResizedInFlightGetsItsBackBufferAndFonts) {
  const SavedVariables saved(WindowLeft, WindowTop, WindowWidth, WindowHeight, FontIds,
                             SimulationInitialised);
  SimulationInitialised = true;
  MainDisplayForm& display = *Main_Display;
  for (const auto& [width, height] : {std::pair{1000, 800}, std::pair{640, 400}}) {
    display.UserMoved(10, 10, width, height);
    EXPECT_TRUE(RunFlag);
    EXPECT_EQ(Engine->Width(), width);
    EXPECT_EQ(Engine->Height(), height);
    const engine::Font* large = Engine->Fonts().Get(FontIds[LargeFont]);
    ASSERT_NE(large, nullptr) << "the fonts are made for " << height;
    EXPECT_EQ(large->size, win::RoundHalfEven(30.0f * static_cast<float>(height) / 1024.0f));
  }
}

}  // namespace
