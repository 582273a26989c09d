// Loading the same PNG and JPEG files through this layer (into a one-level A8R8G8B8 texture of the
// headless device, which is the whole path a texture load takes but for the upload), through plain
// stb_image, and through the decoder the layer uses alone (libspng for PNG, libjpeg-turbo for
// JPEG), each into memory of its own.
//
// Layer/* loads through the layer and, in the same iterations and turn about, decodes with both
// peers, so that all three see the same machine; it reports its time over stb's as "vs_stb" and
// over its decoder's as "vs_decoder". Stb/* and Decoder/* time the peers alone. No allocator
// settings are needed: a load through the layer decodes straight into the texture's memory, one
// image-sized block as a plain decode allocates.
//
// The PNG file is stb's writer's, mostly Paeth-filtered rows; Debian 12's libspng undoes those a
// byte at a time (about 80% of its decode under perf), so on it libspng is no faster than stb.
#include <benchmark/benchmark.h>
#include <spng.h>
#include <turbojpeg.h>

#include <chrono>
#include <memory>
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
constexpr size_t kRgbaBytes = 4;  // per pixel

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

struct SpngFree {
  void operator()(spng_ctx* png) const { spng_ctx_free(png); }
};

struct TurboFree {
  void operator()(void* handle) const { tjDestroy(handle); }
};

// The decoder alone, set as the layer sets it, into fresh memory as stb decodes, in the byte order
// it gives most cheaply.
void DecodeWithDecoder(FileType type, const std::vector<uint8_t>& bytes) {
  auto pixels = std::make_unique_for_overwrite<uint8_t[]>(size_t{kSide} * kSide * kRgbaBytes);
  if (type == FileType::Png) {
    std::unique_ptr<spng_ctx, SpngFree> png(spng_ctx_new(0));
    spng_set_crc_action(png.get(), SPNG_CRC_USE, SPNG_CRC_USE);
    spng_set_png_buffer(png.get(), bytes.data(), bytes.size());
    spng_decode_image(png.get(), pixels.get(), size_t{kSide} * kSide * kRgbaBytes, SPNG_FMT_RGBA8,
                      SPNG_DECODE_TRNS);
  } else {
    std::unique_ptr<void, TurboFree> jpeg(tjInitDecompress());
    tjDecompress2(jpeg.get(), bytes.data(), bytes.size(), pixels.get(), kSide, 0, kSide, TJPF_BGRA,
                  TJFLAG_LIMITSCANS);
  }
  benchmark::DoNotOptimize(pixels.get());
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

template <typename Work>
double Seconds(Work work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Layer(benchmark::State& state, FileType type) {
  const auto& bytes = File(type);
  double layer = 0, stb = 0, decoder = 0;
  for (auto _ : state) {
    double once = Seconds([&] { DecodeWithLayer(bytes); });
    layer += once;
    stb += Seconds([&] { DecodeWithStb(bytes); });
    decoder += Seconds([&] { DecodeWithDecoder(type, bytes); });
    state.SetIterationTime(once);
  }
  state.counters["vs_stb"] = layer / stb;
  state.counters["vs_decoder"] = layer / decoder;
}

void Stb(benchmark::State& state, FileType type) {
  const auto& bytes = File(type);
  for (auto _ : state) DecodeWithStb(bytes);
}

void Decoder(benchmark::State& state, FileType type) {
  const auto& bytes = File(type);
  for (auto _ : state) DecodeWithDecoder(type, bytes);
}

BENCHMARK_CAPTURE(Layer, png, FileType::Png)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, png, FileType::Png)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decoder, png, FileType::Png)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Layer, jpeg, FileType::Jpeg)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Stb, jpeg, FileType::Jpeg)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Decoder, jpeg, FileType::Jpeg)->Unit(benchmark::kMillisecond);

}  // namespace
