// Loading generated BSP levels of growing size on the headless device: the load time per byte of
// file (bytes_per_second, inverted) should stay flat as levels grow (faces, lightmaps packed into
// atlases, one vertex and index buffer). No packaged library reads version-30 levels, so there is
// no peer to run beside it; the measure is the loader against itself at every size.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "library/core/vortanautil.h"
#include "platform/d3d/headless.h"
#include "platform/win/byte_writer.h"
#include "tests/library/core/bsp_writer.h"

#include <unistd.h>

namespace {

using namespace d3d;

// The box room with faces more quads of 32 x 32 units on its floor, each with a 3 x 3 lightmap
// and in the room's leaf.
bsp_test::Level FloorOf(int64_t faces) {
  bsp_test::Level level = bsp_test::BoxRoom();
  for (int64_t quad = 0; quad < faces; ++quad) {
    const auto x = static_cast<float>(quad % 256) * 32;
    const auto y = static_cast<float>(quad / 256) * 32;
    const uint16_t face =
        bsp_test::AddFace(level, {{x, y, 1}, {x, y + 32, 1}, {x + 32, y + 32, 1}, {x + 32, y, 1}},
                          5, bsp_test::Rgb{static_cast<uint8_t>(quad), 90, 200});
    level.markSurfaces.push_back(face);
  }
  level.leaves[1].markCount = static_cast<uint16_t>(level.markSurfaces.size());
  level.models[0].faceCount = static_cast<int32_t>(level.faces.size());
  return level;
}

void BM_BspLoad(benchmark::State& state) {
  IDirect3D8* direct3d = CreateHeadlessDirect3D();
  D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = params.BackBufferHeight = 64;
  params.BackBufferFormat = D3DFMT_X8R8G8B8;
  params.Windowed = 1;
  IDirect3DDevice8* device = nullptr;
  if (VortanaSystem_CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                 &params, &device, &direct3d) != D3D_OK) {
    state.SkipWithError("no headless device");
    direct3d->Release();
    return;
  }
  const std::vector<uint8_t> bytes = bsp_test::Write(FloorOf(state.range(0)));
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() / ("bsp-load-" + std::to_string(getpid()) + ".bsp");
  win::WriteFileBytes(path, bytes);
  // The texture lookups fail the same way at every size: two textures a level.
  DebugManager_Enable(0, 0);
  const int32_t level = BSPSystem_Create();
  for (auto _ : state) {
    if (BSPSystem_Load(level, path.string().c_str(), 0, 0, "", 0) != 1) {
      state.SkipWithError("the level was refused");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
  state.counters["file_bytes"] = static_cast<double>(bytes.size());
  ReleaseAll();
  ShutDownDevice();
  device->Release();
  direct3d->Release();
  DebugManager_Enable(1, 0);
  std::filesystem::remove(path);
}
// Edges name file vertices in 16 bits: four vertices a quad keep the largest level below that.
BENCHMARK(BM_BspLoad)
    ->Unit(benchmark::kMillisecond)
    ->ArgName("faces")
    ->RangeMultiplier(2)
    ->Range(256, 8192);

}  // namespace
