// The ten stored camera views: switching between them (with the glide between virtual-cockpit
// eyes), the EVA view, the tile under the camera and keeping the orbiting camera above ground.
#pragma once

#include "platform/d3dx/math.h"
#include "program/flight/vector3.h"
#include "program/scene/scene_state.h"

void SelectView(ViewIndex view);
void ClearViewFlags();
// The current field of view into the active record, unless it is cockpit view 1 or 2.
void StoreViewAngle();
void StartCameraTransition(const Vector3& fromEye, const Vector3& fromRotation,
                           const Vector3& toEye, const Vector3& toRotation, float toAngle);
void StartEVAView();
// The orbiting camera's place about `centre`: CameraOrbitDistance out at CameraOrbitYaw, then
// CameraOrbitPitch, in degrees.
d3dx::D3DXVECTOR3 OrbitCameraPoint(const Vector3& centre);
// CameraLandTile := the tile strictly highest under CameraGroundPoint, the orbiting camera's last
// place.
void GetCameraGroundPoint();
// Mouse-look in pitch by m / n, taken back when it would put the camera under the ground.
void ChangeCameraPitch(float m, float n);
void LiftCameraAboveTerrain();
