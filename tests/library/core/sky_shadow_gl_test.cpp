// Pixel tests of the sky, sun, flares, fog, clouds and stencil shadows on the OpenGL device,
// surfaceless (Mesa's software rasteriser in CI). Each test writes what it drew as a PNG into the
// build folder, to be looked at.
#include <gtest/gtest.h>

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
#include "tests/library/core/shadow_box.h"

#include <unistd.h>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wconversion"
#pragma GCC diagnostic ignored "-Wsign-conversion"
#include <stb/stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

constexpr UINT kSize = 128;  // pixels of the back buffer, each way
constexpr float kPi = 3.14159265f;

D3DXVECTOR3 AsD3DX(const D3DVECTOR& v) { return {{v.x, v.y, v.z}}; }

int Channel(D3DCOLOR colour, int shift) { return static_cast<int>((colour >> shift) & 0xFF); }
int Brightness(D3DCOLOR colour) {
  return (Channel(colour, 0) + Channel(colour, 8) + Channel(colour, 16)) / 3;
}
bool Near(D3DCOLOR actual, D3DCOLOR expected, int tolerance = 4) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance) return false;
  }
  return true;
}

struct WorldVertex {  // D3DFVF_XYZ | D3DFVF_DIFFUSE
  float x, y, z;
  D3DCOLOR colour;
};

class SkyOnOpenGl : public ::testing::Test {
 protected:
  virtual D3DFORMAT Depth() const { return D3DFMT_D24S8; }

  void SetUp() override {
    ASSERT_EQ(tests::CreateOffscreenLibraryDevice(kSize, kSize, &device_, &direct3d_, Depth()),
              D3D_OK)
        << "no OpenGL device: " << GlDeviceError();
    D3DXMATRIX projection;
    d3dx::D3DXMatrixPerspectiveFovLH(&projection, kPi / 2, 1.0f, 1.0f, 5000.0f);
    device_->SetTransform(D3DTS_PROJECTION, &projection);
  }

  void TearDown() override {
    if (device_ != nullptr) {
      ReleaseAll();
      EXPECT_EQ(ShutDownDevice(), 1);
      EXPECT_EQ(Headless(device_)->LiveObjectCount(), 0u);
      EXPECT_EQ(device_->Release(), 0u);
    }
    direct3d_->Release();
  }

  // Looks from eye towards at; returns the view matrix it set.
  D3DXMATRIX Look(D3DXVECTOR3 eye, D3DXVECTOR3 at, D3DXVECTOR3 up = {{0, 1, 0}}) const {
    D3DXMATRIX view;
    d3dx::D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    device_->SetTransform(D3DTS_VIEW, &view);
    return view;
  }

  void Begin(D3DCOLOR background) const {
    device_->BeginScene();
    const DWORD stencil = Depth() == D3DFMT_D24S8 ? D3DCLEAR_STENCIL : 0;
    device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | stencil, background, 1.0f, 0);
  }

  std::vector<D3DCOLOR> End() const {
    device_->EndScene();
    std::vector<D3DCOLOR> pixels = tests::ReadBackBufferPixels(device_, kSize, kSize);
    EXPECT_FALSE(pixels.empty()) << "the back buffer could not be read";
    return pixels;
  }

  static D3DCOLOR At(const std::vector<D3DCOLOR>& pixels, int x, int y) {
    return pixels[static_cast<size_t>(y) * kSize + static_cast<size_t>(x)];
  }

  // Writes the picture as <test name><suffix>.png into the build folder.
  static void SavePicture(const std::vector<D3DCOLOR>& pixels, const std::string& suffix = "") {
    const std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::create_directories(MAROVIN_PICTURES);
    std::vector<unsigned char> rgb(pixels.size() * 3);
    for (size_t i = 0; i < pixels.size(); ++i) {
      rgb[3 * i] = static_cast<unsigned char>(pixels[i] >> 16);
      rgb[3 * i + 1] = static_cast<unsigned char>(pixels[i] >> 8);
      rgb[3 * i + 2] = static_cast<unsigned char>(pixels[i]);
    }
    const std::string path = std::string(MAROVIN_PICTURES) + "/" + name + suffix + ".png";
    EXPECT_NE(stbi_write_png(path.c_str(), kSize, kSize, 3, rgb.data(), kSize * 3), 0) << path;
  }

  // A texture of the texture table with texel (x, y) = colour(x, y), loaded from a BMP file.
  template <class Colour>
  int32_t MakeTexture(UINT width, UINT height, Colour colour) const {
    d3dx::ArgbImage image(width, height);
    for (UINT y = 0; y < height; ++y) {
      for (UINT x = 0; x < width; ++x) image.At(x, y) = colour(x, y);
    }
    const std::filesystem::path file =
        std::filesystem::temp_directory_path() /
        ("sky-gl-" + std::to_string(getpid()) + "-" + std::to_string(++textures_) + ".bmp");
    win::WriteFileBytes(file, d3dx::EncodeBmp(image, true));
    const int32_t identifier =
        TextureFactory_LoadTextureFromFile(file.c_str(), nullptr, -1, -1, 0, 0, 0);
    std::filesystem::remove(file);
    EXPECT_GE(identifier, 1);
    return identifier;
  }

  // Where a world point shows on the screen.
  std::pair<int, int> Project(D3DXVECTOR3 point, const D3DXMATRIX& view) const {
    D3DMATRIX projection{};
    device_->GetTransform(D3DTS_PROJECTION, &projection);
    D3DXMATRIX p;
    static_cast<D3DMATRIX&>(p) = projection;
    const D3DXMATRIX viewProjection = view * p;
    D3DXVECTOR3 out;
    d3dx::D3DXVec3TransformCoord(&out, &point, &viewProjection);
    return {static_cast<int>((out.x + 1) / 2 * kSize), static_cast<int>((1 - out.y) / 2 * kSize)};
  }

  void DrawWorld(const WorldVertex* vertices, UINT triangles) const {
    device_->SetRenderState(D3DRS_LIGHTING, 0);
    device_->SetTexture(0, nullptr);
    device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device_->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    const D3DMATRIX identity = IdentityMatrix();
    device_->SetTransform(D3DTS_WORLD, &identity);
    device_->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    device_->DrawPrimitiveUP(D3DPT_TRIANGLELIST, triangles, vertices, sizeof(WorldVertex));
  }

  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
  mutable int textures_ = 0;
};

TEST_F(SkyOnOpenGl, TheSkySphereShowsItsGradientDarkOverheadAndLightAtTheHorizon) {
  const int32_t gradient = MakeTexture(8, 64, [](UINT, UINT y) -> D3DCOLOR {
    const auto level = static_cast<D3DCOLOR>(32 + y * 3);
    return 0xFF000000 | level << 16 | level << 8 | 0xFF;
  });
  Atmosphere_SkySphereSetPolyCount(24);
  Atmosphere_SkySphereSetTexture(gradient);
  Atmosphere_SkySphereEnable(1);
  // Looking up at 45 degrees with a 90-degree view: the top row is overhead, the bottom the
  // horizon.
  Look({{0, 0, 0}}, {{0, 1, 1}});
  const D3DVECTOR eye = {0, 0, 0};
  Begin(0xFF000000);
  ASSERT_EQ(Atmosphere_RenderSkySphere(&eye), 1);
  const auto pixels = End();
  SavePicture(pixels);
  const int top = Brightness(At(pixels, 64, 2));
  const int middle = Brightness(At(pixels, 64, 64));
  const int bottom = Brightness(At(pixels, 64, 125));
  EXPECT_LT(top, middle);
  EXPECT_LT(middle, bottom);
  EXPECT_GT(top, 0);  // the sphere covers the whole view
}

TEST_F(SkyOnOpenGl, LookingAlongEachAxisShowsTheSkyBoxFaceOfThatPlane) {
  const D3DCOLOR colours[6] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF,
                               0xFFFFFF00, 0xFF00FFFF, 0xFFFF00FF};
  int32_t faces[6];
  for (int i = 0; i < 6; ++i) {
    faces[i] = MakeTexture(4, 4, [&](UINT, UINT) { return colours[i]; });
  }
  // Arguments by plane: x-, x+, z-, z+, y+, y-.
  Atmosphere_SkyBoxSetTexture(faces[0], faces[1], faces[2], faces[3], faces[4], faces[5]);
  Atmosphere_SkyBoxEnable(1);
  struct View {
    const char* name;
    D3DXVECTOR3 direction, up;
    D3DCOLOR colour;
  };
  const View views[] = {{"MinusX", {{-1, 0, 0}}, {{0, 1, 0}}, colours[0]},
                        {"PlusX", {{1, 0, 0}}, {{0, 1, 0}}, colours[1]},
                        {"MinusZ", {{0, 0, -1}}, {{0, 1, 0}}, colours[2]},
                        {"PlusZ", {{0, 0, 1}}, {{0, 1, 0}}, colours[3]},
                        {"PlusY", {{0, 1, 0}}, {{0, 0, 1}}, colours[4]},
                        {"MinusY", {{0, -1, 0}}, {{0, 0, 1}}, colours[5]}};
  const D3DVECTOR eye = {5, 6, 7};
  for (const View& view : views) {
    SCOPED_TRACE(view.name);
    Look(AsD3DX(eye), AsD3DX(eye) + view.direction, view.up);
    Begin(0xFF000000);
    ASSERT_EQ(Atmosphere_RenderSkyBox(&eye), 1);
    const auto pixels = End();
    SavePicture(pixels, view.name);
    EXPECT_TRUE(Near(At(pixels, 64, 64), view.colour)) << std::hex << At(pixels, 64, 64);
    EXPECT_TRUE(Near(At(pixels, 20, 100), view.colour)) << std::hex << At(pixels, 20, 100);
  }
}

size_t BrightPixels(const std::vector<D3DCOLOR>& pixels) {
  size_t count = 0;
  for (D3DCOLOR pixel : pixels) count += Brightness(pixel) > 150 ? 1 : 0;
  return count;
}

TEST_F(SkyOnOpenGl, TheSunIsABrightSpotAndItsFlaresShowOnlyTowardsIt) {
  const int32_t white = MakeTexture(4, 4, [](UINT, UINT) { return 0xFFFFFFFFu; });
  Atmosphere_SunSetBillboardSize(0.5f);  // 100 units each way
  Atmosphere_SunEnable(1);
  Atmosphere_SunSetTexture(white);
  Atmosphere_SunSetPosition(0, 0, 1000);
  Atmosphere_LensFlareSetLensNumber(3);
  for (int32_t flare = 1; flare <= 3; ++flare) {
    Atmosphere_LensFlareSetLensParams(flare, white, 2.0f, 20.0f, 0xFFFFFFFF, 0);
  }
  const D3DVECTOR eye = {0, 0, 0};
  const D3DMATRIX sunMatrix = IdentityMatrix();
  struct Frame {
    const char* name;
    D3DVECTOR lookAt;
    int32_t flares;
  };
  const Frame frames[] = {{"Towards", {0.3f, 0.2f, 1}, 1},
                          {"TowardsWithoutFlares", {0.3f, 0.2f, 1}, 0},
                          {"Away", {0, 0, -1}, 1}};
  size_t bright[3] = {};
  std::vector<D3DCOLOR> towards;
  for (size_t f = 0; f < 3; ++f) {
    SCOPED_TRACE(frames[f].name);
    Atmosphere_LensFlareEnable(frames[f].flares);
    const D3DXMATRIX view = Look(AsD3DX(eye), AsD3DX(frames[f].lookAt));
    Begin(0xFF000020);
    ASSERT_EQ(Atmosphere_Render(&eye, &frames[f].lookAt, &sunMatrix, &view), 1);
    const auto pixels = End();
    SavePicture(pixels, frames[f].name);
    bright[f] = BrightPixels(pixels);
    if (f == 0) towards = pixels;
  }
  // The sun adds its texture, lit by the "Init Sun" material (red 1, green 1.5, blue 0), onto the
  // background where it projects.
  const D3DXMATRIX view = Look(AsD3DX(eye), AsD3DX(frames[0].lookAt));
  const auto [sx, sy] = Project({{0, 0, 1000}}, view);
  EXPECT_TRUE(Near(At(towards, sx, sy), 0xFFFF20)) << std::hex << At(towards, sx, sy);
  EXPECT_GT(bright[0], bright[1]);  // the flares add bright patches
  EXPECT_GT(bright[1], 0u);
  EXPECT_EQ(bright[2], 0u);  // looking away: neither sun nor flares
}

TEST_F(SkyOnOpenGl, DistantGeometryTakesTheFogColour) {
  Atmosphere_FogSetColor(1.0f, 0.0f, 0.0f);
  Atmosphere_FogSetParameters(10.0f, 100.0f, 0.0f);
  Atmosphere_FogSetType(D3DFOG_LINEAR, 0);
  Atmosphere_FogSetEnable(1);
  Look({{0, 0, 0}}, {{0, 0, 1}});
  // A white wall beyond the fog's end on the left, one well inside its start on the right.
  const D3DCOLOR white = 0xFFFFFFFF;
  const WorldVertex walls[12] = {
      {-400, -400, 300, white}, {-400, 400, 300, white}, {0, 400, 300, white},
      {-400, -400, 300, white}, {0, 400, 300, white},    {0, -400, 300, white},
      {0, -4, 5, white},        {0, 4, 5, white},        {4, 4, 5, white},
      {0, -4, 5, white},        {4, 4, 5, white},        {4, -4, 5, white}};
  Begin(0xFF000000);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  DrawWorld(walls, 4);
  const auto pixels = End();
  SavePicture(pixels);
  EXPECT_TRUE(Near(At(pixels, 20, 64), 0xFF0000)) << std::hex << At(pixels, 20, 64);
  EXPECT_TRUE(Near(At(pixels, 100, 64), 0xFFFFFF)) << std::hex << At(pixels, 100, 64);
  Atmosphere_FogSetEnable(0);
}

TEST_F(SkyOnOpenGl, ACloudLayerScrollsByItsOffsetsWithoutStreaks) {
  // Checks of 8 texels: across a stretch of the dome both colours show both ways.
  IDirect3DTexture8* checker = nullptr;
  TextureFactory_GetDXTexture(
      MakeTexture(
          64, 64,
          [](UINT x, UINT y) { return (x / 8 + y / 8) % 2 == 0 ? 0xFFFFFFFFu : 0xFF000000u; }),
      &checker);
  ASSERT_EQ(CloudSky_Init(1, 16), 1);
  ASSERT_EQ(CloudSky_SetParam(0, 100.0f, D3DBLEND_ONE, D3DBLEND_ZERO, &checker), 1);
  device_->SetRenderState(D3DRS_AMBIENT, 0xFFFFFFFF);
  device_->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device_->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  Look({{0, 0, 0}}, {{0, 1, 0.5f}});
  auto frame = [&](const std::string& name) {
    Begin(0xFF404040);
    EXPECT_EQ(CloudSky_Render(), 1);
    const auto pixels = End();
    SavePicture(pixels, name);
    return pixels;
  };
  const auto before = frame("Before");
  // An eighth of the texture: each check moves on by one check.
  CloudSky_Update(0.125f / 4 / 0.0001f);
  const auto after = frame("After");
  auto changes = [](const std::vector<D3DCOLOR>& pixels, bool alongRows) {
    int count = 0;
    for (int k = 1; k < static_cast<int>(kSize); ++k) {
      const int a = Brightness(alongRows ? At(pixels, k - 1, 64) : At(pixels, 64, k - 1));
      const int b = Brightness(alongRows ? At(pixels, k, 64) : At(pixels, 64, k));
      count += (a < 128) != (b < 128) ? 1 : 0;
    }
    return count;
  };
  EXPECT_GE(changes(before, true), 2);
  EXPECT_GE(changes(before, false), 2);
  size_t differing = 0;
  for (size_t p = 0; p < before.size(); ++p) differing += before[p] != after[p] ? 1 : 0;
  EXPECT_GT(differing, before.size() / 4);
}

// A grey floor and a box on it with a green top, lit from above and to the side; the box casts its
// shadow through the stencil buffer.
class ShadowOnOpenGl : public SkyOnOpenGl {
 protected:
  static constexpr D3DCOLOR kFloor = 0xFFC0C0C0;
  static constexpr D3DCOLOR kTop = 0xFF00C000;
  static constexpr D3DCOLOR kSide = 0xFF604020;
  static constexpr D3DCOLOR kShadow = 0x80000000;  // black at alpha 128

  std::vector<D3DCOLOR> DrawScene() {
    const D3DXMATRIX view = Look({{0, 12, -8}}, {{1, 0, 0}});
    view_ = view;
    Begin(0xFF000040);
    device_->SetRenderState(D3DRS_ZENABLE, 1);
    device_->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    device_->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    const WorldVertex floor[6] = {{-10, 0, -10, kFloor}, {-10, 0, 10, kFloor},
                                  {10, 0, 10, kFloor},   {-10, 0, -10, kFloor},
                                  {10, 0, 10, kFloor},   {10, 0, -10, kFloor}};
    DrawWorld(floor, 2);
    const ShadowBox box = MakeShadowBox();
    std::vector<WorldVertex> faces;
    for (size_t i = 0; i < box.indices.size(); ++i) {
      const D3DVECTOR& c = box.corners[box.indices[i]];
      const bool top = i / 6 == 3;  // the +y face of the box's face order
      faces.push_back({c.x, c.y + 1, c.z, top ? kTop : kSide});
    }
    DrawWorld(faces.data(), 12);

    ShadowVolume_SetShadowParameters(kShadow, 100.0f);
    EXPECT_EQ(ShadowVolume_AllocVolumes(64), 0);
    ShadowVolume_Create(0);
    ShadowVolume_InitShadowFromPointers(0, box.corners.data(), sizeof(D3DVECTOR), 8,
                                        box.indices.data(), 36, 0);
    D3DXMATRIX world;
    d3dx::D3DXMatrixTranslation(&world, 0, 1, 0);
    const D3DVECTOR light = {0.7071f, -0.7071f, 0};
    ShadowVolume_SilhouettePrepare();
    EXPECT_EQ(ShadowVolume_AddToRenderList(&world, 0, 1, 1, &light, nullptr), 1);
    ShadowVolume_SilhouetteUnlockRender();
    ShadowVolume_RenderAlphaBlendedTri();
    ShadowVolume_ResetAll();
    const auto pixels = End();
    SavePicture(pixels);
    return pixels;
  }

  D3DCOLOR Seen(const std::vector<D3DCOLOR>& pixels, D3DXVECTOR3 point) const {
    const auto [x, y] = Project(point, view_);
    return At(pixels, x, y);
  }

  D3DXMATRIX view_;
};

TEST_F(ShadowOnOpenGl, ABoxLitFromAboveAndTheSideShadowsTheFloorBesideIt) {
  const auto pixels = DrawScene();
  // floor x (1 - alpha) + shadow colour x alpha, alpha = 128 / 255.
  const int shaded = 0xC0 * (255 - 0x80) / 255;
  const D3DCOLOR expected = static_cast<D3DCOLOR>(shaded << 16 | shaded << 8 | shaded);
  for (const D3DXVECTOR3 point : {D3DXVECTOR3{{2.2f, 0, 0}}, D3DXVECTOR3{{2.6f, 0, 0.5f}}}) {
    EXPECT_TRUE(Near(Seen(pixels, point), expected)) << std::hex << Seen(pixels, point);
  }
  for (const D3DXVECTOR3 point :
       {D3DXVECTOR3{{-3, 0, 0}}, D3DXVECTOR3{{2.2f, 0, 3}}, D3DXVECTOR3{{4.5f, 0, 0}}}) {
    EXPECT_TRUE(Near(Seen(pixels, point), kFloor)) << std::hex << Seen(pixels, point);
  }
  EXPECT_TRUE(Near(Seen(pixels, {{0, 2, 0}}), kTop)) << std::hex << Seen(pixels, {{0, 2, 0}});
}

class ShadowWithoutStencilOnOpenGl : public ShadowOnOpenGl {
 protected:
  D3DFORMAT Depth() const override { return D3DFMT_D16; }
};

TEST_F(ShadowWithoutStencilOnOpenGl, NothingIsDarkenedOnADepthBufferWithoutStencil) {
  const auto pixels = DrawScene();
  EXPECT_TRUE(Near(Seen(pixels, {{2.2f, 0, 0}}), kFloor))
      << std::hex << Seen(pixels, {{2.2f, 0, 0}});
  EXPECT_TRUE(Near(Seen(pixels, {{-3, 0, 0}}), kFloor));
}

}  // namespace
