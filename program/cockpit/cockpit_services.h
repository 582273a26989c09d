// The sounds and score tables that the flight calls. The score tables' bodies belong to the score
// code and do nothing until it is built.
#pragma once

void PlayCrashSound();
// The stage separation sound, then the engine sound.
void PlaySeparationSound();
void PlayEngineSound();
// Starts the jet sound and keeps it looping.
void PlayRCSLoopSound();
void DrawLandingScoreTable();
void DrawRaceScoreTable();
// With sound on, the background music starts again.
void RestartMusic();
