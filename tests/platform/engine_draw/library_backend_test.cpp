// The library backend on the headless device: the library's life cycle, the frame's one scene and
// its presents, and the reset protocol, checked through the device's records.
#include <algorithm>
#include <functional>

#include "platform/d3d/headless.h"
#include "platform/engine/draw2d.h"
#include "platform/engine/engine_error.h"
#include "platform/engine/scene.h"
#include "tests/platform/engine_draw/draw_fixture.h"

namespace {

engine::Direct3DSource HeadlessDirect3D(d3d::HeadlessConfig config = {}) {
  return {[config] { return d3d::CreateHeadlessDirect3D(config); },
          [] { return std::string("the headless device refused"); }};
}

class LibraryBackendTest : public DrawTest {};

TEST_F(LibraryBackendTest, FramesClearPresentOnceEachAndShutdownLeavesNothing) {
  Start(HeadlessDirect3D());
  d3d::IDirect3DDevice8* device = Device();
  ASSERT_NE(device, nullptr) << "the library made the device";
  d3d::HeadlessControl& control = *d3d::Headless(device);

  engine->Clear(0xFF204060u);
  engine->Clear(0xFF112233u);  // inside the frame's scene: only clears
  engine->RenderToScreen();
  EXPECT_EQ(control.PresentCount(), 1u);
  const d3d::PresentedImage* shown = control.Presented(Handle());
  ASSERT_NE(shown, nullptr) << "presented into the window's record";
  EXPECT_EQ(shown->width, static_cast<d3d::UINT>(kWidth));
  EXPECT_EQ(shown->pixels[0], 0xFF112233u);
  EXPECT_EQ(engine->Backend().ReadBackBuffer(kWidth, kHeight)[0], 0xFF112233u);

  engine->RenderToScreen();  // nothing drawn still presents
  EXPECT_EQ(control.PresentCount(), 2u);
  window->SetWindowState(forms::WindowState::Minimized);
  engine->Clear(0xFF112233u);
  engine->RenderToScreen();
  EXPECT_EQ(control.PresentCount(), 2u) << "a minimised window shows nothing";
  window->SetWindowState(forms::WindowState::Normal);
  engine->Clear(0xFF112233u);
  engine->RenderToScreen();
  EXPECT_EQ(control.PresentCount(), 3u);

  device->AddRef();
  engine->Shutdown();
  EXPECT_EQ(Device(), nullptr);
  EXPECT_EQ(control.LiveObjectCount(), 0u) << "no device object outlives the shutdown";
  EXPECT_EQ(device->Release(), 0u) << "the engine released exactly its reference";
}

TEST_F(LibraryBackendTest, AResizeAndADeviceLossResetAndTheNextFrameDrawsTheSame) {
  Start(HeadlessDirect3D());
  d3d::HeadlessControl& control = *d3d::Headless(Device());

  engine->ResizeDevice(320, 240);
  engine->Clear(0xFF00FF00u);
  engine->RenderToScreen();
  ASSERT_NE(control.Presented(Handle()), nullptr);
  EXPECT_EQ(control.Presented(Handle())->width, 320u);

  // A resize asked for inside the frame waits for its present.
  engine->Clear(0xFF00FF00u);
  engine->ResizeDevice(400, 300);
  engine->RenderToScreen();
  EXPECT_EQ(control.Presented(Handle())->width, 320u);
  engine->Clear(0xFF00FF00u);
  engine->RenderToScreen();
  EXPECT_EQ(control.Presented(Handle())->width, 400u);

  control.SetLoss(d3d::DeviceLoss::NotReset);
  engine->Clear(0xFF0000FFu);
  engine->RenderToScreen();  // fails to present: the backend resets
  EXPECT_EQ(control.Loss(), d3d::DeviceLoss::None);
  const d3d::UINT presents = control.PresentCount();
  engine->Clear(0xFF0000FFu);
  engine->RenderToScreen();
  EXPECT_EQ(control.PresentCount(), presents + 1);
  EXPECT_EQ(control.Presented(Handle())->pixels[0], 0xFF0000FFu);
}

// A later flight, a resize and a lost device make the fonts and the render surfaces again, also
// when the scene's textures take more than the texture memory; the glyph textures of the fonts let
// go are deleted.
TEST_F(LibraryBackendTest, FontsAndSurfacesAreMadeAgainWhateverTheTexturesTake) {
  d3d::HeadlessConfig config;
  config.textureMemory = 16u << 20;
  Start(HeadlessDirect3D(config));
  d3d::IDirect3DDevice8* device = Device();
  d3d::HeadlessControl& control = *d3d::Headless(device);
  engine::EngineScreen2DText text(*engine);
  auto surface = engine::EngineScene(*engine).CreateRenderSurface(256, 256, 0);
  int32_t font = 0;
  const auto makeFonts = [&] {
    for (const int32_t size : {8, 10, 11, 12, 13, 14, 16, 30})
      font = text.CreateTextureFont("Font" + std::to_string(size), "DejaVu Sans", size, true, false,
                                    false, true);
  };
  makeFonts();
  const d3d::UINT available = device->GetAvailableTextureMem();
  text.ResetFonts();
  makeFonts();
  EXPECT_EQ(device->GetAvailableTextureMem(), available) << "no glyph texture left behind";

  FillTextureMemory();

  const auto drawFrame = [&] {
    surface->StartRender(true, kBlue);
    surface->EndRender();
    engine->Clear(0xFF000000u);
    text.Begin();
    text.DrawText("Go on", 10, 10, kWhite, font);
    text.End();
    engine->RenderToScreen();
  };
  text.ResetFonts();
  ASSERT_NO_THROW(makeFonts()) << "the next flight's fonts";
  ASSERT_NO_THROW(drawFrame());
  engine->ResizeDevice(320, 240);
  ASSERT_NO_THROW(drawFrame()) << "after a resize";
  control.SetLoss(d3d::DeviceLoss::NotReset);
  engine->Clear(0xFF000000u);
  engine->RenderToScreen();
  ASSERT_NO_THROW(drawFrame()) << "after a lost device";
  EXPECT_EQ(control.Presented(Handle())->width, 320u);
}

TEST_F(LibraryBackendTest, TexturesAndConsecutive2DBatchesGoThroughTheLibrary) {
  Start(HeadlessDirect3D());
  d3d::HeadlessControl& control = *d3d::Headless(Device());
  engine::EngineTextureFactory textures(*engine);
  const std::string file = WriteQuadrants("quadrants.bmp");
  const int32_t first = textures.LoadTexture(file, "Quadrants");
  const int32_t second = textures.LoadTexture(file, "quadrants");  // newest of the name wins
  const int32_t device = engine->Textures().Get(second)->device;
  ASSERT_NE(device, 0);
  EXPECT_NE(engine->Textures().Get(first)->device, 0);
  EXPECT_NE(engine->Textures().Get(first)->device, device)
      << "each engine texture its own library record, so deleting one keeps the other";
  d3d::IDirect3DTexture8* texture = nullptr;
  ASSERT_NE(Internal_GetTexture(device, &texture), 0);
  texture->Release();

  engine::EngineScreen2DDraw draw(*engine);
  engine->Clear(0xFF000000u);
  control.ClearDraws();
  draw.Begin();
  draw.DrawFilledBox(0, 0, 10, 10, kRed, kRed, kRed, kRed);
  draw.End();
  draw.Begin();
  draw.DrawTexture(second, 10, 10, 42, 42, kWhite, kWhite, kWhite, kWhite);
  draw.End();
  engine->RenderToScreen();
  const auto& draws = control.Draws();
  ASSERT_FALSE(draws.empty());
  EXPECT_EQ(draws.back().textures[0], texture) << "the quad draws the library's texture";
  EXPECT_EQ(draws.front().textures[0], nullptr) << "the box before it, untextured";

  textures.DeleteTexture(second);
  EXPECT_EQ(Internal_GetTexture(device, &texture), 0) << "deleted in the library too";
}

TEST_F(LibraryBackendTest, EachShownGroupDrawsOnceWithItsMaterialAndTextureAndClonesShare) {
  Start(HeadlessDirect3D());
  d3d::HeadlessControl& control = *d3d::Headless(Device());
  engine::EngineScene scene(*engine);
  auto row = LoadRow(scene);
  auto clone = row->Clone("Clone");
  clone->SetPosition(0, 3, 0);

  engine->Clear(0xFF000000u);
  control.ClearDraws();
  row->Render();
  clone->Render();
  engine->RenderToScreen();
  const auto& draws = control.Draws();
  ASSERT_EQ(draws.size(), 4u) << "two shown groups, twice";
  EXPECT_EQ(draws[0].state.material.Diffuse.r, 1.0f);
  EXPECT_EQ(draws[0].textures[0], nullptr);
  EXPECT_EQ(draws[1].state.material.Diffuse.g, 1.0f);
  d3d::IDirect3DTexture8* texture = nullptr;
  Internal_GetTexture(engine->Textures().Get(row->Groups()[1].texture)->device, &texture);
  ASSERT_NE(texture, nullptr) << "the file's texture, loaded with its group";
  texture->Release();
  EXPECT_EQ(draws[1].textures[0], texture);
  EXPECT_EQ(draws[1].primitiveCount, 2u);
  EXPECT_EQ(draws[2].streamSource, draws[0].streamSource) << "the clone draws the same buffers";

  // A moved vertex is uploaded again; an unchanged mesh is not.
  row->SetVertex(0, -3, -2, 0);
  engine->Clear(0xFF000000u);
  control.ClearDraws();
  row->Render();
  clone->Render();
  engine->RenderToScreen();
  ASSERT_EQ(draws.size(), 4u);
  EXPECT_EQ(draws[0].streamSource, draws[2].streamSource) << "the clone shares the change";
  EXPECT_EQ(reinterpret_cast<const float*>(draws[0].vertices.data())[1], -2.0f);
}

TEST_F(LibraryBackendTest, SurfacesDrawBeforeAndInsideTheFrameWithoutNestingScenes) {
  Start(HeadlessDirect3D());
  d3d::HeadlessControl& control = *d3d::Headless(Device());
  engine::EngineRenderSurface before(*engine, 64, 64);
  engine::EngineRenderSurface inside(*engine, 32, 32);
  control.ClearDraws();
  DrawSurfaces(before, inside);  // a nested scene would fail the surface's start
  engine->RenderToScreen();

  const auto& draws = control.Draws();
  ASSERT_EQ(draws.size(), 4u);
  EXPECT_NE(draws[0].renderTarget, draws[1].renderTarget) << "the first box into the surface";
  EXPECT_EQ(draws[1].renderTarget, draws[3].renderTarget) << "the frame went on on its target";
  d3d::IDirect3DTexture8* texture = nullptr;
  Internal_GetTexture(engine->Textures().Get(inside.GetTexture())->device, &texture);
  ASSERT_NE(texture, nullptr);
  texture->Release();
  EXPECT_EQ(draws[3].textures[0], texture);
  EXPECT_EQ(control.PresentCount(), 1u);

  const int32_t device = engine->Textures().Get(before.GetTexture())->device;
  before.Release();
  EXPECT_EQ(Internal_GetTexture(device, &texture), 0) << "released in the library too";
}

// A surface cleared and drawn in 2D as the frame before drew it is not drawn again; whatever could
// make its picture differ draws it again, whole.
TEST_F(LibraryBackendTest, ASurfaceDrawnAsBeforeIsNotDrawnAgain) {
  Start(HeadlessDirect3D());
  d3d::HeadlessControl& control = *d3d::Headless(Device());
  engine::EngineRenderSurface surface(*engine, 64, 64);
  engine::EngineRenderSurface other(*engine, 32, 32);
  engine::EngineScreen2DDraw draw(*engine);
  engine::EngineScene scene(*engine);
  auto mesh = scene.CreateMesh();
  mesh->AddVertex(0, 0, 1, kWhite, 0, 0);
  mesh->AddVertex(1, 0, 1, kWhite, 1, 0);
  mesh->AddVertex(0, 1, 1, kWhite, 0, 1);
  const std::string file = WriteQuadrants("quadrants.bmp");
  struct Case {
    const char* what;
    bool otherClear = false;    // cleared to another colour
    uint32_t secondBox = kRed;  // 0: no second box
    bool otherSurface = false;  // its texture drawn too, both times
    bool mesh = false;          // drawn into the surface after the boxes, both times
    std::function<void()> between = [] {};
    bool drawn = true;  // into the surface in the frame after the first
  };
  const Case cases[] = {
      {"the same again", false, kRed, false, false, [] {}, false},
      {"another clear colour", true},
      {"another colour", false, kGreen},
      {"a box fewer", false, 0},
      {"another surface's picture", false, kRed, true},
      {"a mesh in it", false, kRed, false, true},
      {"a texture loaded", false, kRed, false, false,
       [&] { engine::EngineTextureFactory(*engine).LoadTexture(file, "quadrants"); }},
      {"a lost device", false, kRed, false, false,
       [&] {
         control.SetLoss(d3d::DeviceLoss::NotReset);
         engine->Clear(0xFF000000u);
         engine->RenderToScreen();
       }},
  };
  uint32_t clear = kBlue;
  const auto frame = [&](const Case& drawn) {
    control.ClearDraws();
    surface.StartRender(true, clear);
    draw.Begin();
    draw.DrawFilledBox(0, 0, 32, 64, kRed, kRed, kRed, kRed);
    if (drawn.secondBox != 0)
      draw.DrawFilledBox(32, 0, 64, 64, drawn.secondBox, drawn.secondBox, drawn.secondBox,
                         drawn.secondBox);
    if (drawn.otherSurface)
      draw.DrawTexture(other.GetTexture(), 0, 0, 8, 8, kWhite, kWhite, kWhite, kWhite);
    draw.End();
    if (drawn.mesh) mesh->Render();
    surface.EndRender();
    engine->Clear(0xFF000000u);
    draw.Begin();
    draw.DrawFilledBox(0, 0, 8, 8, kWhite, kWhite, kWhite, kWhite);  // into the back buffer
    draw.End();
    engine->RenderToScreen();
    return std::ranges::any_of(control.Draws(), [&](const d3d::DrawRecord& record) {
      return record.renderTarget != control.Draws().back().renderTarget;
    });
  };
  for (const Case& next : cases) {
    ++clear;  // each case's first frame unlike the one before
    Case first = next;
    first.secondBox = kRed;
    EXPECT_TRUE(frame(first)) << next.what;
    next.between();
    if (next.otherClear) ++clear;
    EXPECT_EQ(frame(next), next.drawn) << next.what;
  }
}

TEST_F(LibraryBackendTest, ALandscapeDrawsTheChunksInViewAndAHeightChangeUploadsAgain) {
  Start(HeadlessDirect3D());
  d3d::HeadlessControl& control = *d3d::Headless(Device());
  engine::EngineLandscape land(*engine);
  LoadRidge(land);
  engine::EngineScene scene(*engine);
  auto frame = [&] {
    engine->Clear(0xFF000000u);
    control.ClearDraws();
    land.Render();
    engine->RenderToScreen();
    return control.Draws();
  };
  // Two triangles a cell, and a skirt of four along each cell's side on the given sides.
  const auto triangles = [](d3d::UINT cells, d3d::UINT sides) {
    return 2 * cells * cells + sides * 4 * cells;
  };
  const auto total = [](const std::vector<d3d::DrawRecord>& draws) {
    d3d::UINT sum = 0;
    for (const d3d::DrawRecord& draw : draws) sum += draw.primitiveCount;
    return sum;
  };
  // Above the middle: all four chunks whole, skirts only on the landscape's border, as the
  // edges between chunks of one level meet.
  scene.SetCameraLookAt(32, 100, 32, 32, 0, 32.1f);
  EXPECT_EQ(total(frame()), 4 * triangles(32, 2));
  scene.SetCameraLookAt(8, 10, 8, 8, 0, 8.1f);  // low over the first chunk
  const std::vector<d3d::DrawRecord> near = frame();
  ASSERT_EQ(near.size(), 1u) << "chunks out of view are not drawn";
  EXPECT_EQ(near[0].primitiveCount, triangles(32, 4)) << "skirts towards chunks not drawn";
  scene.SetCameraLookAt(32, 10, -600, 32, 0, 32);  // far off: every eighth sample
  EXPECT_EQ(total(frame()), 4 * triangles(4, 2));
  land.SetPrecisionMode(1);
  EXPECT_EQ(total(frame()), 4 * triangles(32, 2));
  land.SetPrecisionMode(0);
  // Low beside the first column: it whole, the second at every other sample, and skirts between.
  scene.SetCameraLookAt(-80, 5, 32, 64, 0, 32);
  EXPECT_EQ(total(frame()), 2 * (triangles(32, 3) + triangles(16, 3)));
  scene.SetCameraLookAt(8, 10, 8, 8, 0, 8.1f);

  land.SetHeight(1, 1, 3);
  const std::vector<d3d::DrawRecord> changed = frame();
  ASSERT_EQ(changed.size(), near.size());
  EXPECT_NE(changed[0].vertices, near[0].vertices) << "the new height is in the device";
}

// Boxes of one colour would share a draw; a change of blend factors or filter between them starts
// the library's batch again, and the 3D drawing gets its filter back after the batch.
TEST_F(LibraryBackendTest, ADrawStateOrFilterChangeInABatchStartsItAgain) {
  Start(HeadlessDirect3D());
  d3d::HeadlessControl& control = *d3d::Headless(Device());
  engine::EngineScreen2DDraw draw(*engine);
  engine->Clear(0xFF000000u);
  control.ClearDraws();
  draw.Begin();
  draw.DrawFilledBox(0, 0, 10, 10, kRed, kRed, kRed, kRed);
  draw.SetDrawState(d3d::D3DBLEND_ONE, d3d::D3DBLEND_ONE);
  draw.DrawFilledBox(10, 0, 20, 10, kRed, kRed, kRed, kRed);
  draw.SetTextureFilter(1);
  draw.DrawFilledBox(20, 0, 30, 10, kRed, kRed, kRed, kRed);
  draw.End();
  engine->RenderToScreen();
  const auto& draws = control.Draws();
  ASSERT_EQ(draws.size(), 3u);
  const auto &first = draws[0].state, &second = draws[1].state, &third = draws[2].state;
  EXPECT_EQ(first.renderStates[d3d::D3DRS_SRCBLEND], d3d::D3DBLEND_SRCALPHA);
  EXPECT_EQ(second.renderStates[d3d::D3DRS_SRCBLEND], d3d::D3DBLEND_ONE);
  EXPECT_EQ(second.renderStates[d3d::D3DRS_DESTBLEND], d3d::D3DBLEND_ONE);
  EXPECT_EQ(second.stageStates[0][d3d::D3DTSS_MAGFILTER], d3d::D3DTEXF_POINT);
  EXPECT_EQ(third.stageStates[0][d3d::D3DTSS_MAGFILTER], d3d::D3DTEXF_LINEAR);
  d3d::DWORD filter = 0;
  Device()->GetTextureStageState(0, d3d::D3DTSS_MAGFILTER, &filter);
  EXPECT_EQ(filter, d3d::D3DTEXF_POINT) << "the device's own again";
}

// A panel or a sky of stars puts hundreds of items in one batch: every one is drawn.
TEST_F(LibraryBackendTest, BigBatchesDrawWhole) {
  Start(HeadlessDirect3D());
  d3d::HeadlessControl& control = *d3d::Headless(Device());
  engine::EngineScreen2DDraw draw(*engine);
  constexpr int kBoxes = 300;
  engine->Clear(0xFF000000u);
  control.ClearDraws();
  for (int box = 0; box < kBoxes; ++box) {
    draw.Begin();  // as the star field draws: a batch per star
    const auto x = static_cast<float>(box % 20 * 10), y = static_cast<float>(box / 20 * 10);
    draw.DrawFilledBox(x, y, x + 5, y + 5, kWhite, kWhite, kWhite, kWhite);
    draw.End();
  }
  engine->RenderToScreen();
  d3d::UINT triangles = 0;
  for (const d3d::DrawRecord& record : control.Draws()) triangles += record.primitiveCount;
  EXPECT_EQ(triangles, 2u * kBoxes);
}

// Shadows asked for one after another darken the frame once, through a reset as before; a
// W-buffer has no stencil and draws none.
TEST_F(LibraryBackendTest, ShadowsDarkenOnceAFrameThroughResetsAndNotWithoutStencil) {
  Start(HeadlessDirect3D());
  d3d::IDirect3DDevice8* device = Device();
  d3d::HeadlessControl& control = *d3d::Headless(device);
  engine::EngineScene scene(*engine);
  auto row = LoadRow(scene);
  auto clone = row->Clone("Clone");
  clone->SetPosition(0, 3, 0);
  d3d::D3DLIGHT8 sun{};
  sun.Type = d3d::D3DLIGHT_DIRECTIONAL;
  sun.Direction = {0, -1, 1};
  const int32_t light = engine::EngineLights(*engine).CreateLight(sun);
  for (auto& mesh : {row, clone}) mesh->SetShadowCast(true, light);
  engine->SetColourAndRange(0x80000000u, 50);
  auto shadows = [&] {
    engine->Clear(0xFF000000u);
    control.ClearDraws();
    row->ShadowPass();
    clone->ShadowPass();
    engine->RenderToScreen();
    // Volumes counted into the stencil, and darkenings where it counts.
    std::pair<int, int> count;
    for (const d3d::DrawRecord& draw : control.Draws()) {
      if (draw.state.renderStates[d3d::D3DRS_STENCILENABLE] == 0) continue;
      const bool darkening =
          draw.state.renderStates[d3d::D3DRS_STENCILFUNC] == d3d::D3DCMP_LESSEQUAL;
      (darkening ? count.second : count.first) += 1;
    }
    return count;
  };
  // Two casters, the sides and caps of each volume counted up and down.
  EXPECT_EQ(shadows(), std::pair(8, 1));
  engine->ResizeDevice(320, 240);
  EXPECT_EQ(shadows(), std::pair(8, 1)) << "the volumes' buffers made again after the reset";
  scene.SetDepthBuffer(2);
  EXPECT_EQ(shadows(), std::pair(0, 0));
  device->AddRef();
  engine->Shutdown();
  EXPECT_EQ(control.LiveObjectCount(), 0u);
  EXPECT_EQ(device->Release(), 0u);
}

// The window shows the frame through the gamma; the back buffer keeps what was drawn.
TEST_F(LibraryBackendTest, TheGammaBrightensWhatTheWindowShows) {
  Start(HeadlessDirect3D());
  d3d::HeadlessControl& control = *d3d::Headless(Device());
  engine::EngineGraphicEffect effect(*engine);
  effect.SetGamma(2);
  engine->Clear(0xFF400080u);
  engine->RenderToScreen();
  // 255 x (level / 255) ^ (1 / 2)
  EXPECT_EQ(control.Presented(Handle())->pixels[0], 0xFF8000B5u);
  EXPECT_EQ(engine->Backend().ReadBackBuffer(kWidth, kHeight)[0], 0xFF400080u);
  effect.SetGamma(1);
  engine->Clear(0xFF400080u);
  engine->RenderToScreen();
  EXPECT_EQ(control.Presented(Handle())->pixels[0], 0xFF400080u);
}

// Textures are capped at the device's largest side; a device that can keep no texture refuses
// with an EngineError naming the file.
TEST_F(LibraryBackendTest, TexturesFitTheDeviceOrAreRefusedSayingWhich) {
  d3d::HeadlessConfig small;
  small.caps.MaxTextureWidth = small.caps.MaxTextureHeight = 4;
  Start(HeadlessDirect3D(small));
  engine::EngineTextureFactory textures(*engine);
  const std::string file = WriteQuadrants("quadrants.bmp");
  EXPECT_EQ(engine->Textures().Get(textures.LoadTexture(file, "q"))->width, 4);
  engine->Shutdown();
  d3d::HeadlessConfig none;
  none.textureFormats.clear();
  Start(HeadlessDirect3D(none));
  engine::EngineTextureFactory refused(*engine);
  try {
    refused.LoadTexture(file, "q");
    FAIL() << "no texture on a device that keeps none";
  } catch (const engine::EngineError& error) {
    EXPECT_NE(std::string(error.what()).find("quadrants.bmp"), std::string::npos) << error.what();
  }
}

TEST_F(LibraryBackendTest, ADeviceThatCannotBeMadeIsAnEngineErrorSayingWhy) {
  d3d::HeadlessConfig refusing;
  refusing.createDeviceResult = d3d::D3DERR_NOTAVAILABLE;
  engine = std::make_unique<engine::Engine>(engine::MakeLibraryBackend(HeadlessDirect3D(refusing)));
  int32_t result = -1;
  try {
    engine->Init(*window, true, result);
    FAIL() << "no device, no start";
  } catch (const engine::EngineError& error) {
    EXPECT_NE(std::string(error.what()).find("the headless device refused"), std::string::npos)
        << error.what();
  }
  EXPECT_FALSE(engine->Initialised());
  EXPECT_EQ(Device(), nullptr);
  // The library is left ready for the next start.
  Start(HeadlessDirect3D());
  EXPECT_NE(Device(), nullptr);
}

}  // namespace
