#include "program/missions/launcher_forms.h"

#include <initializer_list>
#include <string>

#include "program/missions/launcher.h"
#include "program/missions/launcher_services.h"
#include "program/missions/mission_lists.h"
#include "program/missions/missions_state.h"
#include "program/startup/form_translation.h"
#include "program/startup/startup_state.h"

namespace {

void Range(forms::Control& scrollBar, int16_t min, int16_t max) {
  scrollBar.SetMin(min);
  scrollBar.SetMax(max);
}

void Items(forms::Control& list, std::initializer_list<const char*> items) {
  for (const char* item : items) list.AddItem(item);
}

constexpr std::initializer_list<const char*> FilterNames = {
    "None", "Trilinear", "Bilinear", "Nearestpoint", "Gaussiancubic", "Flatcubic", "Anisotropic"};

}  // namespace

DriverDialogForm::DriverDialogForm() : forms::Form("DriverDialog") {
  SetCaption("Marovin");
  Move(0, 0, 9600, 7200);
  Range(HScrollLandscape, 0, 2);
  Range(HScrollRocks, 0, 100);
  Range(HScrollRockGraphic, 0, 299);
  Range(HScroll1, 0, 2);
  Range(HScroll2, 0, 3);
  Range(HScroll_MasterVolume, 0, static_cast<int16_t>(MaxVolume));
  chkWindowed.SetCaption("Windowed");
  Check_Sound.SetCaption("Sound Enabled");
  Option_Joystick.SetCaption("Joystick   >");
  Option_KeyBoard.SetCaption("Keyboard / Mouse");
  Command1.SetCaption("Setup");
  Command3.SetCaption("Select");
  Command3.SetToolTipText("Select the active pilot.");
  Command5.SetCaption("Advanced");
  Command5.SetToolTipText("More graphic settings");
  Combo1.SetEditable(false);
  Combo2.SetEditable(false);
  Check1.SetCaption("Test-11");
  Check1.SetVisible(false);
  Combo1.Change = DriverDialog_Combo1_Change;
  Combo1.Click = DriverDialog_Combo1_Click;
  Combo2.Click = DriverDialog_Combo2_Click;
  cboGroup.Click = DriverDialog_cboGroup_Click;
  chkWindowed.Click = DriverDialog_chkWindowed_Click;
  Option_Joystick.Click = DriverDialog_Option_Joystick_Click;
  Option_KeyBoard.Click = DriverDialog_Option_KeyBoard_Click;
  HScroll1.Change = DriverDialog_HScroll1_Change;
  HScroll2.Change = HScroll2.Scroll = DriverDialog_HScroll2_Change;
  HScrollLandscape.Change = DriverDialog_HScrollLandscape_Change;
  HScrollRockGraphic.Change = HScrollRockGraphic.Scroll = DriverDialog_HScrollRockGraphic_Change;
  HScrollRocks.Change = HScrollRocks.Scroll = DriverDialog_HScrollRocks_Change;
  Command3.Click = DriverDialog_Command3_Click;
  Command5.Click = DriverDialog_Command5_Click;
  Command_Continue.SetCaption("Continue");
  Command_Continue.Move(7800, 6300, 1500, 450);
  Command_Continue.SetToolTipText("Start the program");
  Command_Quit.SetCaption("Quit");
  Command_Quit.SetToolTipText("Goodbye");
  Command_Quit.Move(7800, 6780, 1500, 375);
  Command_Help.SetCaption("Help");
  Command_Help.SetToolTipText("Display Help");
  Command2.SetCaption("More Settings");
  Command2.SetToolTipText("Change other volume and music settings");
  Command7.SetCaption("Export Language");
  Command8.SetCaption("Language");
  Command_Continue.Click = DriverDialog_Command_Continue_Click;
  Command_Quit.Click = DriverDialog_Command_Quit_Click;
  Command_Help.Click = DriverDialog_Command_Help_Click;
  Command2.Click = DriverDialog_Command2_Click;
  Command7.Click = DriverDialog_Command7_Click;
  Command8.Click = DriverDialog_Command8_Click;
  Load = DriverDialog_Form_Load;
  QueryUnload = [](bool& cancel, forms::UnloadMode mode) {
    DriverDialog_Form_QueryUnload(cancel, static_cast<int16_t>(mode));
  };
}

void DriverDialogForm::ExportAppStrings() { ::ExportAppStrings(*this); }

AdvancedForm::AdvancedForm() : forms::Form("Advanced") {
  SetCaption("Advanced");
  Check1.SetCaption("Simple Cockpit");
  Check2.SetCaption("Simple LM");
  Check3.SetCaption("Display frames / sec");
  Check4.SetCaption("Limit Vertical Sync Rate");
  Check5.SetCaption("Specular Lighting");
  Check6.SetCaption("Debug File");
  Items(Combo1, FilterNames);
  Items(Combo2, {"Compressed", "16 Bit", "32 Bit", "Auto (Best)"});
  Items(Combo3, {"Z-Buffer", "W-Buffer"});
  Items(Combo5, {"Off", "Medium Resolution", "High Resolution"});
  Items(Combo6, {"Add", "AddSigned", "Modulate", "Modulate2x", "Subtract"});
  Items(Combo7, FilterNames);
  Command1.SetCaption("OK");
  Command2.SetCaption("Cancel");
  Command1.Click = Advanced_Command1_Click;
  Command2.Click = Advanced_Command2_Click;
  Load = [this] {
    Combo4.AddItem("None");
    for (int samples = 1; samples <= 10; ++samples) Combo4.AddItem(std::to_string(samples));
    TranslateOnLoad(*this);
  };
}

void Advanced_Command1_Click() {
  AdvancedForm& form = *Advanced;
  DisplayFPS = form.Check3.Value() == forms::Control::kChecked;
  SetVsync = form.Check4.Value() == forms::Control::kChecked;
  SpecularLighting = form.Check5.Value() == forms::Control::kChecked;
  const std::string& texture = form.Combo2.Text();
  if (texture == "16 Bit") TextureMode = 0;
  if (texture == "32 Bit") TextureMode = 1;
  if (texture == "Compressed") TextureMode = 2;
  if (texture == "Auto (Best)" || texture == "Auto") TextureMode = 3;
  SetDepthBuffer = form.Combo3.Text() == "W-Buffer" ? 2 : 1;
  const std::string& samples = form.Combo4.Text();
  const bool numbered = !samples.empty() && samples.size() <= 2 &&
                        samples.find_first_not_of("0123456789") == std::string::npos;
  const int value = numbered ? std::stoi(samples) : 0;
  AntialiasingOn = value >= 2 && value <= 10;
  AntialiasingSamples = static_cast<int16_t>(AntialiasingOn ? value : 0);
  form.Hide();
}

void Advanced_Command2_Click() { Advanced->Hide(); }

SoundSettingsForm::SoundSettingsForm() : forms::Form("SoundSettings") {
  SetCaption("Sound Settings");
  Range(HScroll_RCSVolume, 0, static_cast<int16_t>(MaxVolume));
  Range(HScroll_EngineVolume, 0, static_cast<int16_t>(MaxVolume));
  Range(HScroll_MusicVolume, 0, static_cast<int16_t>(MaxVolume));
  Load = [this] { TranslateOnLoad(*this); };
}
