// Segments against a caller's mesh in its world placement, and the meshes' face-normal arrays.
#include "library/core/geometry/maths.h"
#include "library/core/geometry/mesh_faces.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/intersect.h"
#include "platform/d3dx/mesh.h"

using d3d::D3DVECTOR;
using d3d::FAILED;
using d3d::SUCCEEDED;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

namespace {

enum CollisionMode : int32_t { kBoxMode = 0, kSphereMode = 1, kSphereThenMeshMode = 2 };

// One face's entry of a face-normal array: the unit normal, then the face's first corner.
struct FaceNormalEntry {
  D3DXVECTOR3 normal;
  D3DXVECTOR3 firstCorner;
};
static_assert(sizeof(FaceNormalEntry) == 6 * sizeof(float));

// A segment carried into the mesh's own space.
struct LocalSegment {
  D3DXVECTOR3 start;
  D3DXVECTOR3 direction;  // unit length
  float length;
};

// False when the world matrix has no inverse, so that the segment has no place in the mesh's space.
bool ToMeshSpace(const D3DVECTOR& start, const D3DVECTOR& end, const D3DXMATRIX& world,
                 LocalSegment* segment) {
  D3DXMATRIX inverse;
  if (d3dx::D3DXMatrixInverse(&inverse, nullptr, &world) == nullptr) return false;
  const D3DXVECTOR3 s = AsVector(start), e = AsVector(end);
  D3DXVECTOR3 localEnd;
  d3dx::D3DXVec3TransformCoord(&segment->start, &s, &inverse);
  d3dx::D3DXVec3TransformCoord(&localEnd, &e, &inverse);
  D3DXVECTOR3 along = localEnd - segment->start;
  segment->length = d3dx::D3DXVec3Length(&along);
  d3dx::D3DXVec3Normalize(&segment->direction, &along);
  return true;
}

const FaceNormalEntry& EntryOf(const float* normals, d3d::DWORD face) {
  return reinterpret_cast<const FaceNormalEntry*>(normals)[face];
}

}  // namespace

int32_t Mesh_Collision(d3dx::ID3DXMesh** mesh, const float* normals, const D3DVECTOR* centre,
                       float radius, const D3DVECTOR* boxMin, const D3DVECTOR* boxMax,
                       const float* faceValues, const D3DVECTOR* start, const D3DVECTOR* end,
                       const d3d::D3DMATRIX* world, MeshCollisionResult* result, int32_t mode) {
  *result = {};
  const D3DXMATRIX worldMatrix = AsMatrix(*world);
  LocalSegment segment{};
  if (!ToMeshSpace(*start, *end, worldMatrix, &segment)) return 0;
  D3DVECTOR point{}, normal{};
  if (mode == kBoxMode) {
    const D3DXVECTOR3 whole = segment.direction * segment.length;
    if (BoundingBox2_Test(&segment.start, &whole, boxMin, boxMax, nullptr, &point, &normal) == 0)
      return 0;
  } else if (mode == kSphereMode || mode == kSphereThenMeshMode) {
    float distance = 0;
    if (BoundingSphere2_Test(&segment.start, &segment.direction, centre, radius, &distance, &point,
                             &normal) == 0) {
      return 0;
    }
    if (mode == kSphereThenMeshMode) {
      d3d::BOOL hit = 0;
      d3d::DWORD face = 0;
      if (mesh == nullptr || *mesh == nullptr ||
          FAILED(d3dx::D3DXIntersect(*mesh, &segment.start, &segment.direction, &hit, &face,
                                     &result->u, &result->v, &distance)) ||
          hit == 0) {
        *result = {};
        return 0;
      }
      point = segment.start + segment.direction * distance;
      normal = EntryOf(normals, face).normal;
      result->faceIndex = static_cast<int32_t>(face);
      result->faceValue = faceValues != nullptr ? faceValues[face] : 0;
    }
  } else {
    return 0;
  }
  const D3DXVECTOR3 fromStart = AsVector(point) - segment.start;
  if (d3dx::D3DXVec3Length(&fromStart) > segment.length) {
    *result = {};
    return 0;
  }
  const D3DXVECTOR3 local = AsVector(point), localNormal = AsVector(normal);
  D3DXVECTOR3 placed, turned;
  d3dx::D3DXVec3TransformCoord(&placed, &local, &worldMatrix);
  d3dx::D3DXVec3TransformNormal(&turned, &localNormal, &worldMatrix);
  d3dx::D3DXVec3Normalize(&turned, &turned);
  const D3DXVECTOR3 fromWorldStart = placed - AsVector(*start);
  result->point = placed;
  result->normal = turned;
  result->distance = d3dx::D3DXVec3Length(&fromWorldStart);
  result->hit = 1;
  return 1;
}

int32_t Mesh_AdvancedCollision(d3dx::ID3DXMesh** mesh, const float* normals,
                               const D3DVECTOR* centre, float radius, int32_t,
                               const D3DVECTOR* start, const D3DVECTOR* end,
                               const d3d::D3DMATRIX* world, MeshAdvancedCollisionResult* result) {
  *result = {};
  const D3DXMATRIX worldMatrix = AsMatrix(*world);
  LocalSegment segment{};
  if (!ToMeshSpace(*start, *end, worldMatrix, &segment)) return 0;
  const D3DXVECTOR3 sphereCentre = AsVector(*centre);
  if (radius != 0 &&
      !d3dx::D3DXSphereBoundProbe(&sphereCentre, radius, &segment.start, &segment.direction)) {
    return 0;
  }
  d3d::BOOL hit = 0;
  d3d::DWORD face = 0;
  float u = 0, v = 0, distance = 0;
  if (mesh == nullptr || *mesh == nullptr ||
      FAILED(d3dx::D3DXIntersect(*mesh, &segment.start, &segment.direction, &hit, &face, &u, &v,
                                 &distance)) ||
      hit == 0 || distance > segment.length) {
    return 0;
  }
  const D3DXVECTOR3 local = segment.start + segment.direction * distance;
  D3DXVECTOR3 placed, turned;
  d3dx::D3DXVec3TransformCoord(&placed, &local, &worldMatrix);
  d3dx::D3DXVec3TransformNormal(&turned, &EntryOf(normals, face).normal, &worldMatrix);
  result->point = placed;
  result->normal = turned;
  result->distance = distance;
  result->u = u;
  result->v = v;
  result->faceIndex = static_cast<int32_t>(face);
  return 1;
}

int32_t Mesh_CreateNormalArray(d3dx::ID3DXMesh** mesh, float* normals) {
  const auto faces = MeshFaceCorners(mesh != nullptr ? *mesh : nullptr);
  if (!faces) return 0;
  auto* entries = reinterpret_cast<FaceNormalEntry*>(normals);
  for (size_t i = 0; i < faces->size(); ++i) {
    const D3DXVECTOR3 cross = FaceCross((*faces)[i]);
    d3dx::D3DXVec3Normalize(&entries[i].normal, &cross);
    entries[i].firstCorner = (*faces)[i][0];
  }
  return 1;
}

int32_t D3DX_ComputeNormals(d3dx::ID3DXMesh** mesh, const uint32_t* adjacency) {
  if (mesh == nullptr || *mesh == nullptr) return 0;
  return SUCCEEDED(d3dx::D3DXComputeNormals(*mesh, adjacency)) ? 1 : 0;
}
