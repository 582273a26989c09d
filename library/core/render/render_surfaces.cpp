// Render surfaces: textures of the table the caller renders a scene into, flat or cubic, with the
// render-to-surface object that binds them; copies of them into ordinary textures; and the table's
// device loss and reset, which concern only these (loaded textures live in the managed pool).
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/render/fps_display.h"
#include "library/core/render/texture_factory.h"
#include "platform/d3d/format.h"
#include "platform/d3dx/com_ptr.h"
#include "platform/d3dx/render_to_surface.h"
#include "platform/d3dx/texture.h"

using namespace d3d;
using d3dx::ComPtr;

namespace {

// The render surface between TextureFactory_StartRender and TextureFactory_EndRender; 0 for none.
int32_t StartedSurface = 0;

constexpr D3DFORMAT kDefaultDepthFormat = D3DFMT_D16;
constexpr int32_t kCubeFaceCount = 6;
constexpr D3DFORMAT kDefaultCubeFormat = D3DFMT_R5G6B5;

// The colour format of a flat render surface: the back buffer's (unknown: 32 bits with alpha,
// else 16), with the alpha variant of an opaque one when alpha is asked for.
D3DFORMAT FlatSurfaceFormat(bool alpha) {
  const D3DFORMAT backBuffer = DevicePresentParams.BackBufferFormat;
  if (backBuffer == D3DFMT_UNKNOWN) return alpha ? D3DFMT_A8R8G8B8 : D3DFMT_R5G6B5;
  if (!alpha) return backBuffer;
  if (backBuffer == D3DFMT_X8R8G8B8) return D3DFMT_A8R8G8B8;
  if (backBuffer == D3DFMT_R5G6B5) return D3DFMT_A1R5G5B5;
  return backBuffer;
}

D3DFORMAT DepthFormat() {
  const D3DFORMAT depth = DevicePresentParams.AutoDepthStencilFormat;
  return depth != D3DFMT_UNKNOWN ? depth : kDefaultDepthFormat;
}

// The record a creation fills: a new one for identifier 0, else that one; null outside the table.
TextureRecord* SurfaceRecord(int32_t* identifier) {
  if (*identifier == 0) *identifier = TextureFactory_GetNewTextureId();
  return *identifier >= 1 ? TextureFactory_Record(*identifier) : nullptr;
}

// The objects a render surface owns, made before the record is touched, so that a failed creation
// leaves an existing surface under that identifier as it was.
struct SurfaceObjects {
  ComPtr<d3dx::ID3DXRenderToSurface> renderTarget;
  ComPtr<IDirect3DTexture8> texture;
  ComPtr<IDirect3DCubeTexture8> cube;
};

void StoreSurface(int32_t identifier, SurfaceObjects& objects, const char* nameFormat,
                  const char* file, D3DFORMAT format, UINT width, UINT height) {
  TextureRecord& record = TextureFactory_TakeRecord(identifier);
  record.kind = kTextureRenderSurface;
  record.cubic = objects.cube ? 1 : 0;
  record.renderTarget = objects.renderTarget.Detach();
  record.texture = objects.texture.Detach();
  record.cube = objects.cube.Detach();
  record.format = format;
  record.width = static_cast<int32_t>(width);
  record.height = static_cast<int32_t>(height);
  std::snprintf(record.name, sizeof record.name, nameFormat, identifier);
  CopyToField(record.file, sizeof record.file, file);
}

// The colour texture of a surface of the record's size and format: flat or cubic, one level.
HRESULT CreateSurfaceTexture(const TextureRecord& record, IDirect3DTexture8** texture,
                             IDirect3DCubeTexture8** cube) {
  const auto width = static_cast<UINT>(record.width);
  const auto height = static_cast<UINT>(record.height);
  if (record.cubic != 0) {
    return d3dx::D3DXCreateCubeTexture(CurrentDevice, width, 1, D3DUSAGE_RENDERTARGET,
                                       record.format, D3DPOOL_DEFAULT, cube);
  }
  return d3dx::D3DXCreateTexture(CurrentDevice, width, height, 1, D3DUSAGE_RENDERTARGET,
                                 record.format, D3DPOOL_DEFAULT, texture);
}

// Level 0 of the record's texture, or of a face of its cube when it has no flat texture.
IDirect3DSurface8* TargetSurface(const TextureRecord& record, int32_t face) {
  IDirect3DSurface8* surface = nullptr;
  if (record.texture != nullptr) {
    record.texture->GetSurfaceLevel(0, &surface);
  } else if (record.cube != nullptr && face >= 0 && face < kCubeFaceCount) {
    record.cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), 0, &surface);
  }
  return surface;
}

}  // namespace

int32_t TextureFactory_CreateRenderSurface(int32_t width, int32_t height, int32_t identifier) {
  return TextureFactory_CreateRenderSurface2(width, height, identifier, 0, 0, 0);
}

int32_t TextureFactory_CreateRenderSurface2(int32_t width, int32_t height, int32_t identifier,
                                            int32_t alpha, int32_t noDepth, int32_t) {
  TextureRecord* record = SurfaceRecord(&identifier);
  if (record == nullptr || CurrentDevice == nullptr || width <= 0 || height <= 0) return 0;
  D3DFORMAT format = FlatSurfaceFormat(alpha != 0);
  auto w = static_cast<UINT>(width);
  auto h = static_cast<UINT>(height);
  // The surface's own format is checked, so that the device's presentation parameters stay as the
  // caller made them.
  d3dx::D3DXCheckTextureRequirements(CurrentDevice, &w, &h, nullptr, D3DUSAGE_RENDERTARGET, &format,
                                     D3DPOOL_DEFAULT);
  CurrentDevice->ResourceManagerDiscardBytes(0);
  SurfaceObjects objects;
  if (const HRESULT result = d3dx::D3DXCreateRenderToSurface(
          CurrentDevice, w, h, format, noDepth == 0, DepthFormat(), objects.renderTarget.Out());
      FAILED(result)) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_CreateRenderSurface : couldn't create the render to "
        "surface, might be a out of memory problem, try to create this rendersurface just after "
        "the engine initialization. DirectX Error number : %d",
        result);
    return 0;
  }
  if (const HRESULT result =
          d3dx::D3DXCreateTexture(CurrentDevice, w, h, 1, D3DUSAGE_RENDERTARGET, format,
                                  D3DPOOL_DEFAULT, objects.texture.Out());
      FAILED(result)) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_CreateRenderSurface : couldn't create the texture that "
        "is associated to the render surface, it could be due to a out of memory problem, try to "
        "create this rendersurface just after the engine initialization. DirectX Error number : "
        "%d",
        result);
    return 0;
  }
  StoreSurface(identifier, objects, "RenderSurface%d", "Internally created", format, w, h);
  AddLog("TEXTURE FACTORY 2 : Successfully RenderSurface (%dx%d format:%d) created", w, h, format);
  return identifier;
}

int32_t TextureFactory_CreateCubicRenderSurface(int32_t size, int32_t identifier) {
  TextureRecord* record = SurfaceRecord(&identifier);
  if (record == nullptr || CurrentDevice == nullptr || size <= 0) return 0;
  if (DevicePresentParams.BackBufferFormat == D3DFMT_UNKNOWN) {
    DevicePresentParams.BackBufferFormat = kDefaultCubeFormat;
  }
  if (DevicePresentParams.AutoDepthStencilFormat == D3DFMT_UNKNOWN) {
    DevicePresentParams.AutoDepthStencilFormat = kDefaultDepthFormat;
  }
  D3DFORMAT format = DevicePresentParams.BackBufferFormat;
  auto side = static_cast<UINT>(size);
  d3dx::D3DXCheckCubeTextureRequirements(CurrentDevice, &side, nullptr, D3DUSAGE_RENDERTARGET,
                                         &format, D3DPOOL_DEFAULT);
  SurfaceObjects objects;
  if (const HRESULT result = d3dx::D3DXCreateRenderToSurface(
          CurrentDevice, side, side, format, 1, DevicePresentParams.AutoDepthStencilFormat,
          objects.renderTarget.Out());
      FAILED(result)) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_CreateCubicRenderSurface : couldn't create the render "
        "to surface, might be a out of memory problem, try to create this rendersurface just after "
        "the engine initialization. DirectX Error number : %d",
        result);
    return 0;
  }
  if (const HRESULT result =
          d3dx::D3DXCreateCubeTexture(CurrentDevice, side, 1, D3DUSAGE_RENDERTARGET, format,
                                      D3DPOOL_DEFAULT, objects.cube.Out());
      FAILED(result)) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_CreateCubicRenderSurface : couldn't create the cube "
        "texture that is associated to the render surface, it could be due to a out of memory "
        "problem, or maybe your 3d card doesn't support this feature. DirectX Error number : %d",
        result);
    return 0;
  }
  StoreSurface(identifier, objects, "CubeRenderSurface%d", "Internally created cube", format, side,
               side);
  AddLog("TEXTURE FACTORY 2 : Successfully Cubic RenderSurface (%dx%d format:%d) created", side,
         side, format);
  return identifier;
}

int32_t TextureFactory_StartRender(int32_t identifier, D3DVIEWPORT8* viewport, int32_t face) {
  const TextureRecord* record = identifier >= 1 ? TextureFactory_Record(identifier) : nullptr;
  if (record == nullptr || record->inUse == 0) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_StartRender : You are trying to render on a non "
        "active/created render surface => %d",
        identifier);
    return 0;
  }
  if (record->kind != kTextureRenderSurface || record->renderTarget == nullptr) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_StartRender : You are trying to render on a texture "
        "that is not a render to surface.");
    return 0;
  }
  IDirect3DSurface8* surface = TargetSurface(*record, face);
  if (surface == nullptr) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_StartRender : Couldn't get the surface to render on.");
    return 0;
  }
  D3DVIEWPORT8 whole = {0, 0, 0, 0, 0.0f, 1.0f};
  D3DVIEWPORT8* area = viewport != nullptr ? viewport : &whole;
  area->Width = static_cast<DWORD>(record->width);
  area->Height = static_cast<DWORD>(record->height);
  const HRESULT result = record->renderTarget->BeginScene(surface, area);
  // The render target holds the surface while it is bound.
  surface->Release();
  if (FAILED(result)) {
    AddLog(
        "TEXTURE FACTORY : RenderSurface StartRender failed, because BeginScene was already "
        "called. Be sure to call this function outside a Vortana.Clear/Vortana.RenderToScreen "
        "block");
    return 0;
  }
  StartedSurface = identifier;
  return 1;
}

int32_t TextureFactory_EndRender(int32_t identifier) {
  const TextureRecord* record = TextureFactory_Record(identifier);
  if (identifier == 0 || identifier != StartedSurface || record == nullptr ||
      record->renderTarget == nullptr) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_EndRender : You are trying to stop rendering on a "
        "rendersurface that hasn't been started");
    return 0;
  }
  StartedSurface = 0;
  if (FAILED(record->renderTarget->EndScene())) {
    AddLog(
        "TEXTURE FACTORY : RenderSurface EndRender failed, because either StartRender wasn't "
        "called, or you're trying to render to a rendersurface in a "
        "Vortana.Clear/Vortana.RenderToScreen block.");
    return 0;
  }
  return 1;
}

int32_t TextureFactory_CreateTextureFromRenderSurface(int32_t sourceIdentifier, int32_t width,
                                                      int32_t height, int32_t alpha) {
  const TextureRecord* source =
      sourceIdentifier >= 1 ? TextureFactory_Record(sourceIdentifier) : nullptr;
  if (source == nullptr || source->inUse == 0) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_CreateTextureFromRenderSurface : You are trying to "
        "create a texture from a non existing texture ");
    return 0;
  }
  if (source->kind != kTextureRenderSurface) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_CreateTextureFromRenderSurface : You are trying to "
        "create a texture from a non render surface texture ");
    return 0;
  }
  if (CurrentDevice == nullptr || width <= 0 || height <= 0) return 0;
  const int32_t identifier = TextureFactory_GetNewTextureId();
  if (identifier == 0) return 0;
  // The table may have grown: the source record is found again.
  source = TextureFactory_Record(sourceIdentifier);
  const D3DFORMAT format = alpha != 0 ? TextureFormats.alpha : TextureFormats.opaque;
  ComPtr<IDirect3DTexture8> texture;
  if (const HRESULT result = d3dx::D3DXCreateTexture(CurrentDevice, static_cast<UINT>(width),
                                                     static_cast<UINT>(height), 1, 0, format,
                                                     D3DPOOL_MANAGED, texture.Out());
      FAILED(result)) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_CreateTextureFromRenderSurface : Create texture "
        "(%dx%d format : %d) failed without reason: DX error : %d",
        width, height, format, result);
    return 0;
  }
  ComPtr<IDirect3DSurface8> destination;
  if (FAILED(texture->GetSurfaceLevel(0, destination.Out()))) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_CreateTextureFromRenderSurface : Surface coudln't be "
        "obtained from the created texture.");
    return 0;
  }
  ComPtr<IDirect3DSurface8> from;
  if (source->texture == nullptr || FAILED(source->texture->GetSurfaceLevel(0, from.Out()))) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_CreateTextureFromRenderSurface : Surface couldn't be "
        "obtained from the render surface.");
    return 0;
  }
  const RECT to = {0, 0, width, height};
  const RECT whole = {0, 0, source->width, source->height};
  // The alpha flag goes in as the colour key, as callers have always passed it: 0 or 1, a colour
  // no rendered pixel has.
  if (const HRESULT result = d3dx::D3DXLoadSurfaceFromSurface(
          destination.Get(), nullptr, &to, from.Get(), nullptr, &whole, d3dx::D3DX_FILTER_POINT,
          static_cast<D3DCOLOR>(alpha));
      FAILED(result)) {
    AddLog(
        "TEXTURE FACTORY 2 : TextureFactory_CreateTextureFromRenderSurface : Surface couldn't be "
        "copied in the new texture. DirectX error : %d",
        result);
    return 0;
  }
  TextureRecord& record = TextureFactory_TakeRecord(identifier);
  record.texture = texture.Detach();
  record.format = format;
  record.width = width;
  record.height = height;
  return identifier;
}

namespace {

// The pictures of render surfaces kept across a device reset, by identifier: rows of level 0.
std::map<int32_t, std::vector<BYTE>> KeptPictures;

void KeepPicture(int32_t identifier, const TextureRecord& record) {
  D3DLOCKED_RECT locked{};
  if (record.texture == nullptr ||
      FAILED(record.texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY))) {
    return;
  }
  const UINT rowBytes = RowPitch(record.format, static_cast<UINT>(record.width));
  const auto rows = static_cast<UINT>(record.height);
  std::vector<BYTE>& picture = KeptPictures[identifier];
  picture.resize(size_t{rowBytes} * rows);
  for (UINT row = 0; row < rows; ++row) {
    std::memcpy(&picture[size_t{row} * rowBytes],
                static_cast<const BYTE*>(locked.pBits) + row * static_cast<UINT>(locked.Pitch),
                rowBytes);
  }
  record.texture->UnlockRect(0);
}

void RestorePicture(int32_t identifier, const TextureRecord& record) {
  const auto kept = KeptPictures.find(identifier);
  D3DLOCKED_RECT locked{};
  if (kept == KeptPictures.end() || record.keepContents == 0 || record.texture == nullptr ||
      FAILED(record.texture->LockRect(0, &locked, nullptr, 0))) {
    return;
  }
  const UINT rowBytes = RowPitch(record.format, static_cast<UINT>(record.width));
  for (UINT row = 0; row < static_cast<UINT>(record.height); ++row) {
    std::memcpy(static_cast<BYTE*>(locked.pBits) + row * static_cast<UINT>(locked.Pitch),
                &kept->second[size_t{row} * rowBytes], rowBytes);
  }
  record.texture->UnlockRect(0);
}

}  // namespace

void TextureFactory_ForgetRenderSurfaces() {
  StartedSurface = 0;
  KeptPictures.clear();
}

int32_t TextureFactory_OnLostAll() {
  // Default-pool textures must all be gone before the device can be reset; their size, format and
  // shape stay in the record for the reset.
  StartedSurface = 0;
  for (int32_t index = 1; index < TextureCount; ++index) {
    TextureRecord& record = TextureTable[index];
    if (record.inUse == 0 || record.kind != kTextureRenderSurface) continue;
    if (record.keepContents != 0) KeepPicture(index, record);
    SafeRelease(record.texture);
    SafeRelease(record.cube);
    if (record.renderTarget != nullptr) record.renderTarget->OnLostDevice();
    record.kind = kTextureRenderSurfaceLost;
  }
  TextureFactory_OnLostFpsDisplay();
  return 1;
}

int32_t TextureFactory_OnResetAll() {
  int32_t result = 1;
  for (int32_t index = 1; index < TextureCount; ++index) {
    TextureRecord& record = TextureTable[index];
    if (record.inUse == 0 || record.kind != kTextureRenderSurfaceLost) continue;
    if (CurrentDevice == nullptr ||
        FAILED(CreateSurfaceTexture(record, &record.texture, &record.cube)) ||
        (record.renderTarget != nullptr && FAILED(record.renderTarget->OnResetDevice()))) {
      // Left lost, so that a later reset tries again.
      SafeRelease(record.texture);
      SafeRelease(record.cube);
      AddLog("TEXTURE FACTORY : Couldn't recreate the render surface %d after the device reset.",
             index);
      result = 0;
      continue;
    }
    record.kind = kTextureRenderSurface;
    RestorePicture(index, record);
  }
  // What a surface still lost keeps waits for the next reset; the rest is done with.
  std::erase_if(KeptPictures, [](const auto& kept) {
    const TextureRecord* record = TextureFactory_Record(kept.first);
    return record == nullptr || record->inUse == 0 || record->kind != kTextureRenderSurfaceLost ||
           record->keepContents == 0;
  });
  if (!TextureFactory_OnResetFpsDisplay()) result = 0;
  return result;
}
