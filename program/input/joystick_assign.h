// The joystick assignment dialog ("Joystick Assignments"): which physical axis of the chosen
// joystick drives each flight axis and whether it is reversed, whether its hat turns the view, and
// which button fires each command. It edits the bindings in place and writes them to the JoyAssign
// file when it closes. The launcher's Setup opens it and runs the joystick test behind it.
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

inline int32_t CapturedButton = 0;  // the button option chosen last

struct ControlAssignment;

// Connects the dialog's controls and events to their handlers.
void ConnectJoystickAssign();
// The dialog's event handlers; each but Option2's does nothing while Busy is set.
void JoystickAssign_Form_Load(JoystickAssignForm& form);
void Load_List2(JoystickAssignForm& form);
void JoystickAssign_Combo1_Click();
void JoystickAssign_Combo2_Click(int16_t i);
void JoystickAssign_Check1_Click(int16_t i);
void JoystickAssign_Check2_Click();
void JoystickAssign_Option2_Click(int16_t n);
void JoystickAssign_List2_Click();
void JoystickAssign_Command1_Click();

// The button operations on the command records.
void ClearButtonIfCaptured(ControlAssignment& record);
// Takes the captured button of the chosen joystick from every command that may not share it.
void ClearDuplicateButton();
void AssignCapturedButton(ControlAssignment& record);
void SelectAssignmentInList(const ControlAssignment& record, int16_t button, int16_t position);
