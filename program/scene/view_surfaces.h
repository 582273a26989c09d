// The passes that draw into the view surface and the cockpit window surfaces, and the markers of
// the historic landing spot.
#pragma once

// The scene as the view camera sees it, into ViewSurface (surface missions).
void RenderViewSurface();
// The Moon and the command module into ViewSurface with fixed planes (the Orbital mission).
void RenderViewSurfaceFixed();
// The sky alone into WindowViewSurface, composed with the leg wrap into WindowOverlaySurface, and
// both put on the LM's foil and leg meshes.
void RenderWindowSurfaces();
void PlaceGroundMarkers();
