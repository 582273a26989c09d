#include "program/input/input_services.h"

float ApplyDeadZone(float, float value) { return value; }

void RunJoystickTest() {}
void InitKeyCodeTable() {}
void EnumerateJoysticks() {}
void ReleaseJoysticks() {}
void ProcessKeyCommands() {}
void ProcessMouse() {}
void UpdateKeyHoldRamp() {}
void LoadMenuTextures() {}
void CreateMenuItems() {}
void DrawSettingsOverlay() {}
void RunExitDialog() {}
void ApplyShipGamma() {}
