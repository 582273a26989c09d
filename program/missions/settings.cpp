#include "program/missions/settings.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "platform/forms/dialogs.h"
#include "program/flight/flight_state.h"
#include "program/input/input_state.h"
#include "program/missions/ini.h"
#include "program/missions/launcher_forms.h"
#include "program/missions/missions_state.h"
#include "program/missions/video_modes.h"
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"

namespace {

const char* const GraphicSection = "Graphic Settings";
const char* const MiscSection = "Miscellaneous";
const char* const AdvancedSection = "Advanced Graphic Settings";
const char* const DevelopmentSection = "Development";
const char* const WindowSection = "Window";

// Interface text ids.
constexpr int NoneTextId = 266;

constexpr int16_t Ticked = forms::Control::kChecked;
constexpr int16_t Selected = -1;

std::string SettingsPath() { return ProgramFolder() + "\\Marovin.ini"; }

// Runs the steps that store and show each value of one section. A step that fails shows the
// section and the text last read, and the next step runs.
class SectionSteps {
 public:
  SectionSteps(const ProfileFile& file, const char* section) : file_(file), section_(section) {}

  template <typename Step>
  void operator()(Step&& step) const {
    try {
      step();
    } catch (const std::runtime_error&) {
      file_.TellBadValue(section_, "");
    }
  }

 private:
  const ProfileFile& file_;
  std::string section_;
};

// Sets the combo box's text to the table's text of the value; a value it lacks leaves the text.
template <size_t N>
void SetTextByValue(forms::Control& combo, int32_t value, const ValueText (&table)[N]) {
  for (const ValueText& entry : table) {
    if (entry.Value == value) combo.SetText(entry.Text);
  }
}

void SelectVideoMode() {
  forms::Control& modes = DriverDialog->cboGroup(2);
  // With no display mode listed there is nothing to select.
  if (modes.ListCount() == 0) return;
  for (int16_t i = 0; i < modes.ListCount(); ++i) {
    if (modes.ItemData(i) == VideoMode) {
      modes.SetListIndex(i);
      return;
    }
  }
  // Choosing the first entry sets its mode, also when it was already the entry chosen.
  modes.SetListIndex(0);
  DriverDialog_cboGroup_Click(2);
}

void ReadGraphicSettings(const ProfileFile& file) {
  const char* const section = GraphicSection;
  const SectionSteps run(file, section);
  run([&] { VideoMode = file.Whole(section, "Video Mode", "27"); });
  run(SelectVideoMode);
  run([&] { RenderDetail = file.Whole(section, "Terrain Flash", "1"); });
  run([&] { Advanced->Combo5.SetListIndex(Fits(RoundTo<int16_t>(RenderDetail))); });
  run([&] { FullScreen = file.Flag(section, "Full Screen", "0"); });
  run([&] {
    if (!FullScreen) DriverDialog->chkWindowed.SetValue(Ticked);
  });
  run([&] {
    const double shadows = file.Value(section, "Shadows", "0");
    constexpr std::array<std::array<bool, 3>, 4> flagsByShadows = {
        {{false, false, false}, {false, true, false}, {true, false, true}, {true, false, false}}};
    for (int16_t position = 0; position < 4; ++position) {
      if (shadows == position) {
        ShadowFlags = flagsByShadows[position];
        DriverDialog->HScroll2.SetValue(position);
      }
    }
  });
  run([&] { LandPrecision = file.Whole(section, "Land Precision", "4"); });
  run([&] {
    constexpr int32_t precisions[] = {1, 2, 4};
    for (int16_t position = 0; position < 3; ++position) {
      if (LandPrecision == precisions[position]) DriverDialog->HScrollLandscape.SetValue(position);
    }
  });
  run([&] {
    TextureQuality = file.Number(section, "TextureQuality", "1");
    constexpr float qualities[] = {0.25f, 0.5f, 1.0f};
    for (int16_t position = 0; position < 3; ++position) {
      if (TextureQuality == qualities[position]) DriverDialog->HScroll1.SetValue(position);
    }
  });
}

// A volume outside the sliders' range is taken to the nearer end.
int32_t Volume(int32_t value) { return std::clamp(value, 0, MaxVolume); }

void ApplyControlChoice() {
  DriverDialogForm& launcher = *DriverDialog;
  if (UseJoystick) {
    UseMouse = false;
    MenuJoystickChoice = true;
    UseKeyboard = false;
    launcher.Option_Joystick.SetValue(Selected);
    launcher.Command1.SetEnabled(true);
  } else {
    launcher.Option_KeyBoard.SetValue(Selected);
    launcher.Command1.SetEnabled(false);
  }
}

void ReadMiscellaneous(const ProfileFile& file) {
  const char* const section = MiscSection;
  const SectionSteps run(file, section);
  run([&] { DetailTextureMode = file.Whole(section, "DetailTextureMode", "5"); });
  run([&] { SetTextByValue(Advanced->Combo6, DetailTextureMode, DetailTextureTexts); });
  run([&] { StartupView = file.Short(section, "Startup View", "4"); });
  run([&] {
    if (StartupView >= 1 && StartupView <= 9) {
      DriverDialog->Combo3.SetText(UiText[FirstViewNameId + StartupView - 1]);
    }
  });
  run([&] { StarMagnitudeCut = file.Number(section, "Star Magnitude Cut 1", ".8"); });
  run([&] { StarSize = file.RoundedNumber(section, "Star Size", "2"); });
  run([&] { StarBrightness = file.Whole(section, "Star Brightness", "3"); });
  run([&] { StarInformationFlag = file.Flag(section, "Star Information Flag", "-1"); });
  run([&] { MovieMode = file.Flag(section, "Movie Mode", "0"); });
  run([&] { MovieWidth = file.Whole(section, "Movie Width", "704"); });
  run([&] { MovieHeight = file.Whole(section, "Movie Height", "480"); });
  run([&] { CaptureFrameRate = file.SingleValue(section, "Movie FPS", "30"); });
  run([&] { SimpleLM = file.Flag(section, "Simple LM", "0"); });
  run([&] {
    if (SimpleLM) Advanced->Check2.SetValue(Ticked);
  });
  run([&] { SimpleCockpit = file.Flag(section, "Simple Cockpit", "0"); });
  run([&] {
    if (SimpleCockpit) Advanced->Check1.SetValue(Ticked);
  });
  run([&] { RockCount = file.Whole(section, "Number of Rocks", "40"); });
  run([&] { DriverDialog->HScrollRocks.SetValue(Fits(RoundTo<int16_t>(RockCount))); });
  run([&] { RockGraphic = file.Whole(section, "Rock Graphic", "75"); });
  run([&] { DriverDialog->HScrollRockGraphic.SetValue(Fits(RoundTo<int16_t>(RockGraphic))); });
  run([&] { MissionName = file.Text(section, "Mission", "Apollo 11"); });
  run([&] { FlightName = file.Text(section, "Flight", "None"); });
  run([&] { SoundOn = file.Flag(section, "Sound", "-1"); });
  run([&] {
    DriverDialog->Check_Sound.SetValue(SoundOn ? Ticked : forms::Control::kUnchecked);
    MenuSoundChoice = SoundOn;
  });
  const auto volume = [&](const char* key, const char* defaultText, int32_t& variable,
                          forms::Control& slider) {
    run([&] { variable = Volume(file.Whole(section, key, defaultText)); });
    run([&] { slider.SetValue(static_cast<int16_t>(variable)); });
  };
  volume("RCSVolume", "50", RCSVolume, SoundSettings->HScroll_RCSVolume);
  volume("EngineVolume", "50", EngineVolume, SoundSettings->HScroll_EngineVolume);
  volume("MusicVolume", "50", MusicVolume, SoundSettings->HScroll_MusicVolume);
  volume("MasterVolume", "100", MasterVolume, DriverDialog->HScroll_MasterVolume);
  run([&] { Gamma = file.Number(section, "Gamma", "1"); });
  run([&] { ShipGamma = file.Number(section, "Ship Gamma", "0.2"); });
  run([&] {
    // The pilot indexes the score table: one that is not in it is the first pilot.
    ActivePilot = file.Whole(section, "Pilot", "1");
    if (ActivePilot < 1 || ActivePilot > PilotCount) ActivePilot = 1;
  });
  run([&] { UseMouse = file.Flag(section, "Mouse", "0"); });
  run([&] {
    if (UseMouse) {
      UseJoystick = false;
      MenuJoystickChoice = false;
    }
  });
  run([&] { UseJoystick = file.Flag(section, "JoyStick", "0"); });
  run(ApplyControlChoice);
  run([&] { UseKeyboard = file.Flag(section, "Keyboard", "-1"); });
  run([&] {
    if (UseKeyboard) {
      UseMouse = false;
      UseJoystick = false;
      MenuJoystickChoice = false;
      DriverDialog->Option_KeyBoard.SetValue(Selected);
    }
  });
}

void ReadAdvancedGraphicSettings(const ProfileFile& file) {
  const char* const section = AdvancedSection;
  const SectionSteps run(file, section);
  const auto flag = [&](const char* key, const char* defaultText, bool& variable,
                        forms::Control& box) {
    run([&] { variable = file.Flag(section, key, defaultText); });
    run([&] {
      if (variable) box.SetValue(Ticked);
    });
  };
  flag("GraphicsDebug", "0", GraphicsDebug, Advanced->Check6);
  flag("DisplayFPS", "-1", DisplayFPS, Advanced->Check3);
  flag("SetVsync", "0", SetVsync, Advanced->Check4);
  flag("SpecularLighting", "-1", SpecularLighting, Advanced->Check5);
  run([&] {
    const double mode = file.Value(section, "Texture Mode", "3");
    constexpr const char* modeTexts[] = {"16 Bit", "32 Bit", "Compressed", "Auto"};
    for (int32_t value = 0; value < 4; ++value) {
      if (mode == value) {
        TextureMode = value;
        Advanced->Combo2.SetText(modeTexts[value]);
      }
    }
  });
  run([&] { TextureFilter3D = file.Whole(section, "3D Texture Filter", "2"); });
  run([&] { SetTextByValue(Advanced->Combo1, TextureFilter3D, FilterTexts); });
  run([&] { TextureFilter2D = file.Whole(section, "2D Texture Filter", "2"); });
  run([&] { SetTextByValue(Advanced->Combo7, TextureFilter2D, FilterTexts); });
  run([&] {
    const bool wBuffer = file.Value(section, "SetDepthBuffer", "1") == 2.0;
    SetDepthBuffer = wBuffer ? 2 : 1;
    Advanced->Combo3.SetText(wBuffer ? "W-Buffer" : "Z-Buffer");
  });
  run([&] {
    const std::string text = file.Text(section, "EnableAntialiasing", "None");
    AntialiasingOn = false;
    AntialiasingSamples = 0;
    for (int16_t samples = 2; samples <= 10; ++samples) {
      if (text == std::to_string(samples)) {
        AntialiasingOn = true;
        AntialiasingSamples = samples;
      }
    }
    Advanced->Combo4.SetText(AntialiasingOn ? text : UiText[NoneTextId]);
  });
}

void ReadDevelopment(const ProfileFile& file) {
  const char* const section = DevelopmentSection;
  const SectionSteps run(file, section);
  run([&] { SurveyorMoveMode = file.Flag(section, "SurveyorMove", "0"); });
  run([&] { LandMoveMode = file.Flag(section, "LandMove", "0"); });
  run([&] { NodeMakeMode = file.Flag(section, "NodeMake", "0"); });
  run([&] { WriteVCPositionsMode = file.Flag(section, "Write Virtual Cockpit Positions", "0"); });
  run([&] { WriteLMMatrixMode = file.Flag(section, "Write LM Matrix", "0"); });
}

// The rocks slider position p whose p squared over 8 rocks the flight start made.
int16_t RocksSliderPosition() { return RoundTo<int16_t>(std::sqrt(8.0 * RockCount)).value_or(0); }

std::string AntialiasingText() {
  if (!AntialiasingOn || AntialiasingSamples < 2 || AntialiasingSamples > 10) return "None";
  return std::to_string(AntialiasingSamples);
}

}  // namespace

void LoadSettings() {
  const ProfileFile file(SettingsPath(), BadValueLine::Shown);
  // The scenario file sets these again at every flight start.
  EngineThrust = 9700.0f;
  MinThrottle = 0.1f;
  RCSThrust = 100.0f;
  Gravity = 5.266f;
  WorldScale = 1.45f;
  RCSDistance = -6.5;
  ReadGraphicSettings(file);
  ReadMiscellaneous(file);
  ReadAdvancedGraphicSettings(file);
  ReadDevelopment(file);
}

void SaveSettings() {
  const std::string path = SettingsPath();
  INIWriteBatch batch(path);
  const auto write = [&](const char* section, const char* key, const std::string& value) {
    WriteINI(section, key, value, path);
  };
  const auto integer = [](auto value) { return std::to_string(value); };

  write(MiscSection, "Star Magnitude Cut 1", SingleText(StarMagnitudeCut));
  write(MiscSection, "Star Size", integer(StarSize));
  write(MiscSection, "Star Brightness", integer(StarBrightness));
  write(MiscSection, "Star Information Flag", FlagText(StarInformationFlag));
  write(MiscSection, "DetailTextureMode", integer(DetailTextureMode));
  write(MiscSection, "Mission", MissionName);
  write(MiscSection, "Flight", FlightName);
  write(MiscSection, "Simple LM", FlagText(SimpleLM));
  write(MiscSection, "Simple Cockpit", FlagText(SimpleCockpit));
  write(MiscSection, "Startup View", integer(StartupView));
  write(MiscSection, "Pilot", integer(ActivePilot));
  write(MiscSection, "Sound", FlagText(SoundOn));
  write(MiscSection, "Number of Rocks", integer(RocksSliderPosition()));
  write(MiscSection, "Rock Graphic", integer(RockGraphic));
  write(MiscSection, "MusicVolume", integer(MusicVolume));
  write(MiscSection, "RCSVolume", integer(RCSVolume));
  write(MiscSection, "EngineVolume", integer(EngineVolume));
  write(MiscSection, "MasterVolume", integer(MasterVolume));
  write(MiscSection, "Gamma", SingleText(Gamma));
  write(MiscSection, "Ship Gamma", SingleText(ShipGamma));
  write(MiscSection, "Keyboard", FlagText(UseKeyboard));
  write(MiscSection, "JoyStick", FlagText(UseJoystick));

  write(GraphicSection, "Video Mode", integer(VideoMode));
  write(GraphicSection, "Terrain Flash", integer(RenderDetail));
  write(GraphicSection, "Shadows", integer(DriverDialog->HScroll2.Value()));
  write(GraphicSection, "Land Precision", integer(LandPrecision));
  write(GraphicSection, "Full Screen", FlagText(FullScreen));
  write(GraphicSection, "TextureQuality", SingleText(TextureQuality));

  write(WindowSection, "Left", integer(WindowLeft));
  write(WindowSection, "Top", integer(WindowTop));
  write(WindowSection, "Width", integer(WindowWidth));
  write(WindowSection, "Height", integer(WindowHeight));

  write(AdvancedSection, "GraphicsDebug", FlagText(GraphicsDebug));
  write(AdvancedSection, "DisplayFPS", FlagText(DisplayFPS));
  write(AdvancedSection, "SetVsync", FlagText(SetVsync));
  write(AdvancedSection, "SpecularLighting", FlagText(SpecularLighting));
  write(AdvancedSection, "3D Texture Filter", integer(TextureFilter3D));
  write(AdvancedSection, "2D Texture Filter", integer(TextureFilter2D));
  write(AdvancedSection, "Texture Mode", integer(TextureMode));
  write(AdvancedSection, "SetShadeMode", "0");
  write(AdvancedSection, "SetDepthBuffer", integer(SetDepthBuffer));
  write(AdvancedSection, "EnableAntialiasing", AntialiasingText());
  batch.Commit();
}
