#include "program/missions/mission_lists.h"

#include <gtest/gtest.h>

#include <vector>

#include "program/input/input_state.h"
#include "program/missions/launcher_forms.h"
#include "tests/program/launcher_dialogs.h"
#include "tests/program/missions/program_folder.h"

namespace {

class MissionLists : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    UnloadLauncherDialogs();
    // Loaded first: its load reads the settings, which the test then replaces.
    DriverDialog.Get();
    CurrentLanguage = 2;
    MissionName = "Apollo 12";
    FlightName = "";
    folder_.WriteFile("Missions/apollo 11/Landing.sit",
                      "[Mission Description 2]\nScenario Name=Landung\n");
    folder_.WriteFile("Missions/Apollo 12/b.sit",
                      "[Mission Description 1]\nScenario Name=Short Flight P66\n"
                      "[Mission Description 2]\nScenario Name=Kurzflug P66\n"
                      "[General]\nFlying Theme=theme.mp3\n");
    folder_.WriteFile("Missions/Apollo 12/A.sit", "[Mission Description 1]\nScenario Name=X\n");
    folder_.WriteFile("Missions/Apollo 12/c.sit", "");
    folder_.WriteFile("Missions/Zulu/readme.txt", "");
    folder_.WriteFile("Missions/notes.txt", "");
  }
  void TearDown() override { UnloadLauncherDialogs(); }

  static std::vector<std::string> Items(forms::Control& box) {
    std::vector<std::string> items;
    for (int16_t i = 0; i < box.ListCount(); ++i) items.push_back(box.List(i));
    return items;
  }

  SavedVariables saved_ =
      SavedVariables(FlightName, FlightFiles, FlyingTheme, LanguageSuffix, Busy);
};

TEST_F(MissionLists, ListFoldersAndFlightsByNameWithoutRegardToCase) {
  FillMissionList();
  DriverDialogForm& form = *DriverDialog;
  EXPECT_EQ(Items(form.Combo1), (std::vector<std::string>{"apollo 11", "Apollo 12", "Zulu"}));
  EXPECT_EQ(form.Combo1.Text(), "Apollo 12");
  EXPECT_EQ(Items(form.Combo2), (std::vector<std::string>{"A", "c", "Kurzflug P66"}));
  EXPECT_EQ(FlightFiles, (std::vector<std::string>{"A", "c", "b"}));
  EXPECT_EQ(LanguageSuffix, " LDE");
  EXPECT_FALSE(Busy);
  // No saved flight: the first is chosen.
  EXPECT_EQ(FlightFile, "A");
  EXPECT_FALSE(form.Check1.Visible());
  EXPECT_TRUE(form.Command_Continue.Enabled());
}

// The "Test-11" box belongs to the short P66 flight in every language, and a flight it is hidden
// for does not keep its tick.
TEST_F(MissionLists, ChoosingAFlightTakesItsFileMusicAndTest11Box) {
  FlightName = "Kurzflug P66";
  FillMissionList();
  DriverDialogForm& form = *DriverDialog;
  EXPECT_EQ(FlightFile, "b");
  EXPECT_EQ(FlyingTheme, "theme.mp3");
  EXPECT_EQ(SoundSettings->Text1.Text(), "theme.mp3");
  EXPECT_TRUE(form.Check1.Visible());
  form.Show();
  form.Check1.UserClick();
  form.Combo2.UserChoose(0);
  EXPECT_EQ(FlightFile, "A");
  EXPECT_EQ(FlyingTheme, "");
  EXPECT_FALSE(form.Check1.Visible());
  EXPECT_EQ(form.Check1.Value(), forms::Control::kUnchecked);
  form.Combo2.UserChoose(2);
  EXPECT_TRUE(form.Check1.Visible());
  EXPECT_EQ(form.Check1.Value(), forms::Control::kUnchecked);

  form.Combo1.UserChoose(0);
  EXPECT_EQ(Items(form.Combo2), (std::vector<std::string>{"Landung"}));
  EXPECT_EQ(MissionName, "apollo 11");
  EXPECT_EQ(FlightFile, "Landing");
}

TEST_F(MissionLists, AVanishedMissionChoosesTheFirstAndNoFlightHoldsContinue) {
  MissionName = "Apollo 99";
  FillMissionList();
  DriverDialogForm& form = *DriverDialog;
  EXPECT_EQ(form.Combo1.Text(), "apollo 11");
  form.Show();
  form.Combo1.UserChoose(2);  // Zulu holds no scenario
  EXPECT_TRUE(Items(form.Combo2).empty());
  EXPECT_EQ(GetSelectedFlightName(), "");
  EXPECT_FALSE(form.Command_Continue.Enabled());
  EXPECT_FALSE(IsDirectory(win::AppPath() + "\\Missions\\.."));
  EXPECT_TRUE(IsDirectory(win::AppPath() + "\\Missions\\zulu"));
}

}  // namespace
