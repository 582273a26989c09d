// Recording 640 x 480 frames into a movie from 32-bit and 16-bit surfaces of the headless device,
// against writing the same bytes a frame with plain fwrite (and the same flush a frame). A movie at
// 30 frames a second keeps up while one frame takes less than 33 ms; the counter
// "frames_per_second" says how many frames a second recording manages.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "library/core/vortanautil.h"
#include "platform/d3d/headless.h"

namespace {

using namespace d3d;

constexpr UINT kWidth = 640;  // pixels
constexpr UINT kHeight = 480;
constexpr int32_t kFramesPerSecond = 30;
constexpr size_t kFrameBytes = kWidth * kHeight * 3;
constexpr int kFrames = 200;  // a run: 176 MiB written, well inside the movie's size limit

std::string MoviePath(const char* name) {
  return (std::filesystem::temp_directory_path() / name).string();
}

IDirect3DDevice8* Device() {
  static IDirect3DDevice8* device = [] {
    IDirect3D8* direct3d = CreateHeadlessDirect3D();
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = kWidth;
    params.BackBufferHeight = kHeight;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.BackBufferCount = 1;
    params.Windowed = 1;
    IDirect3DDevice8* created = nullptr;
    direct3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params,
                           &created);
    return created;
  }();
  return device;
}

void SaveMovieFrames(benchmark::State& state, D3DFORMAT format, int32_t depth) {
  IDirect3DSurface8* surface = nullptr;
  Device()->CreateImageSurface(kWidth, kHeight, format, &surface);
  const std::string path = MoviePath("movie_bench.avi");
  for (auto _ : state) {
    state.PauseTiming();
    System_OpenMovie(path.c_str(), kWidth, kHeight, depth, kFramesPerSecond);
    state.ResumeTiming();
    for (int frame = 0; frame < kFrames; ++frame) {
      if (System_SaveMovieFrame(&surface) != 0) state.SkipWithError("a frame was refused");
    }
    state.PauseTiming();
    System_CloseMovie();
    state.ResumeTiming();
  }
  surface->Release();
  std::filesystem::remove(path);
  state.SetBytesProcessed(state.iterations() * kFrames * static_cast<int64_t>(kFrameBytes));
  state.counters["frames_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kFrames), benchmark::Counter::kIsRate);
}

void BM_SaveMovieFrame32(benchmark::State& state) { SaveMovieFrames(state, D3DFMT_X8R8G8B8, 32); }
void BM_SaveMovieFrame16(benchmark::State& state) { SaveMovieFrames(state, D3DFMT_R5G6B5, 16); }

void BM_PlainFwrite(benchmark::State& state) {
  const std::vector<unsigned char> frame(kFrameBytes, 0x5A);
  const std::string path = MoviePath("movie_bench.raw");
  for (auto _ : state) {
    state.PauseTiming();
    FILE* file = std::fopen(path.c_str(), "wb");
    state.ResumeTiming();
    for (int written = 0; written < kFrames; ++written) {
      std::fwrite(frame.data(), 1, frame.size(), file);
      std::fflush(file);
    }
    state.PauseTiming();
    std::fclose(file);
    state.ResumeTiming();
  }
  std::filesystem::remove(path);
  state.SetBytesProcessed(state.iterations() * kFrames * static_cast<int64_t>(kFrameBytes));
  state.counters["frames_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations() * kFrames), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_SaveMovieFrame32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveMovieFrame16)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainFwrite)->Unit(benchmark::kMillisecond);

}  // namespace
