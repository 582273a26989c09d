// Pixel tests of the OpenGL device on the surfaceless platform (Mesa's software rasteriser in CI).
// Without EGL every test fails and says why: a machine that cannot run them must not pass them.
#include "library/core/actors/model_shaders.h"
#include "platform/d3d/gl.h"
#include "platform/d3d/headless.h"
#include "tests/platform/d3d/gl_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace d3dtest {
namespace {

constexpr UINT kSize = 32;
constexpr int kTolerance = 3;  // per channel, for rounding in the rasteriser

int Channel(D3DCOLOR color, int shift) { return static_cast<int>((color >> shift) & 0xFF); }

::testing::AssertionResult Near(D3DCOLOR actual, D3DCOLOR expected, int tolerance = kTolerance) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(Channel(actual, shift) - Channel(expected, shift)) > tolerance) {
      return ::testing::AssertionFailure()
             << std::hex << "pixel 0x" << actual << ", expected 0x" << expected;
    }
  }
  return ::testing::AssertionSuccess();
}

D3DMATRIX Translation(float x, float y, float z) {
  D3DMATRIX m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  m.m[3][0] = x;
  m.m[3][1] = y;
  m.m[3][2] = z;
  return m;
}

// A turn about y in the device's left-handed, row-vector convention.
D3DMATRIX RotationY(float radians) {
  D3DMATRIX m{};
  m.m[0][0] = std::cos(radians);
  m.m[0][2] = -std::sin(radians);
  m.m[1][1] = 1.0f;
  m.m[2][0] = std::sin(radians);
  m.m[2][2] = std::cos(radians);
  m.m[3][3] = 1.0f;
  return m;
}

// Identity view and projection: world positions are clip positions, x and y from -1 to 1.
void SetClipSpaceCamera(IDirect3DDevice8* device) {
  const D3DMATRIX identity = Translation(0, 0, 0);
  device->SetTransform(D3DTS_VIEW, &identity);
  device->SetTransform(D3DTS_PROJECTION, &identity);
}

class GlDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The pixels expected are the software rasteriser's, on any machine, GPU or not.
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    direct3d = CreateGlDirect3D();
    D3DPRESENT_PARAMETERS params = BackBufferParams(kSize, kSize, nullptr, true);
    ASSERT_EQ(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, nullptr,
                                     D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device),
              D3D_OK)
        << "no OpenGL device: " << GlDeviceError();
    device->SetRenderState(D3DRS_LIGHTING, 0);
    device->SetRenderState(D3DRS_ZENABLE, 0);
    device->BeginScene();
  }

  void TearDown() override {
    if (device != nullptr) {
      device->EndScene();
      EXPECT_EQ(device->Release(), 0u);
    }
    EXPECT_EQ(direct3d->Release(), 0u);
  }

  // The pixels of a surface (the back buffer when null), read through a lock.
  std::vector<D3DCOLOR> Read(IDirect3DSurface8* surface = nullptr) {
    IDirect3DSurface8* source = surface;
    if (source == nullptr) device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &source);
    D3DSURFACE_DESC desc{};
    source->GetDesc(&desc);
    D3DLOCKED_RECT locked{};
    EXPECT_EQ(source->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    std::vector<D3DCOLOR> pixels(static_cast<size_t>(desc.Width) * desc.Height);
    for (UINT y = 0; y < desc.Height; ++y) {
      std::memcpy(&pixels[static_cast<size_t>(y) * desc.Width],
                  static_cast<const BYTE*>(locked.pBits) + y * locked.Pitch, desc.Width * 4);
    }
    source->UnlockRect();
    if (surface == nullptr) source->Release();
    return pixels;
  }

  static D3DCOLOR At(const std::vector<D3DCOLOR>& pixels, UINT x, UINT y) {
    return pixels[static_cast<size_t>(y) * kSize + x];
  }

  IDirect3D8* direct3d = nullptr;
  IDirect3DDevice8* device = nullptr;
};

TEST_F(GlDeviceTest, ClearsFillTheViewportOnly) {
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030u, 1.0f, 0), D3D_OK);
  const D3DVIEWPORT8 corner = {16, 0, 16, 8, 0.0f, 1.0f};
  device->SetViewport(&corner);
  const D3DRECT rect = {0, 0, 24, 32};
  ASSERT_EQ(device->Clear(1, &rect, D3DCLEAR_TARGET, 0xFFFF8000u, 1.0f, 0), D3D_OK);
  const auto pixels = Read();
  EXPECT_TRUE(Near(At(pixels, 0, 0), 0x102030));
  EXPECT_TRUE(Near(At(pixels, 16, 0), 0xFF8000));  // top-left of the viewport
  EXPECT_TRUE(Near(At(pixels, 23, 7), 0xFF8000));
  EXPECT_TRUE(Near(At(pixels, 24, 0), 0x102030));  // outside the rectangle
  EXPECT_TRUE(Near(At(pixels, 16, 8), 0x102030));  // below the viewport
}

TEST_F(GlDeviceTest, LeftHandedSceneKeepsItsSidesAndCullsCounterClockwise) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  SetCameraAtOrigin(device, 1.0f);
  struct Vertex {
    float x, y, z;
    D3DCOLOR color;
  };
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  // Clockwise as seen: a red triangle right of and above the view axis, at z = 5.
  const Vertex upperRight[3] = {{0.5f, 2.0f, 5, 0}, {2.0f, 0.5f, 5, 0}, {0.5f, 0.5f, 5, 0}};
  Vertex red[3];
  for (int i = 0; i < 3; ++i) red[i] = {upperRight[i].x, upperRight[i].y, 5, 0xFFFF0000u};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, red, sizeof(Vertex)), D3D_OK);
  // The same shape wound the other way, lower left: culled by default.
  Vertex green[3];
  for (int i = 0; i < 3; ++i) green[2 - i] = {-upperRight[i].x, -upperRight[i].y, 5, 0xFF00FF00u};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, green, sizeof(Vertex)), D3D_OK);
  const auto pixels = Read();
  EXPECT_TRUE(Near(At(pixels, 22, 10), 0xFF0000)) << "x right and y up";
  EXPECT_TRUE(Near(At(pixels, 10, 22), 0x000000)) << "counter-clockwise culled";
  EXPECT_TRUE(Near(At(pixels, 10, 10), 0x000000));
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, green, sizeof(Vertex));
  EXPECT_TRUE(Near(At(Read(), 10, 22), 0x00FF00));
}

TEST_F(GlDeviceTest, LitTexturedSquareShowsTexelsInPlaceAndDimsWithTheLightAngle) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  IDirect3DTexture8* texture = MakeQuadrantTexture(device);
  ASSERT_NE(texture, nullptr);
  DrawLitTexturedSquare(device, texture, 1.0f);
  auto pixels = Read();
  EXPECT_TRUE(Near(At(pixels, 12, 12), 0xFF0000)) << "top-left texel";
  EXPECT_TRUE(Near(At(pixels, 19, 12), 0x00FF00));
  EXPECT_TRUE(Near(At(pixels, 12, 19), 0x0000FF));
  EXPECT_TRUE(Near(At(pixels, 19, 19), 0xFFFFFF));
  EXPECT_TRUE(Near(At(pixels, 2, 2), 0x000000));

  // At 60 degrees the light gives half.
  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1, 1, 1, 1};
  light.Direction = {std::sin(1.0471976f), 0, std::cos(1.0471976f)};
  device->SetLight(0, &light);
  device->SetTexture(0, texture);
  device->SetVertexShader(kLitFvf);
  const LitVertex square[4] = {{-1, 1, 4, 0, 0, -1, 0, 0, 0},
                               {1, 1, 4, 0, 0, -1, 0, 1, 0},
                               {-1, -1, 4, 0, 0, -1, 0, 0, 1},
                               {1, -1, 4, 0, 0, -1, 0, 1, 1}};
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, square, sizeof(LitVertex));
  pixels = Read();
  EXPECT_TRUE(Near(At(pixels, 19, 19), 0x808080, 4));
  device->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(GlDeviceTest, TextureTransformShiftsTwoComponentCoordinates) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  IDirect3DTexture8* texture = MakeQuadrantTexture(device);
  ASSERT_NE(texture, nullptr);
  // Two-component coordinates are transformed as (u, v, 1, 0): the shift sits in the third row.
  D3DMATRIX shift{};
  for (int i = 0; i < 4; ++i) shift.m[i][i] = 1.0f;
  shift.m[2][0] = 0.5f;
  device->SetTransform(D3DTS_TEXTURE0, &shift);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT2);
  DrawLitTexturedSquare(device, texture, 1.0f);
  const auto pixels = Read();
  EXPECT_TRUE(Near(At(pixels, 12, 12), 0x00FF00));
  EXPECT_TRUE(Near(At(pixels, 19, 12), 0xFF0000));
  EXPECT_TRUE(Near(At(pixels, 12, 19), 0xFFFFFF));
  texture->Release();
}

TEST_F(GlDeviceTest, AlphaBlendMixesAndAlphaTestDrops) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
  device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
  DrawScreenRect(device, 0, 0, 16, 32, 0, 0xFF404040u);
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
  // Each pair mixes white at half alpha into grey: a "both" factor sets the two factors, in the
  // destination's state too.
  for (const auto& [source, destination, x] :
       {std::tuple{D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0u},
        std::tuple{D3DBLEND_SRCALPHA, D3DBLEND_BOTHSRCALPHA, 4u},
        std::tuple{D3DBLEND_BOTHSRCALPHA, D3DBLEND_ONE, 8u},
        std::tuple{D3DBLEND_BOTHINVSRCALPHA, D3DBLEND_ZERO, 12u}}) {
    device->SetRenderState(D3DRS_SRCBLEND, source);
    device->SetRenderState(D3DRS_DESTBLEND, destination);
    DrawScreenRect(device, static_cast<float>(x), 0, static_cast<float>(x + 4), 32, 0, 0x80FFFFFFu);
  }
  device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
  device->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
  device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
  device->SetRenderState(D3DRS_ALPHAREF, 0x80);
  DrawScreenRect(device, 16, 0, 32, 16, 0, 0x40FF0000u);   // dropped
  DrawScreenRect(device, 16, 16, 32, 32, 0, 0xC000FF00u);  // kept
  const auto pixels = Read();
  for (UINT x : {2u, 6u, 10u, 14u}) EXPECT_TRUE(Near(At(pixels, x, 8), 0xA0A0A0, 4)) << x;
  EXPECT_TRUE(Near(At(pixels, 24, 8), 0x000000));
  EXPECT_TRUE(Near(At(pixels, 24, 24), 0x00FF00));
}

TEST_F(GlDeviceTest, LinearFogBlendsByDepthOrByRange) {
  SetCameraAtOrigin(device, 1.0f);
  device->SetRenderState(D3DRS_FOGENABLE, 1);
  device->SetRenderState(D3DRS_FOGCOLOR, 0xFF0000FFu);
  device->SetRenderState(D3DRS_FOGSTART, FloatBits(0.0f));
  device->SetRenderState(D3DRS_FOGEND, FloatBits(20.0f));
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  struct Vertex {
    float x, y, z;
    D3DCOLOR color;
  };
  // A wall 10 in front of the eye; by the fog factor (20 - distance) / 20, half white and half
  // blue at 10. A wall of half-side 4 has its corners sqrt(4^2 + 4^2 + 10^2) = 11.5 away, which
  // range fog sees near the upper right corner (pixel 26, 6).
  const struct {
    DWORD tableMode, vertexMode, range;
    float half;
    UINT x, y;
    D3DCOLOR expected;
  } cases[] = {{D3DFOG_LINEAR, D3DFOG_NONE, 0, 20, 16, 16, 0x8080FF},
               {D3DFOG_NONE, D3DFOG_LINEAR, 0, 4, 26, 6, 0x8080FF},
               {D3DFOG_NONE, D3DFOG_LINEAR, 1, 4, 26, 6, 0x6E6EFF}};
  for (const auto& c : cases) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    device->SetRenderState(D3DRS_FOGTABLEMODE, c.tableMode);
    device->SetRenderState(D3DRS_FOGVERTEXMODE, c.vertexMode);
    device->SetRenderState(D3DRS_RANGEFOGENABLE, c.range);
    const Vertex wall[4] = {{-c.half, c.half, 10, 0xFFFFFFFFu},
                            {c.half, c.half, 10, 0xFFFFFFFFu},
                            {-c.half, -c.half, 10, 0xFFFFFFFFu},
                            {c.half, -c.half, 10, 0xFFFFFFFFu}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, wall, sizeof(Vertex));
    EXPECT_TRUE(Near(At(Read(), c.x, c.y), c.expected, 6))
        << "table " << c.tableMode << ", vertex " << c.vertexMode << ", range " << c.range;
  }
}

TEST_F(GlDeviceTest, ProjectedCoordinatesDivideByTheLastCountedOne) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  IDirect3DTexture8* texture = MakeQuadrantTexture(device);
  ASSERT_NE(texture, nullptr);
  const D3DMATRIX identity = Translation(0, 0, 0);
  device->SetTransform(D3DTS_TEXTURE0, &identity);
  device->SetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_COUNT3 | D3DTTFF_PROJECTED);
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  SetClipSpaceCamera(device);
  struct Vertex {
    float x, y, z;
    float s, t, r;
  };
  // (0.2, 1.4) / 2 samples the lower left texel (blue); undivided it would wrap to red.
  const Vertex quad[4] = {{-1, 1, 0.5f, 0.2f, 1.4f, 2},
                          {1, 1, 0.5f, 0.2f, 1.4f, 2},
                          {-1, -1, 0.5f, 0.2f, 1.4f, 2},
                          {1, -1, 0.5f, 0.2f, 1.4f, 2}};
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0));
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
  EXPECT_TRUE(Near(At(Read(), 16, 16), 0x0000FF));
  device->SetTexture(0, nullptr);
  texture->Release();
}

TEST_F(GlDeviceTest, StencilShadowPassDarkensOnlyTheMarkedArea) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, 0xFFFFFFFFu, 1.0f, 0);
  // First pass: the shadow volume counts into the stencil and leaves colour alone.
  device->SetRenderState(D3DRS_STENCILENABLE, 1);
  device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_ALWAYS);
  device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_INCR);
  device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
  DrawScreenRect(device, 8, 8, 24, 24, 0, 0xFF000000u);
  device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
  // Second pass: a screen-wide shade where the count is not zero.
  device->SetRenderState(D3DRS_STENCILFUNC, D3DCMP_NOTEQUAL);
  device->SetRenderState(D3DRS_STENCILREF, 0);
  device->SetRenderState(D3DRS_STENCILPASS, D3DSTENCILOP_KEEP);
  DrawScreenRect(device, 0, 0, 32, 32, 0, 0xFF404040u);
  const auto pixels = Read();
  EXPECT_TRUE(Near(At(pixels, 16, 16), 0x404040));
  EXPECT_TRUE(Near(At(pixels, 4, 4), 0xFFFFFF));
}

TEST_F(GlDeviceTest, RenderToTextureThenSampleIt) {
  IDirect3DTexture8* target = nullptr;
  ASSERT_EQ(device->CreateTexture(16, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                  D3DPOOL_DEFAULT, &target),
            D3D_OK);
  IDirect3DSurface8* level = nullptr;
  target->GetSurfaceLevel(0, &level);
  IDirect3DSurface8* backBuffer = nullptr;
  IDirect3DSurface8* depth = nullptr;
  device->GetRenderTarget(&backBuffer);
  device->GetDepthStencilSurface(&depth);
  ASSERT_EQ(device->SetRenderTarget(level, nullptr), D3D_OK);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
  DrawScreenRect(device, 0, 0, 8, 16, 0, 0xFFFFFF00u);  // yellow left half
  EXPECT_TRUE(Near(Read(level)[0], 0xFFFF00)) << "read back through a lock";

  // The texture on the back buffer's whole 32 x 32.
  const auto show = [&] {
    device->SetRenderTarget(backBuffer, depth);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    DrawTextureOverTarget(device, target);
    return Read();
  };
  auto pixels = show();
  EXPECT_TRUE(Near(At(pixels, 4, 4), 0xFFFF00));
  EXPECT_TRUE(Near(At(pixels, 28, 28), 0x0000FF));

  // Drawn into again after it was sampled, then written through a lock: each time the quad shows
  // the texture's newest pixels.
  device->SetRenderTarget(level, nullptr);
  DrawScreenRect(device, 8, 0, 16, 16, 0, 0xFF00FF00u);  // green right half
  pixels = show();
  EXPECT_TRUE(Near(At(pixels, 4, 4), 0xFFFF00));
  EXPECT_TRUE(Near(At(pixels, 28, 28), 0x00FF00));
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(level->LockRect(&locked, nullptr, 0), D3D_OK);
  for (UINT y = 0; y < 16; ++y) {
    auto* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
    std::fill_n(row, 16, 0xFFFF0000u);
  }
  level->UnlockRect();
  pixels = show();
  EXPECT_TRUE(Near(At(pixels, 4, 4), 0xFF0000));
  EXPECT_TRUE(Near(At(pixels, 28, 28), 0xFF0000));

  // Bound by the caller, the device's own surfaces hold references until unbound.
  device->SetRenderTarget(nullptr, nullptr);
  level->Release();
  target->Release();
  backBuffer->Release();
  depth->Release();
}

TEST_F(GlDeviceTest, BumpOffsetTexturesKeepTheirBytesAndSampleBiasedToUnsigned) {
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(2, 1, 1, 0, D3DFMT_V8U8, D3DPOOL_MANAGED, &texture), D3D_OK);
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_V8U8);
  // Two texels of (u, v) as signed bytes: (-128, 127) and (0, 64).
  const BYTE offsets[4] = {0x80, 0x7F, 0x00, 0x40};
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(locked.Pitch, 4);
  std::memcpy(locked.pBits, offsets, sizeof offsets);
  texture->UnlockRect(0);

  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
  DrawTextureOverTarget(device, texture);
  const auto pixels = Read();
  EXPECT_TRUE(Near(At(pixels, 8, 16), 0x00FFFF));
  EXPECT_TRUE(Near(At(pixels, 24, 16), 0x80C0FF));

  // The bytes stay as written, for the writers that lock the texture again.
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  EXPECT_EQ(std::memcmp(locked.pBits, offsets, sizeof offsets), 0);
  texture->UnlockRect(0);
  texture->Release();
}

TEST_F(GlDeviceTest, IndexedBufferDrawsAddTheBaseVertex) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  IDirect3DVertexBuffer8* vertices = nullptr;
  IDirect3DIndexBuffer8* indices = nullptr;
  ASSERT_EQ(device->CreateVertexBuffer(8 * sizeof(ScreenVertex), D3DUSAGE_WRITEONLY, kScreenFvf,
                                       D3DPOOL_MANAGED, &vertices),
            D3D_OK);
  ASSERT_EQ(device->CreateIndexBuffer(6 * 2, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED,
                                      &indices),
            D3D_OK);
  BYTE* data = nullptr;
  vertices->Lock(0, 0, &data, 0);
  const ScreenVertex decoys[4] = {};
  const ScreenVertex square[4] = {{16, 0, 0, 1, 0xFF00FFFFu},
                                  {32, 0, 0, 1, 0xFF00FFFFu},
                                  {16, 16, 0, 1, 0xFF00FFFFu},
                                  {32, 16, 0, 1, 0xFF00FFFFu}};
  std::memcpy(data, decoys, sizeof decoys);
  std::memcpy(data + sizeof decoys, square, sizeof square);
  vertices->Unlock();
  indices->Lock(0, 0, &data, 0);
  const WORD order[6] = {0, 1, 2, 2, 1, 3};
  std::memcpy(data, order, sizeof order);
  indices->Unlock();
  device->SetVertexShader(kScreenFvf);
  device->SetStreamSource(0, vertices, sizeof(ScreenVertex));
  device->SetIndices(indices, 4);
  ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 4, 0, 2), D3D_OK);
  const auto pixels = Read();
  EXPECT_TRUE(Near(At(pixels, 24, 8), 0x00FFFF));
  EXPECT_TRUE(Near(At(pixels, 8, 8), 0x000000));
  EXPECT_TRUE(Near(At(pixels, 24, 24), 0x000000));
  device->SetStreamSource(0, nullptr, 0);
  device->SetIndices(nullptr, 0);
  vertices->Release();
  indices->Release();
}

// The fragments of a pass are those its draws shade: every pixel covered, each time it is covered
// again, and the rasteriser's spare lanes along the triangles' edges (the same shape in the same
// place on its block grid counts alike). Passes of one name add up; counts start afresh after
// each take.
TEST_F(GlDeviceTest, FrameStatisticsCountEachPassesDrawsAndFragments) {
  HeadlessControl* control = Headless(device);
  control->SetStatistics(true);
  control->BeginPass("left");
  DrawScreenRect(device, 0, 0, 16, 32, 0, 0xFF404040u);  // 512 pixels
  control->BeginPass("corner");
  DrawScreenRect(device, 0, 0, 8, 8, 0, 0xFF808080u);  // 64 over the left half
  control->BeginPass("left");
  DrawScreenRect(device, 16, 0, 32, 32, 0, 0xFF404040u);
  const std::vector<PassStatistics> passes = control->TakeStatistics();
  ASSERT_EQ(passes.size(), 2u);
  EXPECT_EQ(passes[0].name, "left");
  EXPECT_EQ(passes[0].draws, 2u);
  EXPECT_GE(passes[0].fragments, 1024u);
  EXPECT_EQ(passes[1].name, "corner");
  EXPECT_EQ(passes[1].draws, 1u);
  EXPECT_GE(passes[1].fragments, 64u);
  // Counting goes on in the pass named last.
  DrawScreenRect(device, 8, 8, 16, 16, 0, 0xFF808080u);
  const std::vector<PassStatistics> next = control->TakeStatistics();
  ASSERT_EQ(next.size(), 1u);
  EXPECT_EQ(next[0].name, "left");
  EXPECT_EQ(next[0].fragments, passes[1].fragments);
  control->SetStatistics(false);
  DrawScreenRect(device, 0, 0, 4, 4, 0, 0xFF808080u);
  EXPECT_TRUE(control->TakeStatistics().empty());
}

TEST_F(GlDeviceTest, PresentedImageReachesTheFrontBuffer) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699u, 1.0f, 0);
  device->EndScene();
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  device->BeginScene();
  // The front buffer is the screen's size: the X display's where there is one.
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(device->GetDisplayMode(&mode), D3D_OK);
  IDirect3DSurface8* screen = nullptr;
  ASSERT_EQ(device->CreateImageSurface(mode.Width, mode.Height, D3DFMT_A8R8G8B8, &screen), D3D_OK);
  ASSERT_EQ(device->GetFrontBuffer(screen), D3D_OK);
  D3DLOCKED_RECT locked{};
  screen->LockRect(&locked, nullptr, D3DLOCK_READONLY);
  const auto* rows = static_cast<const BYTE*>(locked.pBits);
  D3DCOLOR inside = 0;
  D3DCOLOR outside = 0;
  std::memcpy(&inside, rows + 5 * locked.Pitch + 5 * 4, 4);
  std::memcpy(&outside, rows + 100 * locked.Pitch + 100 * 4, 4);
  screen->UnlockRect();
  EXPECT_TRUE(Near(inside, 0x336699));
  EXPECT_TRUE(Near(outside, 0x000000));
  screen->Release();
}

TEST_F(GlDeviceTest, ResetGivesANewBackBufferThatDraws) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0);
  device->EndScene();
  D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = kSize;
  params.BackBufferHeight = kSize;
  params.BackBufferFormat = D3DFMT_R5G6B5;
  params.SwapEffect = D3DSWAPEFFECT_COPY;
  params.Windowed = 1;
  ASSERT_EQ(device->Reset(&params), D3D_OK);
  device->BeginScene();
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
  DrawScreenRect(device, 0, 0, 16, 32, 0, 0xFFFFFFFFu);
  IDirect3DSurface8* backBuffer = nullptr;
  device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(backBuffer->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  WORD left = 0;
  WORD right = 0;
  std::memcpy(&left, static_cast<const BYTE*>(locked.pBits) + 4 * locked.Pitch + 4 * 2, 2);
  std::memcpy(&right, static_cast<const BYTE*>(locked.pBits) + 4 * locked.Pitch + 24 * 2, 2);
  backBuffer->UnlockRect();
  backBuffer->Release();
  EXPECT_EQ(left, 0xFFFF);   // white in 5-6-5
  EXPECT_EQ(right, 0x001F);  // blue
}

TEST_F(GlDeviceTest, CubeTexturesAnswerEachDirectionWithItsFace) {
  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(device->CreateCubeTexture(1, 1, 0, D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, &cube), D3D_OK);
  const D3DCOLOR faces[kCubeFaceCount] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu,
                                          0xFFFFFF00u, 0xFF00FFFFu, 0xFFFF00FFu};
  for (UINT face = 0; face < kCubeFaceCount; ++face) {
    D3DLOCKED_RECT locked{};
    cube->LockRect(static_cast<D3DCUBEMAP_FACES>(face), 0, &locked, nullptr, 0);
    std::memcpy(locked.pBits, &faces[face], 4);
    cube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(face), 0);
  }
  struct Vertex {
    float x, y, z, rhw;
    float s, t, r;
  };
  device->SetTexture(0, cube);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE3(0));
  const struct {
    float s, t, r;
    D3DCUBEMAP_FACES face;
  } directions[] = {{1, 0, 0, D3DCUBEMAP_FACE_POSITIVE_X},
                    {0, -1, 0, D3DCUBEMAP_FACE_NEGATIVE_Y},
                    {0, 0, -1, D3DCUBEMAP_FACE_NEGATIVE_Z}};
  for (const auto& direction : directions) {
    const Vertex quad[4] = {{0, 0, 0, 1, direction.s, direction.t, direction.r},
                            {32, 0, 0, 1, direction.s, direction.t, direction.r},
                            {0, 32, 0, 1, direction.s, direction.t, direction.r},
                            {32, 32, 0, 1, direction.s, direction.t, direction.r}};
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
    EXPECT_TRUE(Near(At(Read(), 16, 16), faces[direction.face] & 0xFFFFFF))
        << "face " << direction.face;
  }
  device->SetTexture(0, nullptr);
  cube->Release();
}

// A vertex buffer holding these vertices.
template <typename Vertex>
IDirect3DVertexBuffer8* MakeBuffer(IDirect3DDevice8* device, const std::vector<Vertex>& vertices) {
  IDirect3DVertexBuffer8* buffer = nullptr;
  const auto bytes = static_cast<UINT>(vertices.size() * sizeof(Vertex));
  if (FAILED(device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &buffer))) {
    return nullptr;
  }
  BYTE* data = nullptr;
  buffer->Lock(0, 0, &data, 0);
  std::memcpy(data, vertices.data(), bytes);
  buffer->Unlock();
  return buffer;
}

DWORD MakeShader(IDirect3DDevice8* device, const std::vector<DWORD>& declaration,
                 const std::vector<DWORD>& function) {
  DWORD handle = 0;
  EXPECT_EQ(device->CreateVertexShader(declaration.data(), function.data(), &handle, 0), D3D_OK);
  return handle;
}

void SetConstant(IDirect3DDevice8* device, DWORD reg, std::array<float, 4> value) {
  device->SetVertexShaderConstant(reg, value.data(), 1);
}

TEST_F(GlDeviceTest, BlendShaderDrawsThePixelsOfTheFixedFunctionDrawOfTheBlend) {
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  SetCameraAtOrigin(device, 1.0f);
  D3DMATRIX projection{};
  device->GetTransform(D3DTS_PROJECTION, &projection);
  const std::vector<MD2Vertex> frame0 = {{-2.1f, -1.3f, 5, 0, 0, 1, 0, 0},
                                         {0.3f, 2.2f, 5, 0, 0, 1, 0, 0},
                                         {1.7f, -0.9f, 5, 0, 0, 1, 0, 0}};
  const std::vector<MD2Vertex> frame1 = {{-1.3f, -2.1f, 9, 0, 0, 1, 0, 0},
                                         {1.1f, 1.8f, 7, 0, 0, 1, 0, 0},
                                         {2.9f, 0.7f, 5, 0, 0, 1, 0, 0}};
  IDirect3DVertexBuffer8* first = MakeBuffer(device, frame0);
  IDirect3DVertexBuffer8* second = MakeBuffer(device, frame1);
  ASSERT_NE(second, nullptr);
  const DWORD shader = MakeShader(device, MD2ShaderDeclaration(), MD2ShaderProgram());
  // The transposed projection (world and view are identity), red, frame 1 at a quarter.
  for (DWORD row = 0; row < 4; ++row) {
    SetConstant(
        device, row,
        {projection.m[0][row], projection.m[1][row], projection.m[2][row], projection.m[3][row]});
  }
  SetConstant(device, 4, {1, 0, 0, 1});
  SetConstant(device, 7, {0.25f, 0.25f, 0.25f, 0.25f});
  SetConstant(device, 8, {0.75f, 0.75f, 0.75f, 0.75f});
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  device->SetVertexShader(shader);
  device->SetStreamSource(0, first, sizeof(MD2Vertex));
  device->SetStreamSource(1, second, sizeof(MD2Vertex));
  ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
  const auto shaded = Read();

  struct Vertex {
    float x, y, z;
    D3DCOLOR color;
  };
  Vertex blended[3];
  for (int i = 0; i < 3; ++i) {
    blended[i] = {0.75f * frame0[i].x + 0.25f * frame1[i].x,
                  0.75f * frame0[i].y + 0.25f * frame1[i].y,
                  0.75f * frame0[i].z + 0.25f * frame1[i].z, 0xFFFF0000u};
  }
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, blended, sizeof(Vertex)), D3D_OK);
  const auto fixed = Read();

  int covered = 0;
  int differing = 0;
  for (size_t i = 0; i < shaded.size(); ++i) {
    covered += Near(fixed[i], 0xFF0000) ? 1 : 0;
    differing += Near(shaded[i], fixed[i]) ? 0 : 1;
  }
  EXPECT_GT(covered, 50);
  EXPECT_EQ(differing, 0);
  device->SetStreamSource(1, nullptr, 0);
  first->Release();
  second->Release();
  device->DeleteVertexShader(shader);
}

TEST_F(GlDeviceTest, BoneShaderPlacesEachTriangleAtItsBone) {
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  // Clip space straight through; bone 0 (c7..c9) moves up left, bone 1 (c10..c12) down right.
  for (DWORD row = 0; row < 4; ++row) {
    std::array<float, 4> unit{};
    unit[row] = 1;
    SetConstant(device, row, unit);
  }
  SetConstant(device, 5, {0, 1, 0, 1});
  SetConstant(device, 6, {1, 1, 1, 1});
  const float moves[2][2] = {{-0.5f, 0.5f}, {0.5f, -0.5f}};
  for (DWORD bone = 0; bone < 2; ++bone) {
    SetConstant(device, 7 + 3 * bone, {1, 0, 0, moves[bone][0]});
    SetConstant(device, 8 + 3 * bone, {0, 1, 0, moves[bone][1]});
    SetConstant(device, 9 + 3 * bone, {0, 0, 1, 0});
  }
  std::vector<MDLVertex> triangles;
  for (float bone : {0.0f, 3.0f}) {
    triangles.push_back({-0.25f, -0.25f, 0.5f, 0, 0, 1, 0, 0, bone});
    triangles.push_back({0.0f, 0.25f, 0.5f, 0, 0, 1, 0, 0, bone});
    triangles.push_back({0.25f, -0.25f, 0.5f, 0, 0, 1, 0, 0, bone});
  }
  IDirect3DVertexBuffer8* buffer = MakeBuffer(device, triangles);
  ASSERT_NE(buffer, nullptr);
  const DWORD shader = MakeShader(device, MDLShaderDeclaration(), MDLShaderProgram());
  device->SetVertexShader(shader);
  device->SetStreamSource(0, buffer, sizeof(MDLVertex));
  ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 2), D3D_OK);
  const auto pixels = Read();
  EXPECT_TRUE(Near(At(pixels, 8, 8), 0x00FF00)) << "bone 0: upper left";
  EXPECT_TRUE(Near(At(pixels, 24, 24), 0x00FF00)) << "bone 1: lower right";
  EXPECT_TRUE(Near(At(pixels, 24, 8), 0x000000));
  EXPECT_TRUE(Near(At(pixels, 8, 24), 0x000000));
  EXPECT_TRUE(Near(At(pixels, 16, 16), 0x000000)) << "nothing left at the origin";
  device->SetStreamSource(0, nullptr, 0);
  buffer->Release();
  device->DeleteVertexShader(shader);
}

TEST_F(GlDeviceTest, RelativeConstantsReachBeyondTheProgramsDirectOffsets) {
  // a0.x = 2, then c[a0.x + 70], past the offsets an OpenGL program can add directly.
  const std::vector<DWORD> declaration = {
      vs::decl::Stream(0), vs::decl::Element(0, vs::decl::Type::Float3), vs::decl::kEnd};
  const std::vector<DWORD> function =
      vs::Assemble({vs::Mov(vs::A0(), vs::C(0).Replicate(vs::X)), vs::Mov(vs::OPos(), vs::V(0)),
                    vs::Mov(vs::OD(0), vs::C(70).Relative())});
  SetConstant(device, 0, {2, 0, 0, 0});
  SetConstant(device, 70, {1, 0, 0, 1});
  SetConstant(device, 72, {0, 0, 1, 1});
  const float cover[3][3] = {{-1, -1, 0.5f}, {-1, 3, 0.5f}, {3, -1, 0.5f}};
  const DWORD shader = MakeShader(device, declaration, function);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetVertexShader(shader);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, cover, sizeof cover[0]), D3D_OK);
  EXPECT_TRUE(Near(At(Read(), 16, 16), 0x0000FF));
  device->DeleteVertexShader(shader);
}

TEST_F(GlDeviceTest, AdditionalSwapChainsPresentTheirOwnImage) {
  D3DPRESENT_PARAMETERS second{};
  second.BackBufferWidth = 8;
  second.BackBufferHeight = 8;
  second.BackBufferFormat = D3DFMT_X8R8G8B8;
  second.SwapEffect = D3DSWAPEFFECT_COPY;
  second.hDeviceWindow = reinterpret_cast<HWND>(uintptr_t{2});
  second.Windowed = 1;
  IDirect3DSwapChain8* chain = nullptr;
  ASSERT_EQ(device->CreateAdditionalSwapChain(&second, &chain), D3D_OK);
  IDirect3DSurface8* backBuffer = nullptr;
  chain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &backBuffer);
  device->SetRenderTarget(backBuffer, nullptr);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00C000u, 1.0f, 0);
  device->EndScene();
  ASSERT_EQ(chain->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  device->BeginScene();
  const PresentedImage* shown = Headless(device)->Presented(second.hDeviceWindow);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->width, 8u);
  EXPECT_TRUE(Near(shown->pixels[0], 0x00C000));
  device->SetRenderTarget(nullptr, nullptr);
  backBuffer->Release();
  chain->Release();
}

IDirect3DTexture8* SolidTexture(IDirect3DDevice8* device, D3DCOLOR color) {
  IDirect3DTexture8* texture = nullptr;
  if (device->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture) != D3D_OK) {
    return nullptr;
  }
  D3DLOCKED_RECT locked{};
  texture->LockRect(0, &locked, nullptr, 0);
  std::memcpy(locked.pBits, &color, sizeof color);
  texture->UnlockRect(0);
  return texture;
}

TEST_F(GlDeviceTest, EachDrawSeesTheStateChangedJustBeforeIt) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  SetClipSpaceCamera(device);
  IDirect3DTexture8* blue = SolidTexture(device, 0xFF0000FFu);
  IDirect3DTexture8* white = SolidTexture(device, 0xFFFFFFFFu);
  ASSERT_NE(blue, nullptr);
  ASSERT_NE(white, nullptr);
  struct Vertex {
    float x, y, z;
    float u, v;
  };
  // The top-left quarter of the target; every draw below reuses the same vertices.
  const Vertex square[4] = {
      {-1, 1, 0.5f, 0, 0}, {0, 1, 0.5f, 0, 0}, {-1, 0, 0.5f, 0, 0}, {0, 0, 0.5f, 0, 0}};
  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_TEX1);
  const auto draw = [&](float x, float y) {
    const D3DMATRIX world = Translation(x, y, 0);
    device->SetTransform(D3DTS_WORLD, &world);
    device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, square, sizeof(Vertex));
  };
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFFF0000u);
  draw(0, 0);
  device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF00FF00u);  // and the world moves
  draw(1, 0);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTexture(0, blue);
  draw(0, -1);
  device->SetTexture(0, white);
  draw(1, -1);
  auto pixels = Read();
  EXPECT_TRUE(Near(At(pixels, 8, 8), 0xFF0000)) << "texture factor";
  EXPECT_TRUE(Near(At(pixels, 24, 8), 0x00FF00)) << "texture factor and world";
  EXPECT_TRUE(Near(At(pixels, 8, 24), 0x0000FF)) << "stage argument and texture";
  EXPECT_TRUE(Near(At(pixels, 24, 24), 0xFFFFFF)) << "texture only";

  // A clear writes every channel; the next draw must get its own write mask back.
  device->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
  draw(0, 0);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  draw(0, 0);
  EXPECT_TRUE(Near(At(Read(), 8, 8), 0x000000)) << "write mask after a clear";
  device->SetTexture(0, nullptr);
  blue->Release();
  white->Release();
}

TEST_F(GlDeviceTest, VertexBlendingWeighsTheWorldMatrices) {
  D3DCAPS8 caps{};
  device->GetDeviceCaps(&caps);
  EXPECT_EQ(caps.MaxVertexBlendMatrices, 4u) << "the skinned meshes choose blending by it";
  SetClipSpaceCamera(device);
  // WORLDMATRIX(0) puts the square in the left half, WORLDMATRIX(1) in the right half.
  const D3DMATRIX left = Translation(-0.5f, 0, 0);
  const D3DMATRIX right = Translation(0.5f, 0, 0);
  device->SetTransform(D3DTS_WORLDMATRIX(0), &left);
  device->SetTransform(D3DTS_WORLDMATRIX(1), &right);
  struct Vertex {
    float x, y, z;
    float weight;
    D3DCOLOR color;
  };
  device->SetVertexShader(D3DFVF_XYZB1 | D3DFVF_DIFFUSE);
  const struct {
    DWORD blend;
    float weight;
    UINT column;  // where the square's middle lands
  } cases[] = {{D3DVBF_1WEIGHTS, 1.0f, 8},
               {D3DVBF_1WEIGHTS, 0.0f, 24},
               {D3DVBF_1WEIGHTS, 0.5f, 16},
               {D3DVBF_DISABLE, 0.0f, 8},      // weights ignored: the world matrix alone
               {D3DVBF_2WEIGHTS, 0.25f, 20}};  // the format's one weight is all there is
  for (const auto& c : cases) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    device->SetRenderState(D3DRS_VERTEXBLEND, c.blend);
    const float h = 0.2f;  // half the square's side, in clip units
    const Vertex square[4] = {{-h, h, 0.5f, c.weight, 0xFFFFFF00u},
                              {h, h, 0.5f, c.weight, 0xFFFFFF00u},
                              {-h, -h, 0.5f, c.weight, 0xFFFFFF00u},
                              {h, -h, 0.5f, c.weight, 0xFFFFFF00u}};
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, square, sizeof(Vertex)), D3D_OK);
    const auto pixels = Read();
    EXPECT_TRUE(Near(At(pixels, c.column, 16), 0xFFFF00))
        << "blend " << c.blend << ", weight " << c.weight;
    const UINT away = c.column < 16 ? c.column + 12 : c.column - 12;
    EXPECT_TRUE(Near(At(pixels, away, 16), 0x000000))
        << "blend " << c.blend << ", weight " << c.weight;
  }
}

TEST_F(GlDeviceTest, BlendedNormalsTurnWithTheirWorldMatrices) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
  SetCameraAtOrigin(device, 1.0f);
  LightAlongTheView(device);
  // The square is stored turned a quarter away (facing +x, at the side) and follows
  // WORLDMATRIX(1) alone, which turns it back to face the camera at distance 4: lit fully only if
  // the normals turn with it.
  const float quarter = 1.5707963f;
  const D3DMATRIX turn = RotationY(quarter);
  const D3DMATRIX back = RotationY(-quarter);
  device->SetTransform(D3DTS_WORLDMATRIX(1), &turn);
  device->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_1WEIGHTS);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  struct Vertex {
    float x, y, z;
    float weight;
    float nx, ny, nz;
  };
  const auto stored = [&](float x, float y, float z) {
    return std::array<float, 3>{x * back.m[0][0] + y * back.m[1][0] + z * back.m[2][0],
                                x * back.m[0][1] + y * back.m[1][1] + z * back.m[2][1],
                                x * back.m[0][2] + y * back.m[1][2] + z * back.m[2][2]};
  };
  const auto n = stored(0, 0, -1);
  Vertex square[4];
  const float corners[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
  for (int i = 0; i < 4; ++i) {
    const auto p = stored(corners[i][0], corners[i][1], 4);
    square[i] = {p[0], p[1], p[2], 0.0f, n[0], n[1], n[2]};
  }
  device->SetVertexShader(D3DFVF_XYZB1 | D3DFVF_NORMAL);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, square, sizeof(Vertex)), D3D_OK);
  const auto pixels = Read();
  EXPECT_TRUE(Near(At(pixels, 16, 16), 0xFFFFFF));
  EXPECT_TRUE(Near(At(pixels, 2, 16), 0x000000));
}

}  // namespace
}  // namespace d3dtest

namespace d3dtest {
namespace {

// The DISPLAY variable, gone while the test runs.
class WithoutXDisplay {
 public:
  WithoutXDisplay() {
    if (const char* display = std::getenv("DISPLAY")) saved_ = display;
    ::unsetenv("DISPLAY");
  }
  ~WithoutXDisplay() {
    if (!saved_.empty()) ::setenv("DISPLAY", saved_.c_str(), 1);
  }

 private:
  std::string saved_;
};

TEST(GlAdapters, WithoutAnXDisplayListOnlyTheDesktop) {
  const WithoutXDisplay noDisplay;
  d3d::GlConfig config;
  config.desktop = {1280, 1024, 75, D3DFMT_X8R8G8B8};
  IDirect3D8* d3d = d3d::CreateGlDirect3D(config);
  ASSERT_EQ(d3d->GetAdapterCount(), 1u);
  ASSERT_EQ(d3d->GetAdapterModeCount(0), 1u);
  D3DDISPLAYMODE mode{};
  ASSERT_EQ(d3d->EnumAdapterModes(0, 0, &mode), D3D_OK);
  EXPECT_EQ(mode.Width, 1280u);
  EXPECT_EQ(mode.Height, 1024u);
  EXPECT_EQ(mode.RefreshRate, 75u);
  EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
  D3DADAPTER_IDENTIFIER8 identifier;
  ASSERT_EQ(d3d->GetAdapterIdentifier(0, 0, &identifier), D3D_OK);
  EXPECT_GT(std::strlen(identifier.Description), 0u);
  d3d->Release();
}

// Under an X server (xvfb-run -s "-screen 0 1280x1024x24"), the outputs' modes, in 32 bits, and
// the desktop among them.
TEST(GlAdapters, ListTheXServersModes) {
  if (std::getenv("DISPLAY") == nullptr) GTEST_SKIP() << "no X display";
  IDirect3D8* d3d = d3d::CreateGlDirect3D();
  ASSERT_GE(d3d->GetAdapterCount(), 1u);
  D3DDISPLAYMODE desktop{};
  ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &desktop), D3D_OK);
  bool desktopListed = false;
  for (UINT i = 0; i < d3d->GetAdapterModeCount(0); ++i) {
    D3DDISPLAYMODE mode{};
    ASSERT_EQ(d3d->EnumAdapterModes(0, i, &mode), D3D_OK);
    EXPECT_EQ(mode.Format, D3DFMT_X8R8G8B8);
    desktopListed |= mode.Width == desktop.Width && mode.Height == desktop.Height;
  }
  EXPECT_TRUE(desktopListed) << desktop.Width << "x" << desktop.Height;
  d3d->Release();
}

}  // namespace
}  // namespace d3dtest
