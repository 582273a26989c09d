// The mission set-up in the scenario file: what sets the scenery and the sound of a flight.
//   [Static Parameters]  CockpitViewAngle, FullScreenViewAngle, FullScreenViewYawAngle (degrees)
//   [Landscape]          "Land Texture 0" .. "Land Texture 14", "Land Height 0" .. "Land Height
//   14":
//                        file names in the mission's "\Textures\" folder
//   [Altitude Calls]     Number of Calls, Alt1, Alt2, ...: file,altitude ft,interval ms,
//                        arms rate calls (True/False or a number),once
//   [Descent Calls]      Number of Calls, Des1, ...: file,low,high,interval ms,once
//   [LPD Calls]          Number of Calls, LPD1, ...: the same fields
//   [Fuel Calls]         Number of Calls, Fuel1, ...: the same fields
//   [General]            Start Loading, After Initiation, Flying Theme, Ascent, Undock1, Undock2,
//                        Dock1, Dock2: sound file names
//   [Mission Specific]   On the Porch, Down Ladder, Foot of Ladder, Drifting to Right, Forward
//   [Moon Surface]       Surface, Landed
// A callout line is a comma list; empty fields are skipped, so the later values move left.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// At most this many entries of one callout table are read; a larger count is cut to it.
inline constexpr int32_t MaxCalloutCount = 256;

inline constexpr int CommaListFields = 6;

// Cuts a comma list into at most six fields, kept in parts[1] to parts[6]; returns their number.
int32_t SplitCommaList(std::string_view text, std::array<std::string, CommaListFields + 1>& parts);

// Reads the view angles, the landscape file names, the four callout tables and the sound names.
// An altitude callout whose numbers are not all strict numbers is left out of its table, and a
// count below 0 or above MaxCalloutCount is taken as 0 or MaxCalloutCount; each such problem is
// written as one line to the diagnostic stream.
void LoadMissionSetup();
