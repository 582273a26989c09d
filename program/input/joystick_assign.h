// The joystick assignment dialog ("Joystick Assignments"): which physical axis of the chosen
// joystick drives each flight axis and whether it is reversed, whether its hat turns the view, and
// which button fires each command. It edits the bindings in place and writes them to the JoyAssign
// file when it closes. The launcher's Setup opens it and runs the joystick test behind it.
#pragma once

#include <cstdint>

#include "program/input/joystick_assign_form.h"

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
