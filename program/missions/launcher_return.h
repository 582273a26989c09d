// The way back from a flight to the launcher.
#pragma once

// Puts ReturnToLauncher in the main display's hook for leaving a flight; the flight start calls it
// once, before the first flight.
void ConnectLauncherReturn();
// Saves the settings, shows the launcher again and disables the choices that a built scene fixes
// (texture quality, simple LM, simple cockpit).
void ReturnToLauncher();
