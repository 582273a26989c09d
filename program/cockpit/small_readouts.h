// The small drawings of the 2D layer: the frame rate, the developer's value lines, the 2D panel's
// switch sprites, the scene surface over the screen and the flight-path lines after a landing.
#pragma once

#include <cstdint>

#include "program/missions/missions_state.h"
#include "program/scene/engine_objects.h"

// The ribbon along the final approach, made by each drawing of the path lines.
inline MeshPtr PathRibbonMesh;

void DrawFPS();
// Draws the value lines and empties the list.
void DrawValueLines();
// A two-position switch: down or up; a disabled item or another state draws nothing. Both
// sprites draw inside the caller's 2D batch.
void DrawButtonSprite2(const PanelItem& item, uint32_t tint);
// A three-position switch: down, middle or up.
void DrawButtonSprite3(const PanelItem& item, uint32_t tint);
// The scene surface over the screen; the surface loop's also renders the landscape tiles.
void DrawSceneSurface();
void DrawSceneSurfaceOrbital();
void DrawPathLines();
