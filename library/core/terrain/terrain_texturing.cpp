#include <algorithm>

#include "library/core/terrain/terrain.h"
#include "library/core/vortanautil.h"

namespace {

// Applies set to chunk (-1: every chunk) of a terrain with data; false when there is none.
template <class Set>
bool ForChunks(int32_t id, int32_t chunk, Set set) {
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr) return false;
  for (int32_t index = 0; index < terrain->chunkCount; ++index) {
    if (chunk == -1 || chunk == index) set(terrain->chunks[index]);
  }
  return true;
}

}  // namespace

int32_t Terrain_SetTexture(int32_t id, int32_t texture, int32_t chunk) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr) return 0;
  if (terrain->expandedTexture != 0) AddLog("LAND MANAGER : Switching to Non Expanded texture");
  terrain->expandedTexture = 0;
  ForChunks(id, chunk, [&](TerrainChunk& c) { c.texture = std::max(texture, 0); });
  return 0;
}

int32_t Terrain_SetDetailTexture(int32_t id, int32_t texture, int32_t chunk) {
  return ForChunks(id, chunk, [&](TerrainChunk& c) { c.detailTexture = texture; }) ? 1 : 0;
}

int32_t Terrain_SetMaterial(int32_t id, int32_t material, int32_t chunk) {
  ForChunks(id, chunk, [&](TerrainChunk& c) { c.material = material; });
  return 0;
}

int32_t Terrain_SetDetailMapMode(int32_t id, int32_t mode) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr) return 0;
  terrain->detailMapMode = mode;
  return 1;
}

int32_t Terrain_SetLightmap(int32_t id, int32_t texture) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr) return 0;
  if (terrain->chunkCount >= 1) terrain->chunks[0].lightmap = texture;
  return 1;
}

int32_t Terrain_SetLightmapAlpha(int32_t id, int32_t value) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr) return 0;
  terrain->lightmapBlend = static_cast<float>(value);
  return 1;
}

int32_t Terrain_SetBumpmapping(int32_t id, int32_t enable, int32_t bumpTexture, int32_t lightId) {
  if (FindTerrain(id) == nullptr) return 0;
  ForChunks(id, -1, [&](TerrainChunk& c) {
    c.bumpMapping = enable != 0 ? 1 : 0;
    if (enable != 0) {
      c.bumpTexture = bumpTexture;
      c.bumpLight = lightId - 1;  // light identifiers count from 1
    }
  });
  return 1;
}

namespace {

// Sets one coordinate pair of every vertex of chunk to scale x its grid fraction plus offset.
void SetCoordinates(TerrainChunk& chunk, bool detail, float su, float sv, float ou, float ov) {
  const float lastColumn = static_cast<float>(chunk.columns - 1);
  const float lastRow = static_cast<float>(chunk.rows - 1);
  for (int32_t i = 0; i < chunk.rows; ++i) {
    for (int32_t j = 0; j < chunk.columns; ++j) {
      TVertex& vertex = GridVertex(chunk, i, j);
      const float u = su * static_cast<float>(j) / lastColumn + ou;
      const float v = sv * static_cast<float>(i) / lastRow + ov;
      (detail ? vertex.detailU : vertex.colorU) = u;
      (detail ? vertex.detailV : vertex.colorV) = v;
    }
  }
}

}  // namespace

int32_t Terrain_SetTextureScale(int32_t id, float su, float sv, int32_t chunk) {
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr) return 0;
  for (int32_t index = 0; index < terrain->chunkCount; ++index) {
    if (chunk != -1 && chunk != index) continue;
    SetCoordinates(terrain->chunks[index], false, su, sv, 0.0f, 0.0f);
    Terrain_RefreshTerrain(id, index);
  }
  return 1;
}

int32_t Terrain_SetDetailScale(int32_t id, float su, float sv, int32_t chunk) {
  if (!ForChunks(id, chunk, [&](TerrainChunk& c) { SetCoordinates(c, true, su, sv, 0, 0); })) {
    return 0;
  }
  return Terrain_RefreshTerrain(id, -1);
}

int32_t Terrain_ExpandTexture(int32_t id, int32_t texture, int32_t firstColumn, int32_t firstRow,
                              int32_t columns, int32_t rows, int32_t alsoDetail) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr) return 0;
  if (terrain->expandedTexture == 0) AddLog("LAND MANAGER : Switching to Expanded texture");
  terrain->expandedTexture = 1;
  if (terrain->chunkCount < 1) return 0;
  // An empty rectangle, or one that starts outside the terrain, covers nothing.
  if (columns <= 0 || rows <= 0 || firstColumn < 0 || firstRow < 0) return 0;
  const float su = 1.0f / static_cast<float>(columns);
  const float sv = 1.0f / static_cast<float>(rows);
  const int32_t lastColumn = std::min(firstColumn + columns, terrain->chunkColumns);
  const int32_t lastRow = std::min(firstRow + rows, terrain->chunkRows);
  for (int32_t r = firstRow; r < lastRow; ++r) {
    for (int32_t c = firstColumn; c < lastColumn; ++c) {
      TerrainChunk& chunk = terrain->chunks[r * terrain->chunkColumns + c];
      chunk.texture = texture;
      const float ou = static_cast<float>(c - firstColumn) * su;
      const float ov = static_cast<float>(r - firstRow) * sv;
      SetCoordinates(chunk, false, su, sv, ou, ov);
      if (alsoDetail != 0) SetCoordinates(chunk, true, su, sv, ou, ov);
    }
  }
  return Terrain_RefreshTerrain(id, -1);
}
