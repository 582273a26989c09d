#include "program/input/joystick_data.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "platform/win/app_path.h"
#include "platform/win/profile.h"
#include "program/startup/startup_state.h"
#include "tests/platform/win/temp_folder.h"
#include "tests/program/killed_saves.h"
#include "tests/program/saved_variables.h"

namespace {

// The language (standing in for the chooser's), the control choice, the joysticks found and the
// assignments read are the run's; each test starts from the process's own.
class AssignmentState : public ::testing::Test {
  SavedVariables saved_ =
      SavedVariables(CurrentLanguage, UseJoystick, JoystickCount, JoystickAxisLimit, LanguageSuffix,
                     ControlAssignments, AxisAssignments, POVJoystick, CommandInputPending);
};

class Assignments : public AssignmentState {
 protected:
  void SetUp() override { win::SetAppPath(folder_.Path().string()); }

  TempFolder folder_;
};

class ShippedAssignments : public AssignmentState {};
class Axes : public AssignmentState {};
class Buttons : public AssignmentState {};

TEST(KeyText, ComposesScanCodesAndModifiers) {
  const struct {
    const char* Text;
    int32_t Code;
  } cases[] = {
      {"SHIFT+R", 1000000 + 19},
      {"shift+r", 1000000 + 19},
      {"CTRL+D", 100000 + 32},
      {"R+SHIFT", 1000000 + 19},  // a modifier counts in any position
      {"NUMLK+NPAD5", 1100000 + 76},
      {"WINFLAG+F1", 10000 + 59},
      {"CTRL+NA+A", 30},  // NA drops what came before it
      {"NA", 0},
      {"", 0},
      {"CTRL++D", 100000 + 32},       // consecutive separators give no empty token
      {"CTRL + D", 0},                // blanks belong to the tokens: neither is a name
      {"CTRL+NOSUCHKEY", 100000},     // an unknown name adds nothing, the rest stays
      {"NUMPAD5", 0},                 // a default text that is no name of the table
      {"A+A+A+A+A+A+A+A+A", 8 * 30},  // a ninth token is ignored
      {"leftmenu", 219},
      {"RIGHTMENU", 184},
  };
  for (const auto& c : cases) EXPECT_EQ(KeyTextToCode(c.Text), c.Code) << c.Text;
}

TEST(KeyText, SplitsIntoAtMostEightUpperCaseTokens) {
  std::array<std::string, MaxKeyTokens> tokens;
  tokens[7] = "stale";
  EXPECT_EQ(SplitKeyTokens("+ctrl++ d+", tokens), 2);
  EXPECT_EQ(tokens[0], "CTRL");
  EXPECT_EQ(tokens[1], " D");
  EXPECT_EQ(tokens[7], "");
  EXPECT_EQ(SplitKeyTokens("1+2+3+4+5+6+7+8+9+10", tokens), 8);
  EXPECT_EQ(tokens[7], "8");
}

TEST(KeyText, KnowsTheKeypad) {
  for (const int32_t code : {55, 71, 78, 83, 141, 156, 179, 181}) EXPECT_TRUE(IsKeypadKey(code));
  for (const int32_t code : {0, 54, 70, 84, 200, 1100076}) EXPECT_FALSE(IsKeypadKey(code));
}

TEST_F(Assignments, WithoutFilesTakeTheDefaults) {
  LoadJoyAssignments();
  const struct {
    ActionIndex Action;
    int32_t Code;
    const char* Name;
  } keys[] = {
      {ActionRateOfDescentUp, 24, "O"},
      {ActionCockpitView1, 5, "4"},
      {ActionEVAView, 11, "0"},
      {ActionYawLeft, 146, "COLON"},
      {ActionShowMenu, 0, "ALT"},
      {ActionUndock, 100032, "CTRL+D"},
      {ActionStartReplay, 1000019, "SHIFT+R"},
      {ActionCenterControls, 0, "NUMPAD5"},
      {ActionATTMONPGNS, 0, ""},
      {ActionKeyPad9, 0, "NUMPAD9"},
      {ActionKeyPadVerb, 47, "V"},
      {ActionKeyTranslateMZ, 65, "F7"},
      {ActionKeyAbortDescent, 100032, "CTRL+D"},
  };
  for (const auto& k : keys) {
    EXPECT_EQ(ControlAssignments[k.Action].KeyCode, k.Code) << k.Name;
    EXPECT_EQ(ControlAssignments[k.Action].KeyName, k.Name);
  }
  EXPECT_EQ(ControlAssignments[ActionRateOfDescentUp].Button, 1);
  EXPECT_EQ(ControlAssignments[ActionRateOfDescentDown].Button, 0);
  EXPECT_EQ(ControlAssignments[ActionRateOfDescentDown].Joystick, 1);
  EXPECT_EQ(ControlAssignments[ActionPause].Button, -1);
  EXPECT_EQ(ControlAssignments[ActionPause].Joystick, -1);
  EXPECT_EQ(POVJoystick, 1);

  const int32_t axisTypes[] = {1, 0, 3, 2, 2, 2, 2};
  const int16_t joysticks[] = {1, 1, 1, 1, 2, 2, 2};
  const int16_t reverses[] = {0, 0, 0, 0, 2, 2, 2};
  for (int i = 0; i < AxisAssignmentCount; ++i) {
    EXPECT_EQ(AxisAssignments[i].AxisType, axisTypes[i]) << i;
    EXPECT_EQ(AxisAssignments[i].Joystick, joysticks[i]) << i;
    EXPECT_EQ(AxisAssignments[i].Reverse, reverses[i]) << i;
  }

  // One joystick with four axes: the translation axes on joystick 2 come unbound.
  JoystickCount = 1;
  JoystickAxisLimit = {-1, 3};
  for (AxisAssignment& axis : AxisAssignments) ValidateAxisAssignment(axis);
  EXPECT_EQ(AxisAssignments[AxisYaw].AxisType, 3);
  for (const int i : {AxisTranslateX, AxisTranslateY, AxisTranslateZ}) {
    EXPECT_EQ(AxisAssignments[i].AxisType, -1);
    EXPECT_EQ(AxisAssignments[i].Joystick, -1);
  }
}

TEST_F(Assignments, ReadCommandsFromTheFileOfTheControlChoice) {
  folder_.WriteFile("JoyAssign.ini",
                    "[Assignments]\nPitch Axis=4\nPause Key=B\nPause Button=7\nPause JoyStick=2\n"
                    "POV Joystick=-1\n");
  folder_.WriteFile("keyboardonly.ini", "[assignments]\npause key=j\nPitch Axis=6\n");

  UseJoystick = false;
  LoadJoyAssignments();
  EXPECT_EQ(AxisAssignments[AxisPitch].AxisType, 4);  // axes always come from JoyAssign
  EXPECT_EQ(POVJoystick, -1);
  EXPECT_EQ(ControlAssignments[ActionPause].KeyName, "j");
  EXPECT_EQ(ControlAssignments[ActionPause].KeyCode, 36);
  EXPECT_EQ(ControlAssignments[ActionPause].Button, -1);

  UseJoystick = true;
  LoadJoyAssignments();
  EXPECT_EQ(ControlAssignments[ActionPause].KeyCode, 48);
  EXPECT_EQ(ControlAssignments[ActionPause].Button, 7);
  EXPECT_EQ(ControlAssignments[ActionPause].Joystick, 2);
}

TEST_F(Assignments, GarbageAndHostileNumbersGiveSafeValues) {
  folder_.WriteFile("JoyAssign.ini",
                    "[Assignments]\nPitch Axis=\nRoll Axis=abc\nYaw Joystick=99999\n"
                    "Throttle Reverse=1.5\nTranslate Axis X=1e300\nPause Button=2.5\n"
                    "Pause Key=" +
                        std::string(300, 'A') + "\n");
  UseJoystick = true;
  LoadJoyAssignments();
  EXPECT_EQ(AxisAssignments[AxisPitch].AxisType, 0);       // empty reads as 0
  EXPECT_EQ(AxisAssignments[AxisRoll].AxisType, 0);        // no number reads as 0
  EXPECT_EQ(AxisAssignments[AxisYaw].Joystick, 1);         // beyond 16 bits: the default
  EXPECT_EQ(AxisAssignments[AxisThrottle].Reverse, 2);     // halves to even
  EXPECT_EQ(AxisAssignments[AxisTranslateX].AxisType, 2);  // beyond 32 bits: the default
  EXPECT_EQ(ControlAssignments[ActionPause].Button, 2);
  EXPECT_EQ(ControlAssignments[ActionPause].KeyName.size(), 127u);
  EXPECT_EQ(ControlAssignments[ActionPause].KeyCode, 0);  // one token that is no name
}

TEST_F(Assignments, GermanShowsDisplayNamesOnWholeTexts) {
  CurrentLanguage = 2;
  folder_.WriteFile("KeyBoardOnly LDE.ini",
                    "[Assignments]\nYaw Right Key=COMMA\nPause Key=CTRL+COMMA\n"
                    "Pitch Up Key=UPARROW\n");
  UseJoystick = false;
  LoadJoyAssignments();
  EXPECT_EQ(LanguageSuffix, " LDE");
  EXPECT_EQ(ControlAssignments[ActionYawRight].KeyName, "KOMMA");
  EXPECT_EQ(ControlAssignments[ActionYawRight].KeyCode, 51);
  EXPECT_EQ(ControlAssignments[ActionPause].KeyName, "CTRL+COMMA");
  EXPECT_EQ(ControlAssignments[ActionPitchUp].KeyName, "HOCH");
  EXPECT_EQ(ControlAssignments[ActionWiderCameraAngle].KeyName, "KOMMA");  // from the default
}

TEST_F(Axes, ValidationUnbindsWhatTheEnumerationDidNotList) {
  JoystickCount = 3;
  JoystickAxisLimit = {-1, 3, -1, 7};  // joystick 2 was skipped by the enumeration
  const struct {
    int16_t Joystick;
    int32_t AxisType;
    bool Kept;
  } cases[] = {
      {1, 3, true},  {1, 4, false},  {3, 7, true},   {2, 0, false}, {4, 0, false},
      {0, 0, false}, {-1, 2, false}, {-1, -1, true}, {1, -1, true},
  };
  for (const auto& c : cases) {
    AxisAssignment axis;
    axis.Joystick = c.Joystick;
    axis.AxisType = c.AxisType;
    ValidateAxisAssignment(axis);
    const bool kept = axis.Joystick == c.Joystick && axis.AxisType == c.AxisType;
    EXPECT_EQ(kept, c.Kept) << c.Joystick << " " << c.AxisType;
    if (!c.Kept) {
      EXPECT_EQ(axis.Joystick, -1);
    }
  }
  AxisAssignment unbound;
  CenterUnassignedAxis(unbound);
  EXPECT_EQ(unbound.Value, 0.5f);
}

TEST_F(Buttons, MatchMarksTheRecordAndAlwaysRaisesThePendingFlag) {
  ControlAssignment record;
  record.Button = 3;
  record.Joystick = 1;
  CommandInputPending = false;
  MatchJoystickButton(record, 3, 2);
  EXPECT_FALSE(record.Pressed);
  EXPECT_TRUE(CommandInputPending);
  MatchJoystickButton(record, 3, 1);
  EXPECT_TRUE(record.Pressed);
}

TEST_F(Assignments, SaveWritesButtonsAndAxesAndLoadReadsThemBack) {
  folder_.WriteFile(
      "JoyAssign.ini",
      "; hand-made\n[Assignments]\nPause Key=B\nPause JoyStick=1\nATTMON PGNS Button=4\n");
  LoadJoyAssignments();
  AxisAssignments[AxisYaw] = {0.0f, 2, 5, -1};
  ControlAssignments[ActionPause].Button = 9;
  ControlAssignments[ActionPause].Joystick = 2;
  ControlAssignments[ActionKeyPadPro].Button = 11;
  ControlAssignments[ActionATTMONPGNS].Button = 6;
  POVJoystick = 2;
  SaveJoystickAssignments();

  const std::string text = folder_.ReadFile("JoyAssign.ini");
  EXPECT_NE(text.find("; hand-made\n"), std::string::npos);
  EXPECT_NE(text.find("Pause Key=B\n"), std::string::npos);
  EXPECT_NE(text.find("Pause JoyStick=2\n"), std::string::npos);      // the existing spelling stays
  EXPECT_NE(text.find("ATTMON PGNS Button=4\n"), std::string::npos);  // never written
  EXPECT_EQ(text.find("ATTMON AGS"), std::string::npos);
  EXPECT_NE(text.find("Yaw Reverse=-1\n"), std::string::npos);
  EXPECT_NE(text.find("KeyAbortDescent Joystick=-1\n"), std::string::npos);
  size_t buttonEntries = 0;
  for (size_t at = text.find(" Button="); at != std::string::npos;
       at = text.find(" Button=", at + 1)) {
    ++buttonEntries;
  }
  EXPECT_EQ(buttonEntries,
            105u + 1u);  // every command but the two ATTMON ones, and the hand-made one

  const auto saved = ControlAssignments;
  const auto savedAxes = AxisAssignments;
  UseJoystick = true;
  LoadJoyAssignments();
  for (int i = 0; i < ControlAssignmentCount; ++i) {
    if (i == ActionATTMONPGNS || i == ActionATTMONAGS) continue;
    EXPECT_EQ(ControlAssignments[i].Button, saved[i].Button) << ActionDefinitions[i].KeyName;
    EXPECT_EQ(ControlAssignments[i].Joystick, saved[i].Joystick) << ActionDefinitions[i].KeyName;
  }
  for (int i = 0; i < AxisAssignmentCount; ++i) {
    EXPECT_EQ(AxisAssignments[i].AxisType, savedAxes[i].AxisType);
    EXPECT_EQ(AxisAssignments[i].Joystick, savedAxes[i].Joystick);
    EXPECT_EQ(AxisAssignments[i].Reverse, savedAxes[i].Reverse);
  }
  EXPECT_EQ(POVJoystick, 2);
}

TEST_F(Assignments, ASaveKilledAnywhereLeavesTheFileWhole) {
  UseJoystick = true;
  ExpectWholeAfterKilledSaves(folder_.Path() / "JoyAssign.ini", [](int n) {
    for (ControlAssignment& record : ControlAssignments) record.Button = static_cast<int16_t>(n);
    for (AxisAssignment& axis : AxisAssignments) axis.Reverse = static_cast<int16_t>(-n);
    SaveJoystickAssignments();
  });
}

TEST_F(Assignments, TheShippedFileIsWrittenBackUnchanged) {
  const std::filesystem::path shipped = std::filesystem::path(MAROVIN_DATA) / "JoyAssign.ini";
  std::filesystem::copy_file(shipped, folder_.Path() / "JoyAssign.ini");
  const std::string before = folder_.ReadFile("JoyAssign.ini");
  UseJoystick = true;
  LoadJoyAssignments();
  SaveJoystickAssignments();
  EXPECT_EQ(folder_.ReadFile("JoyAssign.ini"), before);
}

// The shipped assignment files bind every command to a key of the name table, and no two
// commands that are polled while held share a key.
TEST_F(ShippedAssignments, BindEveryCommand) {
  win::SetAppPath(MAROVIN_DATA);
  for (const bool joystick : {false, true}) {
    UseJoystick = joystick;
    LoadJoyAssignments();
    std::set<int32_t> codes;
    for (int i = 0; i < ControlAssignmentCount; ++i) {
      EXPECT_NE(ControlAssignments[i].KeyCode, 0) << ActionDefinitions[i].KeyName;
      const std::string key = std::string(ActionDefinitions[i].KeyName) + " Key";
      const std::string path = joystick ? JoyAssignPath() : KeyBoardOnlyPath();
      EXPECT_NE(win::GetPrivateProfileString("Assignments", key, "?", 128, path), "?") << key;
    }
    for (int i = ActionAGSOff; i <= ActionRatescaleLow; ++i) {
      EXPECT_LT(ControlAssignments[i].KeyCode, 1000) << ActionDefinitions[i].KeyName;
      EXPECT_TRUE(codes.insert(ControlAssignments[i].KeyCode).second)
          << ActionDefinitions[i].KeyName;
    }
  }
}

}  // namespace
