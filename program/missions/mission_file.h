// The mission scenario file: "\Missions\<mission>\<flight>.sit" under the program folder, an INI
// file that makes one flight. Sections read here:
//   [Switch Positions]        PGNS, AGS, YawRCS, PitchRCS, RollRCS, XPointer, Ratescale,
//                             Autothrottle, Deadband: the cockpit switches at the start. PitchRCS
//                             sets the roll-mode switch and RollRCS the pitch-mode switch.
//   [Static Parameters]       engine thrusts (lbf), masses (kg), gravity (ft/s^2), the distance
//                             between the RCS units (ft), FtPerWorldUnit, the radial rate (deg/s)
//   [Surveyor Low|Medium|High]  the Surveyor probe's place (world units) and rotation (mrad), one
//                             section per landscape precision
//   [Flight Parameters]       command module attitude (deg), landing spots (ft), start position
//                             (ft), rotation (deg) and velocity (ft/s), descent speed, the
//                             guidance program ("-99", "P20", "P63", "P64", "P65", "P66"), the
//                             virtual cockpit eyes, the view angles (deg), the clocks
//   [Landscape]               Moon Radius and Moon Angle X/Y/Z of the whole-Moon model
//   [Landscape Position Low|Medium|High]  "LandPositionX 0" .. "LandZ 2": place and scale of the
//                             three landscape tiles
//   [Mission Description <language>]  Title, "Line 1" .. "Line 15", Scenario Name
// Every key has a default, so a missing file, section or key is no error. Numbers read by
// "number" take "." or ","; those read by "value" stop at anything but a "." number.
#pragma once

#include <string>

// The scenario file keeps the Surveyor's rotation in milliradians.
inline constexpr float MilliradiansPerRadian = 1000.0f;

// The scenario file of MissionName and FlightFile as they are now.
std::string ScenarioPath();
// The section of the prefix that LandPrecision picks: " Low", " Medium" or " High" appended.
std::string PrecisionSection(const std::string& prefix);

// Reads the flight state and parameters of the scenario file.
void LoadMissionFile();

// Reads the title and description lines of the current language into MissionDescription.
void LoadMissionDescription();
