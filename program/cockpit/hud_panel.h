// The 2D layers over the rendered scene: the 2D instrument panel of the cockpit views, and the
// head-up panel of the view's mode with its lamp bar, readouts, instrument column and, after a
// landing, the flight-path lines and the score table.
#pragma once

#include "program/cockpit/cockpit_services.h"
#include "program/scene/scene_state.h"

// Draws the head-up layers of view.HudMode, first putting a mode the flight does not allow yet
// back to 0.
void DrawHudPanel(ViewRecord& view);
void DrawHudWarningLights();
// Tells the engine what of the view this frame's head-up layers will hide (the warning-light bar
// of modes 1 and 2, the instrument column of mode 2), so that the 3D drawing leaves it; called
// before the scene is drawn.
void CoverViewWithHud(const ViewRecord& view);
// The readout lines of P12 and P71, P20, P64 and P66.
void DrawHudAscentReadouts();
void DrawHudRendezvousReadouts();
void DrawHudApproachReadouts();
void DrawHudReadouts();
void DrawScoreTable();

void DrawViewOverlays();
// Two digits of value across a panel rectangle, inside the caller's 2D batch.
void DrawFuelLEDs(float value, float left, float top, float right, float bottom);
