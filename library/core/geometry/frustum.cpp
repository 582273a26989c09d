// The frustum planes of a view and projection, the pyramid of an eye and a target, and sphere
// visibility against the frustum.
#include "library/core/geometry/frustum.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "library/core/geometry/maths.h"
#include "library/core/vortanautil.h"

using d3dx::D3DXMATRIX;
using d3dx::D3DXPLANE;
using d3dx::D3DXVECTOR3;

D3DXPLANE FrustumPlanes[kFrustumPlaneCount];

namespace {

// Objects this close outside a plane (world units) still count as visible, so that nothing near an
// edge of the view pops in and out.
constexpr float kVisibilityMargin = 30.0f;
// The pyramid's half-height against its half-width.
constexpr float kPyramidAspect = 0.785f;

// Column k (0 to 3) of m as a plane.
D3DXPLANE Column(const D3DXMATRIX& m, int k) { return {m(0, k), m(1, k), m(2, k), m(3, k)}; }

D3DXPLANE Sum(const D3DXPLANE& p, const D3DXPLANE& q, float sign) {
  return {p.a + sign * q.a, p.b + sign * q.b, p.c + sign * q.c, p.d + sign * q.d};
}

// The plane through the eye and two corners of the far rectangle, its normal pointing towards the
// far centre: of the two corner orders, the one that faces into the pyramid, as the near and far
// planes do.
D3DXPLANE InwardSidePlane(const D3DXVECTOR3& eye, const D3DXVECTOR3& a, const D3DXVECTOR3& b,
                          const D3DXVECTOR3& farCentre) {
  D3DXPLANE plane;
  d3dx::D3DXPlaneFromPoints(&plane, &eye, &a, &b);
  if (d3dx::D3DXPlaneDotCoord(&plane, &farCentre) < 0)
    d3dx::D3DXPlaneFromPoints(&plane, &eye, &b, &a);
  return plane;
}

}  // namespace

void Frustum_Forget() {
  std::fill(std::begin(FrustumPlanes), std::end(FrustumPlanes), D3DXPLANE{});
}

int32_t Frustum_IsSphereVisible(const d3d::D3DVECTOR* centre, float radius,
                                const d3d::D3DMATRIX* world) {
  D3DXVECTOR3 placed = AsVector(*centre);
  if (world != nullptr) {
    const D3DXMATRIX matrix = AsMatrix(*world);
    d3dx::D3DXVec3TransformCoord(&placed, &placed, &matrix);
  }
  for (const D3DXPLANE& plane : FrustumPlanes) {
    if (d3dx::D3DXPlaneDotCoord(&plane, &placed) < -radius - kVisibilityMargin) return 0;
  }
  return 1;
}

int32_t ComputeClipPlanes(d3dx::D3DXPLANE* planes, const d3d::D3DMATRIX* view,
                          const d3d::D3DMATRIX* projection) {
  const D3DXMATRIX v = AsMatrix(*view);
  const D3DXMATRIX p = AsMatrix(*projection);
  D3DXMATRIX m;
  d3dx::D3DXMatrixMultiply(&m, &v, &p);
  const D3DXPLANE c1 = Column(m, 0), c2 = Column(m, 1), c3 = Column(m, 2), c4 = Column(m, 3);
  const D3DXPLANE unnormalised[kFrustumPlaneCount] = {Sum(c4, c3, -1), Sum(c3, c4, 1),
                                                      Sum(c4, c2, -1), Sum(c2, c4, 1),
                                                      Sum(c1, c4, 1),  Sum(c4, c1, -1)};
  for (int32_t i = 0; i < kFrustumPlaneCount; ++i) {
    d3dx::D3DXPlaneNormalize(&FrustumPlanes[i], &unnormalised[i]);
    planes[i] = FrustumPlanes[i];
  }
  return 0;
}

int32_t ComputeClipPlanesRTS(SAFEARRAY** planes, const d3d::D3DVECTOR* eye,
                             const d3d::D3DVECTOR* target, const float* fieldOfView,
                             const float* distance) {
  if (planes == nullptr || *planes == nullptr) return 0;
  SAFEARRAY* array = *planes;
  if (array->cbElements != sizeof(D3DXPLANE) ||
      array->rgsabound[0].cElements < kFrustumPlaneCount || array->pvData == nullptr) {
    return 0;
  }
  const D3DXVECTOR3 from = AsVector(*eye);
  const D3DXVECTOR3 to = AsVector(*target);
  D3DXVECTOR3 direction = to - from;
  d3dx::D3DXVec3Normalize(&direction, &direction);
  const D3DXVECTOR3 up{{0, 1, 0}};
  D3DXVECTOR3 right;
  d3dx::D3DXVec3Cross(&right, &direction, &up);
  const D3DXVECTOR3 farCentre = from + direction * *distance;
  const float halfWidth = std::tan(*fieldOfView / 4) * *distance;
  const float halfHeight = kPyramidAspect * halfWidth;
  const D3DXVECTOR3 across = right * halfWidth;
  const D3DXVECTOR3 rise = up * halfHeight;
  const D3DXVECTOR3 topLeft = farCentre + rise - across, topRight = farCentre + rise + across;
  const D3DXVECTOR3 bottomLeft = farCentre - rise - across;
  const D3DXVECTOR3 bottomRight = farCentre - rise + across;

  ++array->cLocks;
  auto* out = static_cast<D3DXPLANE*>(array->pvData);
  const D3DXVECTOR3 backward = -direction;
  d3dx::D3DXPlaneFromPointNormal(&out[0], &from, &direction);
  d3dx::D3DXPlaneFromPointNormal(&out[1], &farCentre, &backward);
  out[2] = InwardSidePlane(from, topLeft, topRight, farCentre);
  out[3] = InwardSidePlane(from, bottomLeft, bottomRight, farCentre);
  out[4] = InwardSidePlane(from, topRight, bottomRight, farCentre);
  out[5] = InwardSidePlane(from, topLeft, bottomLeft, farCentre);
  --array->cLocks;
  return 0;
}

int32_t CheckVisibilitySphere2(int32_t, const d3d::D3DVECTOR* centre, const float* radius,
                               const d3d::D3DMATRIX* world) {
  return Frustum_IsSphereVisible(centre, *radius, world);
}
