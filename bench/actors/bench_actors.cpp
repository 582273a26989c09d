// Loads the peer's MD2, studio and skinned X test models with our loaders (the skinned ones onto a
// headless device) and with the peer, in alternating blocks. MD2 is also read with its frame count
// cut to one, the one frame the peer reads. plain_ratio is our time over the peer's (below 1: we
// are faster).
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <assimp/Importer.hpp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "bench/alternating_blocks.h"
#include "library/core/actors/md2_file.h"
#include "library/core/actors/mdl_file.h"
#include "library/core/actors/mdl_models.h"
#include "library/core/actors/skinned_models.h"
#include "platform/win/byte_reader.h"
#include "tests/library/core/current_headless_device.h"

namespace {

const std::filesystem::path kModels = "/usr/share/assimp/models";
constexpr size_t kMaxModelBytes = size_t{64} << 20;
constexpr size_t kFrameCountOffset = 40;  // bytes: the MD2 header's frame count

void PeerLoad(const std::filesystem::path& path) {
  Assimp::Importer importer;
  benchmark::DoNotOptimize(importer.ReadFile(path.string(), 0));
}

void Md2(benchmark::State& state, const char* name, bool oneFrame) {
  const std::filesystem::path path = kModels / "MD2" / name;
  auto bytes = win::ReadFileBytes(path, kMaxModelBytes);
  if (!bytes) {
    state.SkipWithError("assimp-testmodels not installed");
    return;
  }
  if (oneFrame) {
    const int32_t one = 1;
    std::memcpy(bytes->data() + kFrameCountOffset, &one, sizeof one);
  }
  if (!DecodeMd2(*bytes).model) {
    state.SkipWithError("the model is refused");
    return;
  }
  bench::Alternate(
      state, [&] { benchmark::DoNotOptimize(DecodeMd2(*bytes).model); }, [&] { PeerLoad(path); });
}

void Studio(benchmark::State& state, const char* name) {
  const std::filesystem::path path = kModels / "MDL" / "MDL (HL1)" / name;
  auto bytes = win::ReadFileBytes(path, kMaxModelBytes);
  if (!bytes) {
    state.SkipWithError("assimp-testmodels not installed");
    return;
  }
  const MdlPreview preview = PreviewMdl(*bytes);
  auto side = [&](const char* ending) {
    std::string file = MDL_SidePath(path.string(), ending);
    for (size_t i = path.string().size() - 4; i < file.size(); ++i)
      file[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(file[i])));
    return win::ReadFileBytes(file, kMaxModelBytes);
  };
  // The side files are read in both measurements' steps, as each loader reads them.
  const auto decode = [&] {
    auto model = win::ReadFileBytes(path, kMaxModelBytes);
    std::optional<std::vector<uint8_t>> textures;
    if (preview.textureCount == 0) textures = side("T.MDL");
    std::vector<std::optional<std::vector<uint8_t>>> groups;
    for (int32_t g = 1; g < preview.groupCount; ++g) {
      char ending[16];
      std::snprintf(ending, sizeof ending, "%02d.MDL", g);
      groups.push_back(side(ending));
    }
    return DecodeMdl(*model,
                     textures ? std::span<const uint8_t>(*textures) : std::span<const uint8_t>(),
                     groups);
  };
  if (!decode().model) {
    state.SkipWithError("the model is refused");
    return;
  }
  bench::Alternate(
      state, [&] { benchmark::DoNotOptimize(decode().model); }, [&] { PeerLoad(path); });
}

void Skinned(benchmark::State& state, const char* name) {
  const std::filesystem::path path = kModels / "X" / name;
  if (!std::filesystem::exists(path)) {
    state.SkipWithError("assimp-testmodels not installed");
    return;
  }
  const tests::CurrentHeadlessDevice device;
  if (const int32_t slot = SkinnedMesh_LoadModel(path.string().c_str(), 0); slot < 0) {
    state.SkipWithError("the model is refused");
  } else {
    SkinnedMesh_Destroy(slot);
  }
  bench::Alternate(
      state,
      [&] {
        const int32_t slot = SkinnedMesh_LoadModel(path.string().c_str(), 0);
        SkinnedMesh_Destroy(slot);
      },
      [&] { PeerLoad(path); });
  SkinnedMesh_DestroyAll();
}

}  // namespace

BENCHMARK_CAPTURE(Md2, sydney_all_frames, "sydney.md2", false)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Md2, sydney_one_frame, "sydney.md2", true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Md2, faerie_one_frame, "faerie.md2", true)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Studio, man, "man.mdl")->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Studio, sequence_transitions, "sequence_transitions.mdl")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Skinned, anim_test, "anim_test.x")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Skinned, wuson, "Testwuson.X")->UseManualTime()->Unit(benchmark::kMillisecond);
