// The mouse of each frame: which source flies the LM, mouse flying, the label of the cockpit part
// under the pointer, clicks on cockpit parts and on the 2D switches.
#pragma once

#include <string>

#include "platform/forms/form.h"
#include "program/missions/missions_state.h"

void ProcessMouse();
// Sets Pressed of the command of a clicked cockpit part (its mesh name).
void ClickCockpitControl(const std::string& name);
// The mouse strictly inside the item's rectangle, in pixels.
bool IsMouseInRect(const PanelItem& rect);
// Keypad 1 and 3 yaw the LM while the mouse flies roll and pitch.
void ProcessKeypadYaw();
void ProcessMouseHandController();
// Moves the pointer to a point of the form's drawing area; false where the window system refuses.
bool SetCursorToClientPoint(forms::Form& form, int32_t x, int32_t y);
