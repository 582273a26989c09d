// The launcher's display adapters and modes and its handlers, over the control model of
// launcher_forms.h.
#pragma once

#include <cstdint>

// Refills the adapter list from the Direct3D object, made on first use, and selects the current
// adapter.
void UpdateAdapter();
// Refills the mode list of the adapter: modes of a 32- or 16-bit format, each listed when its
// size or format differs from the mode listed before it. An adapter that lists none gets the
// desktop's mode, so that a full-screen flight never starts at 0 by 0 pixels.
void UpdateVideoModes(int32_t adapter);
// The bits per pixel the mode list gives a Direct3D format; 0 for a format it does not list.
int32_t ModeBits(int32_t format);

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
void DriverDialog_cboGroup_Click(int16_t index);
void DriverDialog_chkWindowed_Click();
void DriverDialog_Option_Joystick_Click();
void DriverDialog_Option_KeyBoard_Click();
void DriverDialog_HScroll1_Change();
void DriverDialog_HScroll2_Change();
void DriverDialog_HScrollLandscape_Change();
void DriverDialog_HScrollRockGraphic_Change();
void DriverDialog_HScrollRocks_Change();
void DriverDialog_Command3_Click();
void DriverDialog_Command5_Click();
