// Dynamic terrain textures: render surfaces, one a chunk or one stretched over the terrain, into
// which the caller paints textures at world positions, loaded from and saved to bitmap files. Their
// pictures are kept in system memory across a device reset by the texture table.
#include <algorithm>
#include <string>

#include "library/core/frame/frame_state.h"
#include "library/core/render/screen2d.h"
#include "library/core/render/texture_factory.h"
#include "library/core/terrain/terrain.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/texture.h"

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

namespace {

constexpr D3DCOLOR kOpaqueBlack = 0xFF000000;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr DWORD kPaintAlphaReference = 2;
constexpr float kCopyEdge = 0.999f;    // coordinates of a chunk's texture copied over its surface
constexpr float kPaintInset = 0.002f;  // the painted texture's edge texels stay inside it

// The size the device takes for a render target near width x height.
void FitSize(int32_t& width, int32_t& height) {
  auto w = static_cast<UINT>(std::max(width, 1));
  auto h = static_cast<UINT>(std::max(height, 1));
  D3DFORMAT format = DevicePresentParams.BackBufferFormat;
  d3dx::D3DXCheckTextureRequirements(CurrentDevice, &w, &h, nullptr, D3DUSAGE_RENDERTARGET, &format,
                                     D3DPOOL_DEFAULT);
  width = static_cast<int32_t>(w);
  height = static_cast<int32_t>(h);
}

// Draws texture over (x1, y1) .. (x2, y2) of the surface being rendered into, through a 2D batch
// of its own.
void Paint(int32_t texture, float x1, float y1, float x2, float y2, D3DCOLOR colour, float u1,
           float v1, float u2, float v2) {
  Screen2D_Start();
  Screen2D_DrawTexture(x1, y1, x2, y2, colour, colour, colour, colour, u1, v1, u2, v2, texture);
  Screen2D_End();
}

void WrapStage(DWORD stage) {
  CurrentDevice->SetTextureStageState(stage, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP);
  CurrentDevice->SetTextureStageState(stage, D3DTSS_ADDRESSV, D3DTADDRESS_WRAP);
}

// A new cleared render surface whose picture survives device resets, with source drawn over it
// from (x, y) to its far corner when copy is set; 0 when it could not be made.
int32_t MakeSurface(TerrainRecord& terrain, int32_t width, int32_t height, int32_t source,
                    bool copy, float from, float coordinates) {
  const int32_t surface = TextureFactory_CreateRenderSurface(width, height, 0);
  if (surface == 0) return 0;
  TextureFactory_Record(surface)->keepContents = 1;
  if (TextureFactory_StartRender(surface, &terrain.dynViewport, 0) == 0) return surface;
  CurrentDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kOpaqueBlack, 1.0f, 0);
  WrapStage(0);
  if (copy) {
    Paint(source, from, from, static_cast<float>(width), static_cast<float>(height), kWhite, 0, 0,
          coordinates, coordinates);
  }
  TextureFactory_EndRender(surface);
  return surface;
}

void SetViewport(TerrainRecord& terrain, int32_t width, int32_t height) {
  terrain.dynViewport = {0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0.0f, 1.0f};
}

// Paints texture from (px1, pz1) to (px2, pz2) of the surface when that rectangle touches its
// width x height; false when it lies wholly beside it.
bool PaintSurface(const TerrainRecord& terrain, int32_t surface, int32_t texture, float px1,
                  float pz1, float px2, float pz2, D3DCOLOR colour, bool customUV, float su,
                  float sv, float ou, float ov) {
  const TextureRecord* record = TextureFactory_Record(surface);
  if (record == nullptr || record->inUse == 0 || record->kind != kTextureRenderSurface) {
    return false;
  }
  const auto w = static_cast<float>(record->width);
  const auto h = static_cast<float>(record->height);
  if ((px1 < 0 && px2 < 0) || (px1 > w && px2 > w) || (pz1 < 0 && pz2 < 0) ||
      (pz1 > h && pz2 > h)) {
    return false;
  }
  WrapStage(0);
  D3DVIEWPORT8 viewport = terrain.dynViewport;
  if (TextureFactory_StartRender(surface, &viewport, 0) == 0) return true;
  if (customUV) {
    Paint(texture, px1, pz1, px2, pz2, colour, px1 * su + ou, pz1 * sv + ov, px2 * su + ou,
          pz2 * sv + ov);
  } else {
    Paint(texture, px1, pz1, px2, pz2, colour, kPaintInset, kPaintInset, 1 - kPaintInset,
          1 - kPaintInset);
  }
  TextureFactory_EndRender(surface);
  return true;
}

// The chunks whose textures are the terrain's dynamic ones: the first alone when expanded.
int32_t DynamicChunkCount(const TerrainRecord& terrain) {
  return terrain.expandedTexture != 0 ? 1 : terrain.chunkCount;
}

}  // namespace

int32_t Terrain_CreateDynTextures(int32_t id, int32_t width, int32_t height, int32_t copy) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr || CurrentDevice == nullptr) return 0;
  FitSize(width, height);
  if (terrain->chunkCount < 1) {
    AddLog(
        "LANDSCAPE : Terrain_CreateDynTextures : Couldn't create dynamic textures since the "
        "terrain is empty");
    return 0;
  }
  AddLog("LANDSCAPE : Creating dynamic texture (%dx%d)", width, height);
  SetViewport(*terrain, width, height);
  for (int32_t index = 0; index < terrain->chunkCount; ++index) {
    TerrainChunk& chunk = terrain->chunks[index];
    const int32_t surface =
        MakeSurface(*terrain, width, height, chunk.texture, copy != 0, 0, kCopyEdge);
    if (surface == 0) {
      AddLog(
          "LANDSCAPE : Terrain_CreateDynTextures : Couldn't create the dynamic texture of "
          "chunk %d. Might be because you're out of video memory",
          index);
      return 0;
    }
    chunk.texture = surface;
  }
  AddLog("LANDSCAPE : Dynamic Textures successfully created !");
  return 1;
}

int32_t Terrain_CreateDynExpandTexture(int32_t id, int32_t width, int32_t height, int32_t copy) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr || CurrentDevice == nullptr) return 0;
  FitSize(width, height);
  if (terrain->chunkCount < 1) {
    AddLog("LANDSCAPE : Couldn't create expanded texture on a non-existing terrain.");
    return 0;
  }
  AddLog("LANDSCAPE : Creating dynamic expanded texture (%dx%d)", width, height);
  SetViewport(*terrain, width, height);
  const int32_t surface =
      MakeSurface(*terrain, width, height, terrain->chunks[0].texture, copy != 0, -1, 1);
  if (surface == 0) {
    AddLog(
        "LANDSCAPE : Terrain_CreateDynExpandTexture : Couldn't create dynamic expanded "
        "texture. Might be because you're out of video memory");
    return 0;
  }
  Terrain_ExpandTexture(id, surface, 0, 0, terrain->chunkColumns, terrain->chunkRows, 0);
  AddLog("LANDSCAPE : Successfully created the dynamic expanded texture.");
  return 1;
}

int32_t Terrain_DestroyDynTextures(int32_t id, int32_t deleteTextures) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr) return 0;
  for (int32_t index = 0; index < DynamicChunkCount(*terrain); ++index) {
    TextureRecord* record = TextureFactory_Record(terrain->chunks[index].texture);
    if (record == nullptr || record->inUse == 0 || record->renderTarget == nullptr) continue;
    AsUnknown(record->renderTarget)->Release();
    record->renderTarget = nullptr;
    record->keepContents = 0;
    if (deleteTextures != 0) {
      TextureFactory_DeleteTexture(terrain->chunks[index].texture);
    } else {
      record->kind = kTextureOrdinary;
    }
  }
  if (deleteTextures != 0) {
    for (int32_t index = 0; index < terrain->chunkCount; ++index)
      terrain->chunks[index].texture = 0;
  }
  return 1;
}

int32_t Terrain_DynDrawTexture(int32_t id, int32_t texture, float x1, float z1, float x2, float z2,
                               int32_t colour, int32_t blend, int32_t customUV, float su, float sv,
                               float ou, float ov) {
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr || CurrentDevice == nullptr) return 0;
  if (InScreen2D) {
    // The painting has its own 2D batch, which would drop the caller's queue.
    AddLog(
        "LANDSCAPE : Terrain_DynDrawTexture : Can't paint a dynamic texture between "
        "Screen2D_Start and Screen2D_End.");
    return 0;
  }
  IDirect3DDevice8* device = CurrentDevice;
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend != 0 ? 1 : 0);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, blend != 0 ? 1 : 0);
  if (blend != 0) {
    device->SetRenderState(D3DRS_ALPHAREF, kPaintAlphaReference);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
  }
  const auto paintColour = static_cast<D3DCOLOR>(colour);
  int32_t result = 1;
  if (terrain->expandedTexture == 0) {
    UpdateWorldMatrix(*terrain);
    D3DXMATRIX inverse;
    d3dx::D3DXMatrixInverse(&inverse, nullptr, &terrain->world);
    const D3DXVECTOR3 worldCorners[2] = {{{x1, 0, z1}}, {{x2, 0, z2}}};
    D3DXVECTOR3 corners[2];
    for (int k = 0; k < 2; ++k)
      d3dx::D3DXVec3TransformCoord(&corners[k], &worldCorners[k], &inverse);
    for (int32_t index = 0; index < terrain->chunkCount; ++index) {
      const TerrainChunk& chunk = terrain->chunks[index];
      const TextureRecord* record = TextureFactory_Record(chunk.texture);
      if (record == nullptr) continue;
      const float w = static_cast<float>(record->width) / kChunkSideF;
      const float h = static_cast<float>(record->height) / kChunkSideF;
      PaintSurface(*terrain, chunk.texture, texture, (corners[0].x - chunk.boxMin.x) * w,
                   (corners[0].z - chunk.boxMin.z) * h, (corners[1].x - chunk.boxMin.x) * w,
                   (corners[1].z - chunk.boxMin.z) * h, paintColour, customUV != 0, su, sv, ou, ov);
    }
  } else {
    const TerrainChunk& first = terrain->chunks[0];
    const TextureRecord* record = TextureFactory_Record(first.texture);
    const float w = record != nullptr
                        ? static_cast<float>(record->width) /
                              (static_cast<float>(terrain->chunkColumns) * kChunkSideF)
                        : 0;
    const float h = record != nullptr ? static_cast<float>(record->height) /
                                            (static_cast<float>(terrain->chunkRows) * kChunkSideF)
                                      : 0;
    if (record == nullptr ||
        !PaintSurface(*terrain, first.texture, texture, (x1 - first.boxMin.x) * w,
                      (z1 - first.boxMin.z) * h, (x2 - first.boxMin.x) * w,
                      (z2 - first.boxMin.z) * h, paintColour, customUV != 0, su, sv, ou, ov)) {
      result = 0;
    }
  }
  WrapStage(0);
  WrapStage(1);
  return result;
}

int32_t Terrain_LoadDynTexture(int32_t id, const char* baseName, int32_t makeDynamic,
                               int32_t expanded) {
  TerrainRecord* terrain = FindTerrain(id);
  if (terrain == nullptr || baseName == nullptr) return 0;
  if (terrain->chunkCount < 1) {
    AddLog("LANDSCAPE : Terrain_LoadDynTexture : Couldn't load the textures in a EMPTY landscape");
    return 0;
  }
  if (expanded != 0) {
    const std::string file = std::string(baseName) + ".bmp";
    const int32_t texture =
        TextureFactory_LoadTextureFromFile(file.c_str(), "DynTexture", -1, -1, 0, 0, 0);
    Terrain_ExpandTexture(id, texture, 0, 0, terrain->chunkColumns, terrain->chunkRows, 0);
    const TextureRecord* record = TextureFactory_Record(texture);
    if (makeDynamic != 0 && record != nullptr) {
      Terrain_CreateDynExpandTexture(id, record->width, record->height, 1);
    }
    return 1;
  }
  int32_t width = 0, height = 0;
  for (int32_t index = 0; index < terrain->chunkCount; ++index) {
    const std::string file = baseName + std::to_string(index) + ".bmp";
    const std::string name = "DynTex" + std::to_string(index);
    const int32_t texture =
        TextureFactory_LoadTextureFromFile(file.c_str(), name.c_str(), -1, -1, 0, 0, 0);
    terrain->chunks[index].texture = texture;
    if (const TextureRecord* record = TextureFactory_Record(texture); record != nullptr) {
      width = record->width;
      height = record->height;
    }
  }
  if (makeDynamic != 0 && width > 0) Terrain_CreateDynTextures(id, width, height, 1);
  return 1;
}

int32_t Terrain_SaveDynTextures(int32_t id, const char* baseName) {
  TerrainRecord* terrain = FindGeneratedTerrain(id);
  if (terrain == nullptr || baseName == nullptr) return 0;
  if (terrain->expandedTexture != 0) {
    const std::string file = std::string(baseName) + ".bmp";
    TextureFactory_SaveTexture(file.c_str(), terrain->chunks[0].texture, 0);
    return 1;
  }
  for (int32_t index = 0; index < terrain->chunkCount; ++index) {
    const std::string file = baseName + std::to_string(index) + ".bmp";
    TextureFactory_SaveTexture(file.c_str(), terrain->chunks[index].texture, 0);
  }
  return 1;
}
