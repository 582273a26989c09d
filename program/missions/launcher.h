// The launcher's handlers, over the control model of launcher_forms.h.
#pragma once

#include <cstdint>

// The adapter and mode lists, whose handlers the launcher connects with its own.
#include "program/missions/video_modes.h"

// The load: translation, assignments, the runtime check, caption, desktop, adapters and modes,
// settings, missions and flights, views, and the engine's start (once in the program's life).
// Connects the launcher's controls and events to their handlers, for every load of the launcher.
void ConnectDriverDialog();
// Connects the advanced graphics dialog's buttons and load to their handlers.
void ConnectAdvanced();
void DriverDialog_Form_Load();
void DriverDialog_Form_QueryUnload(bool& cancel, int16_t unloadMode);
// The first Continue starts a flight; later ones apply the mission chosen and restart.
void DriverDialog_Command_Continue_Click();
// Quit keeps the launcher's choices in the settings file and ends the program.
void DriverDialog_Command_Quit_Click();
// An interrupt or terminate signal: the program ends as its Quit does, its settings saved; in a
// flight, the flight's settings are saved and the flight ends as closing its window ends it.
void EndAsQuit();
void DriverDialog_Command_Help_Click();
void DriverDialog_Command2_Click();
// Setup: fills the joystick assignment dialog from the axis assignments, shows it and runs the
// joystick test, with Language and Continue disabled while the test runs (either would end the
// dialog under it).
void DriverDialog_Command1_Click();
// Fills the star options from the settings and shows them.
void DriverDialog_Command6_Click();
void DriverDialog_Command7_Click();
void DriverDialog_Command8_Click();
void DriverDialog_Option_Joystick_Click();
void DriverDialog_Option_KeyBoard_Click();
void DriverDialog_HScroll1_Change();
void DriverDialog_HScroll2_Change();
void DriverDialog_HScrollLandscape_Change();
void DriverDialog_HScrollRockGraphic_Change();
void DriverDialog_HScrollRocks_Change();
void DriverDialog_Command3_Click();
void DriverDialog_Command5_Click();
