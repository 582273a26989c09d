// The bump-map tool: meshes turned into buffers of tangent-space vertices for DOT3 bump mapping,
// those vertices lit on the processor for devices without vertex shaders, and normal maps made
// from height textures.
#include <cmath>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "library/core/frame/frame_state.h"
#include "library/core/levels/tangent_frames.h"
#include "library/core/render/bump_maps.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/com_ptr.h"
#include "platform/d3dx/math.h"
#include "platform/d3dx/mesh.h"
#include "platform/d3dx/normal_map.h"
#include "platform/d3dx/texture.h"

using namespace d3d;

namespace {

constexpr DWORD kCloneFormat = 0x212;  // position, normal, two coordinate pairs
constexpr float kFlatLimit = 1e-12f;   // |d| at most: the triangle adds nothing to S and T
constexpr int32_t kOutOfMemory = 7;
constexpr float kHeightRange = 255.0f;  // a texel's low byte over it: a height 0..1

struct CloneVertex {
  float position[3];
  float normal[3];
  float u, v;
  float u2, v2;
};
static_assert(sizeof(CloneVertex) == 40);

// The clone's indices as 16-bit numbers; nothing when one does not fit them or names no vertex.
std::optional<std::vector<uint16_t>> ReadIndices(d3dx::ID3DXMesh* clone) {
  const DWORD vertexCount = clone->GetNumVertices();
  const size_t count = size_t{clone->GetNumFaces()} * 3;
  const bool wide = (clone->GetOptions() & d3dx::D3DXMESH_32BIT) != 0;
  BYTE* data = nullptr;
  if (FAILED(clone->LockIndexBuffer(D3DLOCK_READONLY, &data))) return std::nullopt;
  std::vector<uint16_t> indices(count);
  bool fits = true;
  for (size_t i = 0; i < count; ++i) {
    uint32_t index = 0;
    if (wide) {
      std::memcpy(&index, data + 4 * i, 4);
    } else {
      uint16_t narrow = 0;
      std::memcpy(&narrow, data + 2 * i, 2);
      index = narrow;
    }
    fits = fits && index <= 0xFFFF && index < vertexCount;
    indices[i] = static_cast<uint16_t>(index);
  }
  clone->UnlockIndexBuffer();
  if (!fits) return std::nullopt;
  return indices;
}

void ComputeTangentSpace(std::vector<BumpSourceVertex>& vertices,
                         const std::vector<uint16_t>& indices) {
  constexpr float kLimits[3] = {kFlatLimit, kFlatLimit, kFlatLimit};
  for (size_t first = 0; first + 2 < indices.size(); first += 3) {
    TangentCorner corners[3];
    for (size_t k = 0; k < 3; ++k) {
      BumpSourceVertex& vertex = vertices[indices[first + k]];
      corners[k] = {vertex.position, vertex.u2, vertex.v2, vertex.s, vertex.t};
    }
    AddTriangleTangents(corners, kLimits);
  }
  for (BumpSourceVertex& vertex : vertices) {
    FinishTangentFrame(vertex.s, vertex.t, vertex.sxt, vertex.normal);
  }
}

HRESULT Fail(HRESULT result, const char* message) {
  AddLog(message, static_cast<int32_t>(result));
  return result;
}

}  // namespace

int32_t BumpMapTool_GenerateBufferFromMesh(d3dx::ID3DXMesh** mesh,
                                           IDirect3DVertexBuffer8** vertexBuffer,
                                           IDirect3DIndexBuffer8** indexBuffer) {
  if (vertexBuffer != nullptr) *vertexBuffer = nullptr;
  if (indexBuffer != nullptr) *indexBuffer = nullptr;
  if (mesh == nullptr || *mesh == nullptr || vertexBuffer == nullptr || indexBuffer == nullptr ||
      CurrentDevice == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  d3dx::ComPtr<d3dx::ID3DXMesh> clone;
  HRESULT result =
      (*mesh)->CloneMeshFVF(d3dx::D3DXMESH_SYSTEMMEM, kCloneFormat, CurrentDevice, clone.Out());
  if (FAILED(result)) {
    return Fail(result,
                "BUMPMAP TOOL : BumpMapTool_GenerateBufferFromMesh : couldn't clone the mesh, "
                "error %d");
  }
  d3dx::D3DXComputeNormals(clone.Get(), nullptr);
  AddLog("BUMPMAP TOOL : Generating the bumpmapping-complient vertex buffers...");
  const auto indices = ReadIndices(clone.Get());
  if (!indices) {
    return Fail(D3DERR_INVALIDCALL,
                "BUMPMAP TOOL : BumpMapTool_GenerateBufferFromMesh : the mesh's indices don't fit "
                "16 bits, error %d");
  }
  const DWORD vertexCount = clone->GetNumVertices();
  d3dx::ComPtr<IDirect3DVertexBuffer8> vertices;
  result =
      CurrentDevice->CreateVertexBuffer(static_cast<UINT>(vertexCount * sizeof(BumpSourceVertex)),
                                        D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, vertices.Out());
  if (FAILED(result)) {
    return Fail(result,
                "BUMPMAP TOOL : BumpMapTool_GenerateBufferFromMesh : couldn't create new vertex "
                "buffer for the bump mesh  error : %d");
  }
  d3dx::ComPtr<IDirect3DIndexBuffer8> faces;
  result = CurrentDevice->CreateIndexBuffer(static_cast<UINT>(indices->size() * sizeof(uint16_t)),
                                            D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                            faces.Out());
  if (FAILED(result)) {
    return Fail(result,
                "BUMPMAP TOOL : BumpMapTool_GenerateBufferFromMesh : couldn't create new index "
                "buffer for the bump mesh  error : %d");
  }

  BYTE* source = nullptr;
  result = clone->LockVertexBuffer(D3DLOCK_READONLY, &source);
  if (FAILED(result)) {
    return Fail(result,
                "BUMPMAP TOOL : BumpMapTool_GenerateBufferFromMesh : couldn't lock the old vertex "
                "buffer,  error %d");
  }
  std::vector<BumpSourceVertex> made(vertexCount);
  for (DWORD i = 0; i < vertexCount; ++i) {
    CloneVertex from{};
    std::memcpy(&from, source + i * sizeof(CloneVertex), sizeof from);
    BumpSourceVertex& to = made[i];
    std::memcpy(to.position, from.position, sizeof to.position);
    std::memcpy(to.normal, from.normal, sizeof to.normal);
    to.u = to.u2 = from.u;
    to.v = to.v2 = from.v;
  }
  clone->UnlockVertexBuffer();
  ComputeTangentSpace(made, *indices);

  BYTE* data = nullptr;
  result = vertices->Lock(0, 0, &data, 0);
  if (FAILED(result)) {
    return Fail(result,
                "BUMPMAP TOOL : BumpMapTool_GenerateBufferFromMesh : couldn't lock the new vertex "
                "buffer, error %d");
  }
  std::memcpy(data, made.data(), made.size() * sizeof(BumpSourceVertex));
  vertices->Unlock();
  result = faces->Lock(0, 0, &data, 0);
  if (FAILED(result)) {
    return Fail(result,
                "BUMPMAP TOOL : BumpMapTool_GenerateBufferFromMesh : couldn't lock the new index "
                "buffer, error %d");
  }
  std::memcpy(data, indices->data(), indices->size() * sizeof(uint16_t));
  faces->Unlock();
  *vertexBuffer = vertices.Detach();
  *indexBuffer = faces.Detach();
  return 1;
}

int32_t BumpMapTool_PseudoVSDOT3(const BumpSourceVertex* source, BumpOutputVertex* output,
                                 const D3DMATRIX* directions, const D3DMATRIX* positions,
                                 D3DVECTOR* light, int32_t count) {
  if (source == nullptr || output == nullptr || directions == nullptr || positions == nullptr ||
      light == nullptr) {
    return 0;
  }
  d3dx::D3DXVECTOR3 towards{{light->x, light->y, light->z}};
  d3dx::D3DXVec3Normalize(&towards, &towards);
  *light = towards;
  d3dx::D3DXMATRIX directionMatrix, positionMatrix;
  static_cast<D3DMATRIX&>(directionMatrix) = *directions;
  static_cast<D3DMATRIX&>(positionMatrix) = *positions;
  for (int32_t i = 0; i < count; ++i) {
    const BumpSourceVertex& from = source[i];
    BumpOutputVertex& to = output[i];
    const d3dx::D3DXVECTOR3 position{{from.position[0], from.position[1], from.position[2]}};
    d3dx::D3DXVECTOR4 moved;
    d3dx::D3DXVec3Transform(&moved, &position, &positionMatrix);
    to.x = moved.x;
    to.y = moved.y;
    to.z = moved.z;
    to.w = moved.w;
    // The light in the vertex's tangent space, each axis's cosine taken into 0..1.
    float* colour[3] = {&to.r, &to.g, &to.b};
    const float* axes[3] = {from.s, from.t, from.sxt};
    for (int axis = 0; axis < 3; ++axis) {
      const d3dx::D3DXVECTOR3 frame{{axes[axis][0], axes[axis][1], axes[axis][2]}};
      d3dx::D3DXVECTOR3 turned;
      d3dx::D3DXVec3TransformNormal(&turned, &frame, &directionMatrix);
      *colour[axis] = (d3dx::D3DXVec3Dot(&turned, &towards) + 1) / 2;
    }
    to.a = 1;
    to.u = from.u;
    to.v = from.v;
    to.u2 = from.u2;
    to.v2 = from.v2;
  }
  return 1;
}

int32_t BumpMapTool_GenerateNormalMap2(IDirect3DTexture8** source,
                                       IDirect3DTexture8** destination) {
  const HRESULT result =
      source == nullptr || destination == nullptr
          ? D3DERR_INVALIDCALL
          : d3dx::D3DXComputeNormalMap(*destination, *source, nullptr, d3dx::D3DX_NORMALMAP_MIRROR,
                                       d3dx::D3DX_CHANNEL_RED, 1.0f);
  if (FAILED(result)) {
    AddLog(
        "BUMPMAP TOOL : BumpMapTool_GenerateNormapMap2 : Error occured in compute nomrmal map, "
        "error %d",
        static_cast<int32_t>(result));
    return result;
  }
  return 0;
}

int32_t BumpMapTool_GenerateNormalMap(IDirect3DTexture8** source, IDirect3DTexture8** destination) {
  AddLog("TEXTURE FACTORY 2 : Starting Generate Normal map");
  IDirect3DTexture8* from = source != nullptr ? *source : nullptr;
  IDirect3DTexture8* to = destination != nullptr && *destination != nullptr ? *destination : from;
  D3DSURFACE_DESC sourceDesc{}, targetDesc{};
  // The texels are read and written as 32-bit values; a target of another size is refused.
  const auto thirtyTwoBits = [](const D3DSURFACE_DESC& desc) {
    return desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8;
  };
  HRESULT result = from == nullptr ? D3DERR_INVALIDCALL : from->GetLevelDesc(0, &sourceDesc);
  if (SUCCEEDED(result)) result = to->GetLevelDesc(0, &targetDesc);
  if (SUCCEEDED(result) &&
      (!thirtyTwoBits(sourceDesc) || !thirtyTwoBits(targetDesc) ||
       sourceDesc.Width != targetDesc.Width || sourceDesc.Height != targetDesc.Height)) {
    result = D3DERR_INVALIDCALL;
  }
  D3DLOCKED_RECT locked{};
  if (SUCCEEDED(result)) result = from->LockRect(0, &locked, nullptr, D3DLOCK_READONLY);
  if (FAILED(result)) {
    AddLog("BUMPMAP TOOL : BumpMapTool_GenerateNormalMap, LockRect failed, error %d",
           static_cast<int32_t>(result));
    return result;
  }
  const UINT width = sourceDesc.Width, height = sourceDesc.Height;
  std::vector<uint32_t> texels;
  try {
    texels.resize(size_t{width} * height);
  } catch (const std::bad_alloc&) {
    from->UnlockRect(0);
    AddLog(
        "BUMPMAP TOOL : BumpMapTool_GenerateNormalMap, Memory allocation failed, out of memory "
        "certainly");
    return kOutOfMemory;
  }
  for (UINT y = 0; y < height; ++y) {
    std::memcpy(&texels[size_t{y} * width],
                static_cast<const BYTE*>(locked.pBits) + y * static_cast<UINT>(locked.Pitch),
                width * sizeof(uint32_t));
  }
  from->UnlockRect(0);

  const auto heightAt = [&texels, width](UINT x, UINT y) {
    return static_cast<float>(texels[size_t{y} * width + x] & 0xFF) / kHeightRange;
  };
  std::vector<uint32_t> normals(texels.size());
  for (UINT y = 0; y < height; ++y) {
    for (UINT x = 0; x < width; ++x) {
      const float h = heightAt(x, y);
      const float dx = heightAt(x + 1 < width ? x + 1 : x, y) - h;
      const float dy = heightAt(x, y + 1 < height ? y + 1 : y) - h;
      d3dx::D3DXVECTOR3 normal{{-dx, -dy, 1}};
      d3dx::D3DXVec3Normalize(&normal, &normal);
      normals[size_t{y} * width + x] = PackNormalColor(normal.x, normal.y, normal.z, h);
    }
  }
  result = to->LockRect(0, &locked, nullptr, 0);
  if (FAILED(result)) {
    AddLog("BUMPMAP TOOL : BumpMapTool_GenerateNormalMap, LockRect failed, error %d",
           static_cast<int32_t>(result));
    return result;
  }
  for (UINT y = 0; y < height; ++y) {
    std::memcpy(static_cast<BYTE*>(locked.pBits) + y * static_cast<UINT>(locked.Pitch),
                &normals[size_t{y} * width], width * sizeof(uint32_t));
  }
  to->UnlockRect(0);
  return 1;
}
