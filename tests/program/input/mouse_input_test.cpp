#include "program/input/mouse_input.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "program/cockpit/dsky_keys.h"
#include "tests/program/input/input_fixture.h"

namespace {

class Mouse : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    arrow = LoadTestTexture("ArrowPointer");
    hidden = LoadTestTexture("nomouse");
    Scene->SetMouseCursor(arrow, 32.0f, 32.0f, 0, 0);
    ScreenWidth = Engine->Width();
    ScreenHeight = Engine->Height();
    ScreenScaleX = static_cast<float>(ScreenWidth) / 1600.0f;
    ScreenScaleY = static_cast<float>(ScreenHeight) / 1200.0f;
  }
  void Click(int32_t button) {
    Input().MouseButton(button, true);
    Frame();
    Input().MouseButton(button, false);
    Frame();
  }
  int32_t arrow = 0;
  int32_t hidden = 0;
};

TEST_F(Mouse, TheRightButtonStartsMouseFlyingOnlyInTheProgramsThatAllowIt) {
  CurrentProgram = P63;
  Input().MouseMoved(10, 10);
  Click(1);
  EXPECT_FALSE(UseMouse);
  EXPECT_EQ(Scene->MouseCursorTexture(), arrow);

  CurrentProgram = P66;
  Click(1);
  EXPECT_TRUE(UseMouse);
  EXPECT_EQ(Scene->MouseCursorTexture(), hidden);
  EXPECT_EQ(Input().MouseX(), Main_Display->ScaleWidth() / 2);
  EXPECT_EQ(Input().MouseY(), Main_Display->ScaleHeight() / 2);
  // At the centre the mouse commands nothing.
  EXPECT_FLOAT_EQ(HandControllerAxes[0], 0.5f);
  EXPECT_FLOAT_EQ(HandControllerAxes[1], 0.5f);

  Input().MouseMoved(0, 0);
  Frame();
  EXPECT_EQ(HandControllerAxes[1], 0.0f);
  Click(0);
  EXPECT_FALSE(UseMouse);
  EXPECT_EQ(Scene->MouseCursorTexture(), arrow);

  // Leaving the program turns it off at the next frame.
  Click(1);
  CurrentProgram = P63;
  Frame();
  EXPECT_FALSE(UseMouse);
}

TEST_F(Mouse, AClickOnACockpitPartShowsItsNameAndFiresItsCommandAfterTheRepeatBlock) {
  const int32_t texture = LoadTestTexture("key");
  MeshPtr key = Scene->CreateBillboard(texture, 0.0f, 0.0f, 10.0f, 20.0f, 20.0f, "keyverb");
  key->SetPickable(true);
  Input().MouseMoved(Engine->Width() / 2, Engine->Height() / 2);
  Frame();
  EXPECT_EQ(MessageText[2].Text, "keyverb");
  EXPECT_FALSE(VerbEntryActive);
  Input().MouseButton(0, true);
  Frame();
  Input().MouseButton(0, false);
  EXPECT_FALSE(VerbEntryActive);  // the click holds the commands for 200 ms
  WaitOutRepeatBlock();
  EXPECT_TRUE(VerbEntryActive);
}

// Every clickable model of the cabin, by the name it is shipped and loaded under, presses its
// command; any other name presses nothing.
TEST_F(Mouse, EveryClickableCockpitModelPressesItsCommand) {
  const struct {
    const char* name;
    ActionIndex action;
  } cases[] = {
      {"Key0", ActionKeyPad0},
      {"Key1", ActionKeyPad1},
      {"Key2", ActionKeyPad2},
      {"Key3", ActionKeyPad3},
      {"Key4", ActionKeyPad4},
      {"Key5", ActionKeyPad5},
      {"Key6", ActionKeyPad6},
      {"Key7", ActionKeyPad7},
      {"Key8", ActionKeyPad8},
      {"Key9", ActionKeyPad9},
      {"KeyPlus", ActionKeyPadPlus},
      {"KeyMinus", ActionKeyPadMinus},
      {"KeyEntr", ActionKeyPadEntr},
      {"KeyKeyRel", ActionKeyPadRelease},
      {"KeyClr", ActionKeyPadClr},
      {"KeyRset", ActionKeyPadRset},
      {"KeyPro", ActionKeyPadPro},
      {"KeyNoun", ActionKeyPadNoun},
      {"KeyVerb", ActionKeyPadVerb},
      {"SW_AGS_Off", ActionAGSToggle},
      {"SW_AGS_Hold", ActionAGSToggle},
      {"SW_AGS_Auto", ActionAGSToggle},
      {"SW_PGNS_Off", ActionPGNSToggle},
      {"SW_PGNS_Hold", ActionPGNSToggle},
      {"SW_PGNS_Auto", ActionPGNSToggle},
      {"SW_YawMode_Off", ActionYawModeToggle},
      {"SW_YawMode_Pulse", ActionYawModeToggle},
      {"SW_YawMode_Cont", ActionYawModeToggle},
      {"SW_PitchMode_Off", ActionPitchModeToggle},
      {"SW_PitchMode_Pulse", ActionPitchModeToggle},
      {"SW_PitchMode_Cont", ActionPitchModeToggle},
      {"SW_RollMode_Off", ActionRollModeToggle},
      {"SW_RollMode_Pulse", ActionRollModeToggle},
      {"SW_RollMode_Cont", ActionRollModeToggle},
      {"SW_DeadBand_Max", ActionDeadbandToggle},
      {"SW_DeadBand_Min", ActionDeadbandToggle},
      {"SW_ThrottleControl_Auto", ActionAutManThrottleToggle},
      {"SW_ThrottleControl_Manual", ActionAutManThrottleToggle},
      {"SW_RateScale_Max", ActionRatescaleToggle},
      {"SW_RateScale_Min", ActionRatescaleToggle},
      {"SW_XPointer_LoMult", ActionXPointerScaleToggle},
      {"SW_XPointer_HiMult", ActionXPointerScaleToggle},
  };
  const std::filesystem::path models = std::filesystem::path(MAROVIN_PROGRAM_FOLDER) / "Models";
  for (const auto& c : cases) {
    EXPECT_TRUE(std::filesystem::exists(models / (std::string(c.name) + ".X")))
        << c.name << " is a shipped model";
    for (ControlAssignment& record : ControlAssignments) record.Pressed = false;
    ClickCockpitControl(c.name);
    for (size_t action = 0; action < ControlAssignments.size(); ++action)
      EXPECT_EQ(ControlAssignments[action].Pressed, action == static_cast<size_t>(c.action))
          << c.name << " presses action " << action;
  }
  for (ControlAssignment& record : ControlAssignments) record.Pressed = false;
  for (const char* other : {"keyboard", "key10", "Cockpit", "DSKYDisp"}) ClickCockpitControl(other);
  for (const ControlAssignment& record : ControlAssignments) EXPECT_FALSE(record.Pressed);
}

TEST_F(Mouse, TheTwoDSwitchesFlipInTheCockpitViewsWithinTheirRectangles) {
  CockpitPanelFlag = true;
  PGNSSwitch.Left = 100.0f;
  PGNSSwitch.Right = 200.0f;
  PGNSSwitch.Top = 100.0f;
  PGNSSwitch.Bottom = 200.0f;
  PGNSSwitch.SwitchPosition = 2;
  const int32_t x = static_cast<int32_t>(150.0f * ScreenScaleX);
  const int32_t y = static_cast<int32_t>(150.0f * ScreenScaleY);
  Input().MouseMoved(x, y);
  Click(0);
  EXPECT_EQ(PGNSSwitch.SwitchPosition, 0);
  // On its edge the rectangle does not take the click.
  Input().MouseMoved(static_cast<int32_t>(100.0f * ScreenScaleX), y);
  WaitOutRepeatBlock();
  Click(0);
  EXPECT_EQ(PGNSSwitch.SwitchPosition, 0);
}

}  // namespace
