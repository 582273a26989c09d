// The star options' window: its controls with the ranges they are designed with. Its handlers are
// connected by ConnectStarForm, so a file that only builds or shows the form links it without the
// settings behind it.
#pragma once

#include <cstdint>

#include "platform/forms/control.h"
#include "platform/forms/form.h"

inline constexpr int16_t MagnitudeSteps = 1000;  // thousandths of the magnitude cut

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
