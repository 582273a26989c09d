// The cloud layers of the atmosphere family: scrolling textures drawn one over the other on one
// dome mesh, each with its own scale, colour and blending.
#include <cmath>
#include <numbers>

#include "library/core/frame/frame_state.h"
#include "library/core/render/atmosphere.h"
#include "library/core/vortanautil.h"

using namespace d3d;
using d3dx::D3DXMATRIX;

std::vector<CloudLayer> CloudLayers;
d3dx::ID3DXMesh* CloudDome = nullptr;

namespace {

constexpr int32_t kMinimumDomeResolution = 4;  // fewer leaves the rows without a ring pair
constexpr int32_t kDefaultAlphaReference = 2;
constexpr float kDefaultTextureScale = 4.0f;    // repeats of the texture across the dome
constexpr float kDefaultScrollSpeed = 0.0001f;  // texture widths per unit of elapsed time
constexpr float kDomeAdjacencyEpsilon = 0.0f;

struct DomeVertex {  // format 0x102
  float x, y, z;
  float u, v;
};
constexpr DWORD kDomeFvf = D3DFVF_XYZ | D3DFVF_TEX1;

void ReleaseDome() {
  if (CloudDome != nullptr) CloudDome->Release();
  CloudDome = nullptr;
}

void ReleaseLayers() {
  for (CloudLayer& layer : CloudLayers) {
    if (layer.texture != nullptr) layer.texture->Release();
  }
  CloudLayers.clear();
}

// The texture transform of two coordinates: scales on the diagonal, offsets as the translation.
void UpdateTextureMatrix(CloudLayer& layer) {
  d3dx::D3DXMatrixIdentity(&layer.textureMatrix);
  layer.textureMatrix.m[0][0] = layer.uScale;
  layer.textureMatrix.m[1][1] = layer.vScale;
  layer.textureMatrix.m[2][0] = layer.uOffset;
  layer.textureMatrix.m[2][1] = layer.vOffset;
}

void SetLayerColor(CloudLayer& layer, float r, float g, float b, float a) {
  const D3DCOLORVALUE color = {r, g, b, a};
  layer.material = {};
  layer.material.Diffuse = color;
  layer.material.Ambient = color;
}

CloudLayer NewLayer() {
  CloudLayer layer{};
  layer.scale = 1.0f;
  layer.alphaReference = kDefaultAlphaReference;
  layer.sourceBlend = D3DBLEND_ONE;
  layer.destinationBlend = D3DBLEND_ONE;
  d3dx::D3DXMatrixIdentity(&layer.world);
  SetLayerColor(layer, 1.0f, 1.0f, 1.0f, 1.0f);
  layer.uScale = kDefaultTextureScale;
  layer.vScale = kDefaultTextureScale;
  layer.uSpeed = kDefaultScrollSpeed;
  layer.vSpeed = kDefaultScrollSpeed;
  UpdateTextureMatrix(layer);
  return layer;
}

// The dome: a top vertex, rings 1 to n - 2 of n + 1 vertices over half a turn, a bottom vertex.
void FillDome(DomeVertex* vertices, uint16_t* indices, int32_t n) {
  constexpr float kPi = std::numbers::pi_v<float>;
  const auto step = kPi / static_cast<float>(n);
  DomeVertex* vertex = vertices;
  *vertex++ = {0, 1, 0, 0, 0};
  for (int32_t k = 1; k <= n - 2; ++k) {
    const float theta = static_cast<float>(k) * step;
    for (int32_t j = 0; j <= n; ++j) {
      const float phi = static_cast<float>(j) * step;
      *vertex++ = {std::sin(theta) * std::cos(phi), std::cos(theta),
                   std::sin(theta) * std::sin(phi), static_cast<float>(k) / static_cast<float>(n),
                   static_cast<float>(j) / static_cast<float>(n)};
    }
  }
  *vertex = {0, -1, 0, 1, 0};
  for (int32_t j = 0; j <= n - 2; ++j) {
    const uint16_t face[3] = {0, static_cast<uint16_t>(j + 1), static_cast<uint16_t>(j + 2)};
    for (uint16_t index : face) *indices++ = index;
  }
  for (int32_t i = 0; i <= n - 4; ++i) {
    for (int32_t k = 0; k <= n - 2; ++k) {
      const auto a = static_cast<uint16_t>(1 + i * (n + 1) + k);
      const auto b = static_cast<uint16_t>(a + 1);
      const auto c = static_cast<uint16_t>(a + n + 1);
      const auto d = static_cast<uint16_t>(c + 1);
      const uint16_t faces[6] = {a, b, c, c, b, d};
      for (uint16_t index : faces) *indices++ = index;
    }
  }
}

d3dx::ID3DXMesh* DomeFailure(HRESULT result) {
  AddLog("ATMOSPHERE : Can't create the Hemispheric cloud system. (Mesh error : %d)", result);
  return nullptr;
}

// The dome mesh, optimised; null after a logged failure.
d3dx::ID3DXMesh* BuildDome(int32_t n) {
  if (CurrentDevice == nullptr) return DomeFailure(D3DERR_INVALIDCALL);
  const auto faces = static_cast<DWORD>((n - 1) + 2 * (n - 3) * (n - 1));
  const auto vertexCount = static_cast<DWORD>(2 + (n - 2) * (n + 1));
  d3dx::ID3DXMesh* mesh = nullptr;
  HRESULT result = d3dx::D3DXCreateMeshFVF(faces, vertexCount, d3dx::D3DXMESH_MANAGED, kDomeFvf,
                                           CurrentDevice, &mesh);
  if (FAILED(result)) return DomeFailure(result);
  BYTE* vertexData = nullptr;
  BYTE* indexData = nullptr;
  if (FAILED(result = mesh->LockVertexBuffer(0, &vertexData)) ||
      FAILED(result = mesh->LockIndexBuffer(0, &indexData))) {
    mesh->Release();
    return DomeFailure(result);
  }
  FillDome(reinterpret_cast<DomeVertex*>(vertexData), reinterpret_cast<uint16_t*>(indexData), n);
  mesh->UnlockIndexBuffer();
  mesh->UnlockVertexBuffer();
  std::vector<DWORD> adjacency(faces * 3);
  d3dx::ID3DXMesh* optimized = nullptr;
  result = mesh->GenerateAdjacency(kDomeAdjacencyEpsilon, adjacency.data());
  if (SUCCEEDED(result)) {
    result = mesh->Optimize(
        d3dx::D3DXMESHOPT_COMPACT | d3dx::D3DXMESHOPT_STRIPREORDER | d3dx::D3DXMESH_MANAGED,
        adjacency.data(), nullptr, nullptr, nullptr, &optimized);
  }
  mesh->Release();
  if (FAILED(result)) return DomeFailure(result);
  return optimized;
}

CloudLayer* Layer(int32_t layer, const char* operation) {
  if (layer < 0 || static_cast<size_t>(layer) >= CloudLayers.size()) {
    AddLog("ATMOSPHERE : %s : cloud layer %d doesn't exist", operation, layer);
    return nullptr;
  }
  return &CloudLayers[static_cast<size_t>(layer)];
}

}  // namespace

int32_t CloudSky_Init(int32_t layers, int32_t resolution) {
  // The rows join ring pairs and the indices are 16-bit: both bound the resolution.
  const int64_t vertices = 2 + static_cast<int64_t>(resolution - 2) * (resolution + 1);
  if (layers < 0 || resolution < kMinimumDomeResolution ||
      vertices > static_cast<int64_t>(d3dx::kMax16BitVertices)) {
    AddLog("ATMOSPHERE : CloudSky_Init : %d layers of resolution %d can't be made", layers,
           resolution);
    return 0;
  }
  d3dx::ID3DXMesh* dome = BuildDome(resolution);
  if (dome == nullptr) return 0;
  CloudSky_Destroy();
  CloudDome = dome;
  CloudLayers.assign(static_cast<size_t>(layers), NewLayer());
  return 1;
}

int32_t CloudSky_SetParam(int32_t layer, float scale, int32_t sourceBlend, int32_t destinationBlend,
                          IDirect3DTexture8** texture) {
  CloudLayer* record = Layer(layer, "CloudSky_SetParam");
  if (record == nullptr) return 0;
  record->scale = scale;
  record->sourceBlend = sourceBlend;
  record->destinationBlend = destinationBlend;
  IDirect3DTexture8* given = texture != nullptr ? *texture : nullptr;
  if (given != nullptr) given->AddRef();
  if (record->texture != nullptr) record->texture->Release();
  record->texture = given;
  d3dx::D3DXMatrixScaling(&record->world, scale, scale, scale);
  return 1;
}

int32_t CloudSky_SetColor(int32_t layer, float r, float b, float g, float a) {
  CloudLayer* record = Layer(layer, "CloudSky_SetColor");
  if (record == nullptr) return 0;
  SetLayerColor(*record, r, g, b, a);
  return 1;
}

int32_t CloudSky_Update(float elapsed) {
  for (CloudLayer& layer : CloudLayers) {
    layer.uOffset += elapsed * layer.uSpeed;
    layer.vOffset += elapsed * layer.vSpeed;
    UpdateTextureMatrix(layer);
  }
  return 1;
}

int32_t CloudSky_Render() {
  if (CurrentDevice == nullptr || CloudDome == nullptr) return 0;
  // Two coordinates, not projected: a projected two-coordinate transform would divide u by v and
  // show every layer as streaks of a single texture row.
  CurrentDevice->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  CurrentDevice->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
  CurrentDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  CurrentDevice->SetRenderState(D3DRS_LIGHTING, 1);
  CurrentDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  for (const CloudLayer& layer : CloudLayers) {
    CurrentDevice->SetTexture(0, layer.texture);
    CurrentDevice->SetMaterial(&layer.material);
    CurrentDevice->SetTransform(D3DTS_TEXTURE0, &layer.textureMatrix);
    CurrentDevice->SetTransform(D3DTS_WORLD, &layer.world);
    CurrentDevice->SetRenderState(D3DRS_SRCBLEND, static_cast<DWORD>(layer.sourceBlend));
    CurrentDevice->SetRenderState(D3DRS_DESTBLEND, static_cast<DWORD>(layer.destinationBlend));
    constexpr DWORD kLowByte = 0xFF;
    CurrentDevice->SetRenderState(D3DRS_ALPHAREF,
                                  static_cast<DWORD>(layer.alphaReference) & kLowByte);
    CloudDome->DrawSubset(0);
  }
  CurrentDevice->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE);
  return 1;
}

int32_t CloudSky_Destroy() {
  ReleaseLayers();
  ReleaseDome();
  return 1;
}

int32_t CloudSky_MorphTo(int32_t, float, float, float, float, float, float, float) { return 1; }
