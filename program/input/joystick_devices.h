// The joysticks: listing them for the assignment dialog, reading them every frame into the axis
// values, the hat and the button commands, letting them go at shutdown, and the live test with
// its 3D preview behind the assignment dialog.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/engine/input.h"

inline std::shared_ptr<engine::EngineJoystick> CurrentJoystick;  // the one taken last
inline int32_t JoystickListCount = 0;   // entries the last enumeration put in the dialog's list
inline int32_t LastTestedJoystick = 0;  // the joystick the test set the dialog up for
// The preview's last ten roll, yaw and pitch samples, degrees.
inline std::array<float, 10> PreviewRollHistory{};
inline std::array<float, 10> PreviewYawHistory{};
inline std::array<float, 10> PreviewPitchHistory{};

void EnumerateJoysticks();
void PollJoysticks();
void ReleaseJoysticks();
void RunJoystickTest();
void UpdateJoystickPreview();

// The value 0 to 1 that axis type `type` reads from a joystick state; false for a type that is
// none of the eight.
bool ReadAxis(const engine::JoystickState& state, int32_t type, bool reverse, float& value);
