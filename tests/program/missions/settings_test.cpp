#include "program/missions/settings.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <sstream>

#include "platform/forms/script.h"
#include "program/input/input_state.h"
#include "program/input/joystick_data.h"
#include "program/missions/ini.h"
#include "program/missions/instrument_layout.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/mission_file.h"
#include "program/missions/mission_setup.h"
#include "program/missions/missions_state.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"
#include "tests/platform/win/captured_log.h"
#include "tests/program/launcher_dialogs.h"
#include "tests/program/missions/program_folder.h"
#include "tests/program/saved_variables.h"

namespace {

constexpr int16_t Ticked = forms::Control::kChecked;

class SettingsFile : public ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    RegionalDecimalSeparator = '.';
    UiText[52] = "Cockpit View 1";
    UiText[57] = "Ground View";
    UiText[266] = "Keine";
    // The launcher lists the display modes before it reads the settings: these in place of the
    // creation object's.
    forms::Control& modes = DriverDialog->cboGroup(2);
    modes.Clear();
    for (const int32_t mode : {3, 27, 40}) {
      modes.AddItem("mode " + std::to_string(mode));
      modes.SetItemData(modes.NewIndex(), mode);
    }
  }

  // The launcher loads afresh in every test, as after a language change.
  void TearDown() override { UnloadLauncherDialogs(); }

  void WriteSettings(const std::string& text) const { folder_.WriteFile("Marovin.ini", text); }
  std::string Written() const { return folder_.ReadFile("Marovin.ini"); }
  size_t MessageCount() const { return shown_().size(); }

  MessageBoxesShown shown_;
  // What the settings file sets, and what a value it refuses leaves as it was.
  SavedVariables saved_ = SavedVariables(
      VideoMode, RenderDetail, FullScreen, LandPrecision, TextureQuality, DetailTextureMode,
      StartupView, StarMagnitudeCut, StarSize, StarBrightness, StarInformationFlag, MovieMode,
      MovieWidth, MovieHeight, SimpleLM, SimpleCockpit, RockCount, RockGraphic, FlightName, SoundOn,
      RCSVolume, EngineVolume, MusicVolume, MasterVolume, Gamma, ShipGamma, ActivePilot,
      GraphicsDebug, DisplayFPS, SetVsync, SpecularLighting, TextureMode, SetDepthBuffer,
      AntialiasingOn, AntialiasingSamples, SurveyorMoveMode, LandMoveMode, NodeMakeMode,
      WriteVCPositionsMode, WriteLMMatrixMode, ShadowFlags, TextureFilter3D, TextureFilter2D,
      UseJoystick, UseKeyboard, UseMouse, MenuJoystickChoice, MenuSoundChoice, CaptureFrameRate,
      EngineThrust, Gravity, MinThrottle, RCSDistance, RCSThrust, WorldScale, MissionName,
      WindowLeft, WindowTop, WindowWidth, WindowHeight, RegionalDecimalSeparator, UiText);
};

TEST_F(SettingsFile, WithoutAFileTheLauncherShowsTheDefaults) {
  LoadSettings();
  EXPECT_EQ(MessageCount(), 0u);
  EXPECT_EQ(EngineThrust, 9700.0f);
  EXPECT_EQ(RCSDistance, -6.5);
  DriverDialogForm& launcher = *DriverDialog;
  EXPECT_EQ(launcher.cboGroup(2).ListIndex(), 1);
  EXPECT_EQ(launcher.chkWindowed.Value(), Ticked);
  EXPECT_EQ(launcher.HScroll2.Value(), 0);
  EXPECT_EQ(launcher.HScrollLandscape.Value(), 2);
  EXPECT_EQ(launcher.HScroll1.Value(), 2);
  EXPECT_EQ(launcher.Combo3.Text(), "Cockpit View 1");
  EXPECT_EQ(launcher.HScrollRocks.Value(), 40);
  EXPECT_EQ(launcher.HScrollRockGraphic.Value(), 75);
  EXPECT_EQ(launcher.Check_Sound.Value(), Ticked);
  EXPECT_EQ(launcher.HScroll_MasterVolume.Value(), 100);
  EXPECT_EQ(launcher.Option_KeyBoard.Value(), -1);
  EXPECT_FALSE(launcher.Command1.Enabled());
  AdvancedForm& advanced = *Advanced;
  EXPECT_EQ(advanced.Combo5.ListIndex(), 1);
  EXPECT_EQ(advanced.Combo6.Text(), "Modulate2x");
  EXPECT_EQ(advanced.Check3.Value(), Ticked);
  EXPECT_EQ(advanced.Check5.Value(), Ticked);
  EXPECT_EQ(advanced.Check6.Value(), 0);
  EXPECT_EQ(advanced.Combo2.Text(), "Auto");
  EXPECT_EQ(advanced.Combo1.Text(), "Trilinear");
  EXPECT_EQ(advanced.Combo7.Text(), "Trilinear");
  EXPECT_EQ(advanced.Combo3.Text(), "Z-Buffer");
  EXPECT_EQ(advanced.Combo4.Text(), "Keine");
  EXPECT_EQ(SoundSettings->HScroll_MusicVolume.Value(), 50);
  EXPECT_EQ(MissionName, "Apollo 11");
  EXPECT_EQ(FlightName, "None");
  EXPECT_EQ(StarMagnitudeCut, 0.8f);
  EXPECT_EQ(CaptureFrameRate, 30.0f);
  EXPECT_EQ(ShipGamma, 0.2f);
  EXPECT_TRUE(UseKeyboard);
  EXPECT_FALSE(UseJoystick);
  EXPECT_TRUE(SoundOn);
  EXPECT_TRUE(MenuSoundChoice);
  EXPECT_EQ(ActivePilot, 1);
  EXPECT_EQ(SetDepthBuffer, 1);
  EXPECT_FALSE(AntialiasingOn);
}

TEST_F(SettingsFile, OddValuesLeaveControlsAsTheyWere) {
  WriteSettings(
      "[Graphic Settings]\nShadows=1.5\nTextureQuality=0.3\nLand Precision=3\n"
      "[Miscellaneous]\nStartup View=12\nDetailTextureMode=6\nPilot=-3\n"
      "RCSVolume=-20\nEngineVolume=500\nMusicVolume=abc\nMasterVolume=101\n"
      "[Advanced Graphic Settings]\nTexture Mode=7\nSetDepthBuffer=W\nEnableAntialiasing=04\n"
      "3D Texture Filter=9\n");
  DriverDialog->HScroll2.SetValue(2);
  DriverDialog->HScroll1.SetValue(1);
  DriverDialog->Combo3.SetText("as before");
  // The rest as the launcher's load left them: the defaults of a missing file.
  const int16_t landscape = DriverDialog->HScrollLandscape.Value();
  const std::string detailMode = Advanced->Combo6.Text();
  const std::string textureMode = Advanced->Combo2.Text();
  const std::string filter = Advanced->Combo1.Text();
  const int32_t textureModeValue = TextureMode;
  LoadSettings();
  EXPECT_EQ(MessageCount(), 0u);
  EXPECT_EQ(DriverDialog->HScroll2.Value(), 2);
  EXPECT_EQ(ShadowFlags, (std::array<bool, 3>{}));
  EXPECT_FLOAT_EQ(TextureQuality, 0.3f);
  EXPECT_EQ(DriverDialog->HScroll1.Value(), 1);
  EXPECT_EQ(DriverDialog->HScrollLandscape.Value(), landscape);
  EXPECT_EQ(DriverDialog->Combo3.Text(), "as before");
  EXPECT_EQ(Advanced->Combo6.Text(), detailMode);
  EXPECT_EQ(ActivePilot, 1);
  EXPECT_EQ(RCSVolume, 0);
  EXPECT_EQ(EngineVolume, 100);
  EXPECT_EQ(MusicVolume, 0);
  EXPECT_EQ(MasterVolume, 100);
  EXPECT_EQ(TextureMode, textureModeValue);
  EXPECT_EQ(Advanced->Combo2.Text(), textureMode);
  EXPECT_EQ(SetDepthBuffer, 1);
  EXPECT_FALSE(AntialiasingOn);
  EXPECT_EQ(Advanced->Combo4.Text(), "Keine");
  EXPECT_EQ(TextureFilter3D, 9);
  EXPECT_EQ(Advanced->Combo1.Text(), filter);
}

TEST_F(SettingsFile, TablesMapValuesToVariablesAndControls) {
  WriteSettings(
      "[Graphic Settings]\nShadows=2\nTextureQuality=0,5\nLand Precision=1\nVideo Mode=40\n"
      "Full Screen=-1\nTerrain Flash=2\n"
      "[Miscellaneous]\nStartup View=9\nDetailTextureMode=10\nPilot=11\nSimple LM=-1\n"
      "JoyStick=-1\nKeyboard=0\n"
      "[Advanced Graphic Settings]\nTexture Mode=1\nSetDepthBuffer=2\nEnableAntialiasing=4\n"
      "2D Texture Filter=6\nGraphicsDebug=-1\n"
      "[Development]\nNodeMake=1\nWrite LM Matrix=-1\n");
  // The launcher's load ticked Windowed for the missing file's windowed default.
  DriverDialog->chkWindowed.SetValue(forms::Control::kUnchecked);
  LoadSettings();
  EXPECT_EQ(ShadowFlags, (std::array<bool, 3>{true, false, true}));
  EXPECT_EQ(DriverDialog->HScroll2.Value(), 2);
  EXPECT_EQ(TextureQuality, 0.5f);
  EXPECT_EQ(DriverDialog->HScroll1.Value(), 1);
  EXPECT_EQ(DriverDialog->HScrollLandscape.Value(), 0);
  EXPECT_EQ(DriverDialog->cboGroup(2).ListIndex(), 2);
  EXPECT_EQ(DriverDialog->chkWindowed.Value(), 0);
  EXPECT_EQ(Advanced->Combo5.ListIndex(), 2);
  EXPECT_EQ(DriverDialog->Combo3.Text(), "Ground View");
  EXPECT_EQ(Advanced->Combo6.Text(), "Subtract");
  EXPECT_EQ(ActivePilot, 1);  // the score table has ten pilots
  EXPECT_EQ(Advanced->Check2.Value(), Ticked);
  EXPECT_TRUE(UseJoystick);
  EXPECT_TRUE(MenuJoystickChoice);
  EXPECT_EQ(DriverDialog->Option_Joystick.Value(), -1);
  EXPECT_TRUE(DriverDialog->Command1.Enabled());
  EXPECT_EQ(Advanced->Combo2.Text(), "32 Bit");
  EXPECT_EQ(Advanced->Combo3.Text(), "W-Buffer");
  EXPECT_TRUE(AntialiasingOn);
  EXPECT_EQ(AntialiasingSamples, 4);
  EXPECT_EQ(Advanced->Combo4.Text(), "4");
  EXPECT_EQ(Advanced->Combo7.Text(), "None");
  EXPECT_EQ(Advanced->Check6.Value(), Ticked);
  EXPECT_TRUE(NodeMakeMode);
  EXPECT_TRUE(WriteLMMatrixMode);
  EXPECT_FALSE(LandMoveMode);
}

TEST_F(SettingsFile, KeyboardWinsOverTheJoystick) {
  WriteSettings("[Miscellaneous]\nMouse=-1\nJoyStick=-1\nKeyboard=-1\n");
  LoadSettings();
  EXPECT_FALSE(UseJoystick);
  EXPECT_FALSE(UseMouse);
  EXPECT_FALSE(MenuJoystickChoice);
  EXPECT_EQ(DriverDialog->Option_KeyBoard.Value(), -1);
  SaveSettings();
  EXPECT_NE(Written().find("JoyStick=0\n"), std::string::npos);
}

TEST_F(SettingsFile, AValueThatDoesNotFitShowsItsSectionAndText) {
  WriteSettings(
      "[Graphic Settings]\nVideo Mode=1E12\n[Miscellaneous]\nNumber of Rocks=500\n"
      "Rock Graphic=12\n");
  const int16_t rocks = DriverDialog->HScrollRocks.Value();
  LoadSettings();
  const auto shown = shown_();
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0].prompt, "Graphic Settings = 1E12");
  EXPECT_EQ(shown[0].buttons, forms::MsgBoxButtons::Ok);
  EXPECT_EQ(shown[1].prompt, "Miscellaneous = 500");
  EXPECT_EQ(VideoMode, 27) << "the default";
  EXPECT_EQ(DriverDialog->cboGroup(2).ListIndex(), 1);
  EXPECT_EQ(RockCount, 500);  // the slider refused it, the variable keeps it
  EXPECT_EQ(DriverDialog->HScrollRocks.Value(), rocks);
  EXPECT_EQ(RockGraphic, 12);  // later keys are still read
}

// Every write of a byte to any file fails for as long as it lives, as on a full disk: the way to
// a folder that cannot be written for root, as the tests run, who writes through every mode bit
// but not past the file size limit.
class NoRoomToWrite {
 public:
  NoRoomToWrite() {
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = 0;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~NoRoomToWrite() {
    ::setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }
  NoRoomToWrite(const NoRoomToWrite&) = delete;
  NoRoomToWrite& operator=(const NoRoomToWrite&) = delete;

 private:
  rlimit old_{};
  void (*oldHandler_)(int);
};

TEST_F(SettingsFile, ASaveThatCannotBeWrittenKeepsTheFileAndSaysWhereOnce) {
  const std::string before = "; mine\n[Miscellaneous]\nGamma=1.5\n";
  const std::filesystem::path path = folder_.Path() / "Marovin.ini";
  const std::string expected = "The settings could not be saved in " + path.string() + ".";
  WriteSettings(before);
  {
    const NoRoomToWrite full;
    SaveSettings();
  }
  EXPECT_EQ(Written(), before);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_.Path()), {}), 1);
  ASSERT_EQ(MessageCount(), 1u);
  EXPECT_EQ(shown_()[0].prompt, expected);

  // A read-only file is left alone, however the folder's rights stand.
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  SaveSettings();
  EXPECT_EQ(Written(), before);
  EXPECT_EQ(MessageCount(), 1u) << "the same file, still unsaved: told already";

  std::filesystem::permissions(
      path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  SaveSettings();
  EXPECT_NE(Written(), before);
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  SaveSettings();
  ASSERT_EQ(MessageCount(), 2u) << "saved in between: told again";
  EXPECT_EQ(shown_()[1].prompt, expected);
}

TEST_F(SettingsFile, NumbersThatAreNotFiniteOrDoNotFitReadAsTheirDefaultWithALine) {
  const SavedVariables saved(MoonRadius, InstrumentLayout, POVJoystick, AltitudeCalls);
  const std::string scenario = "Missions/Apollo 12/Test.sit";
  const struct {
    std::string file;
    const char* section;
    const char* key;
    std::function<double()> read;
    double expected;
  } keys[] = {
      {"Marovin.ini", "Graphic Settings", "Video Mode", [] { return VideoMode; }, 27},
      {"Marovin.ini", "Graphic Settings", "TextureQuality", [] { return TextureQuality; }, 1},
      {"Marovin.ini", "Miscellaneous", "Gamma", [] { return Gamma; }, 1},
      {"Marovin.ini", "Miscellaneous", "Movie FPS", [] { return CaptureFrameRate; }, 30},
      {"Instruments.ini", "FDAI", "Left", [] { return InstrumentLayout[PanelFDAI].Left; }, 20},
      {"JoyAssign.ini", "Assignments", "POV Joystick", [] { return POVJoystick; }, 1},
      {scenario, "Static Parameters", "Gravity", [] { return Gravity; }, 5.266f},
      {scenario, "Landscape", "Moon Radius", [] { return MoonRadius; }, -4957000},
      {scenario, "Switch Positions", "PGNS", [] { return PGNSSwitch.SwitchPosition; }, 2},
      {scenario, "Altitude Calls", "Number of Calls",
       [] { return static_cast<double>(AltitudeCalls.size()); }, 0},
  };
  for (const char* text : {"nan", "-inf", "Infinity", "1E400", "-1e400", "1E308"}) {
    std::map<std::string, std::string> files;
    for (const auto& k : keys) {
      files[k.file] += std::string("[") + k.section + "]\n" + k.key + "=" + text + "\n";
    }
    for (const auto& [name, contents] : files) folder_.WriteFile(name, contents);
    const MessageBoxesShown shown;
    std::ostringstream log;
    std::streambuf* const oldLog = std::clog.rdbuf(log.rdbuf());
    LoadSettings();
    MissionName = "Apollo 12";
    FlightFile = "Test";
    LoadInstrumentLayout();
    LoadJoyAssignments();
    LoadMissionFile();
    LoadMissionSetup();
    std::clog.rdbuf(oldLog);
    for (const auto& k : keys) {
      const double value = k.read();
      EXPECT_TRUE(std::isfinite(value)) << k.key << "=" << text;
      EXPECT_FLOAT_EQ(static_cast<float>(value), static_cast<float>(k.expected))
          << k.key << "=" << text;
      if (k.file == "Marovin.ini") {
        const std::string line = std::string(k.section) + " = " + text;
        EXPECT_TRUE(std::ranges::any_of(shown(), [&](const auto& box) {
          return box.prompt == line;
        })) << line;
      } else {
        EXPECT_NE(log.str().find(std::string(k.section) + ": " + k.key + "=" + text),
                  std::string::npos)
            << log.str();
      }
    }
  }
}

// An integer that does not fit takes its default, not the value it had before; the layout's
// switches likewise.
TEST_F(SettingsFile, IntegersThatDoNotFitTakeTheirDefaultWithALine) {
  const SavedVariables saved(InstrumentLayout);
  const struct {
    const char* section;
    const char* key;
    std::function<int32_t()> read;
    int32_t expected;
    int32_t before = 3;  // a value the key keeps
  } keys[] = {
      {"Graphic Settings", "Video Mode", [] { return VideoMode; }, 27},
      {"Graphic Settings", "Terrain Flash", [] { return RenderDetail; }, 1, 2},
      {"Graphic Settings", "Land Precision", [] { return LandPrecision; }, 4},
      {"Miscellaneous", "DetailTextureMode", [] { return DetailTextureMode; }, 5},
      {"Miscellaneous", "Startup View", [] { return StartupView; }, 4},
      {"Miscellaneous", "Star Size", [] { return StarSize; }, 2},
      {"Miscellaneous", "Star Brightness", [] { return StarBrightness; }, 3},
      {"Miscellaneous", "Movie Width", [] { return MovieWidth; }, 704},
      {"Miscellaneous", "Movie Height", [] { return MovieHeight; }, 480},
      {"Miscellaneous", "Number of Rocks", [] { return RockCount; }, 40},
      {"Miscellaneous", "Rock Graphic", [] { return RockGraphic; }, 75},
      {"Miscellaneous", "RCSVolume", [] { return RCSVolume; }, 50},
      {"Miscellaneous", "MasterVolume", [] { return MasterVolume; }, 100},
      {"Advanced Graphic Settings", "3D Texture Filter", [] { return TextureFilter3D; }, 2},
      {"Advanced Graphic Settings", "2D Texture Filter", [] { return TextureFilter2D; }, 2},
      {"Switch Deadband", "Switch Position", [] { return DeadbandSwitch.SwitchPosition; }, 0},
  };
  const auto writeAll = [&](const char* text) {
    std::string settings, layout;
    std::string_view section;
    for (const auto& k : keys) {
      std::string& file = std::string_view(k.section).starts_with("Switch") ? layout : settings;
      if (k.section != section) file += std::string("[") + k.section + "]\n";
      section = k.section;
      file += std::string(k.key) + "=" + (text != nullptr ? text : std::to_string(k.before)) + "\n";
    }
    WriteSettings(settings);
    folder_.WriteFile("Instruments.ini", layout);
  };
  for (const char* text : {"1E10", "-3E9"}) {
    writeAll(nullptr);
    LoadSettings();
    LoadInstrumentLayout();
    for (const auto& k : keys) ASSERT_EQ(k.read(), k.before) << k.key;
    writeAll(text);
    const MessageBoxesShown shown;
    std::ostringstream log;
    std::streambuf* const oldLog = std::clog.rdbuf(log.rdbuf());
    LoadSettings();
    LoadInstrumentLayout();
    std::clog.rdbuf(oldLog);
    std::vector<std::string> lines;
    for (const auto& k : keys) {
      EXPECT_EQ(k.read(), k.expected) << k.key << "=" << text;
      if (!std::string_view(k.section).starts_with("Switch")) {
        lines.push_back(std::string(k.section) + " = " + text);
      }
    }
    std::vector<std::string> prompts;
    for (const auto& box : shown()) prompts.push_back(box.prompt);
    EXPECT_EQ(prompts, lines) << "one box for each key of the settings, in the order read";
    EXPECT_NE(log.str().find(std::string("Switch Deadband: Switch Position=") + text),
              std::string::npos)
        << log.str();
  }
}

// A number followed by other text is read by its leading number, as the files always were, and
// the log says what was dropped; a plain number, its type mark and an empty value say nothing.
TEST_F(SettingsFile, ANumberWithTextAfterItIsReadByItsLeadingNumberWithALine) {
  const SavedVariables saved(MoonRadius);
  WriteSettings("[Miscellaneous]\nStar Size=0x10\nStar Brightness=\nRock Graphic=12 \n");
  folder_.WriteFile("Missions/Apollo 12/Test.sit", "[Landscape]\nMoon Radius=-4957000!\n");
  const CapturedLog log;
  LoadSettings();
  MissionName = "Apollo 12";
  FlightFile = "Test";
  LoadMissionFile();
  EXPECT_EQ(StarSize, 0);
  EXPECT_EQ(RockGraphic, 12);
  EXPECT_EQ(MoonRadius, -4957000.0f);
  EXPECT_EQ(log.Text(), "Marovin: " + folder_.Path().string() + "\\Marovin.ini" +
                            ": Miscellaneous: Star Size=0x10 is not a number alone; read as 0\n");
  EXPECT_EQ(MessageCount(), 0u);
}

TEST_F(SettingsFile, NoDisplayModeToSelectIsNoError) {
  DriverDialog->cboGroup(2).Clear();
  LoadSettings();
  EXPECT_EQ(MessageCount(), 0u);
  EXPECT_EQ(DriverDialog->cboGroup(2).ListIndex(), -1);
}

TEST_F(SettingsFile, WhatIsWrittenReadsBackAndIsWrittenAgainUnchanged) {
  WriteSettings(
      "; my settings\n[Miscellaneous]\nMouse=-1\nMovie Width=1024\nGamma=1.5\n"
      "[Development]\nLandMove=-1\n");
  LoadSettings();
  RockCount = 40 * 40 / 8;  // what a flight start makes of the slider at 40
  WindowLeft = 12;
  WindowHeight = 600;
  RegionalDecimalSeparator = ',';
  SaveSettings();
  const std::string first = Written();
  EXPECT_NE(first.find("; my settings\n"), std::string::npos);
  EXPECT_NE(first.find("Mouse=-1\n"), std::string::npos);
  EXPECT_NE(first.find("Movie Width=1024\n"), std::string::npos);
  EXPECT_NE(first.find("LandMove=-1\n"), std::string::npos);
  EXPECT_NE(first.find("Gamma=1,5\n"), std::string::npos);
  EXPECT_NE(first.find("Ship Gamma=0,2\n"), std::string::npos);
  EXPECT_NE(first.find("Star Magnitude Cut 1=0,8\n"), std::string::npos);
  EXPECT_NE(first.find("Number of Rocks=40\n"), std::string::npos);
  EXPECT_NE(first.find("EnableAntialiasing=None\n"), std::string::npos);
  EXPECT_NE(first.find("SetShadeMode=0\n"), std::string::npos);
  EXPECT_NE(first.find("[Window]\nLeft=12\nTop=0\nWidth=0\nHeight=600\n"), std::string::npos);

  Gamma = 0.0f;
  ShipGamma = 0.0f;
  RockCount = 0;
  LoadSettings();
  EXPECT_EQ(Gamma, 1.5f);
  EXPECT_EQ(ShipGamma, 0.2f);
  EXPECT_EQ(RockCount, 40);
  RockCount = 40 * 40 / 8;
  SaveSettings();
  EXPECT_EQ(Written(), first);
  EXPECT_EQ(MessageCount(), 0u);
}

}  // namespace
