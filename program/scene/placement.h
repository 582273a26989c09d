// What the frames, the flight start and the staging call to put the scene's models where the
// flight state says they are: terrain following, the crater, the rock field, the exhaust emitter,
// the landscape's fading, the tilt warnings and two vector routines.
#pragma once

#include "platform/d3dx/math.h"
#include "platform/engine/landscape.h"
#include "platform/engine/scene.h"

// Turns the mesh's up axis one step toward the terrain normal under it; the step is
// (1 - factor) / 100, a factor of exactly 1 counting as 0.999.
void AlignMeshToTerrain(engine::EngineMesh& mesh, const engine::EngineLandscape& tile,
                        float factor);
// Lowers the active tile into a cone 40 deep and 50 wide around the render origin.
void DigCrater();
// The highest answer of the three tiles at the render point (x, z), or NoTerrainHeight; `tile`
// is the tile that gave it, or -1.
float HighestTileHeight(float x, float z, int& tile);
// ActiveLandTile := the tile whose answer under the LM is strictly the highest.
void UpdateFootpadHeights();
// Random places for the rock records, RockPlacesPerModel for every model of the pool.
void PlaceRocks();
// Stands the rock records on the ground around the LM, once a flight.
void UpdateRocks();
// Gives the pooled rock models to the places in view, hides the rest.
void UpdateRockField();
void UpdateRocksVisibility();
// Walks the EVA eye over the ground by this frame's time, and along the path through the hatch
// once the walker reaches it.
void UpdateWalkingCamera();
void UpdateParticleEmitter();
// The stages' shadow volumes for the next shadowed pass.
void UpdateStageVisibility();
// Lays the dust grid on the active tile under the LM as its ground shadow, faded by the height
// (or after the engine stops), and draws the scrolling shadow picture into ShadowSurface.
void DrawLMShadow();
// Fades the tiles' materials with CameraDistance and draws them, the farthest first.
void FadeLandscapeLayers();
void CheckTiltLimits();
// A vector of the mesh's axes in world axes, each component at least 0.0001 in size.
void GetMeshVector(d3dx::D3DXVECTOR3& out, const engine::EngineMesh& mesh,
                   const d3dx::D3DXVECTOR3& v);
// A world point in the mesh's own frame.
void TransformPoint(d3dx::D3DXVECTOR3& out, const engine::EngineMesh& mesh,
                    const d3dx::D3DXVECTOR3& point);
