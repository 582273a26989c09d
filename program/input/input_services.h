// The input services that the flight calls. Their bodies belong to the input subsystem; until it
// is built they pass the value through.
#pragma once

// The axis value (0 to 1) mapped through a centre dead zone of `width`; 0.5 inside it.
float ApplyDeadZone(float width, float value);

// The joystick test of the assignment dialog: polls and shows the joysticks, yielding to the
// window system, until JoystickTestStop is set. Does nothing until the input subsystem is built.
void RunJoystickTest();
