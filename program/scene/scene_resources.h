// The shared engine resources of the scene: the lights, the screen fonts, the render surfaces, the
// explosion billboard and the exhaust emitters. The font and emitter services the main display
// calls (RecreateFonts, CreateExhaustEmitters, StartAscentExhaust) are declared with the flight's
// other scene services.
#pragma once

#include <cstdint>

// Creates the four lights from their records and switches the near point light on.
void CreateLights();
// Creates the fonts at sizes scaled by ScreenHeight; called again whenever the window may have
// changed size, each time replacing FontIds.
void CreateFonts();
// The edge of the scene view surface: 256, 512 or 1024 by the screen height, times RenderDetail
// [pixels].
int32_t RenderSurfaceSize();
// The render surfaces of the first scene build, and their changes for a later flight.
void CreateRenderSurfaces();
void RebuildRenderSurfaces();
// The explosion billboard, ExplosionMesh.
void CreateExplosion();
// Sets up the ascent and attitude-jet exhaust emitters; the textures are loaded first.
void InitParticleSystem();
