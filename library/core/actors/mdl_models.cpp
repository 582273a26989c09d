#include "library/core/actors/mdl_models.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "library/core/actors/md2_system.h"
#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/render/texture_factory.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/filter.h"
#include "platform/d3dx/texture.h"
#include "platform/win/byte_reader.h"

using namespace d3d;

std::vector<ActorModel> MDLModelTable;

namespace {

std::optional<std::vector<uint8_t>> ReadSide(const std::string& path) {
  return win::ReadFileBytes(HostPath(path), kMdlMaxFileBytes);
}

int32_t AllocateModel() {
  for (ActorModel& model : MDLModelTable)
    if (!model.inUse) return model.slot;
  MDLModelTable.emplace_back();
  MDLModelTable.back().slot = static_cast<int32_t>(MDLModelTable.size() - 1);
  return MDLModelTable.back().slot;
}

uint16_t Rgb565(const uint8_t* rgb) {
  return static_cast<uint16_t>(((rgb[0] >> 3) << 11) | ((rgb[1] >> 2) << 5) | (rgb[2] >> 3));
}

// The palette picture as an R5G6B5 texture of the device's fitted size; 0 when it cannot be made.
int32_t CreateTexture(const MdlTexture& source) {
  std::vector<uint16_t> pixels(source.pixels.size());
  for (size_t i = 0; i < pixels.size(); ++i)
    pixels[i] = Rgb565(&source.palette[static_cast<size_t>(source.pixels[i]) * 3]);
  UINT width = static_cast<UINT>(source.width), height = static_cast<UINT>(source.height);
  D3DFORMAT format = D3DFMT_R5G6B5;
  d3dx::D3DXCheckTextureRequirements(CurrentDevice, &width, &height, nullptr, 0, &format,
                                     D3DPOOL_MANAGED);
  IDirect3DSurface8* surface = nullptr;
  if (FAILED(CurrentDevice->CreateImageSurface(width, height, format, &surface))) return 0;
  const RECT whole = {0, 0, source.width, source.height};
  IDirect3DTexture8* texture = nullptr;
  IDirect3DSurface8* level = nullptr;
  int32_t identifier = 0;
  if (SUCCEEDED(d3dx::D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, pixels.data(),
                                                D3DFMT_R5G6B5, static_cast<UINT>(source.width) * 2,
                                                nullptr, &whole, d3dx::D3DX_FILTER_POINT, 0)) &&
      SUCCEEDED(d3dx::D3DXCreateTexture(CurrentDevice, width, height, 1, 0, format, D3DPOOL_MANAGED,
                                        &texture)) &&
      SUCCEEDED(texture->GetSurfaceLevel(0, &level)) &&
      SUCCEEDED(CurrentDevice->CopyRects(surface, nullptr, 0, level, nullptr)))
    identifier = TextureFactory_GetNewTextureId();
  SafeRelease(level);
  SafeRelease(surface);
  if (identifier == 0) {
    SafeRelease(texture);
    return 0;
  }
  TextureRecord& record = TextureTable[identifier];
  record = TextureRecord{};
  record.inUse = 1;
  record.width = static_cast<int32_t>(width);
  record.height = static_cast<int32_t>(height);
  record.texture = texture;
  record.identifier = identifier;
  record.format = format;
  CopyToField(record.name, sizeof record.name, source.name);
  CopyToField(record.file, sizeof record.file, source.name);
  return identifier;
}

bool ShaderPathFor(const MdlModel& data, uint32_t* usage) {
  if (static_cast<int32_t>(data.bones.size()) > kMdlShaderBoneLimit || ShaderIndex <= 0 ||
      ShaderMode != 0)
    return false;
  if (MD2ShaderOption == 0) {
    *usage = D3DUSAGE_SOFTWAREPROCESSING;
    return true;
  }
  D3DCAPS8 caps{};
  CurrentDevice->GetDeviceCaps(&caps);
  *usage = 0;
  return caps.VertexShaderVersion >= D3DVS_VERSION(1, 1);
}

bool CreateSoftwareBuffer(ActorModel& model, UINT bytes) {
  return SUCCEEDED(CurrentDevice->CreateVertexBuffer(bytes, D3DUSAGE_DYNAMIC | D3DUSAGE_WRITEONLY,
                                                     kMdlSoftVertexFormat, D3DPOOL_DEFAULT,
                                                     &model.buffer));
}

bool CreateBuffer(ActorModel& model) {
  const size_t count = model.data.vertices.size();
  if (!model.shaderPath) return CreateSoftwareBuffer(model, static_cast<UINT>(count * 32));
  const UINT bytes = static_cast<UINT>(count * sizeof(MDLVertex));
  const DWORD usage = model.bufferUsage | D3DUSAGE_WRITEONLY;
  HRESULT result =
      CurrentDevice->CreateVertexBuffer(bytes, usage, 0, D3DPOOL_MANAGED, &model.buffer);
  if (FAILED(result)) {
    AddLog("MDL SYSTEM : Can't initialize Vertex buffer err : %d", result);
    result = CurrentDevice->CreateVertexBuffer(bytes, usage, 0, D3DPOOL_DEFAULT, &model.buffer);
    if (FAILED(result)) {
      AddLog("MDL SYSTEM : Can't neither init buffer with default : %d", result);
      return false;
    }
  }
  BYTE* data = nullptr;
  if (FAILED(model.buffer->Lock(0, 0, &data, 0))) {
    AddLog("MDL SYSTEM : Can't lock vertex buffer");
    return false;
  }
  std::memcpy(data, model.data.vertices.data(), bytes);
  model.buffer->Unlock();
  return true;
}

}  // namespace

std::string MDL_SidePath(const std::string& path, const std::string& ending) {
  return path.substr(0, path.size() < 4 ? 0 : path.size() - 4) + ending;
}

int32_t MDL_FindModel(const char* path) {
  if (path == nullptr) return -1;
  for (const ActorModel& model : MDLModelTable)
    if (model.inUse && model.path == path) return model.slot;
  return -1;
}

int32_t MDL_LoadModel(const char* path, int32_t loadTextures) {
  if (path == nullptr || CurrentDevice == nullptr) return -1;
  auto bytes = ReadSide(path);
  if (!bytes) return -1;
  const MdlPreview preview = PreviewMdl(*bytes);
  if (!preview.geometry) {
    AddLog(
        "MDL MANAGER : '%s' isn't a valid geometry MDL file, maybe a sequence or texture mdl file "
        "that is not directly loadable.",
        path);
    return -1;
  }
  if (preview.groupCount < 1 || preview.groupCount > kMdlMaxGroups) {
    AddLog("MDL MANAGER : '%s' couldn't be loaded because it is damaged (bad sequence groups)",
           path);
    return -1;
  }
  std::optional<std::vector<uint8_t>> textureFile;
  if (preview.textureCount == 0) textureFile = ReadSide(MDL_SidePath(path, "T.MDL"));
  std::vector<std::optional<std::vector<uint8_t>>> groups;
  for (int32_t g = 1; g < preview.groupCount; ++g) {
    char ending[16];
    std::snprintf(ending, sizeof ending, "%02d.MDL", g);
    const std::string name = MDL_SidePath(path, ending);
    groups.push_back(ReadSide(name));
    if (!groups.back())
      AddLog("MDL MANAGER : %s file couldn't be loaded. Some animations will be missing.",
             name.c_str());
  }
  MdlDecoded decoded = DecodeMdl(
      *bytes, textureFile ? std::span<const uint8_t>(*textureFile) : std::span<const uint8_t>(),
      groups);
  if (!decoded.model) {
    AddLog("MDL MANAGER : '%s' couldn't be loaded because it is damaged (%s)", path,
           decoded.reason.c_str());
    return -1;
  }
  const int32_t slot = AllocateModel();
  ActorModel& model = MDLModelTable[static_cast<size_t>(slot)];
  model.data = std::move(*decoded.model);
  model.path = path;
  model.shaderPath = ShaderPathFor(model.data, &model.bufferUsage);
  if (!model.shaderPath) model.bufferUsage = 0;
  if (!CreateBuffer(model)) {
    MDL_DeleteModel(slot);
    return -1;
  }
  model.textures.assign(model.data.textures.size(), 0);
  if (loadTextures != 0)
    for (size_t t = 0; t < model.textures.size(); ++t)
      model.textures[t] = CreateTexture(model.data.textures[t]);
  model.inUse = true;
  return slot;
}

void MDL_ReleaseModel(int32_t slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= MDLModelTable.size()) return;
  ActorModel& model = MDLModelTable[static_cast<size_t>(slot)];
  if (model.inUse && --model.references <= 0) MDL_DeleteModel(slot);
}

void MDL_DeleteModel(int32_t slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= MDLModelTable.size()) return;
  ActorModel& model = MDLModelTable[static_cast<size_t>(slot)];
  SafeRelease(model.buffer);
  model = ActorModel{};
  model.slot = slot;
}

void MDL_DeleteAll() {
  for (ActorModel& model : MDLModelTable) MDL_DeleteModel(model.slot);
  MDLModelTable.clear();
}

int32_t MDL_OnLostAll() {
  for (ActorModel& model : MDLModelTable) {
    if (!model.inUse || model.shaderPath || model.buffer == nullptr) continue;
    D3DVERTEXBUFFER_DESC desc{};
    model.buffer->GetDesc(&desc);
    model.lostBytes = desc.Size;
    SafeRelease(model.buffer);
  }
  return 1;
}

int32_t MDL_OnResetAll() {
  if (CurrentDevice == nullptr) return 1;
  for (ActorModel& model : MDLModelTable) {
    if (!model.inUse || model.lostBytes == 0) continue;
    if (CreateSoftwareBuffer(model, model.lostBytes)) model.lostBytes = 0;
  }
  return 1;
}
