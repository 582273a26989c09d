#include "library/core/actors/md2_models.h"

#include <cstring>
#include <utility>

#include "library/core/actors/md2_system.h"
#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/vortanautil.h"
#include "platform/win/byte_reader.h"

using namespace d3d;

std::vector<ActorModel2> MD2ModelTable;

namespace {

constexpr int32_t kLinearFilter = 1;

int32_t AllocateModel() {
  for (ActorModel2& model : MD2ModelTable)
    if (!model.inUse) return model.slot;
  MD2ModelTable.emplace_back();
  MD2ModelTable.back().slot = static_cast<int32_t>(MD2ModelTable.size() - 1);
  return MD2ModelTable.back().slot;
}

int32_t LoadSkin(const Md2Model& data, const char* path) {
  char resolved[kPathBufferSize] = "";
  Path_ResolveFile(data.skin.c_str(), resolved, path);
  const int32_t texture = resolved[0] == '\0' ? 0
                                              : TextureFactory_LoadTextureFromFile(
                                                    resolved, "", -1, -1, 0, kLinearFilter, 0);
  if (texture != 0)
    AddLog("MD2 SYSTEM : Model texture %s loaded.", resolved);
  else
    AddLog("MD2 SYSTEM : Texture %s not found in any working directory or couldn't be loaded.",
           resolved[0] == '\0' ? data.skin.c_str() : resolved);
  return texture;
}

// One managed buffer per frame, its corners at the frame's positions; false when one fails.
bool FillFrameBuffers(ActorModel2& model) {
  const auto& corners = model.data.corners;
  const UINT bytes = static_cast<UINT>(corners.size() * sizeof(MD2Vertex));
  for (const Md2Frame& frame : model.data.frames) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    if (FAILED(CurrentDevice->CreateVertexBuffer(bytes, model.bufferUsage | D3DUSAGE_WRITEONLY, 0,
                                                 D3DPOOL_MANAGED, &buffer)))
      return false;
    model.frameBuffers.push_back(buffer);
    BYTE* data = nullptr;
    if (FAILED(buffer->Lock(0, 0, &data, 0))) return false;
    for (size_t c = 0; c < corners.size(); ++c) {
      const float* p = &frame.positions[c * 3];
      const MD2Vertex vertex = {p[0], p[1], p[2], 0.0f, 0.0f, 0.0f, corners[c].u, corners[c].v};
      std::memcpy(data + c * sizeof(MD2Vertex), &vertex, sizeof(MD2Vertex));
    }
    buffer->Unlock();
  }
  return true;
}

}  // namespace

int32_t MD2_FindModel(const char* path) {
  if (path == nullptr) return -1;
  for (const ActorModel2& model : MD2ModelTable)
    if (model.inUse && model.path == path) return model.slot;
  return -1;
}

int32_t MD2_LoadModel(const char* path, int32_t loadTextures) {
  if (path == nullptr) return -1;
  AddLog("MD2 SYSTEM : Loading %s file.", path);
  auto bytes = win::ReadFileBytes(HostPath(path), kMD2MaxFileBytes);
  if (!bytes) {
    AddLog("MD2 SYSTEM : %s file not found or can't have access to it", path);
    return -1;
  }
  Md2Decoded decoded = DecodeMd2(*bytes);
  if (!decoded.model) {
    if (decoded.refusal == Md2Refusal::BadIdent)
      AddLog("MD2 SYSTEM : %s couldn't be loaded because it wasn't a MD2 format (bad Ident)", path);
    else
      AddLog("MD2 SYSTEM : %s couldn't be loaded because it is damaged (%s)", path,
             decoded.reason.c_str());
    return -1;
  }
  const int32_t slot = AllocateModel();
  ActorModel2& model = MD2ModelTable[static_cast<size_t>(slot)];
  model.data = std::move(*decoded.model);
  model.path = path;
  model.softwarePath = CurrentDevice == nullptr || MD2_SoftwarePath();
  model.bufferUsage = MD2ShaderOption != 0 ? 0 : D3DUSAGE_SOFTWAREPROCESSING;
  AddLog("MD2 SYSTEM : Generating and filling vertex buffers.");
  if (!model.softwarePath && !FillFrameBuffers(model)) {
    AddLog("MD2 SYSTEM : %s couldn't be loaded because its frame buffers couldn't be created",
           path);
    MD2_DeleteModel(slot);
    return -1;
  }
  // The shader path draws from its buffers alone.
  if (!model.softwarePath)
    for (Md2Frame& frame : model.data.frames) std::vector<float>().swap(frame.positions);
  if (!model.data.skin.empty() && loadTextures != 0) model.skinTexture = LoadSkin(model.data, path);
  model.inUse = true;
  AddLog("MD2 SYSTEM : %s succesfully loaded. %d triangles, %d animations", path,
         model.data.triangleCount, static_cast<int32_t>(model.data.animations.size()));
  return slot;
}

void MD2_ReleaseModel(int32_t slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= MD2ModelTable.size()) return;
  ActorModel2& model = MD2ModelTable[static_cast<size_t>(slot)];
  if (model.inUse && --model.references <= 0) MD2_DeleteModel(slot);
}

void MD2_DeleteModel(int32_t slot) {
  if (slot < 0 || static_cast<size_t>(slot) >= MD2ModelTable.size()) return;
  ActorModel2& model = MD2ModelTable[static_cast<size_t>(slot)];
  for (IDirect3DVertexBuffer8*& buffer : model.frameBuffers) SafeRelease(buffer);
  model = ActorModel2{};
  model.slot = slot;
}

void MD2_DeleteAll() {
  for (ActorModel2& model : MD2ModelTable) MD2_DeleteModel(model.slot);
  MD2ModelTable.clear();
}
