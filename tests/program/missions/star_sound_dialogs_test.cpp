// The star options and the sound settings' music chooser, on the headless window system with the
// launcher loaded over a program folder of one mission.
#include "program/missions/star_sound_dialogs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/d3d/headless.h"
#include "platform/forms/script.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/missions_state.h"
#include "program/startup/form_connections.h"
#include "program/startup/startup_state.h"
#include "tests/program/launcher_dialogs.h"
#include "tests/program/missions/program_folder.h"

namespace {

d3d::IDirect3D8* CreateOneAdapter() {
  d3d::HeadlessConfig config;
  config.adapters = {{"Card", {{1280, 1024, 60, d3d::D3DFMT_X8R8G8B8}}}};
  return d3d::CreateHeadlessDirect3D(config);
}

class StarOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    ConnectForms();
    UnloadLauncherDialogs();
  }
  void TearDown() override { UnloadLauncherDialogs(); }
  SavedVariables saved_ =
      SavedVariables(StarMagnitudeCut, StarSize, StarBrightness, StarInformationFlag);
};

TEST_F(StarOptions, OkStoresTheBarsAndCancelKeepsTheSettings) {
  StarOptionsForm& form = *StarForm;
  form.Show();
  struct Case {
    int16_t magnitude;
    float cut;
  };
  for (const Case& c : {Case{0, 0.0f}, Case{1000, 1.0f}, Case{250, 0.25f}}) {
    form.HScroll3.SetValue(c.magnitude);
    form.HScroll1.SetValue(4);
    form.HScroll2.SetValue(9);
    form.Check1.SetValue(forms::Control::kChecked);
    form.Command1.UserClick();
    EXPECT_FALSE(form.Visible());
    EXPECT_FLOAT_EQ(StarMagnitudeCut, c.cut);
    EXPECT_EQ(StarSize, 4);
    EXPECT_EQ(StarBrightness, 9);
    EXPECT_TRUE(StarInformationFlag);
    form.Show();
  }
  // The magnitude bar runs from 1000 at its left end to 0 at its right.
  EXPECT_EQ(form.HScroll3.Min(), 1000);
  EXPECT_EQ(form.HScroll3.Max(), 0);
  form.HScroll3.SetValue(600);
  form.HScroll1.SetValue(1);
  form.Check1.SetValue(forms::Control::kUnchecked);
  form.Command2.UserClick();
  EXPECT_FALSE(form.Visible());
  EXPECT_FLOAT_EQ(StarMagnitudeCut, 0.25f);
  EXPECT_EQ(StarSize, 4);
  EXPECT_TRUE(StarInformationFlag);
}

class MusicChooser : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    UnloadLauncherDialogs();
    d3d::SetDirect3DCreator(CreateOneAdapter);
    folder_.WriteFile("Marovin.ini", "[Miscellaneous]\nMission=Apollo 11\n");
    folder_.WriteFile(Scenario, ScenarioText);
    DriverDialog->Show();
    UiText[248] = "Choose the music";
    UiText[249] = "Music";
  }
  void TearDown() override {
    UnloadLauncherDialogs();
    d3d::SetDirect3DCreator(nullptr);
    forms::script::StartAfresh();
  }
  std::string ScenarioNow() const {
    std::ifstream file(folder_.Path() / Scenario);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  static std::string WithTheme(const std::string& theme) {
    std::string text = ScenarioText;
    text.replace(text.find("Flying Theme=") + 13, 0, theme);
    return text;
  }

  static constexpr const char* Scenario = "Missions/Apollo 11/Landing.sit";
  static constexpr const char* ScenarioText =
      "[Mission Description 1]\r\nScenario Name=Landing\r\n[General]\r\nStart Loading=a.wav\r\n"
      "Flying Theme=\r\nAscent=b.wav\r\n";
  SavedVariables saved_ =
      SavedVariables(UiText, FlyingTheme, FlightFiles, FlightName, FlightFile, MissionName);
};

TEST_F(MusicChooser, AChoiceIsWrittenIntoTheFlightsScenarioAtOnce) {
  SoundSettingsForm& dialog = *SoundSettings;
  dialog.Show();
  const std::string elsewhere = (folder_.Path() / "Music").string();
  forms::script::AnswerNextOpenFile({false, elsewhere, {"theme.mp3"}});
  dialog.Command2.UserClick();
  const forms::OpenFileRequest& request = forms::script::ShownOpenFileDialogs().back();
  EXPECT_EQ(request.title, "Choose the music");
  EXPECT_EQ(request.startFolder, folder_.Path().string()) << "the program folder, as a folder";
  EXPECT_EQ(request.initialName, "");
  ASSERT_EQ(request.filters.size(), 1u);
  EXPECT_EQ(request.filters[0].patterns, "*.wav;*.mp3");
  EXPECT_EQ(request.filters[0].description, "Music (*.wav,*.mp3)");
  EXPECT_EQ(FlyingTheme, elsewhere + "/theme.mp3");
  EXPECT_EQ(dialog.Text1.Text(), FlyingTheme);
  EXPECT_TRUE(dialog.Visible());
  EXPECT_EQ(ScenarioNow(), WithTheme(elsewhere + "/theme.mp3"));

  // A file of the mission's own sound folder is kept by its name.
  const std::string missionSounds = (folder_.Path() / "Missions" / "Apollo 11" / "Sound").string();
  forms::script::AnswerNextOpenFile({false, missionSounds, {"calm.wav"}});
  dialog.Command2.UserClick();
  EXPECT_EQ(FlyingTheme, "calm.wav");
  EXPECT_EQ(ScenarioNow(), WithTheme("calm.wav"));

  // Several files: the first, under its folder.
  forms::script::AnswerNextOpenFile({false, elsewhere, {"one.wav", "two.wav"}});
  dialog.Command2.UserClick();
  EXPECT_EQ(FlyingTheme, elsewhere + "/one.wav");

  dialog.Command1.UserClick();
  EXPECT_FALSE(dialog.Visible());
}

TEST_F(MusicChooser, CancelChangesNothing) {
  FlyingTheme = "kept.mp3";
  SoundSettings->Text1.SetText("kept.mp3");
  forms::script::AnswerNextOpenFile({true, "", {}});
  SoundSettings->Command2.UserClick();
  EXPECT_EQ(FlyingTheme, "kept.mp3");
  EXPECT_EQ(SoundSettings->Text1.Text(), "kept.mp3");
  EXPECT_EQ(ScenarioNow(), ScenarioText);
}

}  // namespace
