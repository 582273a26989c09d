#include <algorithm>
#include <cmath>
#include <vector>

#include "library/core/frame/frame_state.h"
#include "library/core/geometry/frustum.h"
#include "library/core/render/bump_maps.h"
#include "library/core/render/light_factory.h"
#include "library/core/render/material_factory.h"
#include "library/core/render/texture_factory.h"
#include "library/core/render/viewport.h"
#include "library/core/terrain/terrain.h"
#include "library/core/vortanautil.h"

using namespace d3d;
using namespace d3dx;

namespace {

constexpr DWORD kLightmapStagesNeeded = 3;  // colour, detail and lightmap in one pass
// Chunks about the camera: (2 x 31 + 1)^2 copies fill the 4096 entries a frame's visible list
// was made for; a larger range would only stall the frame on copies never seen.
constexpr int32_t kMaxPagingRange = 31;

// One chunk copy to draw: the chunk and, with paging, the world offsets of its tile.
struct VisibleChunk {
  int32_t chunk;
  float offsetX;
  float offsetZ;
};

// Grows with the terrain and the paging range, so no count overflows it.
std::vector<VisibleChunk> VisibleList;

int32_t FloorDiv(int32_t value, int32_t divisor) {
  return static_cast<int32_t>(std::floor(static_cast<float>(value) / static_cast<float>(divisor)));
}

void CullChunks(TerrainRecord& terrain) {
  const float scale = std::max({terrain.scale[0], terrain.scale[1], terrain.scale[2]});
  for (int32_t index = 0; index < terrain.chunkCount; ++index) {
    TerrainChunk& chunk = terrain.chunks[index];
    chunk.visible = chunk.enabled != 0 &&
                    Frustum_IsSphereVisible(&chunk.sphereCenter, scale * chunk.sphereRadius,
                                            &terrain.world) != 0;
    if (chunk.visible != 0) VisibleList.push_back({index, 0.0f, 0.0f});
  }
}

// The chunks within the paging range of the camera, each at the offset of the tile it repeats in.
void CullPagedChunks(TerrainRecord& terrain) {
  D3DXMATRIX worldToTerrain;
  D3DXMatrixInverse(&worldToTerrain, nullptr, &terrain.world);
  const D3DXVECTOR3 cameraWorld = Viewport_CameraPosition();
  D3DXVECTOR3 camera;
  D3DXVec3TransformCoord(&camera, &cameraWorld, &worldToTerrain);
  const int32_t cx = static_cast<int32_t>(std::floor(camera.x / kChunkSideF));
  const int32_t cz = static_cast<int32_t>(std::floor(camera.z / kChunkSideF));
  const float tileWidth = static_cast<float>(terrain.chunkColumns) * terrain.scale[0] * kChunkSideF;
  const float tileDepth = static_cast<float>(terrain.chunkRows) * terrain.scale[2] * kChunkSideF;
  const int32_t range = terrain.pagingRange;
  for (int32_t j = -range; j <= range; ++j) {
    for (int32_t i = -range; i <= range; ++i) {
      const int32_t tileX = FloorDiv(cx + i, terrain.chunkColumns);
      const int32_t tileZ = FloorDiv(cz + j, terrain.chunkRows);
      const int32_t column = cx + i - terrain.chunkColumns * tileX;
      const int32_t row = cz + j - terrain.chunkRows * tileZ;
      const int32_t index = row * terrain.chunkColumns + column;
      const TerrainChunk& chunk = terrain.chunks[index];
      if (chunk.enabled == 0) continue;
      D3DXMATRIX tile = terrain.world;
      tile(3, 0) = static_cast<float>(tileX) * tileWidth + terrain.position[0];
      tile(3, 2) = static_cast<float>(tileZ) * tileDepth + terrain.position[2];
      if (Frustum_IsSphereVisible(&chunk.sphereCenter, chunk.sphereRadius, &tile) != 0) {
        VisibleList.push_back({index, tile(3, 0), tile(3, 2)});
      }
    }
  }
}

void SetStageStates(const TerrainRecord& terrain, bool expanded) {
  IDirect3DDevice8* device = CurrentDevice;
  const TerrainChunk& first = terrain.chunks[0];
  const DWORD colourAddress = expanded ? D3DTADDRESS_CLAMP : D3DTADDRESS_WRAP;
  device->SetTextureStageState(1, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
  device->SetTextureStageState(1, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  if (first.detailTexture != 0) {
    device->SetTextureStageState(1, D3DTSS_COLOROP, static_cast<DWORD>(terrain.detailMapMode));
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  }
  if (first.bumpMapping == 0) {
    device->SetTextureStageState(0, D3DTSS_ADDRESSU, colourAddress);
    device->SetTextureStageState(0, D3DTSS_ADDRESSV, colourAddress);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
    return;
  }
  device->SetTextureStageState(1, D3DTSS_ADDRESSU, colourAddress);
  device->SetTextureStageState(1, D3DTSS_ADDRESSV, colourAddress);
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 0);
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_ADDSIGNED);
  device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
  D3DVECTOR direction{0.0f, -1.0f, 0.0f};
  if (first.bumpLight >= 0 && first.bumpLight < LightCount) {
    direction = LightTable[first.bumpLight].light.Direction;
  }
  D3DXVECTOR3 unit{{direction.x, direction.y, direction.z}};
  D3DXVec3Normalize(&unit, &unit);
  device->SetRenderState(D3DRS_TEXTUREFACTOR, PackNormalColor(unit.x, unit.y, unit.z, 1.0f));
  device->SetTexture(0, TextureOf(first.bumpTexture));
}

void SetLightmapStage(DWORD stage, IDirect3DTexture8* lightmap) {
  IDirect3DDevice8* device = CurrentDevice;
  device->SetTextureStageState(stage, D3DTSS_MINFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(stage, D3DTSS_MAGFILTER, D3DTEXF_LINEAR);
  device->SetTextureStageState(stage, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(stage, D3DTSS_COLORARG1, D3DTA_CURRENT);
  device->SetTextureStageState(stage, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  device->SetTextureStageState(stage, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(stage, D3DTSS_ALPHAARG1, D3DTA_CURRENT);
  device->SetTextureStageState(stage, D3DTSS_ALPHAARG2, D3DTA_TEXTURE);
  device->SetTextureStageState(stage, D3DTSS_TEXCOORDINDEX, 0);
  device->SetTexture(stage, lightmap);
}

// Draws every visible chunk; textures bound per chunk when bindTextures is set. Returns the
// primitives drawn.
int32_t DrawVisible(const TerrainRecord& terrain, bool bindTextures) {
  IDirect3DDevice8* device = CurrentDevice;
  const bool bump = terrain.chunks[0].bumpMapping != 0;
  const UINT primitives = static_cast<UINT>(terrain.indexCount - 2);
  int32_t drawn = 0;
  int32_t lastGroup = -1;
  float lastX = 0.0f;
  float lastZ = 0.0f;
  for (const VisibleChunk& entry : VisibleList) {
    const TerrainChunk& chunk = terrain.chunks[entry.chunk];
    if (terrain.paging != 0 && (entry.offsetX != lastX || entry.offsetZ != lastZ || drawn == 0)) {
      D3DXMATRIX tile = terrain.world;
      tile(3, 0) = entry.offsetX;
      tile(3, 2) = entry.offsetZ;
      device->SetTransform(D3DTS_WORLD, &tile);
      lastX = entry.offsetX;
      lastZ = entry.offsetZ;
    }
    if (chunk.group != lastGroup) {
      device->SetStreamSource(0, terrain.groups[chunk.group].buffer, sizeof(TVertex));
      lastGroup = chunk.group;
    }
    device->SetIndices(terrain.indexBuffer, static_cast<UINT>(chunk.firstVertex));
    if (bindTextures) {
      const MaterialRecord* material = chunk.material >= 0 && chunk.material < MaterialCount
                                           ? &MaterialTable[chunk.material]
                                           : nullptr;
      if (material != nullptr) device->SetMaterial(&material->material);
      device->SetTexture(bump ? 1 : 0, TextureOf(chunk.texture));
      // Without a detail map, stage 1 keeps the lightmap it may hold.
      if (!bump && terrain.chunks[0].detailTexture != 0) {
        device->SetTexture(1, TextureOf(chunk.detailTexture));
      }
    }
    device->DrawIndexedPrimitive(D3DPT_TRIANGLESTRIP, 0, static_cast<UINT>(chunk.vertexCount), 0,
                                 primitives);
    drawn += static_cast<int32_t>(primitives);
  }
  return drawn;
}

}  // namespace

IDirect3DTexture8* TextureOf(int32_t identifier) {
  const TextureRecord* record = TextureFactory_Record(identifier);
  return record != nullptr ? record->texture : nullptr;
}

int32_t Terrain_Render(int32_t id) {
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr || CurrentDevice == nullptr) return 0;
  // Fewer than three indices would draw a negative count of primitives.
  if (terrain->indexCount < 3) return 1;
  IDirect3DDevice8* device = CurrentDevice;
  UpdateWorldMatrix(*terrain);
  VisibleList.clear();
  if (terrain->paging != 0) {
    CullPagedChunks(*terrain);
  } else {
    CullChunks(*terrain);
  }
  device->SetRenderState(D3DRS_LIGHTING, 1);
  device->SetRenderState(D3DRS_CULLMODE, terrain->flipSign == 1.0f ? D3DCULL_CCW : D3DCULL_CW);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_ZWRITEENABLE, 1);
  device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESS);
  device->SetRenderState(D3DRS_NORMALIZENORMALS, 1);
  device->SetVertexShader(kTerrainFvf);
  device->SetTransform(D3DTS_WORLD, &terrain->world);
  SetStageStates(*terrain, terrain->expandedTexture != 0);

  const TerrainChunk& first = terrain->chunks[0];
  IDirect3DTexture8* lightmap = first.lightmap != 0 ? TextureOf(first.lightmap) : nullptr;
  const bool detail = first.detailTexture != 0 && first.bumpMapping == 0;
  bool lightmapOnStage2 = false;
  bool secondPass = false;
  if (lightmap != nullptr && first.bumpMapping == 0) {
    if (!detail) {
      SetLightmapStage(1, lightmap);
    } else if (DeviceCaps.MaxSimultaneousTextures >= kLightmapStagesNeeded) {
      SetLightmapStage(2, lightmap);
      lightmapOnStage2 = true;
    } else {
      secondPass = true;
    }
  }
  int32_t drawn = DrawVisible(*terrain, true);

  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
  for (const DWORD stage : {0u, 1u}) {
    device->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
    device->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
  }

  if (secondPass) {
    device->SetRenderState(D3DRS_LIGHTING, 0);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ZERO);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_SRCCOLOR);
    device->SetTexture(0, lightmap);
    device->SetTexture(1, nullptr);
    drawn += DrawVisible(*terrain, false);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  }
  device->SetTexture(0, nullptr);
  device->SetTexture(1, nullptr);
  if (lightmapOnStage2) {
    device->SetTexture(2, nullptr);
    device->SetTextureStageState(2, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(2, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  }
  CountPolygons(drawn);
  return 1;
}

int32_t Terrain_SetPagingSystem(int32_t id, int32_t enable, int32_t range) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr) return 0;
  terrain->paging = enable;
  if (range > kMaxPagingRange) {
    AddLog("LANDSCAPE : Terrain_SetPagingSystem : a range of %d chunks can't be drawn, %d is used",
           range, kMaxPagingRange);
  }
  terrain->pagingRange = std::clamp(range, 0, kMaxPagingRange);
  if (enable == 0 || terrain->chunkCount < 1) return 1;
  // The far edges meet the near ones when the terrain repeats: they take their mean heights.
  const int32_t last = GridSide(terrain->precision) - 1;
  const int32_t lastRow = terrain->chunkRows - 1;
  const int32_t lastColumn = terrain->chunkColumns - 1;
  const auto average = [](TVertex& a, TVertex& b) { a.y = b.y = (a.y + b.y) * 0.5f; };
  for (int32_t column = 0; column <= lastColumn; ++column) {
    const int32_t top = column;
    const int32_t bottom = lastRow * terrain->chunkColumns + column;
    for (int32_t k = 0; k <= last; ++k) {
      average(GridVertex(terrain->chunks[bottom], last, k), GridVertex(terrain->chunks[top], 0, k));
    }
    Terrain_RefreshTerrain(id, bottom);
    Terrain_RefreshTerrain(id, top);
  }
  for (int32_t row = 0; row <= lastRow; ++row) {
    const int32_t left = row * terrain->chunkColumns;
    const int32_t right = left + lastColumn;
    for (int32_t k = 0; k <= last; ++k) {
      average(GridVertex(terrain->chunks[right], k, last), GridVertex(terrain->chunks[left], k, 0));
    }
    Terrain_RefreshTerrain(id, right);
    Terrain_RefreshTerrain(id, left);
  }
  return 1;
}
