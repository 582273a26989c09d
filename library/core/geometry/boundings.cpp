// Rays against axis-aligned boxes and the debug sphere, and the debug drawing of a box's edges.
#include <array>
#include <cmath>
#include <vector>

#include "library/core/frame/frame_state.h"
#include "library/core/geometry/maths.h"
#include "library/core/geometry/mesh_faces.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/intersect.h"
#include "platform/d3dx/mesh.h"

using d3d::D3DVECTOR;
using d3d::FAILED;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

namespace {

// The segment test's planes, +z, -z, +y, -y, +x, -x; their d terms come from the box under test.
constexpr std::array<D3DXVECTOR3, 6> kBoxPlaneNormals = {
    {{{0, 0, 1}}, {{0, 0, -1}}, {{0, 1, 0}}, {{0, -1, 0}}, {{1, 0, 0}}, {{-1, 0, 0}}}};
// Below this |n . segment| the segment runs along the plane.
constexpr float kAlongPlane = 0.0001f;
// A segment's crossing counts when it lies within the box grown by this much on every side, so
// that crossings at an edge are not lost to rounding (world units).
constexpr float kBoxTolerance = 0.1f;

// The ray test's box: corners 0 to 7 from the box under test, and two triangles per face with the
// face's outward normal.
struct BoxTriangle {
  std::array<int, 3> corners;
  D3DXVECTOR3 normal;
};
constexpr std::array<BoxTriangle, 12> kBoxTriangles = {{
    {{0, 1, 2}, {{0, -1, 0}}},
    {{0, 2, 3}, {{0, -1, 0}}},
    {{4, 5, 6}, {{0, 1, 0}}},
    {{4, 6, 7}, {{0, 1, 0}}},
    {{0, 4, 5}, {{-1, 0, 0}}},
    {{0, 5, 1}, {{-1, 0, 0}}},
    {{3, 2, 6}, {{1, 0, 0}}},
    {{3, 7, 6}, {{1, 0, 0}}},
    {{0, 3, 7}, {{0, 0, -1}}},
    {{0, 4, 7}, {{0, 0, -1}}},
    {{1, 5, 6}, {{0, 0, 1}}},
    {{1, 2, 6}, {{0, 0, 1}}},
}};
// Farther than any hit the box test can report (world units).
constexpr float kNoHitDistance = 9999999.0f;

// The debug sphere: a unit sphere placed by a radius and a world matrix.
constexpr float kDebugSphereRadius = 1.0f;
constexpr d3d::UINT kDebugSphereSlices = 10;
constexpr d3d::UINT kDebugSphereStacks = 5;
// How far BoundingSphere_Test looks along its ray (world units).
constexpr float kSphereRayLength = 4000.0f;

d3dx::ID3DXMesh* DebugSphere = nullptr;
// Per face of the debug sphere, (v1 - v0) x (v2 - v0).
std::vector<D3DXVECTOR3> DebugSphereNormals;

// The edges of a box drawn by BoundingBox_Draw, over its corners 0 (min) to 7 (max), bit 0 of a
// corner's number standing for max.z, bit 1 for max.x and bit 2 for max.y.
constexpr std::array<uint16_t, 24> kBoxEdges = {0, 1, 1, 3, 3, 2, 2, 0, 4, 5, 5, 7,
                                                7, 6, 6, 4, 0, 4, 1, 5, 2, 6, 3, 7};
constexpr int kBoxCornerCount = 8;
constexpr d3d::UINT kBoxEdgeCount = 12;

struct ColouredVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE
  float x, y, z;
  d3d::D3DCOLOR colour;
};
static_assert(sizeof(ColouredVertex) == 16);

bool WithinWidenedBox(const D3DXVECTOR3& p, const D3DXVECTOR3& min, const D3DXVECTOR3& max) {
  return p.x >= min.x - kBoxTolerance && p.x <= max.x + kBoxTolerance &&
         p.y >= min.y - kBoxTolerance && p.y <= max.y + kBoxTolerance &&
         p.z >= min.z - kBoxTolerance && p.z <= max.z + kBoxTolerance;
}

D3DXVECTOR3 Normalised(const D3DXVECTOR3& v) {
  D3DXVECTOR3 out;
  d3dx::D3DXVec3Normalize(&out, &v);
  return out;
}

}  // namespace

int32_t Boundings_Init() {
  // The box planes' normals are constants: nothing depends on the device.
  return 1;
}

int32_t Boundings_Unload() {
  DebugSphereNormals.clear();
  DebugSphereNormals.shrink_to_fit();
  SafeRelease(DebugSphere);
  return 1;
}

int32_t BoundingBox_Initialize() {
  // The box's triangles are constants, ready from load.
  return 1;
}

int32_t BoundingSphere_Initialize() {
  Boundings_Unload();
  if (CurrentDevice == nullptr ||
      FAILED(d3dx::D3DXCreateSphere(CurrentDevice, kDebugSphereRadius, kDebugSphereSlices,
                                    kDebugSphereStacks, &DebugSphere, nullptr))) {
    DebugSphere = nullptr;
    return 0;
  }
  const auto faces = MeshFaceCorners(DebugSphere);
  if (!faces) {
    Boundings_Unload();
    return 0;
  }
  DebugSphereNormals.reserve(faces->size());
  for (const FaceCorners& face : *faces) DebugSphereNormals.push_back(FaceCross(face));
  return 1;
}

int32_t BoundingBox2_Test(const D3DVECTOR* origin, const D3DVECTOR* segment, const D3DVECTOR* min,
                          const D3DVECTOR* max, void*, D3DVECTOR* point, D3DVECTOR* normal) {
  const D3DXVECTOR3 o = AsVector(*origin), s = AsVector(*segment);
  const D3DXVECTOR3 low = AsVector(*min), high = AsVector(*max);
  const std::array<float, 6> d = {-high.z, low.z, -high.y, low.y, -high.x, low.x};
  float best = 1.0f;
  int found = -1;
  D3DXVECTOR3 hit;
  for (size_t i = 0; i < kBoxPlaneNormals.size(); ++i) {
    const D3DXVECTOR3& n = kBoxPlaneNormals[i];
    const float along = d3dx::D3DXVec3Dot(&n, &s);
    if (std::fabs(along) < kAlongPlane) continue;
    const float t = -(d3dx::D3DXVec3Dot(&n, &o) + d[i]) / along;
    const D3DXVECTOR3 candidate = o + s * t;
    // An equal t on a later plane wins: at an edge the later plane's normal is reported.
    if (t < 0 || t > 1 || t > best || !WithinWidenedBox(candidate, low, high)) continue;
    best = t;
    found = static_cast<int>(i);
    hit = candidate;
  }
  if (found < 0) return 0;
  *point = hit;
  *normal = kBoxPlaneNormals[static_cast<size_t>(found)];
  return 1;
}

int32_t BoundingBox_Test(const D3DVECTOR* origin, const D3DVECTOR* direction, const D3DVECTOR* min,
                         const D3DVECTOR* max, float* distance, D3DVECTOR* point,
                         D3DVECTOR* normal) {
  const D3DXVECTOR3 o = AsVector(*origin);
  const D3DXVECTOR3 d = Normalised(AsVector(*direction));
  const float x0 = min->x, y0 = min->y, z0 = min->z, x1 = max->x, y1 = max->y, z1 = max->z;
  const std::array<D3DXVECTOR3, kBoxCornerCount> corners = {{{{x0, y0, z0}},
                                                             {{x0, y0, z1}},
                                                             {{x1, y0, z1}},
                                                             {{x1, y0, z0}},
                                                             {{x0, y1, z0}},
                                                             {{x0, y1, z1}},
                                                             {{x1, y1, z1}},
                                                             {{x1, y1, z0}}}};
  float nearest = kNoHitDistance;
  const BoxTriangle* nearestTriangle = nullptr;
  for (const BoxTriangle& triangle : kBoxTriangles) {
    float along = 0;
    if (d3dx::D3DXIntersectTri(&corners[static_cast<size_t>(triangle.corners[0])],
                               &corners[static_cast<size_t>(triangle.corners[1])],
                               &corners[static_cast<size_t>(triangle.corners[2])], &o, &d, nullptr,
                               nullptr, &along) &&
        along < nearest) {
      nearest = along;
      nearestTriangle = &triangle;
    }
  }
  if (nearestTriangle == nullptr) return 0;
  *distance = nearest;
  *point = o + d * nearest;
  *normal = nearestTriangle->normal;
  return 1;
}

int32_t BoundingSphere_Test(const D3DVECTOR* origin, const D3DVECTOR* direction, int32_t,
                            float radius, D3DVECTOR* point, D3DVECTOR* normal, float* distance,
                            const d3d::D3DMATRIX* world) {
  if (DebugSphere == nullptr) return 0;
  // The ray is carried into the unit sphere's space, where the mesh is tested; its hit comes back
  // through the placement.
  D3DXMATRIX scaling, placement, inverse;
  const D3DXMATRIX worldMatrix = AsMatrix(*world);
  d3dx::D3DXMatrixScaling(&scaling, radius, radius, radius);
  d3dx::D3DXMatrixMultiply(&placement, &scaling, &worldMatrix);
  if (d3dx::D3DXMatrixInverse(&inverse, nullptr, &placement) == nullptr) return 0;
  const D3DXVECTOR3 o = AsVector(*origin);
  const D3DXVECTOR3 far = o + Normalised(AsVector(*direction)) * kSphereRayLength;
  D3DXVECTOR3 start, end;
  d3dx::D3DXVec3TransformCoord(&start, &o, &inverse);
  d3dx::D3DXVec3TransformCoord(&end, &far, &inverse);
  const D3DXVECTOR3 along = end - start;
  d3d::BOOL hit = 0;
  d3d::DWORD face = 0;
  float fraction = 0;
  if (FAILED(d3dx::D3DXIntersect(DebugSphere, &start, &along, &hit, &face, nullptr, nullptr,
                                 &fraction)) ||
      hit == 0 || face >= DebugSphereNormals.size()) {
    return 0;
  }
  const D3DXVECTOR3 local = start + along * fraction;
  D3DXVECTOR3 placed, turned;
  d3dx::D3DXVec3TransformCoord(&placed, &local, &placement);
  // Normals go through the inverse transpose, so that a stretched sphere's stay perpendicular.
  D3DXMATRIX normalMatrix;
  d3dx::D3DXMatrixTranspose(&normalMatrix, &inverse);
  d3dx::D3DXVec3TransformNormal(&turned, &DebugSphereNormals[face], &normalMatrix);
  const D3DXVECTOR3 fromOrigin = placed - o;
  *point = placed;
  *normal = Normalised(turned);
  *distance = d3dx::D3DXVec3Length(&fromOrigin);
  return 1;
}

int32_t BoundingBox_Draw(const D3DVECTOR* min, const D3DVECTOR* max, const d3d::D3DMATRIX* world,
                         uint32_t colour) {
  using namespace d3d;
  if (CurrentDevice == nullptr) return 0;
  std::array<ColouredVertex, kBoxCornerCount> corners{};
  for (int i = 0; i < kBoxCornerCount; ++i) {
    corners[static_cast<size_t>(i)] = {(i & 2) != 0 ? max->x : min->x,
                                       (i & 4) != 0 ? max->y : min->y,
                                       (i & 1) != 0 ? max->z : min->z, colour};
  }
  IDirect3DDevice8* device = CurrentDevice;
  device->SetTexture(0, nullptr);
  device->SetTransform(D3DTS_WORLD, world);
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetRenderState(D3DRS_FOGENABLE, 0);
  device->SetRenderState(D3DRS_COLORVERTEX, 1);
  device->SetRenderState(D3DRS_SPECULARENABLE, 0);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_STENCILENABLE, 0);
  device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  device->DrawIndexedPrimitiveUP(D3DPT_LINELIST, 0, kBoxCornerCount, kBoxEdgeCount,
                                 kBoxEdges.data(), D3DFMT_INDEX16, corners.data(),
                                 sizeof(ColouredVertex));
  Atmosphere_ApplyFog();
  return 1;
}
