// The sounds, instruments and 2D layer that the flight calls. The bodies of the score tables, the
// instruments and the 2D layer belong to the cockpit's instrument code and do nothing until it is
// built.
#pragma once

#include "program/scene/scene_state.h"

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

// The guidance programs the pilot can choose, filled at every flight start.
void InitProgramNames();
// The two head-up warning flags from the attitude against altitude-dependent limits.
void CheckAttitudeWarnings();
// The panel instruments' needle angles, rate-limited; the guidance step of P64.
void UpdateNeedleAngles();
// The instrument render surfaces: attitude ball, cross-pointer, tapes, thrust.
void DrawCockpitDisplays();
// The four- and two-digit counters, drawn when their values change.
void DrawCounterDigits4();
void DrawCounterDigits2();
// The mission clock and the numeric data displays.
void DrawDataDisplays();
// The scene render surface, full screen; the Orbital mission's as a centred square.
void DrawSceneSurface();
void DrawSceneSurfaceOrbital();
// The 2D layer over the 3D view, in the frame loops' order.
void DrawViewOverlays();
void DrawHudPanel(ViewRecord& view);
void DrawHelpPages();
void DrawProgramHelpText();
void DrawValueLines();
void DrawFPS();
// Tests the view-state flags after a landing has been scored.
void AnyViewFlagSet();
