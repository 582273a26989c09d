// Program-wide state of the cockpit, guidance computer and sound that the other subsystems read
// and write.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// The running guidance program: 2 P00, 3 P12, 4 P20, 5 P30, 6 P40, 7 P41, 8 P51, 9 P63, 10 P64,
// 11 P65, 12 P66, 13 P68, 14 P70, 15 P71; 0 none.
inline int32_t CurrentProgram = 0;

// The guidance computer's attitude flags (0 / -1 in the original, bool here).
inline bool AutoManeuverActive = false;  // an automatic attitude manoeuvre is under way
inline bool AutoAttitudeHold = false;    // the attitude that manoeuvre reached is held
inline bool MinimumImpulseMode = false;  // rate-hold axes fire single pulses
inline bool TranslationJetsEnabled = false;

// The DSKY's timed state that the main display's timers drive.
inline bool DSKYFlashPhase = false;   // the flashing lights are lit in this half-second
inline int32_t DSKYCountdownMode = 0; // 1 while a DSKY countdown runs
inline int32_t DSKYCountdown = 0;     // half-seconds left
inline bool DSKYProgramAlarm = false;
inline bool DSKYOperatorError = false;
inline bool DSKYDisplayHold = false;

// One on-screen message channel; colours as ARGB. Channel 3 also has a position (-1 centred).
struct ScreenMessage {
  std::string Text;
  uint32_t Colour = 0;
  uint32_t BackColour = 0;
  float Position = -1.0f;
};
inline std::array<ScreenMessage, 3> ScreenMessages;
