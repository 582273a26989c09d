// The run of a flight, its restart and the program's shutdown, as the main display calls them.
// Their bodies belong to the flight-run work and do nothing until it is built.
#pragma once

#include <cstdint>
#include <string>

// Resets the flight, reads its files and runs the mission's frame loop until it returns.
void RunFlight();
// The frame loops; each returns when RunFlag is cleared or the window is minimised.
void RunFrameLoop();
void RunOrbitalFrameLoop();
void StopAllSounds();
// Releases every engine, sound and input object.
void ShutDownSimulator();
// Writes a step of the loading screen: with drawFlag 0 and stepCount 0 the text is its status
// line.
void ShowLoadingStep(const std::string& text, int16_t drawFlag, int32_t stepCount);
