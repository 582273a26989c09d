// The flight start and scene build, the run of a flight, its restart and the program's shutdown,
// and the two frame loops, as the launcher and the main display call them.
#pragma once

#include <cstdint>
#include <string>

// The launcher's hand-over: the engine and main window start once; the first Continue builds the
// scene and flies, a later one applies the changed mission and flies again.
void InitEngineAndWindow();
void StartFlight();
void ApplyMissionSelection();
void RestartFlight();
// Takes the launcher's choices as a flight start does and saves the settings, for a program that
// ends without flying them.
void KeepLauncherChoices();
// The mission-dependent part of the scene, on a later flight.
void LoadMissionWorld();
// The whole scene, in loading steps drawn on the loading screen.
void BuildScene();
// A step of a long set-up: logs its text once the simulation is initialised and lets the window
// system run; with `draw`, it draws the loading screen with the progress bar at `step` (0 keeps
// the bar as it was).
void ShowLoadingStep(const std::string& text, bool draw, int32_t step);

// Resets the flight, reads its files and runs the mission's frame loop until it returns.
void RunFlight();
// The frame loops; each returns when RunFlag is cleared or the window is minimised.
void RunFrameLoop();
void RunOrbitalFrameLoop();
void StopAllSounds();
// Drops every reference to a mesh, a tile or a particle system of the scene, so that none outlives
// the engine.
void DropSceneReferences();
// Releases every engine, sound and input object and ends the program.
void ShutDownSimulator();

// Saves the frame as the mission's next numbered screenshot.
void SaveScreenshot();
// The mouse pointer becomes the arrow.
void SetArrowPointer();
// The spoken events of the Apollo 11 and 17 landings at their altitudes.
void CheckMissionEvents();
// Called once per frame; does nothing.
void FrameHook();
