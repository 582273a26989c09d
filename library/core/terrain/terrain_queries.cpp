#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "library/core/terrain/terrain.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/intersect.h"
#include "platform/d3dx/math.h"

using namespace d3d;
using namespace d3dx;

namespace {

constexpr int32_t kMaxPickLeaves = 8192;
constexpr float kProbeLength = 64000.0f;  // terrain units the leaf search ray reaches
constexpr float kBelowSurface = 100.0f;   // terrain units under the box a height ray starts
constexpr float kEdgeInset = 0.001f;      // terrain units inside the far edge a query clamps to
constexpr float kMinSegment = 0.0001f;    // terrain units; a shorter pick segment is no ray
constexpr float kFarthestPick = 9999.0f;  // world units; farther hits are ignored
constexpr int32_t kTerrainKind = 2;
constexpr int32_t kMaxAffineLevel = 2;

Land_TerrainQuadtree* PickLeaves[kMaxPickLeaves];

// The inverse of the world matrix, rebuilt first when dirty.
D3DXMATRIX InverseWorld(TerrainRecord& terrain) {
  UpdateWorldMatrix(terrain);
  D3DXMATRIX inverse;
  D3DXMatrixInverse(&inverse, nullptr, &terrain.world);
  return inverse;
}

D3DXVECTOR3 ToTerrain(TerrainRecord& terrain, const D3DXVECTOR3& point) {
  const D3DXMATRIX inverse = InverseWorld(terrain);
  D3DXVECTOR3 local;
  D3DXVec3TransformCoord(&local, &point, &inverse);
  return local;
}

float Wrap(float value, float extent) { return value - extent * std::floor(value / extent); }

// The chunk and cell under a terrain point inside the terrain.
struct Cell {
  int32_t chunk;
  int32_t column;
  int32_t row;
};

Cell CellAt(const TerrainRecord& terrain, float x, float z) {
  const int32_t chunkColumn =
      std::min(static_cast<int32_t>(std::floor(x / kChunkSideF)), terrain.chunkColumns - 1);
  const int32_t chunkRow =
      std::min(static_cast<int32_t>(std::floor(z / kChunkSideF)), terrain.chunkRows - 1);
  const TerrainChunk& chunk = terrain.chunks[chunkColumn + terrain.chunkColumns * chunkRow];
  const float fx = (x - static_cast<float>(chunkColumn) * kChunkSideF) / kChunkSideF;
  const float fz = (z - static_cast<float>(chunkRow) * kChunkSideF) / kChunkSideF;
  const int32_t column =
      std::clamp(static_cast<int32_t>(std::floor(static_cast<float>(chunk.columns - 1) * fx)), 0,
                 chunk.columns - 2);
  const int32_t row = std::clamp(
      static_cast<int32_t>(std::floor(static_cast<float>(chunk.rows - 1) * fz)), 0, chunk.rows - 2);
  return {chunkColumn + terrain.chunkColumns * chunkRow, column, row};
}

// A cell's two triangles in the picking order.
struct CellTriangles {
  D3DXVECTOR3 first[3];
  D3DXVECTOR3 second[3];
  const TVertex* firstCorner;
  const TVertex* secondCorner;
};

CellTriangles TrianglesOf(TerrainChunk& chunk, int32_t column, int32_t row) {
  const TVertex& v00 = GridVertex(chunk, row, column);
  const TVertex& v01 = GridVertex(chunk, row, column + 1);
  const TVertex& v10 = GridVertex(chunk, row + 1, column);
  const TVertex& v11 = GridVertex(chunk, row + 1, column + 1);
  if (IsAntiDiagonalCell(column, row, chunk.columns, chunk.rows)) {
    return {{Position(v10), Position(v01), Position(v00)},
            {Position(v01), Position(v10), Position(v11)},
            &v10,
            &v01};
  }
  return {{Position(v11), Position(v01), Position(v00)},
          {Position(v00), Position(v11), Position(v10)},
          &v11,
          &v00};
}

bool HitTriangle(const D3DXVECTOR3 (&triangle)[3], const D3DXVECTOR3& start,
                 const D3DXVECTOR3& direction, float* u, float* v, float* distance) {
  return D3DXIntersectTri(&triangle[0], &triangle[1], &triangle[2], &start, &direction, u, v,
                          distance);
}

// Face normals of every cell summed at its corners into sums (three floats a vertex).
void SumFaceNormals(int32_t columns, int32_t rows, const TVertex* vertices, float* sums) {
  for (int32_t i = 0; i + 1 < rows; ++i) {
    for (int32_t j = 0; j + 1 < columns; ++j) {
      const D3DXVECTOR3 corner = Position(vertices[i * columns + j]);
      const D3DXVECTOR3 alongZ = Position(vertices[(i + 1) * columns + j]) - corner;
      const D3DXVECTOR3 alongX = Position(vertices[i * columns + j + 1]) - corner;
      D3DXVECTOR3 face;
      D3DXVec3Cross(&face, &alongZ, &alongX);
      D3DXVec3Normalize(&face, &face);
      for (const int32_t k : {i * columns + j, i * columns + j + 1, (i + 1) * columns + j,
                              (i + 1) * columns + j + 1}) {
        sums[3 * k] += face.x;
        sums[3 * k + 1] += face.y;
        sums[3 * k + 2] += face.z;
      }
    }
  }
}

void SetNormal(TVertex& vertex, const float* sum) {
  D3DXVECTOR3 normal{{sum[0], sum[1], sum[2]}};
  D3DXVec3Normalize(&normal, &normal);
  vertex.nx = normal.x;
  vertex.ny = normal.y;
  vertex.nz = normal.z;
}

// The face sums of a chunk's grid, three floats a vertex.
std::vector<float> FaceSums(const TerrainChunk& chunk) {
  std::vector<float> sums(static_cast<size_t>(chunk.vertexCount) * 3, 0.0f);
  SumFaceNormals(chunk.columns, chunk.rows, chunk.vertices, sums.data());
  return sums;
}

// A seam vertex takes the faces of both chunks, from heights alone, so that recomputing is
// repeatable whatever the neighbour's normals were.
void MatchSeam(TerrainChunk& chunk, const std::vector<float>& sums, TerrainChunk& neighbour,
               bool alongColumns, int32_t ownLine, int32_t neighbourLine) {
  const std::vector<float> neighbourSums = FaceSums(neighbour);
  for (int32_t k = 0; k < chunk.columns; ++k) {
    const int32_t own = alongColumns ? k * chunk.columns + ownLine : ownLine * chunk.columns + k;
    const int32_t other = alongColumns ? k * neighbour.columns + neighbourLine
                                       : neighbourLine * neighbour.columns + k;
    const float sum[3] = {sums[size_t(3 * own)] + neighbourSums[size_t(3 * other)],
                          sums[size_t(3 * own + 1)] + neighbourSums[size_t(3 * other + 1)],
                          sums[size_t(3 * own + 2)] + neighbourSums[size_t(3 * other + 2)]};
    SetNormal(chunk.vertices[own], sum);
    SetNormal(neighbour.vertices[other], sum);
  }
}

// Matches the normals on the seams of chunk with its four neighbours.
void MatchChunkSeams(TerrainRecord& terrain, int32_t index, const std::vector<float>& sums) {
  const int32_t column = index % terrain.chunkColumns;
  const int32_t row = index / terrain.chunkColumns;
  TerrainChunk& chunk = terrain.chunks[index];
  const int32_t last = chunk.columns - 1;
  if (column > 0) MatchSeam(chunk, sums, terrain.chunks[index - 1], true, 0, last);
  if (column + 1 < terrain.chunkColumns) {
    MatchSeam(chunk, sums, terrain.chunks[index + 1], true, last, 0);
  }
  if (row > 0) MatchSeam(chunk, sums, terrain.chunks[index - terrain.chunkColumns], false, 0, last);
  if (row + 1 < terrain.chunkRows) {
    MatchSeam(chunk, sums, terrain.chunks[index + terrain.chunkColumns], false, last, 0);
  }
}

void WidenBox(TerrainChunk& chunk, float y) {
  chunk.boxMin.y = std::min(chunk.boxMin.y, y);
  chunk.boxMax.y = std::max(chunk.boxMax.y, y);
}

}  // namespace

int32_t Terrain_GetHeight(int32_t id, const D3DXVECTOR3* point, D3DXVECTOR3* out) {
  if (out != nullptr) *out = {};
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr || point == nullptr || out == nullptr) return 0;
  const D3DXVECTOR3 local = ToTerrain(*terrain, *point);
  const float width = static_cast<float>(terrain->chunkColumns) * kChunkSideF;
  const float depth = static_cast<float>(terrain->chunkRows) * kChunkSideF;
  float x = local.x;
  float z = local.z;
  if (terrain->paging != 0) {
    x = Wrap(x, width);
    z = Wrap(z, depth);
  }
  x = std::clamp(x, 0.0f, width - kEdgeInset);
  z = std::clamp(z, 0.0f, depth - kEdgeInset);
  const Cell cell = CellAt(*terrain, x, z);
  TerrainChunk& chunk = terrain->chunks[cell.chunk];
  const D3DXVECTOR3 start{{x, chunk.boxMin.y - kBelowSurface, z}};
  const D3DXVECTOR3 up{{0.0f, 1.0f, 0.0f}};
  const CellTriangles triangles = TrianglesOf(chunk, cell.column, cell.row);
  float u = 0;
  float v = 0;
  float distance = 0;
  if (!HitTriangle(triangles.first, start, up, &u, &v, &distance) &&
      !HitTriangle(triangles.second, start, up, &u, &v, &distance)) {
    return 0;
  }
  const D3DXVECTOR3 surface{{x, start.y + distance, z}};
  D3DXVec3TransformCoord(out, &surface, &terrain->world);
  return 1;
}

int32_t Terrain_GetNormal(int32_t id, const D3DXVECTOR3* point, D3DXVECTOR3* out) {
  if (out != nullptr) *out = {};
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr || point == nullptr || out == nullptr) return 0;
  const D3DXVECTOR3 local = ToTerrain(*terrain, *point);
  if (local.x < 0.0f || local.x > static_cast<float>(terrain->chunkColumns) * kChunkSideF ||
      local.z < 0.0f || local.z > static_cast<float>(terrain->chunkRows) * kChunkSideF) {
    return 0;
  }
  const Cell cell = CellAt(*terrain, local.x, local.z);
  TerrainChunk& chunk = terrain->chunks[cell.chunk];
  const D3DXVECTOR3 corner = Position(GridVertex(chunk, cell.row, cell.column));
  const D3DXVECTOR3 alongX = Position(GridVertex(chunk, cell.row, cell.column + 1)) - corner;
  const D3DXVECTOR3 alongZ = Position(GridVertex(chunk, cell.row + 1, cell.column)) - corner;
  D3DXVECTOR3 normal;
  D3DXVec3Cross(&normal, &alongX, &alongZ);
  D3DXVec3TransformNormal(out, &normal, &terrain->world);
  D3DXVec3Normalize(out, out);
  return 1;
}

int32_t Terrain_RecurseTreeForCollision(Land_TerrainQuadtree** leaves, int32_t* count,
                                        Land_TerrainQuadtree* node, const D3DXVECTOR3* rayStart,
                                        const D3DXVECTOR3* rayDirection) {
  if (leaves == nullptr || count == nullptr || rayStart == nullptr || rayDirection == nullptr) {
    return 0;
  }
  if (node == nullptr || node->outside != 0) return *count;
  if (node->leaf != 0) {
    leaves[std::min(*count, kMaxPickLeaves - 2)] = node;
    *count = std::min(*count + 1, kMaxPickLeaves - 1);
    return *count;
  }
  const D3DXVECTOR3 boxMin{{node->minX, node->minY, node->minZ}};
  const D3DXVECTOR3 boxMax{{node->maxX, node->maxY, node->maxZ}};
  if (D3DXBoxBoundProbe(&boxMin, &boxMax, rayStart, rayDirection)) {
    for (Land_TerrainQuadtree* child : node->children) {
      Terrain_RecurseTreeForCollision(leaves, count, child, rayStart, rayDirection);
    }
  }
  return *count;
}

int32_t Terrain_RayPicking(int32_t id, const D3DXVECTOR3* from, const D3DXVECTOR3* to,
                           TerrainPickResult* result, int32_t /*reserved*/) {
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (result == nullptr || from == nullptr || to == nullptr) return 0;
  if (terrain == nullptr) {
    result->hit = 0;
    return 0;
  }
  const D3DXVECTOR3 start = ToTerrain(*terrain, *from);
  D3DXVECTOR3 direction = ToTerrain(*terrain, *to) - start;
  const float length = D3DXVec3Length(&direction);
  if (length < kMinSegment) return 0;
  D3DXVec3Normalize(&direction, &direction);
  const D3DXVECTOR3 probe = direction * kProbeLength;
  int32_t leafCount = 0;
  Terrain_RecurseTreeForCollision(PickLeaves, &leafCount, terrain->root, &start, &probe);
  if (leafCount == 0) return 0;
  *result = TerrainPickResult{};
  float best = length;
  D3DXVECTOR3 normal{};
  for (int32_t l = 0; l < leafCount; ++l) {
    const Land_TerrainQuadtree& leaf = *PickLeaves[l];
    if (leaf.chunk < 0 || leaf.chunk >= terrain->chunkCount) continue;
    TerrainChunk& chunk = terrain->chunks[leaf.chunk];
    for (int32_t row = leaf.firstRow; row < leaf.lastRow; ++row) {
      for (int32_t column = leaf.firstColumn; column < leaf.lastColumn; ++column) {
        const CellTriangles triangles = TrianglesOf(chunk, column, row);
        for (int32_t t = 0; t < 2; ++t) {
          float u = 0;
          float v = 0;
          float distance = 0;
          if (!HitTriangle(t == 0 ? triangles.first : triangles.second, start, direction, &u, &v,
                           &distance) ||
              distance >= best) {
            continue;
          }
          best = distance;
          const TVertex& corner = *(t == 0 ? triangles.firstCorner : triangles.secondCorner);
          normal = {{corner.nx, corner.ny, corner.nz}};
          const D3DXVECTOR3 hit = start + direction * distance;
          std::memcpy(result->point, &hit, sizeof(result->point));
          result->u = u;
          result->v = v;
          result->chunk = leaf.chunk;
          result->hit = 1;
        }
      }
    }
  }
  if (result->hit == 0) return 0;
  D3DXVECTOR3 point{{result->point[0], result->point[1], result->point[2]}};
  D3DXVec3TransformCoord(&point, &point, &terrain->world);
  D3DXVec3TransformNormal(&normal, &normal, &terrain->world);
  D3DXVec3Normalize(&normal, &normal);
  std::memcpy(result->point, &point, sizeof(result->point));
  std::memcpy(result->normal, &normal, sizeof(result->normal));
  const D3DXVECTOR3 travelled = point - *from;
  result->distance = D3DXVec3Length(&travelled);
  result->terrain = id;
  result->kind = kTerrainKind;
  return 1;
}

int32_t Terrain_RayPickingAll(const D3DXVECTOR3* from, const D3DXVECTOR3* to,
                              TerrainPickResult* result, int32_t nearest) {
  if (result == nullptr) return 0;
  TerrainPickResult best{};
  best.distance = kFarthestPick;
  for (int32_t id = 0; id < TerrainCount; ++id) {
    if (FindGeneratedTerrain(id) == nullptr) continue;
    TerrainPickResult candidate{};
    if (Terrain_RayPicking(id, from, to, &candidate, 0) == 0) continue;
    if (nearest == 0) {
      *result = candidate;
      return 1;
    }
    if (candidate.distance < best.distance) best = candidate;
  }
  if (best.hit == 0) return 0;
  *result = best;
  return 1;
}

int32_t Terrain_SetAffineFilter(int32_t id, int32_t enable, int32_t type, const float* weights,
                                float weightSum) {
  constexpr int32_t kLevel1Weights = 9;
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr) return 0;
  if (enable == 0) terrain->weightSum = kNoWeightTable;
  if ((type == 1 || type == 2) && weights == nullptr) return 0;
  if (type == 1) {
    std::copy_n(weights, kLevel1Weights, terrain->weights);
    terrain->weightSum = weightSum;
    AddLog("SET AFFINE FILTER : 9 weights and Affine Level 1");
  } else if (type == 2) {
    std::copy_n(weights, kSmoothingWeights, terrain->weights);
    AddLog("SET AFFINE FILTER : 25 weights and Affine Level 2");
    terrain->weightSum = weightSum;
  }
  return 1;
}

int32_t Terrain_Affine(int32_t columns, int32_t rows, int32_t level, const float* heights,
                       TVertex* vertices) {
  // A negative level is an empty window: every height would read as 0.
  if (heights == nullptr || vertices == nullptr || level < 0) return 0;
  for (int32_t i = 0; i < rows; ++i) {
    for (int32_t j = 0; j < columns; ++j) {
      float sum = 0.0f;
      int32_t count = 0;
      for (int32_t di = -level; di <= level; ++di) {
        for (int32_t dj = -level; dj <= level; ++dj) {
          const int32_t row = i + di;
          const int32_t column = j + dj;
          if (row < 0 || row > rows - 2 || column < 0 || column > columns - 2) continue;
          sum += heights[row * columns + column];
          ++count;
        }
      }
      vertices[i * columns + j].y = count > 0 ? sum / static_cast<float>(count) : 0.0f;
    }
  }
  return 1;
}

int32_t Terrain_Affine2(int32_t id, int32_t columns, int32_t rows, int32_t level,
                        const float* heights, TVertex* vertices) {
  const TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr || heights == nullptr || vertices == nullptr) return 0;
  // The table holds a 5 x 5 window at most.
  level = std::clamp(level, 0, kMaxAffineLevel);
  const int32_t window = 2 * level + 1;
  for (int32_t i = 0; i < rows; ++i) {
    for (int32_t j = 0; j < columns; ++j) {
      float sum = 0.0f;
      for (int32_t di = -level; di <= level; ++di) {
        for (int32_t dj = -level; dj <= level; ++dj) {
          const int32_t row = std::clamp(i + di, 0, std::max(rows - 2, 0));
          const int32_t column = std::clamp(j + dj, 0, std::max(columns - 2, 0));
          sum += terrain->weights[(di + level) * window + dj + level] *
                 heights[row * columns + column];
        }
      }
      vertices[i * columns + j].y = sum / terrain->weightSum;
    }
  }
  return 1;
}

int32_t Terrain_ComputeNormals(int32_t columns, int32_t rows, TVertex* vertices, float* work) {
  if (vertices == nullptr || work == nullptr) return 0;
  SumFaceNormals(columns, rows, vertices, work);
  for (int32_t k = 0; k < columns * rows; ++k) SetNormal(vertices[k], &work[3 * k]);
  return 1;
}

int32_t Terrain_ReComputeNormals(int32_t id, int32_t chunk) {
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr || chunk < 0 || chunk >= terrain->chunkCount) return 0;
  TerrainChunk& found = terrain->chunks[chunk];
  // From the heights each time, so that repeated refreshes do not bend the normals further.
  const std::vector<float> sums = FaceSums(found);
  for (int32_t k = 0; k < found.vertexCount; ++k)
    SetNormal(found.vertices[k], &sums[size_t(3 * k)]);
  MatchChunkSeams(*terrain, chunk, sums);
  found.modified = 0;
  return 1;
}

int32_t Terrain_ChangePointAltitude(int32_t id, float x, float z, float altitude, int32_t relative,
                                    int32_t localCoordinates, int32_t refresh) {
  constexpr float kLowX = -0.0001f;   // terrain units
  constexpr float kLowZ = -0.00001f;  // terrain units
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr) return 0;
  if (localCoordinates == 0) {
    const D3DXVECTOR3 local = ToTerrain(*terrain, D3DXVECTOR3{{x, altitude, z}});
    x = local.x;
    altitude = local.y;
    z = local.z;
  }
  const float precision = static_cast<float>(terrain->precision);
  if (x > static_cast<float>(terrain->chunkColumns) * kChunkSideF + precision || x < kLowX ||
      z < kLowZ || z > static_cast<float>(terrain->chunkRows) * kChunkSideF + precision) {
    return 0;
  }
  x += precision / 2;
  z += precision / 2;
  const int32_t chunkColumn = static_cast<int32_t>(std::floor(x / kChunkSideF));
  const int32_t chunkRow = static_cast<int32_t>(std::floor(z / kChunkSideF));
  const int32_t column = static_cast<int32_t>(std::floor(std::fmod(x, kChunkSideF) / precision));
  const int32_t row = static_cast<int32_t>(std::floor(std::fmod(z, kChunkSideF) / precision));
  const auto edit = [&](int32_t atColumn, int32_t atRow, int32_t gridColumn, int32_t gridRow) {
    if (atColumn < 0 || atRow < 0 || atColumn >= terrain->chunkColumns ||
        atRow >= terrain->chunkRows) {
      return;
    }
    const int32_t index = atRow * terrain->chunkColumns + atColumn;
    TerrainChunk& chunk = terrain->chunks[index];
    if (gridColumn >= chunk.columns || gridRow >= chunk.rows) return;
    TVertex& vertex = GridVertex(chunk, gridRow, gridColumn);
    chunk.modified = 1;
    vertex.y = relative != 0 ? vertex.y + altitude : altitude;
    Terrain_UpdateQuadtreeForPoint(id, x, z, vertex.y);
    WidenBox(chunk, vertex.y);
    if (refresh != 0) Terrain_RefreshTerrain(id, index);
  };
  edit(chunkColumn, chunkRow, column, row);
  const int32_t last = GridSide(terrain->precision) - 1;
  if (column == 0) edit(chunkColumn - 1, chunkRow, last, row);
  if (row == 0) edit(chunkColumn, chunkRow - 1, column, last);
  if (column == 0 && row == 0) edit(chunkColumn - 1, chunkRow - 1, last, last);
  return 1;
}

int32_t Terrain_RefreshTerrain(int32_t id, int32_t chunk) {
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr) return 0;
  // A recomputed chunk also changes its neighbours' seam normals, so they are copied as well.
  std::vector<bool> copy(static_cast<size_t>(terrain->chunkCount), false);
  for (int32_t index = 0; index < terrain->chunkCount; ++index) {
    if (chunk == -1 || chunk == index) copy[size_t(index)] = true;
    if (terrain->chunks[index].modified == 0) continue;
    Terrain_ReComputeNormals(id, index);
    const int32_t column = index % terrain->chunkColumns;
    copy[size_t(index)] = true;
    if (column > 0) copy[size_t(index - 1)] = true;
    if (column + 1 < terrain->chunkColumns) copy[size_t(index + 1)] = true;
    if (index >= terrain->chunkColumns) copy[size_t(index - terrain->chunkColumns)] = true;
    if (index + terrain->chunkColumns < terrain->chunkCount) {
      copy[size_t(index + terrain->chunkColumns)] = true;
    }
  }
  for (int32_t index = 0; index < terrain->chunkCount; ++index) {
    if (copy[size_t(index)]) CopyChunkToBuffer(*terrain, index);
  }
  return 1;
}
