// The flight start and scene build, the run of a flight, its restart and the program's shutdown,
// and the two frame loops, as the launcher and the main display call them.
#pragma once

#include <cstdint>
#include <string>

#include "program/flight/frame_step.h"

class MainDisplayForm;

// The launcher's hand-over: the engine and main window start once; the first Continue builds the
// scene and flies, a later one applies the changed mission and flies again.
void InitEngineAndWindow();
// The main window's windowed place and size (WindowLeft, WindowTop, WindowWidth, WindowHeight)
// from the settings' [Window] section, or a new one for a window stored too small; the window
// itself waits out of sight until the flight shows it.
void PlaceWindowAtStart(MainDisplayForm& form);
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

// Resets the flight, reads its files and runs the mission's frame loop until it returns.
void RunFlight();
// The frame loops; each returns when RunFlag is cleared or the window is minimised.
void RunFrameLoop();
// The flight of one surface frame, after its input and guidance steps and before its drawing:
// the engine's flame, mass and thrust, the LM's motion (or its playback), attitude, altitude and
// ground contact, the tiles placed about it and the fuel it burns. The surface loop runs it once a
// frame, and so do the headless LM of the tests and the benchmarks.
void FlySurfaceFrame(FrameLocals& locals);
void RunOrbitalFrameLoop();
// Drops every reference to a mesh, a tile or a particle system of the scene, so that none outlives
// the engine.
void DropSceneReferences();
// Releases every engine, sound and input object and ends the program.
void ShutDownSimulator();

// Saves the frame as the mission's next numbered screenshot.
void SaveScreenshot();
// The spoken events of the Apollo 11 and 17 landings at their altitudes.
void CheckMissionEvents();
// Called once per frame; does nothing.
void FrameHook();
