// The physics of a surface flight: mass, thrust, integration under lunar gravity, the descent
// stage left behind, altitude, fuel, footpad contact, touchdown, settling and the crash. The
// surface frame loop runs these steps in the order they are declared, each once per frame.
//
// Units: velocities ft/s, positions world units (feet / WorldScale), masses slugs, forces lbf,
// fuel pounds, times seconds.
#pragma once

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
// landing (with the last step into the ground taken back) and the crash of a footpad that touches
// without the contact light.
void ProcessFootpads();
// The crash: the LM stops where it is, the engine is off and the views turn to the crash site.
void CrashLM();
// FuelPercent of the stage that flies, the descent stage's full at `descentFullTank` pounds.
void UpdateFuelPercent(double descentFullTank);
// Fuel used by the engine over FrameTimeSec, and the cut-off when the tank is empty.
void BurnFuel();

// SurfaceUnevenness: the largest difference between the terrain heights under the four footpads
// and under the LM.
void MeasureSurfaceUnevenness();

// Lays the shadow grid on the terrain and draws the shadow picture onto it.
void LayTerrainShadow();
