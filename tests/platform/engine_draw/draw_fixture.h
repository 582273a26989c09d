// An engine drawing through the library backend on a headless main window of 640 x 480 pixels,
// with the device a creation object of the test's choice makes.
#pragma once

#include <gtest/gtest.h>

#include "library/core/vortanautil.h"
#include "platform/d3dx/image_file.h"
#include "platform/engine/draw2d.h"
#include "platform/engine/landscape.h"
#include "platform/engine/resources.h"
#include "platform/engine/scene.h"
#include "platform/engine_draw/library_backend.h"
#include "tests/platform/engine/engine_fixture.h"

// Three squares in a row facing -z, one material group each: red, green with the quadrant
// texture beside the file, blue.
inline constexpr const char* kThreeGroups = R"(xof 0303txt 0032
Mesh Row {
  12; -3;-1;0;, -3;1;0;, -1;1;0;, -1;-1;0;,
      -1;-1;0;, -1;1;0;, 1;1;0;, 1;-1;0;,
      1;-1;0;, 1;1;0;, 3;1;0;, 3;-1;0;;
  6; 3;0,1,2;, 3;0,2,3;, 3;4,5,6;, 3;4,6,7;, 3;8,9,10;, 3;8,10,11;;
  MeshTextureCoords { 12; 0;1;, 0;0;, 1;0;, 1;1;, 0;1;, 0;0;, 1;0;, 1;1;, 0;1;, 0;0;, 1;0;, 1;1;; }
  MeshMaterialList { 3; 6; 0, 0, 1, 1, 2, 2;;
    Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }
    Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { "quadrants.bmp"; } }
    Material { 0;0;1;1;; 0; 0;0;0;; 0;0;0;; } }
}
)";

class DrawTest : public ::testing::Test {
 protected:
  static constexpr int32_t kWidth = kMainWindowWidth;
  static constexpr int32_t kHeight = kMainWindowHeight;

  static constexpr uint32_t kRed = 0xFFFF0000u;
  static constexpr uint32_t kGreen = 0xFF00FF00u;
  static constexpr uint32_t kBlue = 0xFF0000FFu;
  static constexpr uint32_t kWhite = 0xFFFFFFFFu;

  void SetUp() override {
    forms::UseClock(&clock);
    programFolder_ = win::AppPath();
    win::SetAppPath(folder.Path().string());
    window->Show();
  }
  void TearDown() override {
    engine.reset();
    window.Unload();
    win::SetAppPath(programFolder_);
    forms::UseClock(nullptr);
  }

  // An 8 x 8 image file of four quadrants: red, green over blue, white; the program path of it.
  std::string WriteQuadrants(const std::string& file) {
    constexpr uint32_t kSide = 8;
    d3dx::ArgbImage image(kSide, kSide);
    for (uint32_t y = 0; y < kSide; ++y)
      for (uint32_t x = 0; x < kSide; ++x)
        image.At(x, y) =
            y < kSide / 2 ? (x < kSide / 2 ? kRed : kGreen) : (x < kSide / 2 ? kBlue : kWhite);
    const std::vector<uint8_t> bmp = d3dx::EncodeBmp(image, false);
    folder.WriteFile(file, std::string(bmp.begin(), bmp.end()));
    return win::AppPath() + "\\" + file;
  }

  void Start(engine::Direct3DSource source) {
    engine = std::make_unique<engine::Engine>(engine::MakeLibraryBackend(std::move(source)));
    int32_t result = -1;
    engine->Init(*window, true, result);
    ASSERT_EQ(result, 0);
  }
  // A surface drawn before the frame (blue, its left half red), a white square at the frame's
  // corner, a surface drawn inside the frame (green), then both surfaces' textures on quads: at
  // (100, 100) 64 pixels wide and at (200, 100) 32 pixels wide.
  void DrawSurfaces(engine::EngineRenderSurface& before, engine::EngineRenderSurface& inside) {
    engine::EngineScreen2DDraw draw(*engine);
    before.StartRender(true, kBlue);
    draw.Begin();
    draw.DrawFilledBox(0, 0, 32, 64, kRed, kRed, kRed, kRed);
    draw.End();
    before.EndRender();
    engine->Clear(0xFF000000u);
    draw.Begin();
    draw.DrawFilledBox(0, 0, 8, 8, kWhite, kWhite, kWhite, kWhite);
    draw.End();
    inside.StartRender(true, kGreen);
    inside.EndRender();
    draw.Begin();
    draw.DrawTexture(before.GetTexture(), 100, 100, 164, 164, kWhite, kWhite, kWhite, kWhite);
    draw.DrawTexture(inside.GetTexture(), 200, 100, 232, 132, kWhite, kWhite, kWhite, kWhite);
    draw.End();
  }

  // Textures loaded until the device reports no texture memory left, as a scene's can.
  void FillTextureMemory() {
    engine::EngineTextureFactory textures(*engine);
    const d3dx::ArgbImage image(512, 512);
    const std::vector<uint8_t> bmp = d3dx::EncodeBmp(image, false);
    for (int k = 0; Device()->GetAvailableTextureMem() > 0; ++k) {
      ASSERT_LT(k, 200);
      const std::string file = "filling" + std::to_string(k) + ".bmp";
      folder.WriteFile(file, std::string(bmp.begin(), bmp.end()));
      textures.LoadTexture(win::AppPath() + "\\" + file, file);
    }
  }

  // The three-group row (its last group hidden) in the scene, seen from 10 units in front.
  std::shared_ptr<engine::EngineMesh> LoadRow(engine::EngineScene& scene) {
    WriteQuadrants("Models/quadrants.bmp");
    folder.WriteFile("Models/Row.x", kThreeGroups);
    scene.SetCameraLookAt(0, 0, -10, 0, 0, 0);
    auto row = scene.CreateMesh();
    row->LoadXFile(win::AppPath() + "\\Models\\Row.x");
    row->EnableGroup(2, false);
    return row;
  }

  // A 65 x 65 sample landscape, one unit apart: flat at 0 with a ridge 8 high along column 32.
  void LoadRidge(engine::EngineLandscape& land) {
    engine::HeightGrid grid{65, 65, 1.0f, {}};
    for (uint32_t row = 0; row < grid.rows; ++row)
      for (uint32_t column = 0; column < grid.columns; ++column)
        grid.heights.push_back(column == 32 ? 8.0f : 0.0f);
    const auto bytes = engine::WriteHeightGrid(grid);
    folder.WriteFile("ridge.ht", std::string(bytes.begin(), bytes.end()));
    land.LoadHeightMap(win::AppPath() + "\\ridge.ht");
  }

  // The device the library made, without a reference.
  static d3d::IDirect3DDevice8* Device() {
    d3d::IDirect3DDevice8* device = nullptr;
    Internal_GetDevice(&device);
    return device;
  }
  void* Handle() { return reinterpret_cast<void*>(window->hWnd()); }

  forms::VirtualClock clock;
  TempFolder folder;
  forms::FormSlot<MainWindowForm> window;
  std::unique_ptr<engine::Engine> engine;

 private:
  std::string programFolder_;
};
