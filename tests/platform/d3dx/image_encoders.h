// Encoders of the image files the layer reads, for fixtures made in tests and benchmarks.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3dx/pixels.h"

namespace d3dx_test {

std::vector<uint8_t> EncodePng(const d3dx::ArgbImage& image);
std::vector<uint8_t> EncodeJpeg(const d3dx::ArgbImage& image, int quality);
std::vector<uint8_t> EncodeTga(const d3dx::ArgbImage& image);

// A smooth, deterministic picture with varying alpha: a gradient with a pattern on it.
d3dx::ArgbImage Picture(uint32_t width, uint32_t height);

}  // namespace d3dx_test
