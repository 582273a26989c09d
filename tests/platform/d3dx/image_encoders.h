// Encoders of the image files the layer reads, for fixtures made in tests and benchmarks.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/d3dx/pixels.h"

namespace d3dx_test {

std::vector<uint8_t> EncodePng(const d3dx::ArgbImage& image);
std::vector<uint8_t> EncodeJpeg(const d3dx::ArgbImage& image, int quality);
std::vector<uint8_t> EncodeTga(const d3dx::ArgbImage& image);
// An RGBA PNG stored in the seven passes of Adam7 interlacing.
std::vector<uint8_t> EncodeInterlacedPng(const d3dx::ArgbImage& image);
// Files of one grey channel: each pixel's red.
std::vector<uint8_t> EncodeGreyPng(const d3dx::ArgbImage& image);
std::vector<uint8_t> EncodeGreyJpeg(const d3dx::ArgbImage& image, int quality);
// A four-component JPEG of the pixels' bytes taken as inks: cyan, magenta, yellow from red, green,
// blue, black from alpha.
std::vector<uint8_t> EncodeCmykJpeg(const d3dx::ArgbImage& image, int quality);

// A smooth, deterministic picture with varying alpha: a gradient with a pattern on it.
d3dx::ArgbImage Picture(uint32_t width, uint32_t height);

}  // namespace d3dx_test
