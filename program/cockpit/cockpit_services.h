// The sounds and score tables that the flight calls.
#pragma once

#include <cstdint>

void PlayCrashSound();
// The stage separation sound, then the engine sound.
void PlaySeparationSound();
void PlayEngineSound();
// Starts the jet sound and keeps it looping.
void PlayRCSLoopSound();
// The score of the last flight in a table over the view.
void DrawLandingScoreTable();
void DrawRaceScoreTable();
// With sound on, the background music starts again.
void RestartMusic();

// The help overlays: the in-flight help page shown (0 none, 1 or 2) and the current guidance
// program's help text shown. Drawn by the help overlays.
inline int32_t HelpPage = 0;
inline bool ProgramHelpShown = false;

// The landing-point redesignation of P64: the downrange step of one redesignation (world units,
// set each frame by the landing guidance) and the cross-range angle (radians).
inline float LPDStep = 0.0f;
inline float LPDCrossRangeAngle = 0.0f;
