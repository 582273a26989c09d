// Rays against triangles and spheres, and the bounce of a velocity off a surface.
#include <cmath>

#include "library/core/geometry/maths.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/intersect.h"

using d3d::D3DVECTOR;
using d3dx::D3DXVECTOR3;

namespace {

// Below this |determinant| the ray runs parallel to the triangle.
constexpr float kParallelDeterminant = 0.000001f;

D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b) {
  D3DXVECTOR3 out;
  d3dx::D3DXVec3Cross(&out, &a, &b);
  return out;
}

float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return d3dx::D3DXVec3Dot(&a, &b); }

D3DXVECTOR3 Normalised(const D3DXVECTOR3& v) {
  D3DXVECTOR3 out;
  d3dx::D3DXVec3Normalize(&out, &v);
  return out;
}

}  // namespace

int32_t Triangle_RayCollision(const D3DVECTOR* origin, const D3DVECTOR* direction,
                              const D3DVECTOR* v0, const D3DVECTOR* v1, const D3DVECTOR* v2,
                              float* t, float* u, float* v, D3DVECTOR* point, D3DVECTOR* normal) {
  const D3DXVECTOR3 o = AsVector(*origin), d = AsVector(*direction), p0 = AsVector(*v0);
  const D3DXVECTOR3 e1 = AsVector(*v1) - p0, e2 = AsVector(*v2) - p0;
  const D3DXVECTOR3 p = Cross(d, e2);
  const float det = Dot(e1, p);
  if (det > -kParallelDeterminant && det < kParallelDeterminant) return 0;
  const D3DXVECTOR3 fromV0 = o - p0;
  const float hitU = Dot(fromV0, p) / det;
  if (hitU < 0 || hitU > 1) return 0;
  const D3DXVECTOR3 q = Cross(fromV0, e1);
  const float hitV = Dot(d, q) / det;
  if (hitV < 0 || hitU + hitV > 1) return 0;
  // Hits behind the origin count too: the caller reads the sign of t.
  *t = Dot(e2, q) / det;
  *u = hitU;
  *v = hitV;
  if (point != nullptr) *point = o + d * *t;
  if (normal != nullptr) *normal = Normalised(Cross(e1, e2));
  return 1;
}

int32_t D3DX_IntersectTri(const D3DVECTOR* v0, const D3DVECTOR* v1, const D3DVECTOR* v2,
                          const D3DVECTOR* origin, const D3DVECTOR* direction, float maxDistance) {
  const D3DXVECTOR3 p0 = AsVector(*v0), p1 = AsVector(*v1), p2 = AsVector(*v2);
  const D3DXVECTOR3 o = AsVector(*origin), d = AsVector(*direction);
  float distance = 0;
  return d3dx::D3DXIntersectTri(&p0, &p1, &p2, &o, &d, nullptr, nullptr, &distance) &&
                 distance < maxDistance
             ? 1
             : 0;
}

int32_t D3DX_IntersectTri2(const D3DVECTOR* v0, const D3DVECTOR* v1, const D3DVECTOR* v2,
                           const D3DVECTOR* origin, const D3DVECTOR* direction, float* distance,
                           float* u, float* v, D3DVECTOR* normal, D3DVECTOR* point) {
  const D3DXVECTOR3 p0 = AsVector(*v0), p1 = AsVector(*v1), p2 = AsVector(*v2);
  const D3DXVECTOR3 o = AsVector(*origin), d = AsVector(*direction);
  if (!d3dx::D3DXIntersectTri(&p0, &p1, &p2, &o, &d, u, v, distance)) return 0;
  *normal = Normalised(Cross(p1 - p0, p2 - p0));
  *point = o + d * *distance;
  return 1;
}

int32_t BoundingSphere2_Test(const D3DVECTOR* origin, const D3DVECTOR* direction,
                             const D3DVECTOR* centre, float radius, float* distance,
                             D3DVECTOR* point, D3DVECTOR* normal) {
  // A sphere of no size has no surface to report a normal of.
  if (radius <= 0) return 0;
  const D3DXVECTOR3 d = Normalised(AsVector(*direction));
  const D3DXVECTOR3 c = AsVector(*centre);
  const D3DXVECTOR3 o = AsVector(*origin) - c;
  const float b = 2 * Dot(d, o);
  const float cTerm = Dot(o, o) - radius * radius;
  const float disc = b * b - 4 * cTerm;
  if (disc < 0) return 0;
  // The nearer root; negative when the origin is inside or the sphere behind it.
  const float root = std::sqrt(disc);
  const float t = disc == 0 ? -b / 2 : std::fmin((-b - root) / 2, (root - b) / 2);
  const D3DXVECTOR3 hit = AsVector(*origin) + d * t;
  *distance = t;
  *point = hit;
  *normal = (hit - c) * (1 / radius);
  return 1;
}

int32_t Physics_Bounce(const D3DVECTOR* velocity, const D3DVECTOR* normal, D3DVECTOR* out) {
  const D3DXVECTOR3 v = AsVector(*velocity), n = AsVector(*normal);
  const float speed = d3dx::D3DXVec3Length(&v);
  // Nothing moving has nothing to bounce, and no direction to divide out.
  if (speed == 0) {
    *out = {0, 0, 0};
    return 1;
  }
  const D3DXVECTOR3 d = v * (1 / speed);
  *out = Normalised(d - n * (2 * Dot(d, n))) * speed;
  return 1;
}

int32_t Physics_Sliding(const D3DVECTOR*, const D3DVECTOR*, const D3DVECTOR*, const D3DVECTOR*,
                        const D3DVECTOR*) {
  return 1;
}
