// The physics of a surface flight: mass, thrust, integration under lunar gravity, the descent
// stage left behind, altitude, fuel, footpad contact, touchdown, settling and the crash. The
// surface frame loop runs these steps in the order they are declared, each once per frame.
//
// Units: velocities ft/s, positions world units (feet / WorldScale), masses slugs, forces lbf,
// fuel pounds, times seconds.
#pragma once

#include <array>
#include <cstdint>

#include "program/flight/vector3.h"

// Lowered by the crash rendering from 100 toward 10 after the ascent stage strikes the ground.
inline int32_t ScorchFade = 0;

// The length of one frame, seconds: 1 / FramesPerSecond, or this frame's step while the engine
// has no frame rate yet (its first frames).
float OneFrameSeconds();

// At flight start, after the scenario is read: the torque of a pair of jets.
void ComputeRCSTorque();

// Mass, weight, inertia, the jets' angular acceleration and the thrust direction along the LM's
// up axis; in playback there is no thrust direction, and an engine cut-off ends the playback.
void UpdateMassAndThrust();
// The ascent stage striking the ground after lift-off is a crash.
void CheckAscentStageStrike();
// Velocity and position under thrust and gravity over FrameTimeSec.
void IntegrateLMMotion();
// The descent stage left in flight falls until it is 3 world units above the terrain.
void UpdateLeftBehindDescentStage();
// An empty tank with the engine still on reads 0.
void CheckFuelExhaustion();
// AltitudeAboveGround and AltitudeFeet from the pivot's altitude reference point.
void MeasureAltitude();
// Footpad heights, the contact light, touchdown friction, the legs' tipping and settling, the
// landing and the crash of a footpad that touches without the contact light.
void ProcessFootpads();
// Once per call of the frame loop after a landing: the legs take their final offsets and the last
// step into the ground is taken back.
void TakeBackLastStep();
// The crash: the LM stops where it is, the engine is off and the views turn to the crash site.
void CrashLM();
// Fuel used by the engine over FrameTimeSec, and the cut-off when the tank is empty.
void BurnFuel();

// SurfaceUnevenness: the largest difference between the terrain heights under the four footpads
// and under the LM.
void MeasureSurfaceUnevenness();

// The shadow grid laid on the terrain beside the LM: 40 by 20 cells, six vertices each.
inline constexpr int ShadowGridColumns = 40;
inline constexpr int ShadowGridRows = 20;
inline constexpr int ShadowGridVertexCount = ShadowGridColumns * ShadowGridRows * 6;
inline constexpr int ShadowEdgePointCount = 11;
inline std::array<Vector3, ShadowEdgePointCount> ShadowEdgePoints;  // render coordinates
inline std::array<Vector3, ShadowGridVertexCount> ShadowGridVertices;
inline std::array<Vector3, 4> ShadowBlobPositions;  // blobs under footpads 0, 2 and 3; 1 unused

// Lays the shadow grid on the terrain and draws the shadow picture onto it.
void LayTerrainShadow();
