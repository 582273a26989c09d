// The DSKY keyboard: key entry, the verbs run on ENTR and the loading of keyed register values
// into the flight quantities the noun selects.
#pragma once

#include <string>

// Handles every DSKY key pressed in this call: the key whose code is CurrentKeyCode or whose
// assignment's Pressed flag is set.
void ProcessDSKYKeys(int32_t currentKeyCode);
void ExecuteVerb();
void LoadRegister1();
void LoadRegister2();
void LoadRegister3();
// The value of a keyed register text: the digits after the sign position, divided by 10 to the
// power `decimals`, negative after "m". An octal entry becomes the number whose decimal digits
// are the whole value's base-8 digits (10 gives 12).
float RegisterToNumber(const std::string& text, int decimals, bool octal);
void SaveDSKYState();
void RestoreDSKYState();
void TerminateProgram();
void RestartCurrentProgram();
void StartLampTest();
// Ends the running manoeuvre when each axis is within `toleranceDegrees` of its target and turns
// slower than `rateDegrees` per second; returns whether it did.
bool IsAttitudeReached(float toleranceDegrees, float rateDegrees);
void SetAllLamps(bool lit);
