#include "program/input/joystick_assign.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

#include "platform/forms/script.h"
#include "tests/program/input/input_fixture.h"
#include "tests/program/launcher_dialogs.h"

namespace {

std::vector<std::string> Lines(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  return lines;
}

// The dialog as Setup opens it, on one stick, with the shipped joystick bindings.
class AssignmentDialog : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    UseJoystick = true;
    LoadJoyAssignments();
    Joysticks().Plug("Flight Stick", {4, 12, 1});
    JoystickAssign->Show();
    JoystickAssign->Combo1.SetListIndex(-1);
    JoystickAssign->Combo1.UserChoose(0);
  }
  JoystickAssignForm& Dialog() { return *JoystickAssign; }
  int16_t ListPosition(const char* text) {
    for (int16_t p = 0; p < Dialog().List2.ListCount(); ++p)
      if (Dialog().List2.List(p) == text) return p;
    return -1;
  }
};

TEST_F(AssignmentDialog, LoadsTheListsInTheirOrder) {
  EXPECT_EQ(Dialog().Caption(), "Joystick Assignments");
  EXPECT_EQ(Dialog().Combo1.List(0), "1 > Flight Stick");
  EXPECT_EQ(SelectedJoystick, 1);
  ASSERT_EQ(Dialog().List2.ListCount(), ActionListCount);
  EXPECT_EQ(Dialog().List2.List(0), "ROD Up");
  EXPECT_EQ(Dialog().List2.List(43), "Pitch ModeA uto");
  EXPECT_EQ(Dialog().List2.List(98), "Undock");
  ASSERT_EQ(Dialog().Combo2(0).ListCount(), 8);
  EXPECT_EQ(Dialog().Combo2(0).List(7), "None");
  // The shipped rows: roll on X, pitch on Y, throttle on the slider, yaw on the Z rotation.
  const int16_t rows[] = {0, 1, 2, 3, 7, 7, 7, 7};
  for (int16_t i = 0; i < PhysicalAxisCount; ++i)
    EXPECT_EQ(Dialog().Combo2(i).ListIndex(), rows[i]) << i;
}

TEST_F(AssignmentDialog, ARowDrivesOneFlightAxisOfItsJoystick) {
  AxisAssignments[AxisYaw] = {0.5f, 2, 1, 0};  // the same axis of another joystick
  Dialog().Check1(1).SetValue(forms::Control::kChecked);
  Dialog().Combo2(1).UserChoose(0);  // Roll onto the Y axis
  EXPECT_EQ(AxisAssignments[AxisRoll].AxisType, 1);
  EXPECT_EQ(AxisAssignments[AxisRoll].Reverse, -1);
  EXPECT_EQ(AxisAssignments[AxisPitch].AxisType, -1);  // which held it
  EXPECT_EQ(AxisAssignments[AxisPitch].Joystick, -1);
  EXPECT_EQ(AxisAssignments[AxisYaw].Joystick, 2);

  Dialog().Check1(1).UserClick();  // the reverse box follows the row's axis
  EXPECT_EQ(AxisAssignments[AxisRoll].Reverse, 0);
  Dialog().Combo2(1).UserChoose(FlightAxisNoneItem);
  EXPECT_EQ(AxisAssignments[AxisRoll].AxisType, -1);
  Dialog().Check1(1).UserClick();  // on "None" nothing changes
  EXPECT_EQ(AxisAssignments[AxisRoll].Reverse, 0);

  Dialog().Check2.UserClick();
  EXPECT_EQ(POVJoystick, Dialog().Check2.Value() == forms::Control::kChecked ? 1 : -1);
}

TEST_F(AssignmentDialog, CapturingAButtonShowsAndBindsItsCommand) {
  ControlAssignments[ActionPause] = {false, 1, 5, 25, "P"};
  ControlAssignments[ActionKillEngine] = {false, 1, 5, 37, "K"};
  Dialog().Option2(5).UserClick();
  EXPECT_EQ(CapturedButton, 5);
  EXPECT_EQ(Dialog().List2.ListIndex(), ListPosition("Engine Shutdown"));

  ControlAssignments[ActionScreenDump] = {false, 1, 3, 50, "M"};
  ControlAssignments[ActionRollLeft] = {false, 1, 3, 203, "LEFTARROW"};
  Dialog().Option2(3).UserClick();
  Dialog().List2.UserChoose(ListPosition("Pause"));
  EXPECT_EQ(ControlAssignments[ActionPause].Button, 3);
  EXPECT_EQ(ControlAssignments[ActionPause].Joystick, 1);
  EXPECT_EQ(ControlAssignments[ActionScreenDump].Button, -1);  // taken away
  EXPECT_EQ(ControlAssignments[ActionRollLeft].Button, 3);     // may share it
}

TEST_F(AssignmentDialog, ExitRewritesOnlyTheChangedEntries) {
  const std::vector<std::string> before = Lines(folder_.Path() / "JoyAssign.ini");
  Dialog().Combo2(3).UserChoose(FlightAxisNoneItem);  // yaw off the Z rotation
  Dialog().Option2(7).UserClick();
  Dialog().List2.UserChoose(ListPosition("Pause"));
  Dialog().Command1.UserClick();
  EXPECT_TRUE(JoystickTestStop);
  EXPECT_FALSE(Dialog().Visible());
  const std::vector<std::string> after = Lines(folder_.Path() / "JoyAssign.ini");
  ASSERT_EQ(after.size(), before.size());
  std::vector<std::string> changed;
  for (size_t n = 0; n < after.size(); ++n)
    if (after[n] != before[n]) changed.push_back(after[n]);
  EXPECT_EQ(changed, (std::vector<std::string>{"Yaw Axis=-1", "Yaw Joystick=-1", "Pause Button=7",
                                               "Pause Joystick=1"}));
}

TEST_F(AssignmentDialog, CalibrateSendsToTheDesktopsSettings) {
  const MessageBoxesShown shown;
  Dialog().Command2.UserClick();
  ASSERT_EQ(shown().size(), 1u);
}

class AssignmentDialogWithoutJoystick : public InputTest {};

TEST_F(AssignmentDialogWithoutJoystick, SavesNothingAndKeepsOneEntry) {
  UseJoystick = true;
  LoadJoyAssignments();
  const std::vector<std::string> before = Lines(folder_.Path() / "JoyAssign.ini");
  JoystickAssign->Show();
  EnumerateJoysticks();
  ASSERT_EQ(JoystickAssign->Combo1.ListCount(), 1);
  JoystickAssign->Combo2(0).UserChoose(FlightAxisNoneItem);
  JoystickAssign->Command1.UserClick();
  EXPECT_EQ(Lines(folder_.Path() / "JoyAssign.ini"), before);
  // Closing saves the same way, and is never refused.
  EXPECT_TRUE(JoystickAssign.Unload());
  EXPECT_EQ(Lines(folder_.Path() / "JoyAssign.ini"), before);
}

}  // namespace
