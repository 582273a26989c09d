#include "program/input/joystick_devices.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include "program/flight/flight_loop_state.h"
#include "program/flight/main_display.h"
#include "program/input/joystick_assign.h"
#include "program/input/joystick_data.h"
#include "tests/program/input/input_fixture.h"

namespace {

class JoystickDevices : public InputTest {
 protected:
  static std::vector<std::string> Listed() {
    std::vector<std::string> entries;
    for (int16_t i = 0; i < JoystickAssign->Combo1.ListCount(); ++i)
      entries.push_back(JoystickAssign->Combo1.List(i));
    return entries;
  }
};

TEST_F(JoystickDevices, TheListShowsTheJoysticksWithAxesAndIsRefilledEachTime) {
  EnumerateJoysticks();
  EXPECT_EQ(Listed(), std::vector<std::string>{"1 > No Joystick Connected"});
  EXPECT_EQ(JoystickCount, 0);
  Joysticks().Plug("Buttons Only", {0, 8, 0});
  Joysticks().Plug("Flight Stick", {4, 12, 1});
  EnumerateJoysticks();
  EnumerateJoysticks();
  EXPECT_EQ(Listed(), std::vector<std::string>{"2 > Flight Stick"});
  EXPECT_EQ(JoystickCount, 2);
  EXPECT_EQ(JoystickListCount, 1);
  EXPECT_EQ(JoystickAxisLimit[2], 3);
  EXPECT_EQ(JoystickAssign->Combo1.ListIndex(), 0);
}

TEST_F(JoystickDevices, AxesReadByTheirTypeWithTheFirstSliderInverted) {
  engine::JoystickState state;
  state.x = 1000;
  state.y = 2000;
  state.sliders[0] = 0;
  state.rz = 4000;
  state.z = 5000;
  state.sliders[1] = 6000;
  state.rx = 7000;
  state.ry = 8000;
  const float expected[] = {0.1f, 0.2f, 1.0f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f};
  for (int32_t type = 0; type < 8; ++type) {
    float value = -1.0f;
    ASSERT_TRUE(ReadAxis(state, type, false, value));
    EXPECT_FLOAT_EQ(value, expected[type]) << type;
    ASSERT_TRUE(ReadAxis(state, type, true, value));
    EXPECT_FLOAT_EQ(value, 1.0f - expected[type]) << type;
  }
  float kept = 0.25f;
  EXPECT_FALSE(ReadAxis(state, -1, false, kept));
  EXPECT_EQ(kept, 0.25f);
}

TEST_F(JoystickDevices, AStickThatHasNotReportedStandsCentredAndAGoneOneLetsGo) {
  UseJoystick = true;
  LoadJoyAssignments();
  const size_t stick = Joysticks().Plug("Flight Stick", {4, 12, 1});
  EnumerateJoysticks();
  Joysticks().SetAxis(stick, 0, 0);
  Joysticks().SetAxis(stick, 1, 0);
  Joysticks().SetPov(stick, 0, 0);
  PollJoysticks();
  EXPECT_EQ(AxisAssignments[AxisRoll].Value, 0.5f);
  EXPECT_EQ(AxisAssignments[AxisPitch].Value, 0.5f);
  EXPECT_EQ(POVValue, -1);

  Joysticks().SetAxis(stick, 0, 10000);
  PollJoysticks();
  EXPECT_EQ(AxisAssignments[AxisRoll].Value, 1.0f);
  Joysticks().Unplug(stick);
  PollJoysticks();
  EXPECT_EQ(AxisAssignments[AxisRoll].Value, 0.5f);
}

TEST_F(JoystickDevices, AHeldPauseButtonFiresOncePerRepeatBlock) {
  UseJoystick = true;
  LoadJoyAssignments();
  ControlAssignments[ActionPause].Joystick = 1;
  ControlAssignments[ActionPause].Button = 11;
  const size_t stick = Joysticks().Plug("Flight Stick", {4, 12, 1});
  EnumerateJoysticks();
  Joysticks().SetButton(stick, 11, true);
  Frame();
  EXPECT_FALSE(ControlsActive);
  Frames(5);
  EXPECT_FALSE(ControlsActive);
  Frames(10);
  EXPECT_TRUE(ControlsActive);
}

// While the key timer runs its repeat block only the held commands take a button; the attitude
// keys never do, the stick turning the LM in their place.
TEST_F(JoystickDevices, AButtonFiresItsCommandByHowTheCommandTakesIt) {
  struct Case {
    ActionIndex action;
    bool pressedInBlock;
    bool pressedOutside;
  };
  const Case cases[] = {{ActionPause, false, true},      {ActionRatescaleToggle, false, true},
                        {ActionWalkForward, true, true}, {ActionKeyPadNoun, true, true},
                        {ActionATTMONAGS, true, true},   {ActionRollLeft, false, false},
                        {ActionThrottleUp, false, false}};
  UseJoystick = true;
  LoadJoyAssignments();
  const size_t stick = Joysticks().Plug("Flight Stick", {4, 12, 1});
  EnumerateJoysticks();
  Joysticks().SetButton(stick, 11, true);
  for (const Case& c : cases) {
    for (const bool block : {true, false}) {
      ControlAssignments[c.action] = {};
      ControlAssignments[c.action].Joystick = 1;
      ControlAssignments[c.action].Button = 11;
      Main_Display->TimerKeyPress.SetEnabled(block);
      PollJoysticks();
      EXPECT_EQ(ControlAssignments[c.action].Pressed, block ? c.pressedInBlock : c.pressedOutside)
          << ActionDefinitions[c.action].KeyName << (block ? " in a repeat block" : "");
      ControlAssignments[c.action].Button = -1;
    }
  }
  Main_Display->TimerKeyPress.SetEnabled(false);
}

TEST_F(JoystickDevices, ButtonsAtOrPastTheCountAreNotRead) {
  UseJoystick = true;
  LoadJoyAssignments();
  ControlAssignments[ActionPause].Joystick = 1;
  ControlAssignments[ActionPause].Button = 4;
  const size_t stick = Joysticks().Plug("Four Buttons", {2, 4, 0});
  EnumerateJoysticks();
  Joysticks().SetButton(stick, 4, true);
  Frames(3);
  EXPECT_TRUE(ControlsActive);
}

TEST_F(JoystickDevices, TheTestLoopShowsTheStickAndDrawsThePreviewIntoTheDialog) {
  UseJoystick = true;
  LoadJoyAssignments();
  const size_t stick = Joysticks().Plug("Flight Stick", {4, 12, 1});
  MiniLMMesh = Scene->CreateMesh("JoyLM");
  JoystickTestPicture = LoadTestTexture("joyback");
  JoystickAssignForm& dialog = *JoystickAssign;
  dialog.Show();
  Joysticks().SetAxis(stick, 0, 10000);
  Joysticks().SetButton(stick, 3, true);
  Joysticks().SetPov(stick, 0, 9000);
  const int32_t mainWidth = Main_Display->Width();
  // Two passes of the loop, then Exit.
  int passes = 0;
  engine_->recorder->onPresentToWindow = [&] {
    if (++passes == 2) JoystickTestStop = true;
  };
  RunJoystickTest();
  EXPECT_EQ(dialog.Picture6(0).Width(), dialog.Picture5(0).Width());
  EXPECT_EQ(dialog.Picture6(1).Width(), dialog.Picture5(1).Width() / 2);
  EXPECT_EQ(dialog.Option2(3).BackColor(), 255);
  EXPECT_NE(dialog.Option2(2).BackColor(), 255);
  EXPECT_TRUE(dialog.Option2(11).Visible());
  EXPECT_FALSE(dialog.Option2(12).Visible());
  EXPECT_EQ(dialog.Text1.Text(), "9000");
  EXPECT_TRUE(dialog.Image1(3).Visible());
  EXPECT_FALSE(dialog.Image1(1).Visible());
  const engine::Engine::WindowPresent& present = Engine->LastWindowPresent();
  EXPECT_EQ(present.window, dialog.Picture1.hWnd());
  EXPECT_EQ(present.width, dialog.Picture1.ScaleWidth());
  EXPECT_GE(present.count, 2);
  EXPECT_GT(MiniLMMesh->GetPosition().y, 0.0f);
  EXPECT_EQ(Main_Display->Width(), mainWidth);
}

TEST_F(JoystickDevices, WithoutAJoystickTheTestLooksForOneAboutOnceASecond) {
  MiniLMMesh = Scene->CreateMesh("JoyLM");
  JoystickTestPicture = LoadTestTexture("joyback");
  EnumerateJoysticks();
  JoystickAssignForm& dialog = *JoystickAssign;
  dialog.Show();
  // Each pass of the loop draws the preview: 20 ms of the clock each, for three seconds.
  int passes = 0;
  engine_->recorder->onPresentToWindow = [&] {
    clock.Advance(20ms);
    if (++passes == 150) JoystickTestStop = true;
  };
  int enumerations = 0;
  dialog.Combo1.Click = [&] {
    if (++enumerations == 1) Joysticks().Plug("Late Stick", {2, 2, 0});
  };
  RunJoystickTest();
  EXPECT_EQ(enumerations, 2);  // at 1 s, at 2 s, which finds the stick, and no more
  EXPECT_EQ(Listed(), std::vector<std::string>{"1 > Late Stick"});
}

// SDL's own virtual device on the SDL joysticks, with the shipped bindings: throttle on axis 2,
// yaw on axis 3.
TEST_F(JoystickDevices, AFourAxisSDLStickFliesWithTheShippedBindings) {
  SDL_SetHint(SDL_HINT_JOYSTICK_HIDAPI, "0");
  UseSdlJoysticks();
  const int device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 4, 4, 1);
  ASSERT_GE(device, 0) << SDL_GetError();
  UseJoystick = true;
  LoadJoyAssignments();
  EnumerateJoysticks();
  for (AxisAssignment& axis : AxisAssignments) ValidateAxisAssignment(axis);
  EXPECT_EQ(AxisAssignments[AxisThrottle].AxisType, 2);
  EXPECT_EQ(AxisAssignments[AxisYaw].AxisType, 3);
  SDL_Joystick* handle = SDL_JoystickOpen(device);
  ASSERT_NE(handle, nullptr);
  SDL_JoystickSetVirtualAxis(handle, 2, -32768);  // throttle slider at its minimum: full
  SDL_JoystickSetVirtualAxis(handle, 3, 32767);   // yaw full right
  PollJoysticks();
  EXPECT_EQ(AxisAssignments[AxisThrottle].Value, 1.0f);
  EXPECT_EQ(AxisAssignments[AxisYaw].Value, 1.0f);
  SDL_JoystickClose(handle);
  InputDevices->Release();
  Engine->UseJoysticks(std::make_unique<engine::ScriptedJoysticks>());
  SDL_JoystickDetachVirtual(device);
}

}  // namespace
