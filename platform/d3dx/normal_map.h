// Normal maps from height maps: the image work behind D3DXComputeNormalMap.
#pragma once

#include "platform/d3d/types.h"
#include "platform/d3dx/pixels.h"

namespace d3dx {

// Which channel of the source holds the height.
inline constexpr d3d::DWORD D3DX_CHANNEL_RED = 1;
inline constexpr d3d::DWORD D3DX_CHANNEL_BLUE = 2;
inline constexpr d3d::DWORD D3DX_CHANNEL_GREEN = 4;
inline constexpr d3d::DWORD D3DX_CHANNEL_ALPHA = 8;
inline constexpr d3d::DWORD D3DX_CHANNEL_LUMINANCE = 16;

// Neighbours beyond an edge wrap around unless mirrored; INVERTSIGN turns the slopes around.
inline constexpr d3d::DWORD D3DX_NORMALMAP_MIRROR_U = 0x10000;
inline constexpr d3d::DWORD D3DX_NORMALMAP_MIRROR_V = 0x20000;
inline constexpr d3d::DWORD D3DX_NORMALMAP_MIRROR = 0x30000;
inline constexpr d3d::DWORD D3DX_NORMALMAP_INVERTSIGN = 0x80000;

// The normal of each pixel from the central differences of its neighbours' heights (0..1 from the
// channel): n = normalise(-amplitude * dh/dx, -amplitude * dh/dy, 1) with x to the right and y
// down, stored as red, green, blue = (n + 1) / 2 * 255 and alpha 255. Nothing when channel or flags
// hold unknown bits.
std::optional<ArgbImage> ComputeNormalMapImage(const ArgbImage& heights, d3d::DWORD flags,
                                               d3d::DWORD channel, float amplitude);

}  // namespace d3dx
