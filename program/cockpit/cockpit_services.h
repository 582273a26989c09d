// The sounds and score tables that the flight calls.
#pragma once

void PlayCrashSound();
void PlaySeparationSound();
// Starts the engine sound and keeps it looping.
void PlayEngineSound();
// Starts the jet sound and keeps it looping.
void PlayRCSLoopSound();
// The score of the last flight in a table over the view.
void DrawLandingScoreTable();
void DrawRaceScoreTable();
// With sound on, the background music starts again.
void RestartMusic();
