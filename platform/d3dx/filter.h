// Scaling, colour keys and mip chains of ARGB images: the image work behind loading and filtering
// textures, independent of any device.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3d/types.h"
#include "platform/d3dx/pixels.h"

namespace d3dx {

// Filter values: one of NONE to BOX, optionally with the mirror bits, which make pixels beyond an
// edge repeat the image mirrored rather than wrapped around.
inline constexpr d3d::DWORD D3DX_DEFAULT =
    0xFFFFFFFF;  // "choose for me" wherever a value may be default
inline constexpr d3d::DWORD D3DX_FILTER_NONE =
    1;  // no scaling: crop, or pad with transparent black
inline constexpr d3d::DWORD D3DX_FILTER_POINT = 2;     // nearest pixel
inline constexpr d3d::DWORD D3DX_FILTER_LINEAR = 3;    // bilinear
inline constexpr d3d::DWORD D3DX_FILTER_TRIANGLE = 4;  // area average when shrinking, else bilinear
inline constexpr d3d::DWORD D3DX_FILTER_BOX = 5;       // area average when shrinking, else bilinear
inline constexpr d3d::DWORD D3DX_FILTER_MIRROR_U = 0x10000;
inline constexpr d3d::DWORD D3DX_FILTER_MIRROR_V = 0x20000;
inline constexpr d3d::DWORD D3DX_FILTER_MIRROR = 0x70000;
inline constexpr d3d::DWORD D3DX_FILTER_DITHER = 0x80000;  // accepted; results are not dithered

// Whether filter names a known filter (D3DX_DEFAULT included).
bool IsValidFilter(d3d::DWORD filter);

// A rectangle of pixels, left and top inclusive, right and bottom exclusive.
struct PixelRect {
  uint32_t left = 0, top = 0, right = 0, bottom = 0;
  uint32_t Width() const { return right - left; }
  uint32_t Height() const { return bottom - top; }
};

// The part source of the image scaled to width x height with the filter (D3DX_DEFAULT: box).
// source must lie inside the image.
ArgbImage Resample(const ArgbImage& image, const PixelRect& source, uint32_t width, uint32_t height,
                   d3d::DWORD filter);

// Turns every pixel equal to the 0xAARRGGBB key into transparent black; a key of 0 does nothing.
void ApplyColourKey(ArgbImage& image, d3d::D3DCOLOR key);

// Levels 1 to count - 1 below level0, each filtered from the one above (sizes by
// d3d::MipDimension).
std::vector<ArgbImage> BuildMipChain(const ArgbImage& level0, uint32_t count, d3d::DWORD filter);

}  // namespace d3dx
