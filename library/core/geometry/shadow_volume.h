// Stencil shadow volumes: per volume a copy of a mesh's positions and 16-bit indices, its face
// planes and its edges with their neighbours; per frame the silhouette towards a light, extruded
// away from it and drawn into the stencil buffer by the depth-fail method. The exports are declared
// in library/core/vortanautil.h.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d/interfaces.h"

inline constexpr int32_t kNoNeighbourEdge = -1;

struct ShadowEdge {
  int32_t index;
  uint16_t a, b;
  int32_t neighbour;  // the edge of the adjoining face that joins a and b, or kNoNeighbourEdge
  int32_t flag;       // 1 = silhouette candidate
};

struct ShadowVolumeRecord {
  std::vector<ShadowEdge> edges;  // three per face: (i0 i1), (i1 i2), (i2 i0)
  int32_t edgeCount;
  int32_t identifier;
  std::vector<float> planes;                  // per face: normal x, y, z (not normalised) and d
  d3d::IDirect3DVertexBuffer8* vertexBuffer;  // held only while built from buffers
  d3d::IDirect3DIndexBuffer8* indexBuffer;
  std::vector<uint16_t> indices;
  std::vector<d3d::D3DVECTOR> normals;  // kept when the source has them; the volume ignores them
  std::vector<d3d::D3DVECTOR> positions;
  std::vector<d3d::D3DVECTOR> extruded;        // point lights only
  std::vector<d3d::D3DVECTOR> volumeVertices;  // caps first, then quads
  int32_t vertexCount;
  int32_t indexCount;
  int32_t shadowMode;             // kept for the caller; nothing reads it
  d3d::D3DVECTOR lightDirection;  // object space, normalised
  d3d::D3DVECTOR lightPosition;   // object space
  int32_t directional;
  int32_t capVertexCount;   // 6 per lit face
  int32_t quadVertexCount;  // 4 per silhouette edge
};

extern std::vector<ShadowVolumeRecord> ShadowVolumeTable;
