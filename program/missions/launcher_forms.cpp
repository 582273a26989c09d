#include "program/missions/launcher_forms.h"

#include <initializer_list>
#include <string>
#include <tuple>

#include "program/missions/missions_state.h"
#include "program/missions/settings.h"

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

// Places a control inside its frame; positions are twips from the frame's corner.
void Place(forms::Control& control, forms::Control& frame, int32_t left, int32_t top, int32_t width,
           int32_t height) {
  control.SetContainer(frame);
  control.Move(left, top, width, height);
}

// The dialogs whose boxes hold settings the flight start reads keep them when their window is
// closed: closing hides them as their Cancel or OK does. The program's own unloads go on.
void HideOnClose(forms::Form& form) {
  form.QueryUnload = [&form](bool& cancel, forms::UnloadMode mode) {
    if (mode != forms::UnloadMode::UserClose) return;
    cancel = true;
    form.Hide();
  };
}

// Three columns of frames, wide enough for the German captions: video and graphics; mission,
// sound, controls and pilot; the logo, stars, start view and the command buttons.
void LayOut(DriverDialogForm& f) {
  constexpr int32_t column1 = 120;
  constexpr int32_t column2 = 3840;
  constexpr int32_t column3 = 7560;
  constexpr int32_t frameWidth = 3600;
  constexpr int32_t inner = frameWidth - 240;  // a control's width inside a frame
  constexpr int32_t row = 300;                 // a label's or list's height
  f.Move(0, 0, 11400, 7920);

  f.FrameVideo.SetCaption("Video Settings");
  f.FrameVideo.Move(column1, 120, frameWidth, 2400);
  f.LabelVideoCard.SetCaption("Video Card");
  Place(f.LabelVideoCard, f.FrameVideo, 120, 300, inner, 255);
  Place(f.cboGroup(0), f.FrameVideo, 120, 570, inner, row);
  f.LabelVideoModes.SetCaption("Video modes: ");
  Place(f.LabelVideoModes, f.FrameVideo, 120, 960, inner, 255);
  Place(f.cboGroup(2), f.FrameVideo, 120, 1230, inner, row);
  Place(f.chkWindowed, f.FrameVideo, 120, 1680, 1680, row);
  Place(f.Command5, f.FrameVideo, 1800, 1620, 1680, 375);

  f.FrameGraphics.SetCaption("General Graphics");
  f.FrameGraphics.Move(column1, 2640, frameWidth, 4080);
  int32_t top = 300;
  for (auto [label, bar] : {std::pair{&f.Label14, &f.HScrollLandscape},
                            {&f.Label15, &f.HScrollRocks},
                            {&f.Label18, &f.HScrollRockGraphic},
                            {&f.Label5, &f.HScroll1},
                            {&f.Label3, &f.HScroll2}}) {
    Place(*label, f.FrameGraphics, 120, top, inner, 255);
    Place(*bar, f.FrameGraphics, 120, top + 270, inner, 255);
    top += 750;
  }
  f.Label14.SetCaption("Landscape Detail:");
  f.Label15.SetCaption("Number of Rocks:");
  f.Label18.SetCaption("Rock Graphic");
  f.Label5.SetCaption("Texture Quality");
  f.Label3.SetCaption("Shadow Type");

  f.FrameMission.SetCaption("Mission Parameters");
  f.FrameMission.Move(column2, 120, frameWidth, 2040);
  f.LabelMission.SetCaption("Mission");
  Place(f.LabelMission, f.FrameMission, 120, 300, inner, 255);
  Place(f.Combo1, f.FrameMission, 120, 570, inner, row);
  f.LabelFlight.SetCaption("Flight");
  Place(f.LabelFlight, f.FrameMission, 120, 960, inner, 255);
  Place(f.Combo2, f.FrameMission, 120, 1230, inner, row);
  Place(f.Check1, f.FrameMission, 120, 1620, inner, row);

  f.FrameSound.SetCaption("Sound Settings");
  f.FrameSound.Move(column2, 2280, frameWidth, 1920);
  Place(f.Check_Sound, f.FrameSound, 120, 300, inner, row);
  f.LabelMasterVolume.SetCaption("Master Volume");
  Place(f.LabelMasterVolume, f.FrameSound, 120, 690, inner, 255);
  Place(f.HScroll_MasterVolume, f.FrameSound, 480, 960, inner - 960, 255);
  f.LabelVolumeLow.SetCaption("0");
  Place(f.LabelVolumeLow, f.FrameSound, 120, 960, 315, 255);
  f.LabelVolumeHigh.SetCaption("100");
  Place(f.LabelVolumeHigh, f.FrameSound, inner - 420, 960, 540, 255);
  Place(f.Command2, f.FrameSound, 120, 1380, inner, 375);

  f.FrameControls.SetCaption("Controls");
  f.FrameControls.Move(column2, 4320, frameWidth, 1320);
  Place(f.Option_Joystick, f.FrameControls, 120, 330, 1800, row);
  Place(f.Command1, f.FrameControls, 1980, 300, 1500, 375);
  Place(f.Option_KeyBoard, f.FrameControls, 120, 810, inner, row);

  f.FramePilot.SetCaption("Current Pilot");
  f.FramePilot.Move(column2, 5760, frameWidth, 960);
  Place(f.Command3, f.FramePilot, 120, 360, inner, 375);

  f.ImageLogo.Move(column3, 120, frameWidth, 2040);
  f.FrameStars.SetCaption("Stars");
  f.FrameStars.Move(column3, 2280, frameWidth, 960);
  Place(f.Command6, f.FrameStars, 120, 360, inner, 375);
  f.FrameStartup.SetCaption("Startup Window");
  f.FrameStartup.Move(column3, 3360, frameWidth, 960);
  Place(f.Combo3, f.FrameStartup, 120, 390, inner, row);

  top = 4440;
  for (forms::Control* button :
       {&f.Command_Continue, &f.Command_Quit, &f.Command_Help, &f.Command8, &f.Command7}) {
    button->Move(column3 + 360, top, frameWidth - 720, 375);
    top += 465;
  }
}

}  // namespace

DriverDialogForm::DriverDialogForm() : forms::Form("DriverDialog") {
  SetCaption("Marovin");
  SetBorderStyle(forms::BorderStyle::FixedDialog);
  LayOut(*this);
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
  Command_Continue.SetCaption("Continue");
  Command_Continue.SetToolTipText("Start the program");
  Command_Quit.SetCaption("Quit");
  Command_Quit.SetToolTipText("Goodbye");
  Command_Help.SetCaption("Help");
  Command_Help.SetToolTipText("Display Help");
  Command2.SetCaption("More Settings");
  Command2.SetToolTipText("Change other volume and music settings");
  Command7.SetCaption("Export Language");
  Command8.SetCaption("Language");
  Command6.SetCaption("Star Display Options");
  Check_Sound.SetToolTipText("Check to kill sound");
  Option_Joystick.SetToolTipText("Primary Roll Pitch axis");
  Option_KeyBoard.SetToolTipText("Keyboard / Mouse control");
  Command1.SetToolTipText("Assign buttons and functions to your joystick(s)");
}

AdvancedForm::AdvancedForm() : forms::Form("Advanced") {
  SetCaption("Advanced");
  SetBorderStyle(forms::BorderStyle::FixedDialog);
  Move(0, 0, 8130, 5895);
  // The switches down the left, the boxes with their labels down the right, the buttons below.
  constexpr int32_t left = 120;
  constexpr int32_t right = 4320;
  constexpr int32_t width = 3600;
  int32_t top = 120;
  for (const auto& [box, caption, tip] :
       {std::tuple{&Check3, "Display frames / sec",
                   "Shows frames per second on top left of screen."},
        std::tuple{&Check4, "Limit Vertical Sync Rate",
                   "Sets max frame rate to screen refresh rate"},
        std::tuple{&Check5, "Specular Lighting",
                   "Specular lighting effect when looking into the sun"},
        std::tuple{&Check6, "Debug File", ""}}) {
    box->SetCaption(caption);
    box->SetToolTipText(tip);
    box->Move(left, top, 4080, 300);
    top += 360;
  }
  Frame1.SetCaption("Use Simple Models");
  Frame1.Move(left, top + 60, 4080, 1080);
  Check2.SetCaption("Simple LM");
  Place(Check2, Frame1, 120, 300, 3840, 300);
  Check1.SetCaption("Simple Cockpit");
  Place(Check1, Frame1, 120, 660, 3840, 300);
  top = 120;
  for (const auto& [label, box, caption] :
       {std::tuple{&Label1, &Combo2, "Texture Mode"}, std::tuple{&Label2, &Combo3, "Depth Buffer"},
        std::tuple{&Label3, &Combo4, "Antialiasing"}, std::tuple{&Label4, &Combo1, "3D Filtering"},
        std::tuple{&Label5, &Combo7, "2D Filtering"},
        std::tuple{&Label6, &Combo6, "Land Detail Texture Mode"},
        std::tuple{&Label7, &Combo5, "Reduce Terrain Flash"}}) {
    label->SetCaption(caption);
    label->Move(right, top, width, 255);
    box->Move(right, top + 270, width, 315);
    top += 660;
  }
  Items(Combo1, FilterNames);
  Items(Combo2, {"Compressed", "16 Bit", "32 Bit", "Auto (Best)"});
  Items(Combo3, {"Z-Buffer", "W-Buffer"});
  Items(Combo5, {"Off", "Medium Resolution", "High Resolution"});
  Items(Combo6, {"Add", "AddSigned", "Modulate", "Modulate2x", "Subtract"});
  Items(Combo7, FilterNames);
  Command1.SetCaption("OK");
  Command1.Move(right, 4920, 1680, 375);
  Command2.SetCaption("Cancel");
  Command2.Move(right + 1920, 4920, 1680, 375);
  Command2.SetCancel(true);
  HideOnClose(*this);
}

void Advanced_Command1_Click() {
  AdvancedForm& form = *Advanced;
  DisplayFPS = form.Check3.Value() == forms::Control::kChecked;
  SetVsync = form.Check4.Value() == forms::Control::kChecked;
  SpecularLighting = form.Check5.Value() == forms::Control::kChecked;
  SetValueByText(TextureMode, form.Combo2.Text(), TextureModeTexts);
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
  SetBorderStyle(forms::BorderStyle::FixedDialog);
  Move(0, 0, 4800, 3660);
  Label1.SetCaption("Music File (Mission Specific)");
  Label1.Move(240, 120, 4200, 255);
  Text1.Move(240, 420, 3600, 315);
  Command2.SetCaption("...");
  Command2.Move(3960, 420, 480, 315);
  int32_t top = 900;
  for (const auto& [label, bar, caption] :
       {std::tuple{&Label2, &HScroll_MusicVolume, "Music Volume"},
        std::tuple{&Label3, &HScroll_RCSVolume, "RCS Volume"},
        std::tuple{&Label4, &HScroll_EngineVolume, "Engine Volume"}}) {
    label->SetCaption(caption);
    label->Move(240, top, 1800, 255);
    bar->Move(2160, top, 2280, 255);
    Range(*bar, 0, static_cast<int16_t>(MaxVolume));
    top += 480;
  }
  Command1.SetCaption("OK");
  Command1.Move(1800, top + 120, 1200, 375);
  Command1.SetCancel(true);  // OK only hides the dialog, which is all Escape asks
  HideOnClose(*this);
}
