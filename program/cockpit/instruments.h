// The cockpit instruments painted each frame into the scene's render surfaces: the attitude ball
// with its error needles and rate pointers, the cross-pointer, the two tapes, the throttle and
// thrust-to-weight arrows, the clock strips, the four-digit counter and the fuel digits. The
// surface textures go on cockpit meshes and on the 2D panel.
#pragma once

#include <string>

#include "program/flight/time_record.h"

// What the painters keep between frames.
struct InstrumentReadoutRecord {
  float ShownAltitude = 0.0f;      // ft; frozen while a program that does not fly the tapes runs
  float ShownAltitudeRate = 0.0f;  // ft/s
  std::string LastCounterDigit;    // the counter's units digit last painted
  int32_t FuelUnitsDigit = 0;
  int32_t TwoDigitValue = 0;  // the LPD time last shown, whole seconds
};
inline InstrumentReadoutRecord InstrumentReadouts;

// The counter beside the clocks; the surface frame loop starts it at 2805 and steps it each frame.
inline float CockpitCounterValue = 0.0f;

// The cockpit meshes that carry the strips, by the cabin part names.
inline constexpr const char* MissionTimerMinSecMesh = "Mission_Timer_MinSec";
inline constexpr const char* MissionTimerHoursMesh = "Mission_Timer_Hours";
inline constexpr const char* EventTimerMesh = "Event_Timer";
inline constexpr const char* CounterMesh = "Helium_Pressure";
inline constexpr const char* FuelDisplayMeshes[2] = {"Fuel_Quantity", "Oxy_Quantity"};

// The ball, cross-pointer, tapes and arrows, with the 2D texture filter of the settings.
void DrawCockpitDisplays();
void DrawAttitudeBall();
void DrawCrossPointer();
void DrawAltitudeTape();
void DrawAltitudeRateTape();
void DrawThrottleArrow();
void DrawThrustToWeightArrow();

// Advances the mission and event clocks by one frame and paints the three clock strips.
void DrawDataDisplays();
// One frame's step of a clock [s]: the seconds carry into the minutes and hours both ways, the
// digit strings, tenths and hundredths follow, and the totals stay current for SubtractTimes.
void AdvanceClock(TimeRecord& clock, double step);
// Paints CockpitCounterValue, but only when its units digit changed.
void DrawCounterDigits4();
// Clamps FuelPercent to 0..99 in place and paints it as two digits.
void DrawCounterDigits2();
// The two LPD-time digits of noun 64, refreshed when the rounded value changes.
void SetTwoDigitDisplay(double value);
// The attitude warnings of the head-up ALT and VEL lamps, from the approach angle and the rates.
void CheckAttitudeWarnings();
