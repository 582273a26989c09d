// The terrain table and its records, shared by the terrain family's files.
#pragma once

#include <cstdint>
#include <vector>

#include "library/core/vortanautil.h"
#include "platform/d3dx/math.h"

inline constexpr int32_t kChunkSide = 256;           // terrain units a chunk spans
inline constexpr float kChunkSideF = 256.0f;         // the same as a float
inline constexpr int32_t kMaxGroupVertices = 65000;  // vertices a shared vertex buffer holds
inline constexpr d3d::DWORD kTerrainFvf = 0x212;     // position, normal, two coordinate sets
inline constexpr int32_t kMinPrecision = 2;          // terrain units between vertices
inline constexpr int32_t kMaxPrecision = 256;        // terrain units between vertices
inline constexpr int32_t kSmoothingWeights = 25;     // a 5 x 5 window
inline constexpr float kNoWeightTable = -1.0f;       // weight sum while the plain mean smooths

struct TerrainChunk {
  int32_t vertexCount;
  TVertex* vertices;
  float* normalWork;  // three floats a vertex
  int32_t originX, originZ;
  int32_t columns, rows;
  d3dx::D3DXVECTOR3 boxMin, boxMax;
  d3dx::D3DXVECTOR3 sphereCenter;
  float sphereRadius;
  int32_t group;
  int32_t firstVertex;
  int32_t visible;
  int32_t material;
  int32_t texture;
  int32_t detailTexture;
  int32_t bumpMapping;
  int32_t bumpTexture;
  int32_t bumpLight;
  int32_t lightmap;
  int32_t modified;
  int32_t enabled;
  Land_TerrainQuadtree* leaf;
};

struct ChunkVertexBuffer {
  d3d::IDirect3DVertexBuffer8* buffer;
  int32_t firstChunk;
  int32_t lastChunk;
  int32_t vertexCount;
};

// A 0x142 vertex of the water quad: position, diffuse colour, one coordinate pair.
struct WaterVertex {
  float x, y, z;
  d3d::DWORD colour;
  float u, v;
};

struct TerrainWater {
  int32_t enabled;
  int32_t blend;
  float colour[4];  // r, g, b, a in 0..1
  float textureScale[2];
  float phase;     // radians
  float altitude;  // terrain units
  int32_t sourceBlend;
  int32_t destinationBlend;
  float direction;  // radians
  int32_t animate;
  WaterVertex quad[4];
  float border;  // terrain units
  int32_t texture;
  float speed;
  int32_t bumpMapping;
  int32_t bumpTexture;
  float bumpMatrix[4];  // 00, 01, 10, 11
  float secondStrength;
  float firstStrength;
  int32_t reflectionTexture;
};

struct TerrainRecord {
  float flipSign;
  int32_t id;
  int32_t chunkColumns, chunkRows;
  int32_t chunkCount;  // -1: no data
  int32_t groupCount;
  int32_t detailMapMode;
  float lightmapBlend;
  int32_t matrixDirty;
  TerrainChunk* chunks;
  Land_TerrainQuadtree* root;
  ChunkVertexBuffer* groups;
  float weights[kSmoothingWeights];
  float weightSum;
  d3dx::D3DXMATRIX world;
  float rotation[3];  // radians
  float scale[3];
  float position[3];
  d3d::IDirect3DIndexBuffer8* indexBuffer;
  int32_t indexCount;
  int32_t expandedTexture;
  int32_t paging;
  int32_t pagingRange;  // chunks
  int32_t precision;    // terrain units between vertices
  float heightFactor;
  d3d::D3DVIEWPORT8 dynViewport;  // the dynamic textures' size
  TerrainWater water;
};

extern TerrainRecord* TerrainTable;
extern int32_t TerrainCount;

// The record of id, or null (logged by the caller's words) when id is outside the table.
TerrainRecord* FindTerrain(int32_t id);
// The record of id when it holds data, else null.
TerrainRecord* FindGeneratedTerrain(int32_t id);
// Rebuilds the world matrix from scale, rotation and position while the dirty flag is set.
void UpdateWorldMatrix(TerrainRecord& terrain);
// The vertices a chunk side holds at precision.
inline int32_t GridSide(int32_t precision) { return kChunkSide / precision + 1; }
// The vertex at grid row, column.
inline TVertex& GridVertex(TerrainChunk& chunk, int32_t row, int32_t column) {
  return chunk.vertices[row * chunk.columns + column];
}
// The positions of a vertex as a vector.
inline d3dx::D3DXVECTOR3 Position(const TVertex& v) { return {{v.x, v.y, v.z}}; }
// Whether a cell's diagonal runs from (row, column + 1) to (row + 1, column), as the strip splits
// it.
bool IsAntiDiagonalCell(int32_t column, int32_t row, int32_t columns, int32_t rows);
// The shared strip for an L x L grid: an inward spiral that covers every cell.
void BuildSpiralStrip(int32_t side, std::vector<uint16_t>& indices);
// Copies a chunk's grid into its vertex buffer and sets its sphere from its box.
void CopyChunkToBuffer(TerrainRecord& terrain, int32_t chunk);
// The texture object of a texture-table identifier, or null.
d3d::IDirect3DTexture8* TextureOf(int32_t identifier);
