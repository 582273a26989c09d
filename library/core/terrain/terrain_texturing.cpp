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
