// Pixel tests of the library's render surfaces, bump textures and box drawing on the OpenGL device,
// surfaceless (Mesa's software rasteriser in CI). Each test writes what it drew as a PNG into the
// build folder, to be looked at.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "library/core/vortanautil.h"
#include "platform/d3d/gl.h"
#include "platform/d3d/headless.h"
#include "platform/d3dx/image_file.h"
#include "platform/d3dx/math.h"
#include "platform/win/byte_writer.h"
#include "tests/library/core/gl_library_device.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

using namespace d3d;

constexpr UINT kSize = 128;    // pixels of the back buffer, each way
constexpr int kTolerance = 3;  // per channel, for rounding in the rasteriser

struct ScreenVertex {  // D3DFVF_XYZRHW | D3DFVF_DIFFUSE
  float x, y, z, rhw;
  D3DCOLOR colour;
};
struct TexturedVertex {  // D3DFVF_XYZRHW | D3DFVF_TEX1
  float x, y, z, rhw;
  float u, v;
};

int Channel(D3DCOLOR colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }

bool Near(D3DCOLOR actual, D3DCOLOR expected, int tolerance = kTolerance) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance) return false;
  }
  return true;
}

int Brightness(D3DCOLOR colour) {
  return (Channel(colour, 0) + Channel(colour, 8) + Channel(colour, 16)) / 3;
}

class LibraryOnOpenGl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(tests::CreateOffscreenLibraryDevice(kSize, kSize, &device_, &direct3d_), D3D_OK)
        << "no OpenGL device: " << GlDeviceError();
    // The device keeps V8U8 textures, so device creation made the default bump texture.
    EXPECT_EQ(TextureFactory_GetTextureIDByName("Default EMBM texture"), 1);
    device_->SetRenderState(D3DRS_LIGHTING, 0);
  }

  void TearDown() override {
    if (device_ != nullptr) {
      ReleaseAll();
      EXPECT_EQ(ShutDownDevice(), 1);  // the test's own reference
      EXPECT_EQ(Headless(device_)->LiveObjectCount(), 0u);
      EXPECT_EQ(device_->Release(), 0u);
    }
    direct3d_->Release();
  }

  // The pixels of the back buffer, rows top to bottom.
  std::vector<D3DCOLOR> ReadBackBuffer() const {
    std::vector<D3DCOLOR> pixels = tests::ReadBackBufferPixels(device_, kSize, kSize);
    EXPECT_FALSE(pixels.empty()) << "the back buffer could not be read";
    return pixels;
  }

  static D3DCOLOR At(const std::vector<D3DCOLOR>& pixels, int x, int y) {
    return pixels[static_cast<size_t>(y) * kSize + static_cast<size_t>(x)];
  }

  // Writes the picture as <test name>.png into the build folder.
  static void SavePicture(const std::vector<D3DCOLOR>& pixels) {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(MAROVIN_PICTURES);
    std::vector<unsigned char> rgb(pixels.size() * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
      rgb[3 * i] = static_cast<unsigned char>(pixels[i] >> 16);
      rgb[3 * i + 1] = static_cast<unsigned char>(pixels[i] >> 8);
      rgb[3 * i + 2] = static_cast<unsigned char>(pixels[i]);
    }
    const std::string path = std::string(MAROVIN_PICTURES) + "/" + name + ".png";
    EXPECT_NE(stbi_write_png(path.c_str(), kSize, kSize, 3, rgb.data(), kSize * 3), 0) << path;
  }

  void DrawRect(float left, float top, float right, float bottom, float z, D3DCOLOR colour) const {
    const ScreenVertex quad[4] = {{left, top, z, 1, colour},
                                  {right, top, z, 1, colour},
                                  {left, bottom, z, 1, colour},
                                  {right, bottom, z, 1, colour}};
    device_->SetTexture(0, nullptr);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
  }

  // The texture bound to stage 0 over the rectangle, texel centres on pixel centres.
  void DrawTextured(float left, float top, float right, float bottom) const {
    const TexturedVertex quad[4] = {{left - 0.5f, top - 0.5f, 0, 1, 0, 0},
                                    {right - 0.5f, top - 0.5f, 0, 1, 1, 0},
                                    {left - 0.5f, bottom - 0.5f, 0, 1, 0, 1},
                                    {right - 0.5f, bottom - 0.5f, 0, 1, 1, 1}};
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device_->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_TEX1);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TexturedVertex));
  }

  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

TEST_F(LibraryOnOpenGl, SceneRenderedIntoARenderSurfaceShowsItsColoursDrawnBack) {
  const int32_t surface = TextureFactory_CreateRenderSurface(32, 32, 0);
  ASSERT_GE(surface, 1);
  // The scene: blue behind, a red left half, and a yellow square in front of a green one that was
  // drawn after it, which the surface's own depth buffer keeps behind.
  ASSERT_EQ(TextureFactory_StartRender(surface, nullptr, 0), 1);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FFu, 1.0f, 0);
  device_->SetRenderState(D3DRS_ZENABLE, 1);
  DrawRect(0, 0, 16, 32, 0.9f, 0xFFFF0000u);
  DrawRect(16, 16, 28, 28, 0.2f, 0xFFFFFF00u);
  DrawRect(20, 20, 32, 32, 0.5f, 0xFF00FF00u);
  ASSERT_EQ(TextureFactory_EndRender(surface), 1);
  // A half-size copy as an ordinary texture.
  const int32_t copy = TextureFactory_CreateTextureFromRenderSurface(surface, 16, 16, 0);
  ASSERT_GE(copy, 1);

  device_->SetRenderState(D3DRS_ZENABLE, 0);
  device_->BeginScene();
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
  TextureFactory_ApplyTexture(0, surface);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  DrawTextured(64, 64, 128, 128);  // twice the size
  TextureFactory_ApplyTexture(0, copy);
  DrawTextured(0, 0, 32, 32);  // twice the copy's size: the surface's own
  TextureFactory_ApplyTexture(0, 0);
  device_->EndScene();
  const auto pixels = ReadBackBuffer();
  SavePicture(pixels);

  struct Probe {
    int x, y;
    D3DCOLOR colour;
  };
  const Probe probes[] = {
      {70, 100, 0xFF0000},  {120, 70, 0x0000FF},  {100, 100, 0xFFFF00},  // the surface, doubled
      {118, 118, 0xFFFF00}, {125, 125, 0x00FF00}, {30, 100, 0x000000},   // yellow stays in front
      {4, 16, 0xFF0000},    {28, 4, 0x0000FF},    {24, 24, 0xFFFF00},    // the copy
  };
  for (const Probe& p : probes) {
    EXPECT_TRUE(Near(At(pixels, p.x, p.y), p.colour))
        << p.x << ", " << p.y << ": 0x" << std::hex << At(pixels, p.x, p.y);
  }
}

TEST_F(LibraryOnOpenGl, Dot3BumpedQuadIsBrighterWhereItFacesTheLight) {
  // A ridge of heights across x: rising on the left half, falling on the right.
  constexpr uint32_t kSide = 32;
  d3dx::ArgbImage heights(kSide, kSide);
  for (uint32_t y = 0; y < kSide; ++y) {
    for (uint32_t x = 0; x < kSide; ++x) {
      const uint32_t h = x < kSide / 2 ? x * 16 : (kSide - 1 - x) * 16;
      heights.At(x, y) = 0xFF000000u | h << 16 | h << 8 | h;
    }
  }
  const std::filesystem::path file = std::filesystem::path(MAROVIN_PICTURES) / "ridge.bmp";
  std::filesystem::create_directories(MAROVIN_PICTURES);
  win::WriteFileBytes(file, d3dx::EncodeBmp(heights, false));
  const int32_t bump = TextureFactory_LoadBumpTexture(file.string().c_str(), "ridge", 1, 4.0f);
  ASSERT_GE(bump, 1);

  // The light comes from +x and from the viewer, (1, 0, 1) normalised, packed as the texture
  // factor the way DOT3 reads vectors: (v + 1) / 2.
  const float component = std::sqrt(0.5f);
  const auto packed = static_cast<D3DCOLOR>((component + 1) / 2 * 255);
  const D3DCOLOR light = 0xFF000000u | packed << 16 | 0x80u << 8 | packed;
  device_->BeginScene();
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  TextureFactory_ApplyBumpTexture(0, bump);
  device_->SetRenderState(D3DRS_TEXTUREFACTOR, light);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_DOTPRODUCT3);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
  DrawTextured(0, 0, kSize, kSize);
  device_->SetTexture(0, nullptr);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device_->EndScene();
  const auto pixels = ReadBackBuffer();
  SavePicture(pixels);

  // Slopes of (-0.24, 0, 0.97) against (0.71, 0, 0.71) give 0.51; those facing it, 0.86.
  for (int y : {16, 64, 112}) {
    const int away = Brightness(At(pixels, 32, y));
    const int facing = Brightness(At(pixels, 96, y));
    EXPECT_NEAR(away, 131, 12) << y;
    EXPECT_NEAR(facing, 219, 12) << y;
    EXPECT_GT(facing, away + 60) << y;
  }
}

TEST_F(LibraryOnOpenGl, BoundingBoxShowsItsTwelveEdgesAndNothingElse) {
  d3dx::D3DXMATRIX view, projection, turnY, turnX, move, world;
  d3dx::D3DXMatrixIdentity(&view);
  d3dx::D3DXMatrixPerspectiveFovLH(&projection, 1.0f, 1.0f, 1.0f, 100.0f);
  d3dx::D3DXMatrixRotationY(&turnY, 0.5f);
  d3dx::D3DXMatrixRotationX(&turnX, 0.35f);
  d3dx::D3DXMatrixTranslation(&move, 0, 0, 6);
  world = turnY * turnX * move;
  device_->SetTransform(D3DTS_VIEW, &view);
  device_->SetTransform(D3DTS_PROJECTION, &projection);
  const D3DVECTOR min{-1, -1, -1}, max{1, 1, 1};

  device_->BeginScene();
  device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
  ASSERT_EQ(BoundingBox_Draw(&min, &max, &world, 0xFFFFFFFFu), 1);
  device_->EndScene();
  const auto pixels = ReadBackBuffer();
  SavePicture(pixels);

  // Where a point of the box lands on the screen.
  const d3dx::D3DXMATRIX all = world * view * projection;
  const auto screen = [&](float x, float y, float z) {
    const d3dx::D3DXVECTOR3 corner{{x, y, z}};
    d3dx::D3DXVECTOR3 clip;
    d3dx::D3DXVec3TransformCoord(&clip, &corner, &all);
    return std::array<float, 2>{(clip.x + 1) / 2 * kSize, (1 - clip.y) / 2 * kSize};
  };
  // A white pixel within one of the point.
  const auto lit = [&](const std::array<float, 2>& p) {
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        if (Near(At(pixels, static_cast<int>(p[0]) + dx, static_cast<int>(p[1]) + dy), 0xFFFFFF,
                 60)) {
          return true;
        }
      }
    }
    return false;
  };
  // The midpoint of each edge, and a quarter along it: an edge runs between corners that differ in
  // one coordinate.
  int edges = 0;
  for (int a = 0; a < 8; ++a) {
    for (int axis = 0; axis < 3; ++axis) {
      if ((a >> axis & 1) != 0) continue;
      const int b = a | 1 << axis;
      const auto coordinate = [](int corner, int k) {
        return (corner >> k & 1) != 0 ? 1.0f : -1.0f;
      };
      for (float t : {0.5f, 0.25f}) {
        const float x = coordinate(a, 0) + t * (coordinate(b, 0) - coordinate(a, 0));
        const float y = coordinate(a, 1) + t * (coordinate(b, 1) - coordinate(a, 1));
        const float z = coordinate(a, 2) + t * (coordinate(b, 2) - coordinate(a, 2));
        EXPECT_TRUE(lit(screen(x, y, z))) << "edge " << a << "-" << b << " at " << t;
      }
      ++edges;
    }
  }
  EXPECT_EQ(edges, 12);
  // The faces between the edges stay dark, and so does the screen around the box.
  for (const auto& p : {screen(0, 0, -1), screen(0.5f, 0.5f, -1), screen(1, 0, 0)}) {
    EXPECT_TRUE(Near(At(pixels, static_cast<int>(p[0]), static_cast<int>(p[1])), 0x000000));
  }
  EXPECT_TRUE(Near(At(pixels, 2, 2), 0x000000));
  int whitePixels = 0;
  for (D3DCOLOR pixel : pixels) whitePixels += Brightness(pixel) > 128 ? 1 : 0;
  EXPECT_GT(whitePixels, 12 * 10);
  EXPECT_LT(whitePixels, 12 * 60);
}

}  // namespace

// A ridge terrain seen from above: a height map rising to the middle column and falling after it,
// a 4 x 4 checker of red and blue over it, lit from the +x side.
class TerrainOnOpenGl : public LibraryOnOpenGl {
 protected:
  static std::string WritePicture(const std::string& name, const d3dx::ArgbImage& image) {
    const std::filesystem::path file = std::filesystem::path(MAROVIN_PICTURES) / (name + ".bmp");
    std::filesystem::create_directories(MAROVIN_PICTURES);
    win::WriteFileBytes(file, d3dx::EncodeBmp(image, false));
    return file.string();
  }

  void BuildRidge() {
    constexpr uint32_t kSide = 64;
    d3dx::ArgbImage heights(kSide, kSide);
    for (uint32_t y = 0; y < kSide; ++y) {
      for (uint32_t x = 0; x < kSide; ++x) {
        const uint32_t h = x < kSide / 2 ? x * 8 : (kSide - 1 - x) * 8;
        heights.At(x, y) = 0xFF000000u | h;
      }
    }
    d3dx::ArgbImage checker(4, 4);
    for (uint32_t y = 0; y < 4; ++y) {
      for (uint32_t x = 0; x < 4; ++x)
        checker.At(x, y) = (x + y) % 2 == 0 ? 0xFFFF0000u : 0xFF0000FFu;
    }
    ASSERT_EQ(Terrain_Create(0), 0);
    ASSERT_EQ(Terrain_SetFactorY(0, 0.5f), 1);
    ASSERT_EQ(
        Terrain_Generate(0, WritePicture("ridge-heights", heights).c_str(), 8, 1, 1, 0, 0, 0, 0),
        0);
    const int32_t texture = TextureFactory_LoadTextureFromFile(
        WritePicture("checker", checker).c_str(), "checker", 0, 0, 0, 0, 0);
    ASSERT_GT(texture, 0);
    Terrain_SetTexture(0, texture, -1);
    // White but not glowing: what the light leaves dark stays dark.
    const int32_t material = MaterialFactory_CreateMaterial("ground");
    ASSERT_EQ(MaterialFactory_SetEmissive(material, 0, 0, 0, 1), 1);
    ASSERT_EQ(MaterialFactory_SetSpecular(material, 0, 0, 0, 1), 1);
    Terrain_SetMaterial(0, material, -1);
    device_->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device_->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    const D3DVECTOR fromPlusX{-1.0f, -0.3f, 0.0f};
    ASSERT_GT(LightFactory_CreateQuickDirectionalLight(&fromPlusX, 0.5f, 0.5f, 0.5f, 1, "sun", 0),
              0);
  }

  // Looks straight down at the terrain's middle from 400 units above the ground.
  void LookDown() {
    d3dx::D3DXMATRIX view;
    d3dx::D3DXMATRIX projection;
    const d3dx::D3DXVECTOR3 eye{{128, 400, 128}};
    const d3dx::D3DXVECTOR3 target{{128, 0, 128}};
    const d3dx::D3DXVECTOR3 up{{0, 0, 1}};
    d3dx::D3DXMatrixLookAtLH(&view, &eye, &target, &up);
    d3dx::D3DXMatrixPerspectiveFovLH(&projection, 0.8f, 1.0f, 1.0f, 2000.0f);
    d3dx::D3DXPLANE planes[6];
    ComputeClipPlanes(planes, &view, &projection);
    Viewport_SetCamera(&view.m[0][0], nullptr);
    device_->SetTransform(D3DTS_VIEW, &view);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
  }

  std::vector<D3DCOLOR> Render() {
    device_->BeginScene();
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
    EXPECT_EQ(Terrain_Render(0), 1);
    device_->EndScene();
    return ReadBackBuffer();
  }
};

TEST_F(TerrainOnOpenGl, RidgeShowsItsLitSlopeBrighterAndItsCheckerInPlace) {
  BuildRidge();
  LookDown();
  const auto pixels = Render();
  SavePicture(pixels);
  // Light (1, 0.3, 0) against the slopes' normals (-0.71, 0.71, 0) and (0.71, 0.71, 0): the left
  // slope has the ambient half only, the right one nearly all of the diffuse half as well.
  const auto strongest = [](D3DCOLOR c) { return std::max(Channel(c, 16), Channel(c, 0)); };
  for (const int y : {52, 76}) {
    const int away = strongest(At(pixels, 44, y));
    const int facing = strongest(At(pixels, 100, y));
    EXPECT_NEAR(away, 128, 8) << y;
    EXPECT_NEAR(facing, 240, 10) << y;
  }
  // The checker's cells alternate across x and z, one colour map over the chunk.
  const auto red = [&](int x, int y) {
    return Channel(At(pixels, x, y), 16) > Channel(At(pixels, x, y), 0);
  };
  EXPECT_TRUE(red(44, 76));
  EXPECT_FALSE(red(76, 76));
  EXPECT_TRUE(red(100, 76));
  EXPECT_FALSE(red(100, 52));
  EXPECT_FALSE(red(44, 52));
  EXPECT_FALSE(red(28, 76));
  EXPECT_EQ(At(pixels, 4, 64), 0xFF000000u);  // nothing beyond the terrain
}

TEST_F(TerrainOnOpenGl, LightmapDarkensWhereItIsDark) {
  BuildRidge();
  LookDown();
  const auto unlit = Render();
  // Dark over the low x quarter of the terrain, white elsewhere.
  d3dx::ArgbImage shade(8, 8, 0xFFFFFFFFu);
  for (uint32_t y = 0; y < 8; ++y) {
    for (uint32_t x = 0; x < 3; ++x) shade.At(x, y) = 0xFF404040u;
  }
  const int32_t lightmap = TextureFactory_LoadTextureFromFile(WritePicture("shade", shade).c_str(),
                                                              "shade", 0, 0, 0, 0, 0);
  ASSERT_GT(lightmap, 0);
  ASSERT_EQ(Terrain_SetLightmap(0, lightmap), 1);
  const auto pixels = Render();
  SavePicture(pixels);
  const auto strongest = [](D3DCOLOR c) { return std::max(Channel(c, 16), Channel(c, 0)); };
  for (const int y : {52, 76}) {
    // A quarter of what was there on the dark side, unchanged on the white side.
    EXPECT_NEAR(strongest(At(pixels, 28, y)), strongest(At(unlit, 28, y)) / 4, 6) << y;
    EXPECT_NEAR(strongest(At(pixels, 100, y)), strongest(At(unlit, 100, y)), 3) << y;
  }
}

TEST_F(TerrainOnOpenGl, PagingDrawsTheNeighbouringCopiesBeyondTheEdges) {
  BuildRidge();
  LookDown();
  ASSERT_EQ(Terrain_SetPagingSystem(0, 1, 1), 1);
  const auto pixels = Render();
  SavePicture(pixels);
  // Where the single terrain left the background, its copies now lie, in their checker colours.
  for (const int x : {2, 125}) {
    EXPECT_NE(At(pixels, x, 64) & 0xFFFFFFu, 0u) << x;
  }
  EXPECT_NE(At(pixels, 64, 2) & 0xFFFFFFu, 0u);
}

TEST_F(TerrainOnOpenGl, ATexturePaintedAtAWorldPositionAppearsThere) {
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 8, 1, 1, 0, 0), 0);
  const int32_t grey = TextureFactory_LoadTextureFromFile(
      WritePicture("grey", d3dx::ArgbImage(4, 4, 0xFF808080u)).c_str(), "grey", 0, 0, 0, 0, 0);
  const int32_t green = TextureFactory_LoadTextureFromFile(
      WritePicture("green", d3dx::ArgbImage(4, 4, 0xFF00FF00u)).c_str(), "green", 0, 0, 0, 0, 0);
  Terrain_SetTexture(0, grey, -1);
  const D3DVECTOR down{0.0f, -1.0f, 0.0f};
  ASSERT_GT(LightFactory_CreateQuickDirectionalLight(&down, 1, 1, 1, 1, "sun", 0), 0);
  ASSERT_EQ(Terrain_CreateDynTextures(0, 64, 64, 1), 1);
  // The square x 0..64, z 0..64 of the terrain: the near left quarter seen from above.
  ASSERT_EQ(Terrain_DynDrawTexture(0, green, 0, 0, 64, 64, -1, 0, 0, 0, 0, 0, 0), 1);
  LookDown();
  const auto pixels = Render();
  SavePicture(pixels);
  // World (32, 0, 32) lies 96 units left of and below the middle, (192, 0, 192) as far the other
  // way: 400 units away through a field of view of 0.8, 36 pixels from the centre.
  const D3DCOLOR painted = At(pixels, 28, 100);
  const D3DCOLOR plain = At(pixels, 100, 28);
  EXPECT_GT(Channel(painted, 8), Channel(painted, 16) + 100) << std::hex << painted;
  EXPECT_NEAR(Channel(plain, 8), Channel(plain, 16), 8) << std::hex << plain;
  EXPECT_GT(Channel(plain, 8), 60) << std::hex << plain;
}
