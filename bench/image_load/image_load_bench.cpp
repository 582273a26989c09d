// Loading the same PNG and JPEG files through this layer (into a one-level A8R8G8B8 texture of the
// headless device, which is the whole path a texture load takes but for the upload) and through
// stb_image directly. Each layer run also times stb_image on the same file and reports layer time /
// stb time as the counter "vs_stb".
//
// The layer decodes straight into the texture's memory, so a load allocates one image-sized block
// as a plain decode does; no allocator settings are needed.
#include <benchmark/benchmark.h>

#include <chrono>
#include <span>
#include <vector>

#include "platform/d3dx/texture.h"
#include "tests/platform/d3dx/headless_device.h"
#include "tests/platform/d3dx/image_encoders.h"

// stb's own PNG and JPEG decoders, private to this file: the layer no longer compiles them.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace {

constexpr uint32_t kSide = 512;   // pixels
constexpr int kJpegQuality = 90;  // of 100
constexpr int kPeerSamples = 20;  // stb decodes timed for the ratio

enum class FileType { Png, Jpeg };

const std::vector<uint8_t>& File(FileType type) {
  static const d3dx::ArgbImage picture = d3dx_test::Picture(kSide, kSide);
  static const std::vector<uint8_t> png = d3dx_test::EncodePng(picture);
  static const std::vector<uint8_t> jpeg = d3dx_test::EncodeJpeg(picture, kJpegQuality);
  return type == FileType::Png ? png : jpeg;
}

void DecodeWithStb(const std::vector<uint8_t>& bytes) {
  int width = 0, height = 0, channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width,
                                          &height, &channels, STBI_rgb_alpha);
  benchmark::DoNotOptimize(pixels);
  stbi_image_free(pixels);
}

// A headless device for the whole run.
d3d::IDirect3DDevice8* Device() {
  static d3d::IDirect3DDevice8* device = d3dx_test::CreateHeadlessDevice();
  return device;
}

void DecodeWithLayer(const std::vector<uint8_t>& bytes) {
  d3d::IDirect3DTexture8* texture = nullptr;
  d3dx::D3DXCreateTextureFromFileInMemoryEx(
      Device(), bytes.data(), static_cast<d3d::UINT>(bytes.size()), kSide, kSide, 1, 0,
      d3d::D3DFMT_A8R8G8B8, d3d::D3DPOOL_MANAGED, d3dx::D3DX_FILTER_NONE, d3dx::D3DX_FILTER_NONE, 0,
      nullptr, nullptr, &texture);
  benchmark::DoNotOptimize(texture);
  texture->Release();
}

double SecondsPerStbDecode(const std::vector<uint8_t>& bytes) {
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < kPeerSamples; ++i) DecodeWithStb(bytes);
  std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  return elapsed.count() / kPeerSamples;
}

void Layer(benchmark::State& state, FileType type) {
  const auto& bytes = File(type);
  auto start = std::chrono::steady_clock::now();
  for (auto _ : state) DecodeWithLayer(bytes);
  std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
  double layerSeconds = elapsed.count() / static_cast<double>(state.iterations());
  state.counters["vs_stb"] = layerSeconds / SecondsPerStbDecode(bytes);
}

void Stb(benchmark::State& state, FileType type) {
  const auto& bytes = File(type);
  for (auto _ : state) DecodeWithStb(bytes);
}

BENCHMARK_CAPTURE(Layer, png, FileType::Png)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, png, FileType::Png)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Layer, jpeg, FileType::Jpeg)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, jpeg, FileType::Jpeg)->Unit(benchmark::kMillisecond);

}  // namespace
