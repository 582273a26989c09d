// The cockpit messages and sounds that the flight calls. Their bodies belong to the cockpit and
// sound subsystem and do nothing until it is built.
#pragma once

#include <cstdint>
#include <string>

// Shows a text on message channel 1 for `durationMs` (ignored above 30000 ms), colours as ARGB.
void ShowMessage(const std::string& text, int32_t durationMs, uint32_t colour, uint32_t backColour);
void PlayCrashSound();
// The stage separation sound, then the engine sound.
void PlaySeparationSound();
void PlayEngineSound();
// Starts the jet sound and keeps it looping.
void PlayRCSLoopSound();
void DrawLandingScoreTable();
void DrawRaceScoreTable();
// The DSKY registers for the current verb and noun, and the current program's monitor.
void UpdateDSKYDisplay();
void ClearDSKYLights();
// With sound on, the background music starts again.
void RestartMusic();
