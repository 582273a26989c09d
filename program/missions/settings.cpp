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
#include "program/scene/scene_state.h"
#include "program/startup/startup_state.h"

namespace {

const char* const GraphicSection = "Graphic Settings";
const char* const MiscSection = "Miscellaneous";
const char* const AdvancedSection = "Advanced Graphic Settings";
const char* const DevelopmentSection = "Development";
const char* const WindowSection = "Window";

// Interface text ids.
constexpr int FirstViewNameId = 49;  // "Virtual Cockpit 1"; the nine view names follow in order
constexpr int NoneTextId = 266;

constexpr int16_t Ticked = forms::Control::kChecked;
constexpr int16_t Selected = -1;

// A value that does not fit the variable it is read into.
class SettingsValueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::string SettingsPath() { return ProgramFolder() + "\\Marovin.ini"; }

// Reads the file key by key and runs the steps that store and show each value. A step that fails
// shows the section and the text last read, and the next step runs.
class SettingsReader {
 public:
  explicit SettingsReader(std::string path) : path_(std::move(path)) {}

  void Section(const char* section) { section_ = section; }

  std::string Text(const char* key, const char* defaultText) {
    lastText_ = ReadProfileValue(section_, key, defaultText, path_);
    return lastText_;
  }
  float Number(const char* key, const char* defaultText) {
    return ToNumber(Text(key, defaultText));
  }
  double Value(const char* key, const char* defaultText) { return ToValue(Text(key, defaultText)); }
  bool Flag(const char* key, const char* defaultText) { return ToFlag(Text(key, defaultText)); }
  int32_t Whole(const char* key, const char* defaultText) {
    return Checked(ToWhole(Text(key, defaultText)));
  }
  int16_t Short(const char* key, const char* defaultText) {
    return Checked(ToShort(Text(key, defaultText)));
  }

  template <typename Integer>
  Integer Checked(std::optional<Integer> value) const {
    if (!value) throw SettingsValueError("overflow");
    return *value;
  }

  template <typename Step>
  void Run(Step&& step) {
    try {
      step();
    } catch (const std::runtime_error&) {
      forms::MsgBox(section_ + " = " + lastText_);
    }
  }

 private:
  std::string path_;
  std::string section_;
  std::string lastText_;
};

// The number-to-text table of a combo box's text; a value it lacks leaves the text.
struct ValueText {
  int32_t Value;
  const char* Text;
};

template <size_t N>
void SetTextByValue(forms::Control& combo, int32_t value, const ValueText (&table)[N]) {
  for (const ValueText& entry : table) {
    if (entry.Value == value) combo.SetText(entry.Text);
  }
}

constexpr ValueText FilterTexts[] = {{0, "Nearestpoint"}, {1, "Bilinear"},  {2, "Trilinear"},
                                     {3, "Anisotropic"},  {4, "Flatcubic"}, {5, "Gaussiancubic"},
                                     {6, "None"}};

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
  modes.SetListIndex(0);
}

void ReadGraphicSettings(SettingsReader& file) {
  file.Section(GraphicSection);
  file.Run([&] { VideoMode = file.Whole("Video Mode", "27"); });
  file.Run(SelectVideoMode);
  file.Run([&] { RenderDetail = file.Whole("Terrain Flash", "1"); });
  file.Run([&] { Advanced->Combo5.SetListIndex(file.Checked(RoundTo<int16_t>(RenderDetail))); });
  file.Run([&] { FullScreen = file.Flag("Full Screen", "0"); });
  file.Run([&] {
    if (!FullScreen) DriverDialog->chkWindowed.SetValue(Ticked);
  });
  file.Run([&] {
    const double shadows = file.Value("Shadows", "0");
    constexpr std::array<std::array<bool, 3>, 4> flagsByShadows = {
        {{false, false, false}, {false, true, false}, {true, false, true}, {true, false, false}}};
    for (int16_t position = 0; position < 4; ++position) {
      if (shadows == position) {
        ShadowFlags = flagsByShadows[position];
        DriverDialog->HScroll2.SetValue(position);
      }
    }
  });
  file.Run([&] { LandPrecision = file.Whole("Land Precision", "4"); });
  file.Run([&] {
    constexpr int32_t precisions[] = {1, 2, 4};
    for (int16_t position = 0; position < 3; ++position) {
      if (LandPrecision == precisions[position]) DriverDialog->HScrollLandscape.SetValue(position);
    }
  });
  file.Run([&] {
    TextureQuality = file.Number("TextureQuality", "1");
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

void ReadMiscellaneous(SettingsReader& file) {
  file.Section(MiscSection);
  file.Run([&] { DetailTextureMode = file.Whole("DetailTextureMode", "5"); });
  file.Run([&] {
    constexpr ValueText modes[] = {
        {4, "Modulate"}, {5, "Modulate2x"}, {7, "Add"}, {8, "AddSigned"}, {10, "Subtract"}};
    SetTextByValue(Advanced->Combo6, DetailTextureMode, modes);
  });
  file.Run([&] { StartupView = file.Short("Startup View", "4"); });
  file.Run([&] {
    if (StartupView >= 1 && StartupView <= 9) {
      DriverDialog->Combo3.SetText(UiText[FirstViewNameId + StartupView - 1]);
    }
  });
  file.Run([&] { StarMagnitudeCut = file.Number("Star Magnitude Cut 1", ".8"); });
  file.Run([&] { StarSize = file.Checked(RoundTo<int32_t>(file.Number("Star Size", "2"))); });
  file.Run([&] { StarBrightness = file.Whole("Star Brightness", "3"); });
  file.Run([&] { StarInformationFlag = file.Flag("Star Information Flag", "-1"); });
  file.Run([&] { MovieMode = file.Flag("Movie Mode", "0"); });
  file.Run([&] { MovieWidth = file.Whole("Movie Width", "704"); });
  file.Run([&] { MovieHeight = file.Whole("Movie Height", "480"); });
  file.Run([&] { CaptureFrameRate = static_cast<float>(file.Value("Movie FPS", "30")); });
  file.Run([&] { SimpleLM = file.Flag("Simple LM", "0"); });
  file.Run([&] {
    if (SimpleLM) Advanced->Check2.SetValue(Ticked);
  });
  file.Run([&] { SimpleCockpit = file.Flag("Simple Cockpit", "0"); });
  file.Run([&] {
    if (SimpleCockpit) Advanced->Check1.SetValue(Ticked);
  });
  file.Run([&] { RockCount = file.Whole("Number of Rocks", "40"); });
  file.Run([&] { DriverDialog->HScrollRocks.SetValue(file.Checked(RoundTo<int16_t>(RockCount))); });
  file.Run([&] { RockGraphic = file.Whole("Rock Graphic", "75"); });
  file.Run([&] {
    DriverDialog->HScrollRockGraphic.SetValue(file.Checked(RoundTo<int16_t>(RockGraphic)));
  });
  file.Run([&] { MissionName = file.Text("Mission", "Apollo 11"); });
  file.Run([&] { FlightName = file.Text("Flight", "None"); });
  file.Run([&] { SoundOn = file.Flag("Sound", "-1"); });
  file.Run([&] {
    DriverDialog->Check_Sound.SetValue(SoundOn ? Ticked : forms::Control::kUnchecked);
    MenuSoundChoice = SoundOn;
  });
  const auto volume = [&](const char* key, const char* defaultText, int32_t& variable,
                          forms::Control& slider) {
    file.Run([&] { variable = Volume(file.Whole(key, defaultText)); });
    file.Run([&] { slider.SetValue(static_cast<int16_t>(variable)); });
  };
  volume("RCSVolume", "50", RCSVolume, SoundSettings->HScroll_RCSVolume);
  volume("EngineVolume", "50", EngineVolume, SoundSettings->HScroll_EngineVolume);
  volume("MusicVolume", "50", MusicVolume, SoundSettings->HScroll_MusicVolume);
  volume("MasterVolume", "100", MasterVolume, DriverDialog->HScroll_MasterVolume);
  file.Run([&] { Gamma = file.Number("Gamma", "1"); });
  file.Run([&] { ShipGamma = file.Number("Ship Gamma", "0.2"); });
  file.Run([&] {
    // The pilot indexes the score table: one that is not in it is the first pilot.
    ActivePilot = file.Whole("Pilot", "1");
    if (ActivePilot < 1 || ActivePilot > PilotCount) ActivePilot = 1;
  });
  file.Run([&] { UseMouse = file.Flag("Mouse", "0"); });
  file.Run([&] {
    if (UseMouse) {
      UseJoystick = false;
      MenuJoystickChoice = false;
    }
  });
  file.Run([&] { UseJoystick = file.Flag("JoyStick", "0"); });
  file.Run(ApplyControlChoice);
  file.Run([&] { UseKeyboard = file.Flag("Keyboard", "-1"); });
  file.Run([&] {
    if (UseKeyboard) {
      UseMouse = false;
      UseJoystick = false;
      MenuJoystickChoice = false;
      DriverDialog->Option_KeyBoard.SetValue(Selected);
    }
  });
}

void ReadAdvancedGraphicSettings(SettingsReader& file) {
  file.Section(AdvancedSection);
  const auto flag = [&](const char* key, const char* defaultText, bool& variable,
                        forms::Control& box) {
    file.Run([&] { variable = file.Flag(key, defaultText); });
    file.Run([&] {
      if (variable) box.SetValue(Ticked);
    });
  };
  flag("GraphicsDebug", "0", GraphicsDebug, Advanced->Check6);
  flag("DisplayFPS", "-1", DisplayFPS, Advanced->Check3);
  flag("SetVsync", "0", SetVsync, Advanced->Check4);
  flag("SpecularLighting", "-1", SpecularLighting, Advanced->Check5);
  file.Run([&] {
    const double mode = file.Value("Texture Mode", "3");
    constexpr const char* modeTexts[] = {"16 Bit", "32 Bit", "Compressed", "Auto"};
    for (int32_t value = 0; value < 4; ++value) {
      if (mode == value) {
        TextureMode = value;
        Advanced->Combo2.SetText(modeTexts[value]);
      }
    }
  });
  file.Run([&] { TextureFilter3D = file.Whole("3D Texture Filter", "2"); });
  file.Run([&] { SetTextByValue(Advanced->Combo1, TextureFilter3D, FilterTexts); });
  file.Run([&] { TextureFilter2D = file.Whole("2D Texture Filter", "2"); });
  file.Run([&] { SetTextByValue(Advanced->Combo7, TextureFilter2D, FilterTexts); });
  file.Run([&] {
    const bool wBuffer = file.Value("SetDepthBuffer", "1") == 2.0;
    SetDepthBuffer = wBuffer ? 2 : 1;
    Advanced->Combo3.SetText(wBuffer ? "W-Buffer" : "Z-Buffer");
  });
  file.Run([&] {
    const std::string text = file.Text("EnableAntialiasing", "None");
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

void ReadDevelopment(SettingsReader& file) {
  file.Section(DevelopmentSection);
  file.Run([&] { SurveyorMoveMode = file.Flag("SurveyorMove", "0"); });
  file.Run([&] { LandMoveMode = file.Flag("LandMove", "0"); });
  file.Run([&] { NodeMakeMode = file.Flag("NodeMake", "0"); });
  file.Run([&] { WriteVCPositionsMode = file.Flag("Write Virtual Cockpit Positions", "0"); });
  file.Run([&] { WriteLMMatrixMode = file.Flag("Write LM Matrix", "0"); });
}

// The rocks slider position p whose p squared over 8 rocks the flight start made.
int16_t RocksSliderPosition() { return RoundTo<int16_t>(std::sqrt(8.0 * RockCount)).value_or(0); }

std::string AntialiasingText() {
  if (!AntialiasingOn || AntialiasingSamples < 2 || AntialiasingSamples > 10) return "None";
  return std::to_string(AntialiasingSamples);
}

}  // namespace

void LoadSettings() {
  SettingsReader file(SettingsPath());
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
}
