// The joystick assignment dialog's window: its controls as they are designed. Its handlers are
// connected by ConnectJoystickAssign, so a file that only builds, shows or fills the form links it
// without the bindings behind it.
#pragma once

#include <cstdint>

#include "platform/forms/control.h"
#include "platform/forms/form.h"

inline constexpr int16_t PhysicalAxisCount = 8;  // the rows, one per AxisType
inline constexpr int16_t ButtonOptionCount = 28;
inline constexpr int16_t HatPictureCount = 9;  // centred, then the eight directions
inline constexpr int16_t FlightAxisNoneItem = 7;
inline constexpr int16_t ActionListCount = 99;

class JoystickAssignForm : public forms::Form {
 public:
  JoystickAssignForm();

  forms::ComboBox Combo1{*this, "Combo1"};  // the joysticks, "n > name"
  forms::Frame Frame1{*this, "Frame1"};     // "Axis Assignments to Functions"
  // Per physical axis: the flight axis it drives (items Roll, Pitch, Throttle, Yaw, TranslateX,
  // TranslateY, TranslateZ, None) and its reverse box.
  forms::ControlArray<forms::ComboBox> Combo2{*this, "Combo2", {0, 1, 2, 3, 4, 5, 6, 7}};
  forms::ControlArray<forms::CheckBox> Check1{*this, "Check1", {0, 1, 2, 3, 4, 5, 6, 7}};
  forms::CheckBox Check2{*this, "Check2"};  // "Use POV"
  forms::Frame Frame2{*this, "Frame2"};     // "Button Assignments to Functions"
  forms::ControlArray<forms::OptionButton> Option2{
      *this, "Option2", {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                         14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27}};
  forms::ListBox List2{*this, "List2"};              // the commands a button can fire
  forms::CommandButton Command1{*this, "Command1"};  // "Exit"
  forms::CommandButton Command2{*this, "Command2"};  // "Calibrate"
  forms::PictureBox Picture1{*this, "Picture1"};     // the 3D preview
  forms::ControlArray<forms::Image> Image1{*this, "Image1", {0, 1, 2, 3, 4, 5, 6, 7, 8}};
  // Per physical axis: the bar's track and the bar.
  forms::ControlArray<forms::PictureBox> Picture5{*this, "Picture5", {0, 1, 2, 3, 4, 5, 6, 7}};
  forms::ControlArray<forms::PictureBox> Picture6{*this, "Picture6", {0, 1, 2, 3, 4, 5, 6, 7}};
  forms::TextBox Text1{*this, "Text1"};  // the hat's value
  // The rows' axis names (0 to 7), then the columns' headings: the bars' "Low" and "High", the
  // lists' "Select" and the reverse boxes' "Rvs".
  forms::ControlArray<forms::Label> Label1{*this, "Label1", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}};
  forms::Label Label2{*this, "Label2"};  // "Force Feedback Joystick"
  forms::Label Label3{*this, "Label3"};  // names the joystick list
  forms::Label Label4{*this, "Label4"};  // names the hat's value
  forms::Label Label5{*this, "Label5"};  // names the action list
};

inline forms::FormSlot<JoystickAssignForm> JoystickAssign;
