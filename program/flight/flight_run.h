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

// The launcher's hand-over: the engine and main window start once; the first Continue builds the
// scene and flies, a later one applies the changed mission and flies again.
void InitEngineAndWindow();
void StartFlight();
void ApplyMissionSelection();
void RestartFlight();
// A step of a long set-up: logs its text once the simulation is initialised and lets the window
// system run once. The loading screen's picture and progress bar (draw, step) come with the flight
// start.
void ShowLoadingStep(const std::string& text, bool draw, int32_t step);
