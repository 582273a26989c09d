// Ray queries and bounding volumes over the D3DX maths.
//
// A ray is a start point and a direction that need not be unit length; distances along it are in
// units of that direction (the hit point is start + distance * direction), and only hits at a
// distance of zero or more count. Triangles are hit from either side.
#pragma once

#include "platform/d3dx/math.h"

namespace d3dx {

// Whether the ray meets the triangle p0 p1 p2. On a hit, u and v (when given) are the barycentric
// weights of p1 and p2 (the point is p0 + u (p1 - p0) + v (p2 - p0)) and distance is along the ray.
bool D3DXIntersectTri(const D3DXVECTOR3* p0, const D3DXVECTOR3* p1, const D3DXVECTOR3* p2,
                      const D3DXVECTOR3* rayStart, const D3DXVECTOR3* rayDirection, float* u,
                      float* v, float* distance);

// Whether the ray meets the sphere; a ray that starts inside it does.
bool D3DXSphereBoundProbe(const D3DXVECTOR3* center, float radius, const D3DXVECTOR3* rayStart,
                          const D3DXVECTOR3* rayDirection);

// Whether the ray meets the axis-aligned box min..max; a ray that starts inside it does.
bool D3DXBoxBoundProbe(const D3DXVECTOR3* min, const D3DXVECTOR3* max, const D3DXVECTOR3* rayStart,
                       const D3DXVECTOR3* rayDirection);

}  // namespace d3dx
