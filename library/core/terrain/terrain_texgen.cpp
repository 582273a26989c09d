#include "library/core/terrain/terrain_texgen.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "library/core/frame/frame_state.h"
#include "library/core/terrain/terrain.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/filter.h"
#include "platform/d3dx/texture.h"

using namespace d3d;
using namespace d3dx;

namespace {

uint32_t RandomState = 1;

struct TexGenLayer {
  std::string picture;
  int32_t minHeight;  // 0 to 255
  int32_t maxHeight;  // 0 to 255
  float falloff;
  float uRepeat, vRepeat;
  float randomness;
};

// The layers of each terrain, by identifier; kept beside the table so that its records stay plain.
std::vector<std::vector<TexGenLayer>> Layers;

std::vector<TexGenLayer>& LayersOf(int32_t id) {
  if (Layers.size() <= static_cast<size_t>(id)) Layers.resize(static_cast<size_t>(id) + 1);
  return Layers[static_cast<size_t>(id)];
}

// The rows of a locked A8R8G8B8 surface of width x height, as one array.
std::vector<uint32_t> CopyPixels(IDirect3DSurface8* surface, UINT width, UINT height) {
  std::vector<uint32_t> pixels;
  D3DLOCKED_RECT locked{};
  if (FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) return pixels;
  pixels.resize(size_t{width} * height);
  for (UINT y = 0; y < height; ++y) {
    std::memcpy(&pixels[size_t{y} * width],
                static_cast<const BYTE*>(locked.pBits) + size_t(locked.Pitch) * y, width * 4u);
  }
  surface->UnlockRect();
  return pixels;
}

// A layer's picture at its own size, or empty after the failure's log line.
std::vector<uint32_t> LoadLayerPixels(const char* file, UINT& width, UINT& height) {
  D3DXIMAGE_INFO info{};
  if (FAILED(D3DXGetImageInfoFromFileA(file, &info))) {
    AddLog("LANDSCAPE TEXGEN MANAGER : Couldn't load the layer file %s", file);
    return {};
  }
  IDirect3DSurface8* surface = nullptr;
  if (FAILED(
          CurrentDevice->CreateImageSurface(info.Width, info.Height, D3DFMT_A8R8G8B8, &surface))) {
    AddLog("LANDSCAPE TEXGEN MANAGER : Couldn't load the layer file %s (second try)", file);
    return {};
  }
  std::vector<uint32_t> pixels;
  if (SUCCEEDED(D3DXLoadSurfaceFromFileA(surface, nullptr, nullptr, file, nullptr,
                                         D3DX_FILTER_LINEAR, 0, nullptr))) {
    pixels = CopyPixels(surface, info.Width, info.Height);
  }
  surface->Release();
  if (pixels.empty()) AddLog("LANDSCAPE TEXGEN MANAGER : Couldn't load the layer file %s", file);
  width = info.Width;
  height = info.Height;
  return pixels;
}

}  // namespace

void TexGenSeed(uint32_t seed) { RandomState = seed; }

void TexGenFreeLayers() { Layers.clear(); }

void TexGenForgetLayers(int32_t id) {
  if (static_cast<size_t>(id) < Layers.size()) Layers[static_cast<size_t>(id)].clear();
}

int32_t TexGenRandom() {
  RandomState = RandomState * 1103515245u + 12345u;
  return static_cast<int32_t>((RandomState / 65536u) % 32768u);
}

int32_t Terrain_TexGenAddLayer(int32_t id, const char* picture, int32_t minHeight,
                               int32_t maxHeight, float falloff, float uRepeat, float vRepeat,
                               float randomness) {
  constexpr int32_t kMaxHeight = 255;
  if (FindTerrain(id) == nullptr) return 0;
  if (picture == nullptr) {
    AddLog("LANDSCAPE TEXGEN MANAGER : You didn't specify a picture filename for this layer");
    return 0;
  }
  AddLog("TERRAIN TEXTURE MANAGER : Add Layer %s", picture);
  std::vector<TexGenLayer>& layers = LayersOf(id);
  layers.push_back({picture, std::max(minHeight, 0), std::min(maxHeight, kMaxHeight), falloff,
                    uRepeat, vRepeat, randomness});
  return static_cast<int32_t>(layers.size()) - 1;
}

int32_t Terrain_TexGenClearLayers(int32_t id) {
  if (FindTerrain(id) == nullptr) return 0;
  AddLog("LANDSCAPE TEXGEN MANAGER : Clearing layers.");
  LayersOf(id).clear();
  return 0;
}

int32_t Terrain_TexGenGenerate(int32_t id, const char* heightMap, const char* outputFile,
                               int32_t size) {
  constexpr float kNoRange = 0.01f;
  if (FindTerrain(id) == nullptr || heightMap == nullptr || outputFile == nullptr || size <= 0 ||
      CurrentDevice == nullptr) {
    return 0;
  }
  const UINT side = static_cast<UINT>(size);
  // One surface takes the height map and, at the end, the generated picture.
  IDirect3DSurface8* surface = nullptr;
  HRESULT result = CurrentDevice->CreateImageSurface(side, side, D3DFMT_A8R8G8B8, &surface);
  if (FAILED(result)) {
    AddLog("LANDSCAPE TEXGEN MANAGER : Couldn't create the heightmap image surface. hr : %d",
           static_cast<int>(result));
    return 0;
  }
  result = D3DXLoadSurfaceFromFileA(surface, nullptr, nullptr, heightMap, nullptr,
                                    D3DX_FILTER_POINT, 0, nullptr);
  const std::vector<uint32_t> heights =
      SUCCEEDED(result) ? CopyPixels(surface, side, side) : std::vector<uint32_t>{};
  if (heights.empty()) {
    AddLog("LANDSCAPE TEXGEN MANAGER : Couldn't load the heightmap. hr : %d",
           static_cast<int>(FAILED(result) ? result : D3DERR_INVALIDCALL));
    surface->Release();
    return 0;
  }
  struct Loaded {
    const TexGenLayer* layer;
    std::vector<uint32_t> pixels;
    UINT width, height;
  };
  std::vector<Loaded> loaded;
  for (const TexGenLayer& layer : LayersOf(id)) {
    Loaded entry{&layer, {}, 0, 0};
    entry.pixels = LoadLayerPixels(layer.picture.c_str(), entry.width, entry.height);
    if (!entry.pixels.empty()) loaded.push_back(std::move(entry));
  }
  std::vector<uint32_t> output(size_t{side} * side, 0);
  std::vector<float> weights(loaded.size());
  for (UINT y = 0; y < side; ++y) {
    for (UINT x = 0; x < side; ++x) {
      const float h = static_cast<float>(heights[size_t{y} * side + x] & 0xFF);
      float total = 0.0f;
      for (size_t l = 0; l < loaded.size(); ++l) {
        const TexGenLayer& layer = *loaded[l].layer;
        const float range =
            static_cast<float>(TexGenRandom()) / kTexGenRandomMax * layer.randomness +
            static_cast<float>(layer.maxHeight - layer.minHeight) * layer.falloff;
        const float mid = static_cast<float>(layer.minHeight + layer.maxHeight) / 2;
        weights[l] = std::fabs(range) < kNoRange
                         ? 0.0f
                         : std::clamp((range - std::fabs(mid - h)) / range, 0.0f, 1.0f);
        total += weights[l];
      }
      if (total == 0.0f) continue;  // transparent black
      float sums[3] = {};
      for (size_t l = 0; l < loaded.size(); ++l) {
        const Loaded& entry = loaded[l];
        const UINT u = static_cast<UINT>(std::floor(static_cast<float>(x) * entry.layer->uRepeat)) %
                       entry.width;
        const UINT v = static_cast<UINT>(std::floor(static_cast<float>(y) * entry.layer->vRepeat)) %
                       entry.height;
        const uint32_t pixel = entry.pixels[size_t{v} * entry.width + u];
        for (int c = 0; c < 3; ++c) {
          sums[c] += weights[l] / total * static_cast<float>((pixel >> (8 * c)) & 0xFF);
        }
      }
      uint32_t colour = 0xFF000000u;
      for (int c = 0; c < 3; ++c) {
        colour |= static_cast<uint32_t>(std::clamp(static_cast<int>(sums[c]), 0, 255)) << (8 * c);
      }
      output[size_t{y} * side + x] = colour;
    }
  }
  const RECT whole{0, 0, static_cast<LONG>(side), static_cast<LONG>(side)};
  D3DXLoadSurfaceFromMemory(surface, nullptr, nullptr, output.data(), D3DFMT_A8R8G8B8, side * 4,
                            nullptr, &whole, D3DX_FILTER_NONE, 0);
  const HRESULT saved = D3DXSaveSurfaceToFileA(outputFile, D3DXIFF_BMP, surface, nullptr, nullptr);
  surface->Release();
  if (FAILED(saved)) return 0;
  AddLog("LANDSCAPE TEXGEN MANAGER : %s successfully created.", outputFile);
  return 1;
}
