// The keyboard pass of each frame: every key that went down becomes one key code, goes to the
// DSKY and fires the commands bound to it; then the commands that act while their key is held;
// then the ramp that speeds up a held movement key.
//
// A key code is the scan code plus one modifier offset: Shift, Ctrl or a Windows key pressed
// within the last 500 ms (the last of them wins), or Num Lock on for a keypad key.
#pragma once

#include <cstdint>

#include "program/flight/vector3.h"
#include "program/input/input_state.h"
#include "program/scene/scene_state.h"

void ProcessKeyCommands();
void UpdateKeyHoldRamp();

// The window system's Num Lock state.
bool IsNumLockOn();
// Keeps an eye of a virtual cockpit view inside the cabin.
void ClampCockpitEye(Vector3& eye);
// The next head-up panel mode of an active view, 0 after 6.
void CycleHudMode(ViewRecord& view);

// The command's key is down, or its Pressed flag was set (a joystick button, a click); the flag
// is taken.
bool IsCommandHeld(ActionIndex action);

// What a held movement command sets the key-hold ramp to. A negative start leaves it unchanged.
struct RampSettings {
  float start, threshold, rateLow, rateHigh, capLow, capHigh;
};
void SetKeyHoldRamp(const RampSettings& ramp);

// The eye and rotation that the current virtual cockpit view (1 to 3) or the EVA view moves;
// nullptr in any other view.
Vector3* CurrentCockpitEyeSource();
Vector3* CurrentCockpitRotationSource();

// F4: full screen in the chosen display mode, or back to the window's stored place.
void ToggleFullScreen();
void LeaveFullScreenDisplay();

// The switch click, when the sound is on.
void PlaySwitchClick();
