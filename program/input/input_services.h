// The input and in-flight menu services that the flight calls. Their bodies belong to the input
// subsystem; until it is built they pass the value through or do nothing.
#pragma once

// The axis value (0 to 1) mapped through a centre dead zone of `width`; 0.5 inside it.
float ApplyDeadZone(float width, float value);

// The joystick test of the assignment dialog: polls and shows the joysticks, yielding to the
// window system, until JoystickTestStop is set. Does nothing until the input subsystem is built.
void RunJoystickTest();

// The key-code conversion table, filled first at engine start.
void InitKeyCodeTable();
// Enumerates the joysticks and fills the launcher's joystick lists.
void EnumerateJoysticks();
// Releases every joystick and the device collection.
void ReleaseJoysticks();
// This frame's keyboard commands, then the mouse, then the growth of a held key's step.
void ProcessKeyCommands();
void ProcessMouse();
void UpdateKeyHoldRamp();
// The in-flight menu: its button textures, its controls, and its overlay while it is asked for.
void LoadMenuTextures();
void CreateMenuItems();
void DrawSettingsOverlay();
// The exit confirmation box while it is open.
void RunExitDialog();
// ShipGamma on the second light and the shadow colour.
void ApplyShipGamma();
