// The launcher's mission and flight lists: the mission folders under "\Missions\" and their
// scenario files, each flight shown by its scenario name in the current language.
//
// Both lists are sorted without regard to case, so that they read the same on every file system.
// A saved mission that is no longer there selects the first mission, and the Continue button is
// enabled only while a flight is chosen in a launcher whose load ran whole. An entry that cannot be
// read (a link that loops) is left out of the lists, with a line in the log.
#pragma once

#include <string>

void FillMissionList();
// False for a path ending in "." or "..", else whether it names a folder.
bool IsDirectory(const std::string& programPath);
// Refills the flight list for the mission box's text.
void LoadScenarioList();
// Enables Continue where a flight may start: the launcher loaded whole and a flight chosen.
void ShowContinueState();
// Takes the mission and flight chosen and shows the flight's music in the sound settings dialog.
void Set_Music_Box();
// The scenario file of the chosen flight; "" when none is chosen.
std::string GetSelectedFlightName();

void DriverDialog_Combo1_Change();
void DriverDialog_Combo1_Click();
void DriverDialog_Combo2_Click();
