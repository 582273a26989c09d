// The library backend on the OpenGL device, surfaceless on Mesa's software rasteriser: pixels.

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <algorithm>
#include <array>
#include <string>

#include "platform/d3d/gl.h"
#include "platform/d3d/headless.h"
#include "platform/engine/draw2d.h"
#include "platform/engine/scene.h"
#include "platform/win/byte_reader.h"
#include "tests/library/core/shadow_box.h"
#include "tests/platform/engine_draw/draw_fixture.h"

namespace {

class LibraryBackendGl : public DrawTest {
 protected:
  // A column of the head-up layer short of its warning bar [pixels].
  static constexpr int32_t kColumnLeft = kWidth * 3 / 4;
  static constexpr int32_t kColumnBottom = kHeight - 30;
  static constexpr int32_t kBarTop = kHeight - 20;

  void SetUp() override {
    DrawTest::SetUp();
    Start(engine::GlDirect3D());
  }

  // The back buffer, also written as a PNG file of that name in the build folder to look at.
  std::vector<uint32_t> Read(const std::string& name) {
    std::vector<uint32_t> pixels = engine->Backend().ReadBackBuffer(kWidth, kHeight);
    std::vector<uint8_t> rgb;
    rgb.reserve(pixels.size() * 3);
    for (uint32_t pixel : pixels)
      for (int shift : {16, 8, 0}) rgb.push_back(static_cast<uint8_t>(pixel >> shift));
    const std::string path = std::string(ENGINE_DRAW_PICTURES) + "/" + name + ".png";
    stbi_write_png(path.c_str(), kWidth, kHeight, 3, rgb.data(), kWidth * 3);
    return pixels;
  }
  static uint32_t At(const std::vector<uint32_t>& pixels, int32_t x, int32_t y) {
    return pixels[static_cast<size_t>(y) * kWidth + static_cast<size_t>(x)];
  }
  static int32_t Brightness(uint32_t pixel) {
    return static_cast<int32_t>(((pixel >> 16 & 0xFF) + (pixel >> 8 & 0xFF) + (pixel & 0xFF)) / 3);
  }
  // A texture of one colour, loaded by the engine under the file's name.
  int32_t Plain(engine::EngineTextureFactory& textures, const std::string& file, uint32_t colour) {
    d3dx::ArgbImage image(4, 4);
    for (uint32_t& texel : image.pixels) texel = colour;
    const std::vector<uint8_t> bmp = d3dx::EncodeBmp(image, false);
    folder.WriteFile(file, std::string(bmp.begin(), bmp.end()));
    return textures.LoadTexture(win::AppPath() + "\\" + file, file);
  }
  // The ridge landscape seen from before it and above, lit from the upper left.
  void ShowRidge(engine::EngineLandscape& land, engine::EngineScene& scene) {
    LoadRidge(land);
    scene.SetCameraLookAt(32, 30, -20, 32, 0, 32);
    d3d::D3DLIGHT8 sun{};
    sun.Type = d3d::D3DLIGHT_DIRECTIONAL;
    sun.Diffuse = {1, 1, 1, 1};
    sun.Direction = {1, -1, 0};
    engine::EngineLights(*engine).CreateLight(sun);
  }
  // Where the main camera shows a world point.
  std::pair<int32_t, int32_t> PixelOf(const d3dx::D3DXVECTOR3& point) {
    engine::EngineScreen2DDraw draw(*engine);
    float x = 0, y = 0;
    bool shown = false;
    draw.ProjectPoint(point, x, y, 0, shown);
    EXPECT_TRUE(shown);
    return {static_cast<int32_t>(x), static_cast<int32_t>(y)};
  }
};

TEST_F(LibraryBackendGl, TheFrameClearsAndReadsBackWhatItDrew) {
  engine->Clear(0xFF336699u);
  const std::vector<uint32_t> pixels = engine->Backend().ReadBackBuffer(kWidth, kHeight);
  EXPECT_EQ(pixels.front(), 0xFF336699u);
  EXPECT_EQ(pixels.back(), 0xFF336699u);
  engine->RenderToScreen();
  engine->ResizeDevice(200, 100);
  engine->Clear(0xFF996633u);
  EXPECT_EQ(engine->Backend().ReadBackBuffer(200, 100)[199 + 99 * 200], 0xFF996633u);
  engine->RenderToScreen();
}

TEST_F(LibraryBackendGl, TwoDCornerColoursAndATexturesQuadrantsLandOnTheirPixels) {
  engine::EngineTextureFactory textures(*engine);
  const int32_t quadrants = textures.LoadTexture(WriteQuadrants("quadrants.bmp"), "quadrants");
  engine::EngineScreen2DDraw draw(*engine);
  engine->Clear(0xFF000000u);
  draw.Begin();
  draw.DrawFilledBox(0, 0, kWidth, kHeight, kRed, kGreen, kBlue, kWhite);
  draw.End();
  draw.Begin();
  draw.DrawTexture(quadrants, 200, 100, 400, 300, kWhite, kWhite, kWhite, kWhite);
  draw.End();
  const std::vector<uint32_t> pixels = Read("engine_draw_2d");
  // The screenshot is this frame's back buffer, 2D included, as ReadBackBuffer gives it.
  engine->Screenshot(win::AppPath() + "\\shot.bmp");
  const auto bytes = win::ReadFileBytes(folder.Path() / "shot.bmp", 1u << 24);
  ASSERT_TRUE(bytes.has_value());
  const auto shot = d3dx::DecodeImageFile(*bytes);
  ASSERT_TRUE(shot.has_value());
  const d3dx::PixelView view = shot->View(0, 0);
  ASSERT_EQ(view.width, static_cast<uint32_t>(kWidth));
  int32_t differing = 0;
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x)
      differing +=
          (reinterpret_cast<const uint32_t*>(view.bits + static_cast<size_t>(y) * view.pitch)[x] |
           0xFF000000u) != At(pixels, x, y);
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(At(pixels, 0, 0), kRed) << "top left";
  EXPECT_EQ(At(pixels, kWidth - 1, 0) & 0xFFF0F0F0u, kGreen & 0xFFF0F0F0u) << "top right";
  EXPECT_EQ(At(pixels, 0, kHeight - 1) & 0xFFF0F0F0u, kBlue & 0xFFF0F0F0u) << "bottom left";
  EXPECT_EQ(At(pixels, kWidth - 1, kHeight - 1) & 0xFFF0F0F0u, kWhite & 0xFFF0F0F0u);
  EXPECT_EQ(At(pixels, 250, 150), kRed);
  EXPECT_EQ(At(pixels, 350, 150), kGreen);
  EXPECT_EQ(At(pixels, 250, 250), kBlue);
  EXPECT_EQ(At(pixels, 350, 250), kWhite);
  engine->RenderToScreen();
}

// Stars as the program draws them, each circle its own batch, between boxes: the backend draws
// runs of circles itself, and the picture is the one the library's own batch draws, translucent
// stars included (a pixel covered twice would show).
TEST_F(LibraryBackendGl, ASkyOfStarsDrawsAsTheLibrarysBatchDrawsIt) {
  constexpr int kStars = 700;
  const auto star = [](int k) {
    // The one before the blue box lies under it; the others on pixel centres, corners and between.
    return k == kStars / 2
               ? std::array{350.0f, 150.0f, 10.0f, 6.0f}
               : std::array{static_cast<float>(k * 37 % kWidth) + static_cast<float>(k % 5) * 0.25f,
                            static_cast<float>(k * 91 % kHeight) + static_cast<float>(k % 3) * 0.5f,
                            1.5f + static_cast<float>(k % 4) * 1.25f,
                            static_cast<float>(3 + k % 12)};
  };
  const auto colour = [](int k) {
    return k % 3 == 0 ? kWhite : (k % 3 == 1 ? 0x80FFC040u : 0xFF000000u | (0x10305u * k));
  };
  engine::EngineScreen2DDraw draw(*engine);
  engine->Clear(0xFF000000u);
  draw.Begin();
  draw.DrawFilledBox(0, 0, 200, 200, kRed, kRed, kRed, kRed);
  draw.End();
  for (int k = 0; k < kStars; ++k) {
    const auto s = star(k);
    draw.Begin();
    draw.DrawFilledCircle(s[0], s[1], s[2], static_cast<int32_t>(s[3]), colour(k));
    if (k == kStars / 2) draw.DrawFilledBox(300, 100, 400, 200, kBlue, kBlue, kBlue, kBlue);
    draw.End();
  }
  draw.Begin();
  draw.DrawFilledBox(100, 100, 300, 300, kGreen, kGreen, kGreen, kGreen);
  draw.End();
  const std::vector<uint32_t> engineDrawn = Read("engine_draw_stars");
  engine->RenderToScreen();

  // The same through the library's batch alone, blending as the engine's 2D does.
  engine->Clear(0xFF000000u);
  d3d::IDirect3DDevice8* device = nullptr;
  ASSERT_EQ(Internal_GetDevice(&device), 1);
  device->SetRenderState(d3d::D3DRS_ALPHABLENDENABLE, 1);
  device->SetRenderState(d3d::D3DRS_SRCBLEND, d3d::D3DBLEND_SRCALPHA);
  device->SetRenderState(d3d::D3DRS_DESTBLEND, d3d::D3DBLEND_INVSRCALPHA);
  Screen2D_Start();
  Screen2D_DrawFilledBox(0, 0, 200, 200, kRed, kRed, kRed, kRed);
  for (int k = 0; k < kStars; ++k) {
    const auto s = star(k);
    Screen2D_DrawFilledCircle(s[0], s[1], s[2], static_cast<int32_t>(s[3]), colour(k));
    if (k == kStars / 2) Screen2D_DrawFilledBox(300, 100, 400, 200, kBlue, kBlue, kBlue, kBlue);
  }
  Screen2D_DrawFilledBox(100, 100, 300, 300, kGreen, kGreen, kGreen, kGreen);
  Screen2D_End();
  device->SetRenderState(d3d::D3DRS_ALPHABLENDENABLE, 0);
  const std::vector<uint32_t> libraryDrawn = engine->Backend().ReadBackBuffer(kWidth, kHeight);
  engine->RenderToScreen();
  EXPECT_GT(std::ranges::count(engineDrawn, kWhite), kStars);
  EXPECT_EQ(std::ranges::mismatch(engineDrawn, libraryDrawn).in1 - engineDrawn.begin(),
            static_cast<std::ptrdiff_t>(engineDrawn.size()))
      << "first differing pixel";
  EXPECT_EQ(At(engineDrawn, 150, 150), kGreen);  // over the red box and its stars
  EXPECT_EQ(At(engineDrawn, 350, 150), kBlue);   // over the star before it
}

TEST_F(LibraryBackendGl, ALitMeshShowsEachGroupsColourAndTextureWhereTheSceneProjectsIt) {
  engine::EngineScene scene(*engine);
  auto row = LoadRow(scene);
  engine::EngineMaterialFactory materials(*engine);
  row->SetMaterial(materials.CreateMaterial(1, 1, 1, 1, "white"), 1);
  d3d::D3DLIGHT8 sun{};
  sun.Type = d3d::D3DLIGHT_DIRECTIONAL;
  sun.Diffuse = {1, 1, 1, 1};
  sun.Direction = {0, 0, 1};  // from the camera's side
  engine::EngineLights(*engine).CreateLight(sun);

  engine->Clear(0xFF000000u);
  row->Render();
  const std::vector<uint32_t> pixels = Read("engine_draw_mesh");
  engine::EngineScreen2DDraw draw(*engine);
  auto pixelAt = [&](float x, float y) {
    float px = 0, py = 0;
    bool shown = false;
    draw.ProjectPoint({x, y, 0}, px, py, 0, shown);
    EXPECT_TRUE(shown);
    return At(pixels, static_cast<int32_t>(px), static_cast<int32_t>(py));
  };
  EXPECT_EQ(pixelAt(-2, 0), kRed) << "the first group's material, lit head on";
  EXPECT_EQ(pixelAt(-0.5f, 0.5f), kRed) << "the texture's top left at the top left";
  EXPECT_EQ(pixelAt(0.5f, 0.5f), kGreen);
  EXPECT_EQ(pixelAt(-0.5f, -0.5f), kBlue);
  EXPECT_EQ(pixelAt(0.5f, -0.5f), kWhite);
  EXPECT_EQ(pixelAt(2, 0), 0xFF000000u) << "the hidden group";
  engine->RenderToScreen();
}

// Under the covers the frame announces, the 3D drawing of the back buffer leaves the pixels as
// they were; beside them it draws as ever, and 2D drawing goes on everywhere.
TEST_F(LibraryBackendGl, TheSceneLeavesWhatTheCoversHide) {
  engine::EngineScene scene(*engine);
  auto row = LoadRow(scene);
  row->SetMaterial(engine::EngineMaterialFactory(*engine).CreateMaterial(1, 1, 1, 1, "white"), 1);
  d3d::D3DLIGHT8 sun{};
  sun.Type = d3d::D3DLIGHT_DIRECTIONAL;
  sun.Diffuse = {1, 1, 1, 1};
  sun.Direction = {0, 0, 1};
  engine::EngineLights(*engine).CreateLight(sun);
  const auto [x, y] = PixelOf({-2, 0, 0});   // inside the first group, drawn red
  const float edge = static_cast<float>(x);  // the cover's left edge, across the group
  engine->CoverView(edge, 0, kWidth, kHeight);
  engine->Clear(0xFF000000u);
  row->Render();
  engine::EngineScreen2DDraw draw(*engine);
  draw.Begin();
  draw.DrawFilledBox(kWidth - 10, 0, kWidth, 10, kBlue, kBlue, kBlue, kBlue);
  draw.End();
  const std::vector<uint32_t> pixels = Read("engine_draw_covered");
  EXPECT_EQ(At(pixels, x - 2, y), kRed) << "beside the cover";
  EXPECT_EQ(At(pixels, x + 1, y), 0xFF000000u) << "under the cover";
  EXPECT_EQ(At(pixels, kWidth - 5, 5), kBlue) << "2D over the cover";
  engine->RenderToScreen();
  // The covers were the last frame's.
  engine->Clear(0xFF000000u);
  row->Render();
  EXPECT_EQ(At(Read("engine_draw_uncovered"), x + 1, y), kRed);
  engine->RenderToScreen();
}

// Text of either kind of font is drawn where asked, and GetTextSize is the size of its ink.
TEST_F(LibraryBackendGl, TextInkLiesWhereAskedAndMeasuresAsGetTextSizeSays) {
  engine::EngineScreen2DText text(*engine);
  const int32_t fonts[] = {
      text.CreateTextureFont("panel", "DejaVu Sans", 20, false, false, false, true),
      text.CreateFont("message", "DejaVu Sans", 20, false)};
  const std::string line = "Moon 42 \xC2\xB0";  // UTF-8, as the program keeps it
  for (const int32_t font : fonts) {
    engine->Clear(0xFF000000u);
    text.Begin();
    text.DrawText(line, 100, 200, kWhite, font);
    text.End();
    const std::vector<uint32_t> pixels =
        Read(font == fonts[0] ? "engine_draw_texture_font" : "engine_draw_plain_font");
    int32_t left = kWidth, right = -1, top = kHeight, bottom = -1;
    for (int32_t y = 0; y < kHeight; ++y)
      for (int32_t x = 0; x < kWidth; ++x)
        if ((At(pixels, x, y) & 0xFF) > 0x80) {
          left = std::min(left, x), right = std::max(right, x);
          top = std::min(top, y), bottom = std::max(bottom, y);
        }
    int32_t width = 0, height = 0;
    text.GetTextSize(line, font, width, height);
    ASSERT_GE(right, left) << "ink drawn in font " << font;
    EXPECT_NEAR(left, 100, 3) << font;
    EXPECT_GE(top, 200) << font;
    EXPECT_NEAR(right + 1 - 100, width, 3) << font;
    EXPECT_LE(bottom + 1 - 200, height) << font;
    EXPECT_GT(height, 15) << font;
    engine->RenderToScreen();
  }
}

TEST_F(LibraryBackendGl, ASurfacesPictureShowsOnAQuadAndTheFrameGoesOnUncleared) {
  engine::EngineRenderSurface before(*engine, 64, 64);
  engine::EngineRenderSurface inside(*engine, 32, 32);
  DrawSurfaces(before, inside);
  const std::vector<uint32_t> pixels = Read("engine_draw_surfaces");
  EXPECT_EQ(At(pixels, 110, 130), kRed) << "the surface drawn before the frame";
  EXPECT_EQ(At(pixels, 150, 130), kBlue);
  EXPECT_EQ(At(pixels, 216, 116), kGreen) << "the surface drawn inside it";
  EXPECT_EQ(At(pixels, 4, 4), kWhite) << "the frame, uncleared";
  engine->RenderToScreen();
}

// Surfaces drawn in the next frame as in the one before keep their pictures, undrawn.
TEST_F(LibraryBackendGl, SurfacesDrawnAsBeforeShowTheSamePictures) {
  engine::EngineRenderSurface before(*engine, 64, 64);
  engine::EngineRenderSurface inside(*engine, 32, 32);
  DrawSurfaces(before, inside);
  engine->RenderToScreen();
  d3d::HeadlessControl& control = *d3d::Headless(Device());
  control.ClearDraws();
  control.SetRecording(true);
  DrawSurfaces(before, inside);
  const std::vector<uint32_t> pixels = Read("engine_draw_surfaces_again");
  control.SetRecording(false);
  EXPECT_EQ(control.Draws().size(), 3u) << "the frame's box and its two quads alone";
  control.ClearDraws();
  EXPECT_EQ(At(pixels, 110, 130), kRed);
  EXPECT_EQ(At(pixels, 150, 130), kBlue);
  EXPECT_EQ(At(pixels, 216, 116), kGreen);
  EXPECT_EQ(At(pixels, 4, 4), kWhite);
  engine->RenderToScreen();
}

// With the textures taking all the texture memory, fonts are made again (a later flight) and the
// device resets for a resize and a lost device: the surfaces made before draw their pictures and
// the new font shows its ink.
TEST_F(LibraryBackendGl, SurfacesAndFontsDrawAgainAfterAResizeAndALostDevice) {
  engine::EngineRenderSurface before(*engine, 64, 64);
  engine::EngineRenderSurface inside(*engine, 32, 32);
  engine::EngineScreen2DText text(*engine);
  text.CreateTextureFont("panel", "DejaVu Sans", 20, false, false, false, true);
  FillTextureMemory();
  text.ResetFonts();
  const int32_t font =
      text.CreateTextureFont("panel", "DejaVu Sans", 20, false, false, false, true);
  engine->RenderToScreen();
  engine->ResizeDevice(320, 240);
  engine->RenderToScreen();
  engine->ResizeDevice(kWidth, kHeight);
  d3d::Headless(Device())->SetLoss(d3d::DeviceLoss::NotReset);
  engine->RenderToScreen();
  DrawSurfaces(before, inside);
  text.Begin();
  text.DrawText("Go on", 300, 300, kWhite, font);
  text.End();
  const std::vector<uint32_t> pixels = Read("engine_draw_after_reset");
  EXPECT_EQ(At(pixels, 110, 130), kRed);
  EXPECT_EQ(At(pixels, 150, 130), kBlue);
  EXPECT_EQ(At(pixels, 216, 116), kGreen);
  int32_t ink = 0;
  for (int32_t y = 300; y < 330; ++y)
    for (int32_t x = 300; x < 380; ++x) ink += Brightness(At(pixels, x, y)) > 0x80 ? 1 : 0;
  EXPECT_GT(ink, 50) << "the text of the font made again";
  engine->RenderToScreen();
}

// The ridge shows where the engine's projection puts it, and a pick through that pixel finds the
// ground drawn there.
TEST_F(LibraryBackendGl, ALandscapeRidgeShowsWhereProjectPointPutsItAndPicksThere) {
  engine::EngineLandscape land(*engine);
  engine::EngineScene scene(*engine);
  ShowRidge(land, scene);
  engine->Clear(0xFF000000u);
  land.Render();
  const std::vector<uint32_t> pixels = Read("engine_draw_landscape");
  engine::EngineScreen2DDraw draw(*engine);
  auto pixelOf = [&](float x, float y, float z) {
    float px = 0, py = 0;
    bool shown = false;
    draw.ProjectPoint({x, y, z}, px, py, 0, shown);
    EXPECT_TRUE(shown);
    return std::pair{static_cast<int32_t>(px), static_cast<int32_t>(py)};
  };
  const auto [crestX, crestY] = pixelOf(32, 8, 32);
  EXPECT_NE(At(pixels, crestX, crestY), 0xFF000000u) << "the crest drawn where projected";
  EXPECT_EQ(At(pixels, crestX, 10), 0xFF000000u) << "above the horizon, nothing";
  // On through the crest's pixel, the first ground met is the crest.
  const engine::EnginePickResult hit = land.PickRay({32, 30, -20}, {32, -14, 84});
  ASSERT_TRUE(hit.IsHit());
  EXPECT_NEAR(hit.GetHitPoint().z, 32, 0.05f);
  EXPECT_NEAR(hit.GetHitPoint().y, 8, 0.05f);
  engine->RenderToScreen();

  // A detail texture of a quarter's grey, modulating, darkens the ground to a quarter.
  engine::EngineTextureFactory textures(*engine);
  land.SetDetailTexture(Plain(textures, "detail.bmp", 0xFF404040u), 4);
  engine->Clear(0xFF000000u);
  land.Render();
  const std::vector<uint32_t> detailed = Read("engine_draw_landscape_detail");
  const auto [flatX, flatY] = pixelOf(20, 0, 32);
  EXPECT_NEAR(Brightness(At(detailed, flatX, flatY)), Brightness(At(pixels, flatX, flatY)) / 4, 2);
  engine->RenderToScreen();
}

// A landscape's chunks beside a cover the scene is drawn under (a column short of the bar) are
// kept out from under it, a chunk reaching the strip under the column too, and every pixel the
// covers leave is drawn as without them.
TEST_F(LibraryBackendGl, LandscapeChunksBesideACoverAreNotDrawnUnderIt) {
  engine::EngineLandscape land(*engine);
  engine::EngineScene scene(*engine);
  ShowRidge(land, scene);
  const auto frame = [&](bool covered, const std::string& name) {
    if (covered) {
      engine->CoverView(kColumnLeft, 0, kWidth, kColumnBottom);
      engine->CoverView(0, kBarTop, kWidth, kHeight);
    }
    engine->Clear(0xFF000000u);
    land.Render();
    std::vector<uint32_t> pixels = Read(name);
    engine->RenderToScreen();
    return pixels;
  };
  const std::vector<uint32_t> whole = frame(false, "engine_draw_landscape_uncovered");
  const std::vector<uint32_t> covered = frame(true, "engine_draw_landscape_covered");
  int32_t drawnUnder = 0, wholeUnder = 0, differing = 0;
  for (int32_t y = 0; y < kHeight; ++y)
    for (int32_t x = 0; x < kWidth; ++x) {
      const bool column = x >= kColumnLeft && y < kColumnBottom;
      if (column) {
        drawnUnder += At(covered, x, y) != 0xFF000000u;
        wholeUnder += At(whole, x, y) != 0xFF000000u;
      } else if (y < kBarTop) {
        differing += At(covered, x, y) != At(whole, x, y);
      }
    }
  EXPECT_EQ(differing, 0) << "pixels the covers leave";
  EXPECT_GT(wholeUnder, 0) << "ground where the column is";
  EXPECT_EQ(drawnUnder, 0) << "the chunks kept out from under the column, the near one also "
                              "beside the strip under it";
}

// The sky box behind a lit scene, and a box on the ground whose shadow volume darkens the ground
// on the side away from the light.
TEST_F(LibraryBackendGl, TheSkyBoxShowsBehindTheSceneAndABoxShadowsTheGroundBehindIt) {
  engine::EngineTextureFactory textures(*engine);
  const uint32_t faces[6] = {0xFF800000u, 0xFF008000u, 0xFF000080u,
                             0xFF808000u, 0xFF008080u, 0xFF800080u};
  int32_t sky[6];
  for (int k = 0; k < 6; ++k)
    sky[k] = Plain(textures, "sky" + std::to_string(k) + ".bmp", faces[k]);
  engine::EngineAtmosphere atmosphere(*engine);
  atmosphere.SetSkyBox(sky);

  // The box as the shadow tests of the library build it, corners shared, resting on the ground.
  const ShadowBox box = MakeShadowBox();
  std::string x = "xof 0303txt 0032\nMesh Box {\n8;";
  for (size_t c = 0; c < box.corners.size(); ++c)
    x += " " + std::to_string(box.corners[c].x) + ";" + std::to_string(box.corners[c].y) + ";" +
         std::to_string(box.corners[c].z) + (c + 1 < box.corners.size() ? ";," : ";;");
  x += "\n12;";
  for (size_t i = 0; i < box.indices.size(); i += 3)
    x += " 3;" + std::to_string(box.indices[i]) + "," + std::to_string(box.indices[i + 1]) + "," +
         std::to_string(box.indices[i + 2]) + (i + 3 < box.indices.size() ? ";," : ";;");
  x += "\n}\n";
  folder.WriteFile("Models/Box.x", x);
  engine::EngineScene scene(*engine);
  auto cube = scene.CreateMesh();
  cube->LoadXFile(win::AppPath() + "\\Models\\Box.x");
  cube->SetPosition(0, 1, 0);
  auto ground = scene.CreateMesh();
  ground->AddFlatQuad(0, -20, -20, 20, 20, 0, 1, 1);
  d3d::D3DLIGHT8 sun{};
  sun.Type = d3d::D3DLIGHT_DIRECTIONAL;
  sun.Diffuse = {1, 1, 1, 1};
  sun.Direction = {0.7071f, -0.7071f, 0};  // from the upper left
  const int32_t light = engine::EngineLights(*engine).CreateLight(sun);
  cube->SetShadowCast(true, light);
  engine->SetColourAndRange(0x80000000u, 100);
  scene.SetCameraLookAt(0, 6, -12, 1, 0, 0);

  engine->Clear(0xFF000000u);
  atmosphere.RenderSky();
  ground->Render();
  cube->Render();
  cube->ShadowPass();
  const std::vector<uint32_t> pixels = Read("engine_draw_sky_shadow");
  EXPECT_EQ(At(pixels, kWidth / 2, 2) & 0xFFF0F0F0u, faces[3] & 0xFFF0F0F0u)
      << "the sky box's +z face above the horizon, " << std::hex << At(pixels, kWidth / 2, 2);
  const auto [litX, litY] = PixelOf({-3, 0, 0});
  const auto [shadeX, shadeY] = PixelOf({2.4f, 0, 0});
  const int32_t lit = Brightness(At(pixels, litX, litY));
  const int32_t shaded = Brightness(At(pixels, shadeX, shadeY));
  EXPECT_GT(lit, 100) << "the lit ground";
  EXPECT_NEAR(shaded, lit * 127 / 255, 6) << "half the light behind the box";
  const auto [besideX, besideY] = PixelOf({2.4f, 0, -3});
  EXPECT_EQ(Brightness(At(pixels, besideX, besideY)), lit) << "beside the shadow";
  engine->RenderToScreen();
}

// Particles add their texture where they float; the fade darkens the whole frame and the pointer
// is drawn over it, its hot spot at the mouse.
TEST_F(LibraryBackendGl, ParticlesAddAndTheFadeAndPointerComeLast) {
  engine::EngineTextureFactory textures(*engine);
  const int32_t white = Plain(textures, "white.bmp", kWhite);
  const int32_t arrow = Plain(textures, "arrow.bmp", kRed);
  engine::EngineScene scene(*engine);
  scene.SetCameraLookAt(0, 0, -10, 0, 0, 0);
  engine::EngineParticleSystem particles;
  particles.Create(*engine, 1, 0, 2.0f, {0, 0, 0}, 0, white);
  particles.SetAmount(1);
  particles.SetPower(1);
  particles.SetLifeRange(1, 1);
  engine::EngineGraphicEffect effect(*engine);
  effect.StartFadeIn(1000);
  clock.Advance(std::chrono::milliseconds(500));
  scene.SetMouseCursor(arrow, 16, 16, 8, 8);
  engine->Input().MouseMoved(100, 100);

  engine->Clear(0xFF404040u);
  particles.Update();
  const std::vector<uint32_t> drawn = Read("engine_draw_particles");
  EXPECT_EQ(At(drawn, kWidth / 2, kHeight / 2), kWhite) << "the particle, added";
  EXPECT_EQ(At(drawn, 10, 10), 0xFF404040u);
  engine->RenderToScreen();
  // The OpenGL device keeps the back buffer through its present.
  const std::vector<uint32_t> shown = Read("engine_draw_fade_pointer");
  EXPECT_NEAR(Brightness(At(shown, 10, 10)), 0x40 / 2, 2) << "half way up from black";
  EXPECT_NEAR(Brightness(At(shown, kWidth / 2, kHeight / 2)), 0xFF / 2, 2);
  EXPECT_EQ(At(shown, 93, 93), kRed) << "the pointer over the fade";
  EXPECT_EQ(At(shown, 107, 107), kRed);
  EXPECT_NE(At(shown, 109, 109), kRed) << "its hot spot at the mouse";
}

}  // namespace
