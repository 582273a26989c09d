// What the flight physics asks of the scene: the terrain under a point, the LM pivot's turn and the
// pick of a ray on the terrain. The landscape tiles (LandTiles), the LM pivot (CameraPivot) and the
// attitude ball's rig answer these.
#pragma once

#include "program/flight/vector3.h"

// A height or distance that no landscape tile answers: a tile's answer of exactly 0, or a point
// outside its extent, counts as this (docs/formats.md, "no ground here").
inline constexpr float NoTerrainHeight = -99999.0f;  // world units

// Terrain height, world units, under the render-coordinate point (x, z); the LM is at (0, 0). The
// strictly highest answer of the tiles wins; NoTerrainHeight where none answers.
float TerrainHeight(float x, float z);

// The first point where the ray from `from` toward `to` meets the active tile, when it does.
bool PickTerrain(const Vector3& from, const Vector3& to, Vector3& hit);

// The LM pivot: a vector of the LM's own axes in world axes (the pivot sits at the render origin).
Vector3 PivotTransformVector(const Vector3& v);
// The descent stage's shadow group: a point of its own axes in render coordinates. It turns and
// moves with the LM until staging, and with the descent stage left behind after it.
Vector3 DescentShadowTransformVector(const Vector3& v);
// LMHeading from the pivot: the direction from its point ahead back to its origin.
void MeasureHeading();
// Turns the pivot about its own axes by the increments (roll, pitch, yaw in radians), in the
// order yaw, roll, pitch; roll is about x, pitch about z, yaw about y.
void TurnPivot(const Vector3& increment);

// The attitude reference: the attitude ball's camera pivot, which carries the inverse of the LM's
// turns, and from which the attitude ball's angles are measured.
enum class ReferenceAxis { X, Y, Z };
void TurnAttitudeReference(ReferenceAxis axis, float angle);
void ResetAttitudeReference();
// The reference's forward axis (0, 0, -1) in world axes, through the orientation mesh; components
// below 0.0001 in size become 0.0001, so that the angles taken from it never divide by zero.
Vector3 AttitudeReferenceVector();
// The reference's roll in degrees: the screen angle at which the world's x axis crosses the view
// of the ball's camera, measured on the attitude surface, plus 90 degrees (90 up to 450).
float AttitudeReferenceRollDegrees();
