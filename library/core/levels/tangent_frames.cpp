#include "library/core/levels/tangent_frames.h"

#include <cmath>

namespace {

void Normalise(float* v) {
  const float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length > 0) {
    for (int axis = 0; axis < 3; ++axis) v[axis] /= length;
  }
}

}  // namespace

void AddTriangleTangents(const TangentCorner (&corners)[3], const float (&limits)[3]) {
  const TangentCorner& p = corners[0];
  const TangentCorner& q = corners[1];
  const TangentCorner& r = corners[2];
  const float du1 = q.u - p.u, dv1 = q.v - p.v, du2 = r.u - p.u, dv2 = r.v - p.v;
  const float d = dv2 * du1 - du2 * dv1;
  for (int axis = 0; axis < 3; ++axis) {
    if (std::fabs(d) <= limits[axis]) continue;
    const float da1 = q.position[axis] - p.position[axis];
    const float da2 = r.position[axis] - p.position[axis];
    for (const TangentCorner& corner : corners) {
      corner.s[axis] -= (dv1 * da2 - dv2 * da1) / d;
      corner.t[axis] -= (du2 * da1 - du1 * da2) / d;
    }
  }
}

void FinishTangentFrame(float* s, float* t, float* sxt, float* normal) {
  Normalise(s);
  Normalise(t);
  sxt[0] = s[1] * t[2] - s[2] * t[1];
  sxt[1] = s[2] * t[0] - s[0] * t[2];
  sxt[2] = s[0] * t[1] - s[1] * t[0];
  Normalise(normal);
  if (normal[0] * sxt[0] + normal[1] * sxt[1] + normal[2] * sxt[2] < 0) {
    for (int axis = 0; axis < 3; ++axis) sxt[axis] = -sxt[axis];
  }
}
