// BSP levels: the table of loaded levels, their device objects (one vertex and one index buffer
// for all faces, the lightmap atlases), the texture lookup through folders, packages and WAD
// archives, and the drawing culled by the visibility set and the view frustum.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/geometry/frustum.h"
#include "library/core/geometry/maths.h"
#include "library/core/levels/bsp_file.h"
#include "library/core/render/texture_factory.h"
#include "library/core/render/viewport.h"
#include "library/core/vortanautil.h"
#include "platform/win/byte_reader.h"
#include "platform/win/performance_counter.h"

using namespace d3d;

namespace {

constexpr size_t kMaxFileBytes = size_t{512} << 20;  // a level larger is refused as unreadable
constexpr DWORD kVertexFormat = 0x212;               // position, normal, two coordinate pairs
constexpr int32_t kLargeAtlasSide = 512;
constexpr int32_t kSmallAtlasSide = 256;
constexpr DWORD kAlphaReference = 8;
constexpr DWORD kAmbientFactor = 0xFF202020;  // added to every texel before the lightmap
constexpr D3DCOLOR kDefaultKey = 0xFF0000FF;  // blue, when the caller set no key colour
constexpr int32_t kNoneBound = -2;            // neither a texture nor "no lightmap"

struct BspLevel {
  bool inUse = false;
  bool enabled = true;
  bool loaded = false;  // buffers made: the level can be drawn
  std::string path;
  std::string textureFolder;
  BspImage image;
  std::vector<BspEntity> entities;
  std::vector<int32_t> textures;  // texture-table identifiers, by the file's texture index
  std::vector<IDirect3DTexture8*> atlases;
  IDirect3DVertexBuffer8* vertexBuffer = nullptr;
  IDirect3DIndexBuffer8* indexBuffer = nullptr;
  D3DFORMAT indexFormat = D3DFMT_INDEX16;
  d3dx::D3DXMATRIX world{};
  int32_t useVisibility = 1;
  int32_t twoPassLightmaps = 1;
  int32_t third = 0;  // stored for the caller; nothing reads it
  std::vector<uint8_t> visibleLeaves;
  std::vector<uint8_t> visibleFaces;
};

std::vector<BspLevel> BSPLevelTable;

BspLevel* Record(int32_t level) {
  if (level < 0 || static_cast<size_t>(level) >= BSPLevelTable.size()) return nullptr;
  return &BSPLevelTable[static_cast<size_t>(level)];
}

// Everything the level holds goes; in use, enabled and the settings stay for the caller.
void FreeContents(BspLevel& level) {
  for (IDirect3DTexture8*& atlas : level.atlases) SafeRelease(atlas);
  SafeRelease(level.vertexBuffer);
  SafeRelease(level.indexBuffer);
  level.atlases.clear();
  level.image = BspImage{};
  level.entities.clear();
  level.textures.clear();
  level.visibleLeaves.clear();
  level.visibleFaces.clear();
  level.path.clear();
  // The next level looks for its textures where it is told, not where the last one did.
  level.textureFolder.clear();
  level.loaded = false;
}

int32_t AtlasSide() {
  CurrentDevice->GetDeviceCaps(&DeviceCaps);
  return DeviceCaps.MaxTextureWidth >= static_cast<DWORD>(kLargeAtlasSide) ? kLargeAtlasSide
                                                                           : kSmallAtlasSide;
}

int32_t MakeAtlas(BspLevel& level, int32_t side, const uint32_t* texels) {
  IDirect3DTexture8* texture = nullptr;
  D3DLOCKED_RECT locked{};
  const auto edge = static_cast<UINT>(side);
  if (CurrentDevice == nullptr || side <= 0 || texels == nullptr ||
      FAILED(CurrentDevice->CreateTexture(edge, edge, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                          &texture)) ||
      FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
    SafeRelease(texture);
    AddLog(
        "BSP SYSTEM : Couldn't create the lightmap texture %d, probably because memory shortage.",
        static_cast<int32_t>(level.atlases.size()));
    return 0;
  }
  for (UINT row = 0; row < edge; ++row) {
    std::memcpy(static_cast<uint8_t*>(locked.pBits) + row * static_cast<UINT>(locked.Pitch),
                texels + row * edge, edge * sizeof(uint32_t));
  }
  texture->UnlockRect(0);
  level.atlases.push_back(texture);
  return 1;
}

void CombineLightmaps(BspLevel& level) {
  const int32_t side = AtlasSide();
  PackBspLightmaps(
      level.image, side,
      [&](const std::vector<uint32_t>& texels) {
        return MakeAtlas(level, side, texels.data()) != 0
                   ? static_cast<int32_t>(level.atlases.size()) - 1
                   : kBspNoLightmap;
      },
      [&](int32_t face) {
        AddLog(
            "BSP SYSTEM : The lightmap of face %d is larger than a lightmap texture; the face "
            "is drawn without it.",
            face);
      });
  // The lightmaps live in the atlases from now on.
  level.image.lighting = {};
}

void LoadTextures(BspLevel& level, const std::vector<BspTexture>& textures, int32_t numbered) {
  if (level.textureFolder.empty()) {
    char folder[kPathBufferSize] = {};
    Path_GetDirectory(level.path.c_str(), folder);
    level.textureFolder = folder;
  }
  const D3DCOLOR key =
      AutoTransColor.enabled != 0 && AutoTransColor.color != 0 ? AutoTransColor.color : kDefaultKey;
  level.textures.assign(textures.size(), 0);
  for (size_t index = 0; index < textures.size(); ++index) {
    if (textures[index].missing) continue;  // identifier 0
    const std::string name = numbered != 0 ? std::to_string(index) : textures[index].name;
    char file[kPathBufferSize] = {};
    CopyToField(file, sizeof file, level.textureFolder + name + ".bmp");
    Archive_TestPakFile(file);
    int32_t identifier =
        TextureFactory_LoadTextureFromFile(file, nullptr, -1, -1, static_cast<int32_t>(key), 1, 0);
    if (identifier == 0) {
      identifier = WAD_LoadTextureFromWAD(textures[index].name.c_str(), D3DFMT_A8R8G8B8);
    }
    if (identifier == 0) {
      AddLog("BSP TREE MANAGER : Couldn't load the texture %s", textures[index].name.c_str());
    }
    level.textures[index] = identifier;
  }
}

// Both buffers made and filled; false after the Part's log line, with nothing of them kept.
bool MakeBuffers(BspLevel& level) {
  const BspImage& image = level.image;
  const auto vertexBytes = static_cast<UINT>(image.vertices.size() * sizeof(BspVertex));
  HRESULT result = CurrentDevice->CreateVertexBuffer(vertexBytes, D3DUSAGE_WRITEONLY, kVertexFormat,
                                                     D3DPOOL_MANAGED, &level.vertexBuffer);
  if (FAILED(result)) {
    AddLog(
        "BSP SYSTEM 2 : Couldn't create the vertex buffer used for the entire bsp. DirectX "
        "error : %d",
        static_cast<int32_t>(result));
    level.vertexBuffer = nullptr;
    return false;
  }
  // Levels of more vertices than 16 bits number take 32-bit indices.
  const bool wide = image.vertices.size() > 0x10000;
  level.indexFormat = wide ? D3DFMT_INDEX32 : D3DFMT_INDEX16;
  const size_t indexSize = wide ? sizeof(uint32_t) : sizeof(uint16_t);
  result = CurrentDevice->CreateIndexBuffer(static_cast<UINT>(image.indices.size() * indexSize),
                                            D3DUSAGE_WRITEONLY, level.indexFormat, D3DPOOL_MANAGED,
                                            &level.indexBuffer);
  if (FAILED(result)) {
    AddLog(
        "BSP SYSTEM 2 ; Couldn't create the index buffer used for the entire bsp. DirectX "
        "error : %d",
        static_cast<int32_t>(result));
    level.indexBuffer = nullptr;
    SafeRelease(level.vertexBuffer);
    return false;
  }
  BYTE* data = nullptr;
  result = level.vertexBuffer->Lock(0, 0, &data, 0);
  if (FAILED(result)) {
    AddLog("BSP SYSTEM 2 ; Couldn't lock the vertex buffer. Direct X error : %d",
           static_cast<int32_t>(result));
  } else {
    std::memcpy(data, image.vertices.data(), vertexBytes);
    level.vertexBuffer->Unlock();
    result = level.indexBuffer->Lock(0, 0, &data, 0);
    if (FAILED(result)) {
      AddLog("BSP SYSTEM 2 : Couldn't lock the indices buffer. DirectX error : %d",
             static_cast<int32_t>(result));
    }
  }
  if (FAILED(result)) {
    SafeRelease(level.vertexBuffer);
    SafeRelease(level.indexBuffer);
    return false;
  }
  if (wide) {
    std::memcpy(data, image.indices.data(), image.indices.size() * indexSize);
  } else {
    auto* narrow = reinterpret_cast<uint16_t*>(data);
    for (size_t i = 0; i < image.indices.size(); ++i)
      narrow[i] = static_cast<uint16_t>(image.indices[i]);
  }
  level.indexBuffer->Unlock();
  return true;
}

int32_t Refuse(BspLevel& level) {
  FreeContents(level);
  level.inUse = false;
  return 0;
}

// The faces to draw this frame: those of the leaves the eye's leaf sees (or of every leaf) that
// lie in the view frustum.
void FlagVisibleFaces(BspLevel& level) {
  const BspImage& image = level.image;
  std::fill(level.visibleFaces.begin(), level.visibleFaces.end(), uint8_t{0});
  std::fill(level.visibleLeaves.begin(), level.visibleLeaves.end(), uint8_t{0});
  if (level.useVisibility != 0) {
    d3dx::D3DXMATRIX inverseWorld;
    d3dx::D3DXMatrixInverse(&inverseWorld, nullptr, &level.world);
    const d3dx::D3DXVECTOR3 eye = Viewport_CameraPosition();
    d3dx::D3DXVECTOR3 local;
    d3dx::D3DXVec3TransformCoord(&local, &eye, &inverseWorld);
    // The world's tree: the other models are parts of the world that its leaves already hold.
    const int32_t leaf = FindBspLeaf(image, image.models[0].headNode, local);
    DecodeBspVisibility(image.visibility, image.leaves[static_cast<size_t>(leaf)].visibilityOffset,
                        level.visibleLeaves);
  } else {
    std::fill(level.visibleLeaves.begin(), level.visibleLeaves.end(), uint8_t{1});
  }
  for (size_t index = 0; index < image.leaves.size(); ++index) {
    const BspLeaf& leaf = image.leaves[index];
    if (level.visibleLeaves[index] == 0 ||
        Frustum_IsSphereVisible(&leaf.centre, leaf.radius, &level.world) == 0) {
      continue;
    }
    for (uint16_t face : leaf.faces) level.visibleFaces[face] = 1;
  }
}

// One pass over the flagged faces in runs of the same texture and atlas. lightmapPass: stage 0
// takes the atlases and faces without a lightmap are left out.
void DrawBatches(const BspLevel& level, bool lightmapPass, bool singlePass) {
  const std::vector<BspFace>& faces = level.image.faces;
  int32_t boundTexture = kNoneBound;
  int32_t boundAtlas = kNoneBound;
  for (size_t first = 0; first < faces.size();) {
    if (level.visibleFaces[first] == 0 || (lightmapPass && faces[first].atlas < 0)) {
      ++first;
      continue;
    }
    const int32_t texture = faces[first].texture;
    const int32_t atlas = faces[first].atlas;
    size_t end = first + 1;
    UINT vertices = static_cast<UINT>(faces[first].vertexCount);
    UINT indices = static_cast<UINT>(faces[first].indexCount);
    while (end < faces.size() && level.visibleFaces[end] != 0 && faces[end].texture == texture &&
           faces[end].atlas == atlas) {
      vertices += static_cast<UINT>(faces[end].vertexCount);
      indices += static_cast<UINT>(faces[end].indexCount);
      ++end;
    }
    if (!lightmapPass && texture != boundTexture) {
      IDirect3DTexture8* bound = nullptr;
      TextureFactory_GetDXTexture(level.textures[static_cast<size_t>(texture)], &bound);
      CurrentDevice->SetTexture(0, bound);
      boundTexture = texture;
    }
    if ((lightmapPass || singlePass) && atlas != boundAtlas) {
      const DWORD stage = lightmapPass ? 0 : 1;
      IDirect3DTexture8* bound = atlas >= 0 ? level.atlases[static_cast<size_t>(atlas)] : nullptr;
      CurrentDevice->SetTexture(stage, bound);
      if (singlePass) {
        // A face without a lightmap shows its texture and the ambient share alone.
        CurrentDevice->SetTextureStageState(1, D3DTSS_COLOROP,
                                            atlas >= 0 ? D3DTOP_MODULATE2X : D3DTOP_DISABLE);
      }
      boundAtlas = atlas;
    }
    CurrentDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST,
                                        static_cast<UINT>(faces[first].firstVertex), vertices,
                                        static_cast<UINT>(faces[first].firstIndex), indices / 3);
    first = end;
  }
}

}  // namespace

int32_t BSPSystem_Create() {
  for (size_t index = 0; index < BSPLevelTable.size(); ++index) {
    BspLevel& level = BSPLevelTable[index];
    if (!level.inUse) {
      FreeContents(level);
      level.inUse = true;
      return static_cast<int32_t>(index);
    }
  }
  BSPLevelTable.emplace_back();
  BSPLevelTable.back().inUse = true;
  return static_cast<int32_t>(BSPLevelTable.size() - 1);
}

int32_t BSPSystem_Load(int32_t levelIndex, const char* path, int32_t, int32_t,
                       const char* textureFolder, int32_t numberedTextures) {
  BspLevel* level = Record(levelIndex);
  if (level == nullptr || path == nullptr) return 0;
  const auto bytes = win::ReadFileBytes(HostPath(path), kMaxFileBytes);
  if (!bytes) {
    if (File_Exists(path)) {
      AddLog(
          "BSP SYSTEM : BSPSystem_Load : Couldn't allocate enough memory for loading the bsp "
          "map %s",
          path);
    } else {
      AddLog("BSP SYSTEM : BSPSystem_Load : File not found !! Can't load the bsp map (%s)", path);
    }
    return Refuse(*level);
  }
  const int64_t start = win::QueryPerformanceCounter();
  FreeContents(*level);
  level->inUse = true;
  d3dx::D3DXMatrixRotationX(&level->world, -kHalfPi);
  BspReadResult read = ReadBspFile(*bytes);
  if (read.formatRefused) {
    AddLog(
        "BSP SYSTEM : BSPSystem_Load : The format of the file isn't recognized. The engine can "
        "only load Half-Life map files or Quake3 map files");
    return Refuse(*level);
  }
  if (!read.image) {
    AddLog("BSP SYSTEM : BSPSystem_Load : The bsp map %s is damaged (%s).", path,
           read.fault.c_str());
    return Refuse(*level);
  }
  if (CurrentDevice == nullptr) {
    AddLog(
        "BSP SYSTEM 2 : Couldn't create the vertex buffer used for the entire bsp. DirectX "
        "error : %d",
        static_cast<int32_t>(D3DERR_INVALIDCALL));
    return Refuse(*level);
  }
  level->image = std::move(*read.image);
  level->path = path;
  CombineLightmaps(*level);
  if (textureFolder != nullptr && textureFolder[0] != '\0') level->textureFolder = textureFolder;
  LoadTextures(*level, level->image.textures, numberedTextures);
  if (!MakeBuffers(*level)) return Refuse(*level);
  level->visibleLeaves.assign(level->image.leaves.size(), 0);
  level->visibleFaces.assign(level->image.faces.size(), 0);
  BSPSystem_ParseEntity(levelIndex);
  level->loaded = true;
  const int64_t ticks =
      (win::QueryPerformanceCounter() - start) * 1000 / win::QueryPerformanceFrequency();
  AddLog("BSP SYSTEM 2 : Level '%s' loaded in %d milliseconds.", path, static_cast<int32_t>(ticks));
  AddLog("BSP SYSTEM 2 : Information on the level :");
  AddLog("BSP SYSTEM 2 :    Num Faces : %d ", static_cast<int32_t>(level->image.faces.size()));
  AddLog("BSP SYSTEM 2 :    Num Leaves : %d", static_cast<int32_t>(level->image.leaves.size()));
  AddLog("BSP SYSTEM 2 :    Num Lightmaps : %d", static_cast<int32_t>(level->atlases.size()));
  AddLog("BSP SYSTEM 2 :    Num Entity parsed : %d", static_cast<int32_t>(level->entities.size()));
  return 1;
}

int32_t BSPSystem_LoadTextures(int32_t levelIndex, const uint8_t* textureLump, int32_t numbered) {
  BspLevel* level = Record(levelIndex);
  if (level == nullptr || textureLump == nullptr) return 0;
  // The caller's lump carries no length: it is taken as its count and offsets say.
  int32_t count = 0;
  std::memcpy(&count, textureLump, sizeof count);
  if (count < 0) return 0;
  size_t extent = sizeof count + static_cast<size_t>(count) * sizeof(int32_t);
  for (int32_t index = 0; index < count; ++index) {
    int32_t offset = 0;
    std::memcpy(&offset, textureLump + sizeof count + static_cast<size_t>(index) * sizeof offset,
                sizeof offset);
    if (offset < 0) return 0;
    extent = std::max(extent, static_cast<size_t>(offset) + kBspTextureHeaderBytes);
  }
  const auto textures = ReadBspTextures(std::span(textureLump, extent));
  // The level's faces name its own textures by index.
  if (!textures || textures->size() != level->image.textures.size() || CurrentDevice == nullptr) {
    return 0;
  }
  LoadTextures(*level, *textures, numbered);
  return 1;
}

int32_t BSPSystem_ParseEntity(int32_t levelIndex) {
  BspLevel* level = Record(levelIndex);
  if (level == nullptr) return 0;
  level->entities = ParseBspEntities(level->image.entityText);
  return 1;
}

int32_t BSPSystem_CreateLightmapTexture(int32_t levelIndex, int32_t side, const uint8_t* pixels) {
  BspLevel* level = Record(levelIndex);
  if (level == nullptr) return 0;
  // No device texture is wider than the device allows: a larger side is refused before the copy.
  if (pixels == nullptr || side <= 0 || CurrentDevice == nullptr ||
      static_cast<DWORD>(side) > DeviceCaps.MaxTextureWidth) {
    return MakeAtlas(*level, 0, nullptr);
  }
  std::vector<uint32_t> texels(static_cast<size_t>(side) * static_cast<size_t>(side));
  std::memcpy(texels.data(), pixels, texels.size() * sizeof(uint32_t));
  return MakeAtlas(*level, side, texels.data());
}

int32_t BSPSystem_CombineLightmaps(int32_t levelIndex, const uint8_t* lightingLump) {
  BspLevel* level = Record(levelIndex);
  if (level == nullptr || lightingLump == nullptr || CurrentDevice == nullptr) return 0;
  // The caller's lump is as long as the level's faces read it.
  size_t extent = 0;
  for (const BspFace& face : level->image.faces) {
    if (face.lightmapOffset == kBspNoLightmap) continue;
    extent =
        std::max(extent, static_cast<size_t>(face.lightmapOffset) +
                             static_cast<size_t>(face.lightmapWidth) *
                                 static_cast<size_t>(face.lightmapHeight) * kBspLightmapTexelBytes);
  }
  level->image.lighting.assign(lightingLump, lightingLump + extent);
  CombineLightmaps(*level);
  return 1;
}

int32_t BSPSystem_Destroy(int32_t levelIndex) {
  BspLevel* level = Record(levelIndex);
  if (level == nullptr) return 0;
  FreeContents(*level);
  level->inUse = false;
  return 1;
}

int32_t BSPSystem_DestroyAll() {
  for (BspLevel& level : BSPLevelTable) FreeContents(level);
  BSPLevelTable.clear();
  return 0;
}

int32_t BSPSystem_SetMatrix(int32_t levelIndex, const float* matrix) {
  BspLevel* level = Record(levelIndex);
  if (level == nullptr || matrix == nullptr) return 0;
  std::memcpy(&level->world.m[0][0], matrix, sizeof level->world.m);
  level->inUse = true;
  return 1;
}

int32_t BSPSystem_Enable(int32_t levelIndex, int32_t flag) {
  BspLevel* level = Record(levelIndex);
  if (level == nullptr) return 0;
  level->enabled = flag != 0;
  return 1;
}

int32_t BSPSystem_SetParameters(int32_t levelIndex, int32_t useVisibility, int32_t twoPass,
                                int32_t third) {
  BspLevel* level = Record(levelIndex);
  if (level == nullptr) return 0;
  level->useVisibility = useVisibility;
  level->twoPassLightmaps = twoPass;
  level->third = third;
  return 1;
}

int32_t BSPSystem_RenderBSP(int32_t levelIndex) {
  BspLevel* level = Record(levelIndex);
  if (level == nullptr) return 0;
  if (!level->loaded || !level->enabled || CurrentDevice == nullptr) return 1;
  FlagVisibleFaces(*level);
  IDirect3DDevice8* device = CurrentDevice;
  device->GetDeviceCaps(&DeviceCaps);
  const bool twoPass = DeviceCaps.MaxSimultaneousTextures == 1 && level->twoPassLightmaps != 0;

  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
  device->SetRenderState(D3DRS_ALPHAREF, kAlphaReference);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_ADD);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  device->SetRenderState(D3DRS_TEXTUREFACTOR, kAmbientFactor);
  if (twoPass) {
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  } else {
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
    device->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_CURRENT);
    device->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, 1);
  }
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetStreamSource(0, level->vertexBuffer, sizeof(BspVertex));
  device->SetIndices(level->indexBuffer, 0);
  device->SetTransform(D3DTS_WORLD, &level->world);
  device->SetVertexShader(kVertexFormat);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  DrawBatches(*level, false, !twoPass);

  if (twoPass) {
    // The lightmaps multiply what the first pass left, on exactly its pixels.
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_DESTCOLOR);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ZERO);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_EQUAL);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 1);
    DrawBatches(*level, true, false);
    device->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, 0);
  }
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  return 1;
}

int32_t BSPSystem_RenderAll() {
  for (size_t index = 0; index < BSPLevelTable.size(); ++index) {
    if (BSPLevelTable[index].inUse) BSPSystem_RenderBSP(static_cast<int32_t>(index));
  }
  return 1;
}
