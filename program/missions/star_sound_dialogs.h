// Two small modeless dialogs of the launcher: the star options, and the handlers of the sound
// settings (whose controls the settings file fills, so they stand with the launcher's forms). The
// values take effect at the next flight start.
#pragma once

#include "platform/forms/control.h"
#include "platform/forms/form.h"

// "Star Options": how the star field is drawn.
struct StarOptionsForm : forms::Form {
  StarOptionsForm();
  forms::HScrollBar HScroll3{*this, "HScroll3"};  // magnitude cut in thousandths, 1000 at the left
  forms::HScrollBar HScroll1{*this, "HScroll1"};  // star size 1 to 10
  forms::HScrollBar HScroll2{*this, "HScroll2"};  // star brightness 0 to 10
  forms::CheckBox Check1{*this, "Check1"};        // mouse-over star information
  forms::CommandButton Command1{*this, "Command1"};  // OK
  forms::CommandButton Command2{*this, "Command2"};  // Cancel
  forms::Label Label1{*this, "Label1"};              // "Magnitude Contrast"
  forms::Label Label2{*this, "Label2"};              // "Less"
  forms::Label Label3{*this, "Label3"};              // "More"
  forms::Label Label4{*this, "Label4"};              // "Size"
  forms::Label Label5{*this, "Label5"};              // "Small"
  forms::Label Label6{*this, "Label6"};              // "Large"
  forms::Label Label7{*this, "Label7"};              // "Amount"
  forms::Label Label8{*this, "Label8"};              // "Natural"
  forms::Label Label9{*this, "Label9"};              // "Bright"
};

inline forms::FormSlot<StarOptionsForm> StarForm;

// Connect the star options' and the sound settings' buttons and loads to their handlers.
void ConnectStarForm();
void ConnectSoundSettings();

// OK stores the four star settings and hides the dialog; Cancel only hides it.
void StarForm_Command1_Click();
void StarForm_Command2_Click();

// OK hides the sound dialog; the flight start reads its scroll bars.
void SoundSettings_Command1_Click();
// "...": chooses the flight's music file and writes it into the flight's scenario at once.
void SoundSettings_Command2_Click();
// Writes FlyingTheme as "Flying Theme" of the chosen flight's scenario file.
void SaveFlyingTheme();
