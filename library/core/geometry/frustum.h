// The view frustum of the current camera, for the rendering families' visibility tests. The
// exports are declared in library/core/vortanautil.h.
#pragma once

#include <cstdint>

#include "platform/d3dx/math.h"

inline constexpr int32_t kFrustumPlaneCount = 6;

// Far, near, top, bottom, left, right, each normalised with its normal pointing into the frustum;
// written by ComputeClipPlanes once the camera is set each frame.
extern d3dx::D3DXPLANE FrustumPlanes[kFrustumPlaneCount];

// Back to no planes at all, as at load: nothing is culled until the next camera.
void Frustum_Forget();

// 1 unless the sphere (centre carried by world; null: already in world space) lies beyond a plane
// by more than its radius and a 30-unit margin, else 0.
int32_t Frustum_IsSphereVisible(const d3d::D3DVECTOR* centre, float radius,
                                const d3d::D3DMATRIX* world);
