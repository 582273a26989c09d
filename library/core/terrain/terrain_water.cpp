#include <bit>
#include <cmath>

#include "library/core/frame/frame_state.h"
#include "library/core/frame/scene_time.h"
#include "library/core/render/bump_maps.h"
#include "library/core/render/texture_factory.h"
#include "library/core/terrain/terrain.h"
#include "library/core/vortanautil.h"

using namespace d3d;
using namespace d3dx;

namespace {

constexpr DWORD kWaterFvf = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr float kKeepAlpha = -1.0f;
constexpr float kSwayAmplitude = 0.01f;  // texture units at a scale of 1
constexpr float kMillisecond = 0.001f;   // seconds

DWORD PackColour(const float (&colour)[4]) {
  const auto channel = [](float value) { return static_cast<DWORD>(value * 255.0f); };
  return (channel(colour[3]) << 24) | (channel(colour[0]) << 16) | (channel(colour[1]) << 8) |
         channel(colour[2]);
}

// The two-coordinate texture transform: scale on the diagonal, offset in the third row.
D3DXMATRIX TextureMatrix(float su, float sv, float ou, float ov) {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  m(0, 0) = su;
  m(1, 1) = sv;
  m(2, 0) = ou;
  m(2, 1) = ov;
  return m;
}

void DrawQuad(const TerrainWater& water) {
  CurrentDevice->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, water.quad, sizeof(WaterVertex));
  CountPolygons(2);
}

void DrawBumpLayer(const TerrainWater& water, float strength, float flip) {
  if (!(strength > 0.0f)) return;
  const D3DXMATRIX projection = TextureMatrix(0.5f, 0.5f * flip, 0.5f, 0.5f * flip);
  CurrentDevice->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + 1), &projection);
  CurrentDevice->SetRenderState(D3DRS_TEXTUREFACTOR,
                                (static_cast<DWORD>(strength * 255.0f) << 24) | 0xFFFFFFu);
  DrawQuad(water);
}

void RenderBumpedWater(const TerrainRecord& terrain) {
  IDirect3DDevice8* device = CurrentDevice;
  const TerrainWater& water = terrain.water;
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
  device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_BUMPENVMAP);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_CURRENT);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
  for (int k = 0; k < 4; ++k) {
    device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(D3DTSS_BUMPENVMAT00 + k),
                                 std::bit_cast<DWORD>(water.bumpMatrix[k]));
  }
  device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEPOSITION);
  device->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(1, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTransform(D3DTS_WORLD, &terrain.world);
  device->SetVertexShader(kWaterFvf);
  device->SetTexture(0, TextureOf(water.bumpTexture));
  device->SetTexture(1, TextureOf(water.reflectionTexture));
  DrawBumpLayer(water, water.firstStrength, 1.0f);
  DrawBumpLayer(water, water.secondStrength, -1.0f);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  device->SetTextureStageState(1, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
  device->SetTexture(0, nullptr);
  device->SetTexture(1, nullptr);
}

}  // namespace

int32_t Terrain_ComputeWater(int32_t id) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr) return 0;
  TerrainWater& water = terrain->water;
  // The extent in terrain units, which the quad is drawn in: a scale of 0 cannot spoil it.
  const float width = static_cast<float>(terrain->chunkColumns) * kChunkSideF;
  const float depth = static_cast<float>(terrain->chunkRows) * kChunkSideF;
  const float b = water.border;
  const float y = water.altitude;
  const DWORD colour = PackColour(water.colour);
  water.quad[0] = {-b, y, -b, colour, 0, 0};
  water.quad[1] = {width + b, y, -b, colour, 1, 0};
  water.quad[2] = {-b, y, depth + b, colour, 0, 1};
  water.quad[3] = {width + b, y, depth + b, colour, 1, 1};
  return 1;
}

int32_t Terrain_SetWaterEnable(int32_t id, int32_t enable) {
  if (FindTerrain(id) == nullptr) return 0;
  TerrainTable[id].water.enabled = enable;
  return Terrain_ComputeWater(id);
}

int32_t Terrain_SetWaterAltitude(int32_t id, float altitude) {
  if (FindTerrain(id) == nullptr) return 0;
  TerrainTable[id].water.altitude = altitude;
  return Terrain_ComputeWater(id);
}

int32_t Terrain_SetWaterColor(int32_t id, float r, float g, float b, float a) {
  if (FindTerrain(id) == nullptr) return 0;
  float* colour = TerrainTable[id].water.colour;
  colour[0] = r;
  colour[1] = g;
  colour[2] = b;
  if (a != kKeepAlpha) colour[3] = a;
  return Terrain_ComputeWater(id);
}

int32_t Terrain_SetWaterTextureScale(int32_t id, float u, float v) {
  if (FindTerrain(id) == nullptr) return 0;
  TerrainTable[id].water.textureScale[0] = u;
  TerrainTable[id].water.textureScale[1] = v;
  return 1;
}

int32_t Terrain_SetWaterTexture(int32_t id, int32_t texture) {
  if (FindTerrain(id) == nullptr) return 0;
  TerrainTable[id].water.texture = texture;
  return 1;
}

int32_t Terrain_SetWaterEffect(int32_t id, int32_t blend, float alpha, int32_t animate,
                               int32_t sourceBlend, int32_t destinationBlend, int32_t /*reserved*/,
                               float border) {
  if (FindTerrain(id) == nullptr) return 0;
  TerrainWater& water = TerrainTable[id].water;
  water.blend = blend;
  water.colour[3] = alpha;
  water.animate = animate;
  water.sourceBlend = sourceBlend;
  water.destinationBlend = destinationBlend;
  water.border = border;
  return Terrain_ComputeWater(id);
}

int32_t Terrain_SetWaterAnimation(int32_t id, float a, float b, float speed) {
  if (FindTerrain(id) == nullptr) return 0;
  TerrainTable[id].water.direction = std::atan2(a, b);
  TerrainTable[id].water.speed = speed;
  return 1;
}

int32_t Terrain_SetWaterBumpmapping(int32_t id, int32_t enable, int32_t bumpTexture,
                                    int32_t reflectionTexture, float firstStrength,
                                    float secondStrength, float m00, float m01, float m10,
                                    float m11) {
  if (FindTerrain(id) == nullptr) return 0;
  TerrainWater& water = TerrainTable[id].water;
  water.bumpMapping = enable;
  water.bumpTexture = bumpTexture != 0 ? bumpTexture : DefaultBumpTexture;
  water.reflectionTexture = reflectionTexture;
  water.firstStrength = firstStrength;
  water.secondStrength = secondStrength;
  water.bumpMatrix[0] = m00;
  water.bumpMatrix[1] = m01;
  water.bumpMatrix[2] = m10;
  water.bumpMatrix[3] = m11;
  return 1;
}

int32_t Terrain_RenderWater(int32_t id) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr || terrain->water.enabled == 0 || CurrentDevice == nullptr) return 0;
  UpdateWorldMatrix(*terrain);
  if (terrain->water.bumpMapping != 0) {
    RenderBumpedWater(*terrain);
    return 1;
  }
  IDirect3DDevice8* device = CurrentDevice;
  TerrainWater& water = terrain->water;
  float offsetU = 0.0f;
  float offsetV = 0.0f;
  if (water.animate != 0) {
    // A frame time that is not a number would stop the sway for good.
    if (std::isfinite(ElapsedTime)) water.phase += ElapsedTime * water.speed * kMillisecond;
    offsetU =
        std::cos(water.direction) * water.textureScale[0] * std::cos(water.phase) * kSwayAmplitude;
    offsetV =
        std::sin(water.direction) * water.textureScale[1] * std::cos(water.phase) * kSwayAmplitude;
  }
  const D3DXMATRIX texture =
      TextureMatrix(water.textureScale[0], water.textureScale[1], offsetU, offsetV);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, static_cast<DWORD>(water.blend));
  device->SetRenderState(D3DRS_ALPHATESTENABLE, 0);
  device->SetRenderState(D3DRS_SRCBLEND, static_cast<DWORD>(water.sourceBlend));
  device->SetRenderState(D3DRS_DESTBLEND, static_cast<DWORD>(water.destinationBlend));
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetTransform(D3DTS_TEXTURE0, &texture);
  device->SetTransform(D3DTS_WORLD, &terrain->world);
  device->SetVertexShader(kWaterFvf);
  TextureFactory_ApplyTexture(0, water.texture);
  DrawQuad(water);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  return 1;
}
