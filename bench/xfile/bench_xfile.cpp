// Loads the peer's X test models from memory with our reader and model loader and with the peer,
// alternating in each iteration. The benchmark's time is ours; the counter peer_over_ours is the
// peer's time divided by ours (above 1: we are faster).
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <assimp/Importer.hpp>
#include <chrono>
#include <filesystem>
#include <span>

#include "platform/d3dx/x_file_mesh.h"
#include "platform/d3dx/x_file_reader.h"
#include "platform/win/byte_reader.h"

namespace {

const std::filesystem::path kModels = "/usr/share/assimp/models/X";
constexpr size_t kMaxModelBytes = size_t{64} << 20;

double SecondsOf(auto&& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void LoadBoth(benchmark::State& state, const char* name) {
  auto bytes = win::ReadFileBytes(kModels / name, kMaxModelBytes);
  if (!bytes) {
    state.SkipWithError("assimp-testmodels not installed");
    return;
  }
  double ours = 0;
  double peer = 0;
  for (auto _ : state) {
    double oursNow = SecondsOf([&] {
      d3dx::XModel model = d3dx::LoadXModel(d3dx::ReadXFile(std::span<const uint8_t>(*bytes)));
      benchmark::DoNotOptimize(model.root.children.data());
    });
    peer += SecondsOf([&] {
      Assimp::Importer importer;
      const aiScene* scene = importer.ReadFileFromMemory(bytes->data(), bytes->size(), 0, "x");
      benchmark::DoNotOptimize(scene);
    });
    ours += oursNow;
    state.SetIterationTime(oursNow);
  }
  state.counters["peer_over_ours"] = ours > 0 ? peer / ours : 0;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes->size()));
}

}  // namespace

BENCHMARK_CAPTURE(LoadBoth, text_skinned, "BCN_Epileptic.X")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadBoth, text_skinned_animated, "Testwuson.X")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadBoth, text_animated, "anim_test.x")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadBoth, binary, "fromtruespace_bin32.x")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(LoadBoth, compressed_cube, "test_cube_compressed.x")
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
