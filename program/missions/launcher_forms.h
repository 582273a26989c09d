// The control model of the launcher and of the two side dialogs whose controls the settings file
// fills: the controls by their names, with the ranges and list entries they are designed with.
// Only what the settings reader and writer and the language change touch is here; the dialogs'
// other handlers belong to their own modules. Each dialog translates itself as it loads.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/forms/control.h"
#include "platform/forms/form.h"
#include "program/startup/form_translation.h"

namespace d3d {
class IDirect3D8;
}

// One display mode of the launcher's mode table.
struct DisplayModeRecord {
  int32_t Width = 0;        // pixels
  int32_t Height = 0;       // pixels
  int32_t RefreshRate = 0;  // Hz
  int32_t Format = 0;       // the Direct3D format number
};

// The launcher dialog.
class DriverDialogForm : public forms::Form {
 public:
  DriverDialogForm();

  // The frames that group the controls, and the labels that only name them.
  forms::Frame FrameVideo{*this, "FrameVideo"};
  forms::Frame FrameGraphics{*this, "FrameGraphics"};
  forms::Frame FrameSound{*this, "FrameSound"};
  forms::Frame FrameMission{*this, "FrameMission"};
  forms::Frame FramePilot{*this, "FramePilot"};
  forms::Frame FrameControls{*this, "FrameControls"};
  forms::Frame FrameStars{*this, "FrameStars"};
  forms::Frame FrameStartup{*this, "FrameStartup"};
  forms::Image ImageLogo{*this, "ImageLogo"};
  forms::Label LabelVideoCard{*this, "LabelVideoCard"};
  forms::Label LabelVideoModes{*this, "LabelVideoModes"};
  forms::Label LabelMasterVolume{*this, "LabelMasterVolume"};
  forms::Label LabelVolumeLow{*this, "LabelVolumeLow"};
  forms::Label LabelVolumeHigh{*this, "LabelVolumeHigh"};
  forms::Label LabelMission{*this, "LabelMission"};
  forms::Label LabelFlight{*this, "LabelFlight"};

  // Element 0 lists the display adapters, element 2 the display modes (item data: the mode's
  // number).
  forms::ControlArray<forms::ComboBox> cboGroup{*this, "cboGroup", {0, 2}};
  forms::CheckBox chkWindowed{*this, "chkWindowed"};
  forms::HScrollBar HScrollLandscape{*this, "HScrollLandscape"};
  forms::HScrollBar HScrollRocks{*this, "HScrollRocks"};
  forms::HScrollBar HScrollRockGraphic{*this, "HScrollRockGraphic"};
  forms::HScrollBar HScroll1{*this, "HScroll1"};  // texture quality
  forms::HScrollBar HScroll2{*this, "HScroll2"};  // shadow type
  forms::Label Label14{*this, "Label14"};         // landscape detail
  forms::Label Label15{*this, "Label15"};         // number of rocks
  forms::Label Label18{*this, "Label18"};         // rock graphic
  forms::Label Label5{*this, "Label5"};           // texture quality
  forms::Label Label3{*this, "Label3"};           // shadow type
  forms::CheckBox Check_Sound{*this, "Check_Sound"};
  forms::HScrollBar HScroll_MasterVolume{*this, "HScroll_MasterVolume"};
  forms::OptionButton Option_Joystick{*this, "Option_Joystick"};
  forms::OptionButton Option_KeyBoard{*this, "Option_KeyBoard"};
  forms::CommandButton Command1{*this, "Command1"};  // joystick set-up
  forms::CommandButton Command3{*this, "Command3"};  // pilot list
  forms::CommandButton Command5{*this, "Command5"};  // advanced graphics
  forms::CheckBox Check1{*this, "Check1"};           // "Test-11", shown for one flight
  forms::ComboBox Combo1{*this, "Combo1"};           // missions
  forms::ComboBox Combo2{*this, "Combo2"};           // flights
  forms::ComboBox Combo3{*this, "Combo3"};           // start view
  forms::CommandButton Command_Continue{*this, "Command_Continue"};
  forms::CommandButton Command_Quit{*this, "Command_Quit"};
  forms::CommandButton Command_Help{*this, "Command_Help"};
  forms::CommandButton Command2{*this, "Command2"};  // more sound settings
  forms::CommandButton Command7{*this, "Command7"};  // export language
  forms::CommandButton Command8{*this, "Command8"};  // language
  forms::CommandButton Command6{*this, "Command6"};  // star display options

  // The launcher's Export Language command.
  void ExportAppStrings() { ::ExportAppStrings(*this); }

  // The platform's Direct3D object, made on first use and released with the form.
  std::shared_ptr<d3d::IDirect3D8> Direct3D;
  int32_t AdapterIndex = 0;
  // The enumeration index of the chosen mode, which is also its entry's item data.
  int32_t ModeIndex = 0;
  std::vector<DisplayModeRecord> ModeTable;  // by enumeration index of the current adapter
  DisplayModeRecord ChosenMode;
  bool NoModesReported = false;  // the desktop's mode stood in for an empty list
  bool LoadFinished = false;     // every step of the load ran: a flight may start from here
};

// The advanced graphics dialog.
class AdvancedForm : public forms::Form {
 public:
  AdvancedForm();

  forms::CheckBox Check1{*this, "Check1"};           // simple cockpit
  forms::CheckBox Check2{*this, "Check2"};           // simple LM
  forms::CheckBox Check3{*this, "Check3"};           // frames per second shown
  forms::CheckBox Check4{*this, "Check4"};           // vertical sync limit
  forms::CheckBox Check5{*this, "Check5"};           // specular lighting
  forms::CheckBox Check6{*this, "Check6"};           // debug file
  forms::ComboBox Combo1{*this, "Combo1"};           // 3D filtering
  forms::ComboBox Combo2{*this, "Combo2"};           // texture mode
  forms::ComboBox Combo3{*this, "Combo3"};           // depth buffer
  forms::ComboBox Combo4{*this, "Combo4"};           // antialiasing
  forms::ComboBox Combo5{*this, "Combo5"};           // terrain flash reduction
  forms::ComboBox Combo6{*this, "Combo6"};           // land detail texture mode
  forms::ComboBox Combo7{*this, "Combo7"};           // 2D filtering
  forms::CommandButton Command1{*this, "Command1"};  // OK
  forms::CommandButton Command2{*this, "Command2"};  // Cancel
  forms::Frame Frame1{*this, "Frame1"};              // "Use Simple Models"
  // The boxes' labels, in the order of the boxes down the form.
  forms::Label Label1{*this, "Label1"};
  forms::Label Label2{*this, "Label2"};
  forms::Label Label3{*this, "Label3"};
  forms::Label Label4{*this, "Label4"};
  forms::Label Label5{*this, "Label5"};
  forms::Label Label6{*this, "Label6"};
  forms::Label Label7{*this, "Label7"};
};

// OK applies the frame-rate, vertical-sync, specular, texture-mode, depth-buffer and antialiasing
// choices; the flight start reads the other boxes itself. Both buttons only hide the form.
void Advanced_Command1_Click();
void Advanced_Command2_Click();

// The sound settings dialog.
class SoundSettingsForm : public forms::Form {
 public:
  SoundSettingsForm();

  forms::HScrollBar HScroll_RCSVolume{*this, "HScroll_RCSVolume"};
  forms::HScrollBar HScroll_EngineVolume{*this, "HScroll_EngineVolume"};
  forms::HScrollBar HScroll_MusicVolume{*this, "HScroll_MusicVolume"};
  forms::TextBox Text1{*this, "Text1"};              // the flight's music file
  forms::CommandButton Command1{*this, "Command1"};  // OK
  forms::CommandButton Command2{*this, "Command2"};  // "...": chooses the music file
  forms::Label Label1{*this, "Label1"};              // the music file
  forms::Label Label2{*this, "Label2"};              // the music volume
  forms::Label Label3{*this, "Label3"};              // the jets' volume
  forms::Label Label4{*this, "Label4"};              // the engine's volume
};

// Each loads on first touch.
inline forms::FormSlot<DriverDialogForm> DriverDialog;
inline forms::FormSlot<AdvancedForm> Advanced;
inline forms::FormSlot<SoundSettingsForm> SoundSettings;
