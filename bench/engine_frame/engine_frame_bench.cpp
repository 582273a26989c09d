// A landing frame of the engine as the program draws it, through the library on the OpenGL device,
// surfaceless on Mesa's software rasteriser (LIBGL_ALWAYS_SOFTWARE=1, LP_NUM_THREADS=8), in a
// 1280 x 960 window (its drawing area is 1272 x 926): a 257 x 257 landscape tile, two built meshes
// of about 3,000 triangles in four groups, 20 rocks of 500 triangles, six 256 x 256 render surfaces
// drawn alike each frame (so the device draws them once: the backend keeps their pictures), 5,000
// stars each drawn as its own batch of one filled circle, 40 textured quads, the head-up
// instrument column of the six surfaces and the warning-light bar (both opaque, told to the engine
// as covering the view) and 30 lines of text in two fonts. It reports frames per
// second, the allocator keeping the rasteriser's blocks (stable_allocator.h), and plain_ratio: its
// frame time over plain OpenGL 2.1 drawing the same frame (plain_gl_frame.h, the draws the device
// recorded for one frame; plain_gl_ms its time per frame), timed in alternating blocks (goal at
// most 1.10). Beside them, what a frame costs the rasteriser whatever the machine's load: the
// fragments shaded and the draws made (a line before the table gives them per pass).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <GL/gl.h>
#include "bench/alternating_blocks.h"
#include "bench/engine_frame/plain_gl_frame.h"
#include "bench/stable_allocator.h"
#include "library/core/vortanautil.h"
#include "platform/engine/draw2d.h"
#include "platform/engine/engine.h"
#include "platform/engine/landscape.h"
#include "platform/engine/resources.h"
#include "platform/engine/scene.h"
#include "platform/engine_draw/library_backend.h"
#include "platform/forms/forms.h"
#include "platform/win/app_path.h"
#include "platform/win/twips.h"

namespace {

constexpr int32_t kWidth = 1280;  // pixels, the window with its frame
constexpr int32_t kHeight = 960;
constexpr uint32_t kTile = 257;  // samples per side
constexpr int kStars = 5000;
constexpr int kQuads = 40;
constexpr int kLines = 30;
constexpr int kSurfaces = 6;
constexpr int32_t kSurfaceSide = 256;
constexpr int kRocks = 20;
constexpr float kBarHeight = 22;  // pixels, the warning-light bar under 13-point digits
// The instrument column as the head-up layer lays it out: each surface's share of the drawing
// area, left, top, right, bottom.
constexpr float kColumn[kSurfaces][4] = {
    {0.8f, 0, 1, 0.25f},      {0.8f, 0.25f, 1, 0.5f},       {0.85f, 0.5f, 1, 0.73f},
    {0.85f, 0.73f, 1, 0.97f}, {0.802f, 0.5f, 0.85f, 0.73f}, {0.802f, 0.73f, 0.85f, 0.97f}};

struct MainForm : forms::Form {
  MainForm() : Form("Main_Display") {
    SetRenderSurface(true);
    Move(0, 0, win::PixelsToTwips(kWidth), win::PixelsToTwips(kHeight));
  }
};

// A bumpy square of side x side cells, two triangles each.
void BuildGrid(engine::EngineMesh& mesh, int side, float size) {
  const float step = size / static_cast<float>(side);
  for (int r = 0; r < side; ++r)
    for (int c = 0; c < side; ++c) {
      const float x = static_cast<float>(c) * step, z = static_cast<float>(r) * step;
      const float corners[4][2] = {{x, z}, {x, z + step}, {x + step, z + step}, {x + step, z}};
      for (int t : {0, 1, 2, 0, 2, 3})
        mesh.AddVertex(corners[t][0], 0.1f * static_cast<float>((c + r) % 3), corners[t][1],
                       0xFFFFFFFF, corners[t][0] / size, corners[t][1] / size);
    }
}

void BM_LandingFrame(benchmark::State& state) {
  bench::StableAllocator();
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "engine_frame";
  std::filesystem::create_directories(folder);
  win::SetAppPath(folder.string());
  forms::FormSlot<MainForm> form;
  form->Show();
  engine::Engine engine(engine::MakeLibraryBackend(engine::GlDirect3D()));
  int32_t result = -1;
  engine.Init(*form, true, result);

  engine::HeightGrid grid{kTile, kTile, 4.0f, {}};
  for (uint32_t r = 0; r < kTile; ++r)
    for (uint32_t c = 0; c < kTile; ++c)
      grid.heights.push_back(static_cast<float>((r * 7 + c * 13) % 11) * 0.2f);
  const auto bytes = engine::WriteHeightGrid(grid);
  std::ofstream(folder / "tile.ht", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  engine::EngineLandscape land(engine);
  land.LoadHeightMap((folder / "tile.ht").string());
  land.SetPosition(-512, -2, -100);

  engine::EngineScene scene(engine);
  scene.SetCameraLookAt(0, 30, -60, 0, 0, 100);
  d3d::D3DLIGHT8 sun{};
  sun.Type = d3d::D3DLIGHT_DIRECTIONAL;
  sun.Diffuse = {1, 1, 1, 1};
  sun.Direction = {0.3f, -1, 0.5f};
  engine::EngineLights(engine).CreateLight(sun);
  std::vector<std::shared_ptr<engine::EngineMesh>> meshes;
  for (int stage = 0; stage < 2; ++stage) {  // about 3,000 triangles each
    auto lm = scene.CreateMesh();
    BuildGrid(*lm, 39, 8);
    lm->SetPosition(static_cast<float>(stage * 10 - 5), 4, 20);
    meshes.push_back(lm);
  }
  auto rock = scene.CreateMesh();
  BuildGrid(*rock, 16, 2);  // about 500 triangles
  meshes.push_back(rock);
  for (int k = 1; k < kRocks; ++k) {
    auto clone = rock->Clone("rock");
    clone->SetPosition(static_cast<float>(k % 5 * 6 - 12), 0, static_cast<float>(k / 5 * 6 + 10));
    meshes.push_back(clone);
  }
  std::vector<std::unique_ptr<engine::EngineRenderSurface>> surfaces;
  for (int k = 0; k < kSurfaces; ++k)
    surfaces.push_back(
        std::make_unique<engine::EngineRenderSurface>(engine, kSurfaceSide, kSurfaceSide));
  engine::EngineScreen2DDraw draw(engine);
  engine::EngineScreen2DText text(engine);
  const int32_t fonts[] = {
      text.CreateTextureFont("panel", "DejaVu Sans", 12, false, false, false, true),
      text.CreateFont("message", "DejaVu Sans", 14, true)};

  const auto frame = [&] {
    for (auto& surface : surfaces) {
      surface->StartRender(true, 0xFF101010u);
      draw.Begin();
      draw.DrawFilledBox(10, 10, 200, 200, 0xFF00FF00u, 0xFF00FF00u, 0xFF0000FFu, 0xFF0000FFu);
      draw.DrawLine(0, 128, 256, 128, 0xFFFFFFFFu, 0xFFFFFFFFu);
      draw.End();
      surface->EndRender();
    }
    const auto w = static_cast<float>(engine.Width()), h = static_cast<float>(engine.Height());
    engine.CoverView(0, h - kBarHeight, w, h);
    engine.CoverView(kColumn[4][0] * w, 0, w, kColumn[5][3] * h);
    engine.Clear(0xFF000000u);
    for (int star = 0; star < kStars; ++star) {
      draw.Begin();
      draw.DrawFilledCircle(static_cast<float>(star * 37 % kWidth),
                            static_cast<float>(star * 91 % (kHeight / 3)), 1.5f, 6, 0xFFFFFFFFu);
      draw.End();
    }
    land.Render();
    for (auto& mesh : meshes) mesh->Render();
    draw.Begin();
    for (int quad = 0; quad < kQuads; ++quad) {
      const float x = static_cast<float>(quad % 10 * 120), y = static_cast<float>(quad / 10 * 120);
      const int32_t texture = surfaces[static_cast<size_t>(quad % kSurfaces)]->GetTexture();
      draw.DrawTexture(texture, x, y + 400, x + 100, y + 500, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu,
                       0xFFFFFFFFu);
    }
    for (size_t k = 0; k < surfaces.size(); ++k)
      draw.DrawTexture(surfaces[k]->GetTexture(), kColumn[k][0] * w, kColumn[k][1] * h,
                       kColumn[k][2] * w, kColumn[k][3] * h, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu,
                       0xFFFFFFFFu);
    draw.DrawFilledBox(0, h - kBarHeight, w, h, 0xFF000000u, 0xFF000000u, 0xFF000000u, 0xFF000000u);
    draw.End();
    text.Begin();
    for (int line = 0; line < kLines; ++line)
      text.DrawText("ALT 1234 FT  ALT RATE -12 FT/S  FUEL 8%", 20, static_cast<float>(line * 16),
                    0xFF80FF80u, fonts[line % 2]);
    text.End();
    engine.RenderToScreen();
    glFinish();  // the device's context is current after its present
  };
  frame();
  // What one frame costs the rasteriser, counted outside the timing (counting waits for pixels).
  engine.Backend().SetFrameStatistics(true);
  frame();
  const std::vector<engine::PassCost> passes = engine.Backend().FrameStatistics();
  engine.Backend().SetFrameStatistics(false);
  std::printf("%s\n", engine::Engine::FrameStatisticsLine(passes).c_str());
  double fragments = 0, draws = 0;
  for (const engine::PassCost& pass : passes) {
    fragments += static_cast<double>(pass.fragments);
    draws += static_cast<double>(pass.draws);
  }
  d3d::IDirect3DDevice8* device = nullptr;
  Internal_GetDevice(&device);
  d3d::HeadlessControl* recorder = d3d::Headless(device);
  recorder->SetRecording(true);
  frame();
  recorder->SetRecording(false);
  bench::PlainGlFrame peer(recorder->Draws());
  recorder->ClearDraws();
  if (!peer.Ready()) {
    state.SkipWithError("no plain OpenGL context");
  } else {
    // The peer's own time per frame, its warm-up left out, beside ours (the benchmark's time).
    double peerSeconds = 0;
    int64_t peerFrames = -bench::kWarmUpSteps;
    bench::Alternate(state, frame, [&] {
      const auto start = std::chrono::steady_clock::now();
      peer.Frame();
      if (++peerFrames > 0)
        peerSeconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    });
    state.counters["fragments"] = fragments;
    state.counters["draws"] = draws;
    state.counters["plain_gl_ms"] = peerSeconds * 1000 / static_cast<double>(peerFrames);
    state.counters["frames_per_second"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  }
  surfaces.clear();
  engine.Shutdown();
}
BENCHMARK(BM_LandingFrame)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace
