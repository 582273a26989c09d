#include "library/core/render/bump_maps.h"

#include <cmath>
#include <cstdio>

#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/render/texture_factory.h"
#include "platform/d3dx/com_ptr.h"
#include "platform/d3dx/math.h"
#include "platform/d3dx/texture.h"

using namespace d3d;

int32_t DefaultBumpTexture = 0;

namespace {

// The default environment-bump texture: diagonal waves of offsets, two periods across.
constexpr UINT kDefaultBumpSide = 256;                // texels
constexpr float kDefaultBumpPhaseScale = 12.566371f;  // radians across the texture (4 pi)
constexpr float kDefaultBumpAmplitude = 64.0f;        // of the signed byte's 127
constexpr const char* kDefaultBumpName = "Default EMBM texture";

constexpr D3DCOLOR kNoColourKey = 0;
// A red channel of height for the normal maps.
constexpr DWORD kHeightChannel = d3dx::D3DX_CHANNEL_RED;
constexpr float kDefaultAmplitude = 1.0f;

// A cube face's direction at (s, t) in -1..1 of its rows and columns, faces in the order +x, -x,
// +y, -y, +z, -z.
d3dx::D3DXVECTOR3 CubeDirection(UINT face, float s, float t) {
  switch (face) {
    case 0:
      return {{1, -s, -t}};
    case 1:
      return {{-1, -s, t}};
    case 2:
      return {{t, 1, s}};
    case 3:
      return {{t, -1, -s}};
    case 4:
      return {{t, -s, 1}};
    default:
      return {{-t, -s, -1}};
  }
}

// The texel of a unit direction: each component from -1..1 to 0..254, alpha 0.
D3DCOLOR DirectionTexel(const d3dx::D3DXVECTOR3& direction) {
  constexpr float kHalfRange = 127.0f;
  const auto channel = [](float component) {
    return static_cast<D3DCOLOR>((component + 1) * kHalfRange);
  };
  return channel(direction.x) << 16 | channel(direction.y) << 8 | channel(direction.z);
}

bool FillNormalizationFace(IDirect3DCubeTexture8* cube, UINT face) {
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  const auto cubeFace = static_cast<D3DCUBEMAP_FACES>(face);
  if (FAILED(cube->GetLevelDesc(0, &desc)) ||
      FAILED(cube->LockRect(cubeFace, 0, &locked, nullptr, 0))) {
    return false;
  }
  for (UINT row = 0; row < desc.Height; ++row) {
    auto* texels = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) +
                                               size_t{row} * static_cast<size_t>(locked.Pitch));
    for (UINT column = 0; column < desc.Width; ++column) {
      const float s = 2.0f * static_cast<float>(row) / static_cast<float>(desc.Height - 1) - 1;
      const float t = 2.0f * static_cast<float>(column) / static_cast<float>(desc.Width - 1) - 1;
      d3dx::D3DXVECTOR3 direction = CubeDirection(face, s, t);
      d3dx::D3DXVec3Normalize(&direction, &direction);
      texels[column] = DirectionTexel(direction);
    }
  }
  return SUCCEEDED(cube->UnlockRect(cubeFace, 0));
}

// Whether bump textures are worth loading: the device's DOT3 texture operation.
bool DeviceHasDot3(const char* file) {
  if ((DeviceCaps.TextureOpCaps & D3DTEXOPCAPS_DOTPRODUCT3) != 0) return true;
  AddLog(
      "TEXTURE FACTORY 2 : The selected 3d device doesn't support the DOT3 bumpmapping, so it's "
      "useless to load the bumpmap '%s'",
      file != nullptr ? file : "");
  return false;
}

// The record a bump load fills, with its name (the given one, else "BumpTexture<identifier>"), and
// the file loaded as A8R8G8B8 with a full mip chain. The record is left free until the caller has
// everything it needs; identifier 0, and failureFormat logged with the file, when no record or no
// texture could be had.
struct BumpLoad {
  int32_t identifier = 0;
  char name[512] = {};
  d3dx::ComPtr<IDirect3DTexture8> texture;
};

BumpLoad LoadBumpFile(const char* file, const char* name, const char* failureFormat) {
  BumpLoad load;
  const int32_t identifier = CurrentDevice != nullptr ? TextureFactory_GetNewTextureId() : 0;
  if (identifier == 0) {
    AddLog(failureFormat, file);
    return load;
  }
  if (name != nullptr && name[0] != '\0') {
    CopyToField(load.name, sizeof load.name, name);
  } else {
    std::snprintf(load.name, sizeof load.name, "BumpTexture%d", identifier);
  }
  AddLog("TEXTURE FACTORY 2 : Loading bump texture %s ('%s')", file, load.name);
  if (SUCCEEDED(d3dx::D3DXCreateTextureFromFileExA(
          CurrentDevice, HostPath(file).c_str(), d3dx::D3DX_DEFAULT, d3dx::D3DX_DEFAULT, 0, 0,
          D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, d3dx::D3DX_DEFAULT, d3dx::D3DX_DEFAULT, kNoColourKey,
          nullptr, nullptr, load.texture.Out()))) {
    load.identifier = identifier;
  } else {
    AddLog(failureFormat, file);
  }
  return load;
}

// Takes a record, free until now, into use with its name, file and objects.
TextureRecord& StoreTexture(int32_t identifier, const char* file, const char* name,
                            IDirect3DTexture8* texture, IDirect3DTexture8* normalMap) {
  TextureRecord& record = TextureFactory_TakeRecord(identifier);
  record.texture = texture;
  record.normalMap = normalMap;
  CopyToField(record.file, sizeof record.file, file);
  CopyToField(record.name, sizeof record.name, name);
  return record;
}

}  // namespace

int32_t TextureFactory_CreateBumpMap() {
  if (CurrentDevice == nullptr) return E_FAIL;
  const int32_t identifier = TextureFactory_GetNewTextureId();
  d3dx::ComPtr<IDirect3DTexture8> texture;
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  // A device without the format would hand out a texture of another one, whose texels are not
  // pairs of signed bytes.
  if (identifier == 0 ||
      FAILED(d3dx::D3DXCreateTexture(CurrentDevice, kDefaultBumpSide, kDefaultBumpSide, 1, 0,
                                     D3DFMT_V8U8, D3DPOOL_MANAGED, texture.Out())) ||
      FAILED(texture->GetLevelDesc(0, &desc)) || desc.Format != D3DFMT_V8U8 ||
      FAILED(texture->LockRect(0, &locked, nullptr, 0))) {
    return E_FAIL;
  }
  // A device with smaller textures made a smaller one: the pattern spans what it made.
  const auto width = static_cast<float>(desc.Width), height = static_cast<float>(desc.Height);
  for (UINT y = 0; y < desc.Height; ++y) {
    auto* row = static_cast<int8_t*>(locked.pBits) + size_t{y} * static_cast<size_t>(locked.Pitch);
    for (UINT x = 0; x < desc.Width; ++x) {
      const float phase =
          ((static_cast<float>(y) / height - 0.5f) + (static_cast<float>(x) / width - 0.5f)) *
          kDefaultBumpPhaseScale;
      row[2 * x] = static_cast<int8_t>(std::cos(phase) * kDefaultBumpAmplitude);
      row[2 * x + 1] = static_cast<int8_t>(std::sin(phase) * kDefaultBumpAmplitude);
    }
  }
  texture->UnlockRect(0);
  TextureRecord& record =
      StoreTexture(identifier, kDefaultBumpName, kDefaultBumpName, texture.Detach(), nullptr);
  record.format = D3DFMT_V8U8;
  record.width = static_cast<int32_t>(desc.Width);
  record.height = static_cast<int32_t>(desc.Height);
  DefaultBumpTexture = identifier;
  return 0;
}

int32_t TextureFactory_LoadDistorsionBumpMap(const char* file, const char* name) {
  if (file == nullptr || !DeviceHasDot3(file)) return 0;
  BumpLoad load = LoadBumpFile(
      file, name,
      "TEXTURE FACTORY 2 : TextureFactory_LoadDirstorneBumpTexture : couldn't load the "
      "texture '%s', file not found.");
  if (load.identifier == 0) return 0;
  StoreTexture(load.identifier, file, load.name, load.texture.Detach(), nullptr);
  return load.identifier;
}

int32_t TextureFactory_LoadBumpTexture(const char* file, const char* name, int32_t normalMapFlag,
                                       float amplitude) {
  if (file == nullptr || !DeviceHasDot3(file)) return 0;
  BumpLoad load =
      LoadBumpFile(file, name,
                   "TEXTURE FACTORY 2 : TextureFactory_LoadBumpTexture : couldn't load the texture "
                   "'%s', file not found.");
  if (load.identifier == 0) return 0;
  // Without the flag the file is a normal map already.
  if (normalMapFlag == 0) {
    StoreTexture(load.identifier, file, load.name, nullptr, load.texture.Detach());
    return load.identifier;
  }
  D3DSURFACE_DESC desc{};
  load.texture->GetLevelDesc(0, &desc);
  d3dx::ComPtr<IDirect3DTexture8> normalMap;
  if (FAILED(d3dx::D3DXCreateTexture(CurrentDevice, desc.Width, desc.Height, 0, 0, D3DFMT_A8R8G8B8,
                                     D3DPOOL_MANAGED, normalMap.Out()))) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_LoadBumpTexture : couldn't create a new texture for "
        "the normal map for bump '%s'",
        file);
    return 0;
  }
  if (const HRESULT result = d3dx::D3DXComputeNormalMap(normalMap.Get(), load.texture.Get(),
                                                        nullptr, 0, kHeightChannel, amplitude);
      FAILED(result)) {
    AddLog(
        "TETXURE FACTORY 2 : TextureFactory_LoadBumpTexture : couldn't fill the bumpmap with "
        "normalmap data. dx error : %d",
        result);
    return 0;
  }
  StoreTexture(load.identifier, file, load.name, load.texture.Detach(), normalMap.Detach());
  return load.identifier;
}

int32_t TextureFactory_ChangeBumpmapAmplitude(int32_t identifier, float amplitude) {
  const TextureRecord* record = identifier >= 1 ? TextureFactory_Record(identifier) : nullptr;
  if (record == nullptr) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_ChangeBumpmapAmplitude : textureid index out of range "
        "=> %d",
        identifier);
    return 0;
  }
  if (record->texture == nullptr || record->normalMap == nullptr) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_ChangeBumpmapAmplitude : the selected texture %d isn't "
        "a bumpmapping texture.",
        identifier + 1);
    return 0;
  }
  if (FAILED(d3dx::D3DXComputeNormalMap(record->normalMap, record->texture, nullptr,
                                        d3dx::D3DX_NORMALMAP_MIRROR, kHeightChannel,
                                        amplitude != 0 ? amplitude : kDefaultAmplitude))) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_ChangeBumpmapAmplitude : the bumpmap generation "
        "failed.");
    return 0;
  }
  return 1;
}

int32_t TextureFactory_CreateNormalizationCubeMap(int32_t size, int32_t mipLevels,
                                                  IDirect3DCubeTexture8** cube) {
  // A face of one texel has no second row or column to spread its directions over.
  constexpr int32_t kMinimumSide = 2;
  if (cube == nullptr || size < kMinimumSide || mipLevels < 0 || CurrentDevice == nullptr)
    return D3DERR_INVALIDCALL;
  *cube = nullptr;
  d3dx::ComPtr<IDirect3DCubeTexture8> created;
  if (const HRESULT result = d3dx::D3DXCreateCubeTexture(
          CurrentDevice, static_cast<UINT>(size), static_cast<UINT>(mipLevels), 0, D3DFMT_X8R8G8B8,
          D3DPOOL_MANAGED, created.Out());
      FAILED(result)) {
    return result;
  }
  for (UINT face = 0; face < 6; ++face) {
    if (!FillNormalizationFace(created.Get(), face)) return E_FAIL;
  }
  if (created->GetLevelCount() > 1 &&
      FAILED(d3dx::D3DXFilterTexture(created.Get(), nullptr, 0, d3dx::D3DX_FILTER_LINEAR))) {
    return E_FAIL;
  }
  *cube = created.Detach();
  return 0;
}
