#include "platform/d3dx/intersect.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace d3dx {
namespace {

// Below this the ray is taken to run parallel to the triangle's plane.
constexpr float kParallel = 1e-10f;

}  // namespace

bool D3DXIntersectTri(const D3DXVECTOR3* p0, const D3DXVECTOR3* p1, const D3DXVECTOR3* p2,
                      const D3DXVECTOR3* rayStart, const D3DXVECTOR3* rayDirection, float* u,
                      float* v, float* distance) {
  D3DXVECTOR3 edge1 = *p1 - *p0, edge2 = *p2 - *p0, across;
  D3DXVec3Cross(&across, rayDirection, &edge2);
  float determinant = D3DXVec3Dot(&edge1, &across);
  if (std::fabs(determinant) < kParallel) return false;
  float inverse = 1.0f / determinant;

  D3DXVECTOR3 fromP0 = *rayStart - *p0, up;
  float hitU = D3DXVec3Dot(&fromP0, &across) * inverse;
  if (hitU < 0 || hitU > 1) return false;
  D3DXVec3Cross(&up, &fromP0, &edge1);
  float hitV = D3DXVec3Dot(rayDirection, &up) * inverse;
  if (hitV < 0 || hitU + hitV > 1) return false;
  float along = D3DXVec3Dot(&edge2, &up) * inverse;
  if (along < 0) return false;

  if (u != nullptr) *u = hitU;
  if (v != nullptr) *v = hitV;
  if (distance != nullptr) *distance = along;
  return true;
}

bool D3DXSphereBoundProbe(const D3DXVECTOR3* center, float radius, const D3DXVECTOR3* rayStart,
                          const D3DXVECTOR3* rayDirection) {
  // Solve |start + t dir - center|^2 = r^2 for t and ask for a root at t >= 0.
  D3DXVECTOR3 offset = *rayStart - *center;
  float a = D3DXVec3LengthSq(rayDirection);
  float halfB = D3DXVec3Dot(&offset, rayDirection);
  float c = D3DXVec3LengthSq(&offset) - radius * radius;
  if (c <= 0) return true;
  if (a == 0 || halfB > 0) return false;
  return halfB * halfB - a * c >= 0;
}

bool D3DXBoxBoundProbe(const D3DXVECTOR3* min, const D3DXVECTOR3* max, const D3DXVECTOR3* rayStart,
                       const D3DXVECTOR3* rayDirection) {
  const float low[3] = {min->x, min->y, min->z};
  const float high[3] = {max->x, max->y, max->z};
  const float start[3] = {rayStart->x, rayStart->y, rayStart->z};
  const float direction[3] = {rayDirection->x, rayDirection->y, rayDirection->z};
  float enter = 0, leave = std::numeric_limits<float>::infinity();
  for (int axis = 0; axis < 3; ++axis) {
    if (direction[axis] == 0) {
      if (start[axis] < low[axis] || start[axis] > high[axis]) return false;
      continue;
    }
    float t0 = (low[axis] - start[axis]) / direction[axis];
    float t1 = (high[axis] - start[axis]) / direction[axis];
    enter = std::max(enter, std::min(t0, t1));
    leave = std::min(leave, std::max(t0, t1));
    if (enter > leave) return false;
  }
  return true;
}

}  // namespace d3dx
