#include "platform/d3dx/normal_map.h"

#include <cmath>

namespace d3dx {
namespace {

using d3d::DWORD;

float Height(uint32_t argb, DWORD channel) {
  auto byte = [argb](int shift) { return static_cast<float>((argb >> shift) & 0xFF); };
  switch (channel) {
    case D3DX_CHANNEL_RED:
      return byte(16) / 255.0f;
    case D3DX_CHANNEL_GREEN:
      return byte(8) / 255.0f;
    case D3DX_CHANNEL_BLUE:
      return byte(0) / 255.0f;
    case D3DX_CHANNEL_ALPHA:
      return byte(24) / 255.0f;
    default:
      return (0.299f * byte(16) + 0.587f * byte(8) + 0.114f * byte(0)) / 255.0f;
  }
}

// The index i, at most one step beyond an edge, brought back: wrapped to the far edge, or mirrored
// onto the edge pixel itself.
uint32_t Neighbour(int64_t i, uint32_t size, bool mirror) {
  if (i < 0) return mirror ? 0 : size - 1;
  if (i >= size) return mirror ? size - 1 : 0;
  return static_cast<uint32_t>(i);
}

uint32_t Encode(float component) {
  return static_cast<uint32_t>(std::lround((component + 1) * 0.5f * 255.0f));
}

}  // namespace

std::optional<ArgbImage> ComputeNormalMapImage(const ArgbImage& heights, DWORD flags, DWORD channel,
                                               float amplitude) {
  const DWORD knownFlags = D3DX_NORMALMAP_MIRROR | D3DX_NORMALMAP_INVERTSIGN;
  bool singleChannel = channel == D3DX_CHANNEL_RED || channel == D3DX_CHANNEL_GREEN ||
                       channel == D3DX_CHANNEL_BLUE || channel == D3DX_CHANNEL_ALPHA ||
                       channel == D3DX_CHANNEL_LUMINANCE;
  if ((flags & ~knownFlags) != 0 || !singleChannel) return std::nullopt;
  bool mirrorU = (flags & D3DX_NORMALMAP_MIRROR_U) != 0,
       mirrorV = (flags & D3DX_NORMALMAP_MIRROR_V) != 0;
  float scale = (flags & D3DX_NORMALMAP_INVERTSIGN) ? -amplitude : amplitude;

  ArgbImage normals(heights.width, heights.height);
  for (uint32_t y = 0; y < heights.height; ++y) {
    uint32_t up = Neighbour(int64_t{y} - 1, heights.height, mirrorV);
    uint32_t down = Neighbour(int64_t{y} + 1, heights.height, mirrorV);
    for (uint32_t x = 0; x < heights.width; ++x) {
      uint32_t left = Neighbour(int64_t{x} - 1, heights.width, mirrorU);
      uint32_t right = Neighbour(int64_t{x} + 1, heights.width, mirrorU);
      float dx = (Height(heights.At(right, y), channel) - Height(heights.At(left, y), channel)) / 2;
      float dy = (Height(heights.At(x, down), channel) - Height(heights.At(x, up), channel)) / 2;
      float nx = -scale * dx, ny = -scale * dy, nz = 1;
      float length = std::sqrt(nx * nx + ny * ny + nz * nz);
      normals.At(x, y) =
          0xFF000000u | Encode(nx / length) << 16 | Encode(ny / length) << 8 | Encode(nz / length);
    }
  }
  return normals;
}

}  // namespace d3dx
