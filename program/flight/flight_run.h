// The run of a flight, its restart and the program's shutdown, as the main display calls them.
// Their bodies belong to the flight-run work and do nothing until it is built.
#pragma once

// Resets the flight, reads its files and runs the mission's frame loop until it returns.
void RunFlight();
// The frame loops; each returns when RunFlag is cleared or the window is minimised.
void RunFrameLoop();
void RunOrbitalFrameLoop();
void StopAllSounds();
// Releases every engine, sound and input object.
void ShutDownSimulator();
