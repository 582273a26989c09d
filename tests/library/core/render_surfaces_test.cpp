// Render surfaces, bump textures, the default environment-bump texture and normalisation cube
// maps, and the texture table's device loss and reset.
#include <string>
#include <utility>
#include <vector>

#include "tests/library/core/library_fixture.h"
#include "tests/library/core/render_target_desc.h"

namespace {

using namespace d3d;

class Surfaces : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    ASSERT_EQ(CreateDevice(), D3D_OK);
  }

  static IDirect3DTexture8* Texture(int32_t identifier) {
    IDirect3DTexture8* texture = nullptr;
    TextureFactory_GetDXTexture(identifier, &texture);
    return texture;
  }

  static IDirect3DCubeTexture8* Cube(int32_t identifier) {
    IDirect3DCubeTexture8* cube = nullptr;
    TextureFactory_GetDXTextureCube(identifier, &cube);
    return cube;
  }

  IDirect3DSurface8* CurrentTarget() const {
    IDirect3DSurface8* target = nullptr;
    device_->GetRenderTarget(&target);
    if (target != nullptr) target->Release();
    return target;
  }

  // The device loss and reset of a frame, as the caller drives it: each family's loss export, the
  // device's reset, each family's reset export.
  bool LoseAndReset() {
    D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
    return Viewport_OnLostAll() == 1 && TextureFactory_OnLostAll() == 1 &&
           Viewport_ResetDevice(&params) == 1 && Viewport_OnResetAll() == 1 &&
           TextureFactory_OnResetAll() == 1;
  }

  static d3dx::ArgbImage Face(IDirect3DCubeTexture8* cube, UINT face, UINT level = 0) {
    IDirect3DSurface8* surface = nullptr;
    cube->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face), level, &surface);
    d3dx::ArgbImage image = Pixels(surface);
    surface->Release();
    return image;
  }
};

TEST_F(Surfaces, DefaultBumpTextureIsDiagonalWavesOfSignedOffsets) {
  ASSERT_EQ(TextureFactory_GetTextureIDByName("Default EMBM texture"), 1);
  IDirect3DTexture8* texture = Texture(1);
  ASSERT_NE(texture, nullptr);
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_V8U8);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  TextureInfo info{};
  TextureFactory_GetTextureInfo(1, &info);
  EXPECT_STREQ(info.file, "Default EMBM texture");
  EXPECT_EQ(info.width, 256);
  D3DLOCKED_RECT locked{};
  ASSERT_EQ(texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY), D3D_OK);
  const auto texel = [&](int x, int y) {
    const auto* row = static_cast<const int8_t*>(locked.pBits) + y * locked.Pitch;
    return std::pair<int, int>(row[2 * x], row[2 * x + 1]);
  };
  // The phase is (x + y) / 256 - 1 turns of two periods: at x + y = 16 it is 1/8 of a period
  // past a whole one, at 48 three eighths; the offsets are 64 times its cosine and sine, cut
  // toward zero.
  EXPECT_EQ(texel(0, 16), std::pair(45, 45));
  EXPECT_EQ(texel(40, 8), std::pair(-45, 45));
  EXPECT_EQ(texel(10, 6), texel(0, 16));
  EXPECT_EQ(texel(100, 60), texel(60, 100));
  EXPECT_EQ(texel(200, 100), texel(172, 0));  // one period on
  texture->UnlockRect(0);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Surfaces, NormalizationCubeTexelsPointAlongTheirDirection) {
  IDirect3DCubeTexture8* cube = nullptr;
  ASSERT_EQ(TextureFactory_CreateNormalizationCubeMap(4, 1, &cube), 0);
  ASSERT_NE(cube, nullptr);
  // Texel (1, 1) of each face lies at s = t = -1/3: +x gives (1, 1/3, 1/3), which normalised is
  // (0.905, 0.302, 0.302); components become (c + 1) x 127, cut: 0xF1 and 0xA5 (0x0C and 0x58 for
  // the negative ones).
  constexpr D3DCOLOR kColour = 0xFFFFFF;
  const D3DCOLOR inner[6] = {0xF1A5A5, 0x0CA558, 0x58F158, 0x580CA5, 0x58A5F1, 0xA5A50C};
  for (UINT face = 0; face < 6; ++face) {
    EXPECT_EQ(Face(cube, face).At(1, 1) & kColour, inner[face]) << face;
  }
  // The corners are the diagonals: row 0, column 3 (s = -1, t = 1) of +z is (1, 1, 1); row 0,
  // column 0 of -z (1, 1, -1); row 3, column 0 of +x (1, -1, 1).
  EXPECT_EQ(Face(cube, 4).At(3, 0) & kColour, 0xC8C8C8u);
  EXPECT_EQ(Face(cube, 5).At(0, 0) & kColour, 0xC8C835u);
  EXPECT_EQ(Face(cube, 0).At(0, 3) & kColour, 0xC835C8u);
  cube->Release();

  ASSERT_EQ(TextureFactory_CreateNormalizationCubeMap(8, 0, &cube), 0);
  ASSERT_EQ(cube->GetLevelCount(), 4u);
  // The last level, filtered from the others, still points along the face's axis.
  const D3DCOLOR average = Face(cube, 0, 3).At(0, 0);
  EXPECT_GT((average >> 16) & 0xFF, 0xD0u);
  EXPECT_NEAR(static_cast<int>((average >> 8) & 0xFF), 0x7F, 3);
  EXPECT_NEAR(static_cast<int>(average & 0xFF), 0x7F, 3);
  cube->Release();

  // A face of one texel has no direction to spread.
  cube = reinterpret_cast<IDirect3DCubeTexture8*>(this);
  EXPECT_EQ(TextureFactory_CreateNormalizationCubeMap(1, 1, &cube), D3DERR_INVALIDCALL);
  EXPECT_EQ(TextureFactory_CreateNormalizationCubeMap(0, 1, &cube), D3DERR_INVALIDCALL);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Surfaces, BumpLoadsKeepTextureAndNormalMapAndLeaveNoRecordWhenTheyFail) {
  // A ramp of heights in red, rising to the right.
  d3dx::ArgbImage heights(8, 8);
  for (uint32_t y = 0; y < 8; ++y) {
    for (uint32_t x = 0; x < 8; ++x) heights.At(x, y) = 0xFF000000u | (x * 32) << 16;
  }
  const std::string file = WriteBmp("heights.bmp", heights);
  const int32_t bump = TextureFactory_LoadBumpTexture(file.c_str(), nullptr, 1, 2.0f);
  ASSERT_EQ(bump, 2);
  EXPECT_TRUE(Logged("TEXTURE FACTORY 2 : Loading bump texture " + file + " ('BumpTexture2')"));
  IDirect3DTexture8* normalMap = nullptr;
  TextureFactory_GetDXTextureNormal(bump, &normalMap);
  ASSERT_NE(normalMap, nullptr);
  ASSERT_NE(Texture(bump), nullptr);
  EXPECT_EQ(Pixels(Texture(bump)).At(4, 4), heights.At(4, 4));
  const D3DCOLOR slope = Pixels(normalMap).At(4, 4);
  EXPECT_LT((slope >> 16) & 0xFF, 0x7Fu) << "the normal leans against the rise";
  EXPECT_NEAR(static_cast<int>((slope >> 8) & 0xFF), 0x7F, 1);
  EXPECT_GT(slope & 0xFF, 0x80u);

  // Amplitude 0 stands for 1.
  ASSERT_EQ(TextureFactory_ChangeBumpmapAmplitude(bump, 1.0f), 1);
  const d3dx::ArgbImage one = Pixels(normalMap);
  ASSERT_EQ(TextureFactory_ChangeBumpmapAmplitude(bump, 0.0f), 1);
  EXPECT_EQ(Pixels(normalMap).pixels, one.pixels);
  EXPECT_NE(one.At(4, 4), slope);

  // Without the flag the file is the normal map itself; the distortion map keeps it as texture.
  const int32_t given = TextureFactory_LoadBumpTexture(file.c_str(), "given", 0, 1.0f);
  ASSERT_EQ(given, 3);
  EXPECT_EQ(Texture(given), nullptr);
  EXPECT_EQ(TextureFactory_GetTextureIDByName("given"), given);
  EXPECT_EQ(TextureFactory_ChangeBumpmapAmplitude(given, 1.0f), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : TextureFactory_ChangeBumpmapAmplitude : the selected texture 4 "
             "isn't a bumpmapping texture."));
  EXPECT_EQ(TextureFactory_ChangeBumpmapAmplitude(99, 1.0f), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : TextureFactory_ChangeBumpmapAmplitude : textureid index out of "
             "range => 99"));
  const int32_t distortion = TextureFactory_LoadDistorsionBumpMap(file.c_str(), "waves");
  ASSERT_EQ(distortion, 4);
  EXPECT_NE(Texture(distortion), nullptr);

  const std::string missing = (Folder() / "missing.bmp").string();
  EXPECT_EQ(TextureFactory_LoadBumpTexture(missing.c_str(), "gone", 1, 1.0f), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : TextureFactory_LoadBumpTexture : couldn't load the texture '" +
             missing + "', file not found."));
  EXPECT_EQ(TextureFactory_LoadDistorsionBumpMap(missing.c_str(), "gone"), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : TextureFactory_LoadDirstorneBumpTexture : couldn't load the "
             "texture '" +
             missing + "', file not found."));
  EXPECT_EQ(TextureFactory_LoadBumpTexture(nullptr, "none", 1, 1.0f), 0);
  EXPECT_EQ(TextureFactory_GetTextureIDByName("gone"), 0);
  EXPECT_EQ(TextureFactory_GetNewTextureId(), 5);
  EXPECT_TRUE(ShutDownAndRelease());
}

using SurfacesWithoutTheFormats = LibraryTest;

TEST_F(SurfacesWithoutTheFormats, NoDot3RefusesBumpsAndNoV8U8LeavesNoDefaultBumpTexture) {
  HeadlessConfig config;
  config.caps.TextureOpCaps &= ~D3DTEXOPCAPS_DOTPRODUCT3;
  std::erase(config.textureFormats, D3DFMT_V8U8);
  ASSERT_EQ(CreateDevice(D3DFMT_D16, config), D3D_OK);
  EXPECT_EQ(TextureFactory_GetTextureIDByName("Default EMBM texture"), 0);
  EXPECT_EQ(TextureFactory_CreateBumpMap(), E_FAIL);
  EXPECT_EQ(TextureFactory_GetNewTextureId(), 1);
  const std::string file = WriteBmp("any.bmp", 4, 4, 0xFF808080);
  EXPECT_EQ(TextureFactory_LoadBumpTexture(file.c_str(), "b", 1, 1.0f), 0);
  EXPECT_EQ(TextureFactory_LoadDistorsionBumpMap(file.c_str(), "d"), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : The selected 3d device doesn't support the DOT3 bumpmapping, so "
             "it's useless to load the bumpmap '" +
             file + "'"));
  EXPECT_EQ(TextureFactory_GetNewTextureId(), 1);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Surfaces, RenderSurfacesTakeTheirFormatsAndAreReplacedOnlyOnceMade) {
  // The device's back buffer is X8R8G8B8 with a D16 depth buffer.
  const int32_t plain = TextureFactory_CreateRenderSurface(256, 128, 0);
  ASSERT_EQ(plain, 2);
  EXPECT_TRUE(Logged("TEXTURE FACTORY 2 : Successfully RenderSurface (256x128 format:22) created"));
  TextureInfo info{};
  TextureFactory_GetTextureInfo(plain, &info);
  EXPECT_STREQ(info.name, "RenderSurface2");
  EXPECT_STREQ(info.file, "Internally created");
  EXPECT_EQ(info.height, 128);
  d3dx::D3DXRTS_DESC desc = RenderTargetDesc(plain);
  EXPECT_EQ(desc.Format, D3DFMT_X8R8G8B8);
  EXPECT_TRUE(desc.DepthStencil);
  EXPECT_EQ(desc.DepthStencilFormat, D3DFMT_D16);
  D3DSURFACE_DESC level{};
  Texture(plain)->GetLevelDesc(0, &level);
  EXPECT_EQ(level.Usage, static_cast<DWORD>(D3DUSAGE_RENDERTARGET));
  EXPECT_EQ(level.Pool, D3DPOOL_DEFAULT);

  // Alpha and no depth; a size the device does not take is rounded to one it does.
  const int32_t clear = TextureFactory_CreateRenderSurface2(100, 60, 0, 1, 1, 0);
  ASSERT_EQ(clear, 3);
  desc = RenderTargetDesc(clear);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_FALSE(desc.DepthStencil);
  EXPECT_EQ(desc.Width, 128u);
  EXPECT_EQ(desc.Height, 64u);

  // A failed creation under an identifier keeps the surface it had; a made one replaces it.
  IDirect3DTexture8* before = Texture(plain);
  const size_t alive = Control()->LiveObjectCount();
  Control()->FailNextCreation(E_OUTOFMEMORY);
  EXPECT_EQ(TextureFactory_CreateRenderSurface(64, 64, plain), 0);
  EXPECT_TRUE(Logged(
      "TEXTURE FACTORY 2 : TextureFactory_CreateRenderSurface : couldn't create the render to "
      "surface, might be a out of memory problem, try to create this rendersurface just after the "
      "engine initialization. DirectX Error number : " +
      std::to_string(E_OUTOFMEMORY)));
  EXPECT_EQ(Texture(plain), before);
  EXPECT_EQ(Control()->LiveObjectCount(), alive);
  EXPECT_EQ(TextureFactory_CreateRenderSurface(64, 64, plain), plain);
  EXPECT_EQ(RenderTargetDesc(plain).Width, 64u);
  EXPECT_EQ(Control()->LiveObjectCount(), alive);

  const int32_t cubic = TextureFactory_CreateCubicRenderSurface(32, 0);
  ASSERT_EQ(cubic, 4);
  TextureFactory_GetTextureInfo(cubic, &info);
  EXPECT_STREQ(info.name, "CubeRenderSurface4");
  EXPECT_STREQ(info.file, "Internally created cube");
  ASSERT_NE(Cube(cubic), nullptr);
  EXPECT_EQ(Texture(cubic), nullptr);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : Successfully Cubic RenderSurface (32x32 format:22) created"));
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Surfaces, StartAndEndRenderBindTheSurfaceOutsideTheDevicesScene) {
  const int32_t flat = TextureFactory_CreateRenderSurface(64, 32, 0);
  const int32_t cubic = TextureFactory_CreateCubicRenderSurface(16, 0);
  IDirect3DSurface8* backBuffer = CurrentTarget();
  D3DVIEWPORT8 viewport = {0, 0, 1, 1, 0.0f, 1.0f};
  ASSERT_EQ(TextureFactory_StartRender(flat, &viewport, 0), 1);
  EXPECT_EQ(viewport.Width, 64u);
  EXPECT_EQ(viewport.Height, 32u);
  EXPECT_NE(CurrentTarget(), backBuffer);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699u, 1.0f, 0);
  EXPECT_EQ(TextureFactory_EndRender(cubic), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : TextureFactory_EndRender : You are trying to stop rendering on a "
             "rendersurface that hasn't been started"));
  EXPECT_EQ(TextureFactory_EndRender(flat), 1);
  EXPECT_EQ(CurrentTarget(), backBuffer);
  EXPECT_EQ(Pixels(Texture(flat)).At(63, 31), 0xFF336699u);

  // One face of a cubic surface.
  ASSERT_EQ(TextureFactory_StartRender(cubic, nullptr, 3), 1);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00u, 1.0f, 0);
  EXPECT_EQ(TextureFactory_EndRender(cubic), 1);
  EXPECT_EQ(Face(Cube(cubic), 3).At(8, 8), 0xFF00FF00u);
  EXPECT_NE(Face(Cube(cubic), 2).At(8, 8), 0xFF00FF00u);
  EXPECT_EQ(TextureFactory_StartRender(cubic, nullptr, 6), 0);
  EXPECT_TRUE(Logged(
      "TEXTURE FACTORY 2 : TextureFactory_StartRender : Couldn't get the surface to render on."));

  // Inside the device's own scene the surface cannot start, and is not taken as started.
  ASSERT_EQ(Viewport_Clear(0, 0), 1);
  EXPECT_EQ(TextureFactory_StartRender(flat, nullptr, 0), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY : RenderSurface StartRender failed, because BeginScene was already "
             "called. Be sure to call this function outside a Vortana.Clear/Vortana.RenderToScreen "
             "block"));
  EXPECT_EQ(CurrentTarget(), backBuffer);
  EXPECT_EQ(TextureFactory_EndRender(flat), 0);
  Viewport_Present(0, -1);

  EXPECT_EQ(TextureFactory_StartRender(1, nullptr, 0), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : TextureFactory_StartRender : You are trying to render on a "
             "texture that is not a render to surface."));
  EXPECT_EQ(TextureFactory_StartRender(40, nullptr, 0), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : TextureFactory_StartRender : You are trying to render on a non "
             "active/created render surface => 40"));
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Surfaces, CopiesOfARenderSurfaceAreOrdinaryScaledTextures) {
  // Copies take the table's formats: R5G6B5, and A4R4G4B4 with alpha.
  TextureFactory_SetTextureMode(0);
  const int32_t surface = TextureFactory_CreateRenderSurface2(4, 4, 0, 1, 1, 0);
  ASSERT_EQ(TextureFactory_StartRender(surface, nullptr, 0), 1);
  device_->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FFu, 1.0f, 0);
  const D3DRECT left = {0, 0, 2, 4};
  device_->Clear(1, &left, D3DCLEAR_TARGET, 0xFFFF0000u, 1.0f, 0);
  TextureFactory_EndRender(surface);

  const int32_t copy = TextureFactory_CreateTextureFromRenderSurface(surface, 8, 8, 0);
  ASSERT_EQ(copy, 3);
  D3DSURFACE_DESC desc{};
  Texture(copy)->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
  EXPECT_EQ(desc.Pool, D3DPOOL_MANAGED);
  const d3dx::ArgbImage pixels = Pixels(Texture(copy));
  EXPECT_EQ(pixels.At(3, 7), 0xFFFF0000u);
  EXPECT_EQ(pixels.At(4, 0), 0xFF0000FFu);
  TextureInfo info{};
  TextureFactory_GetTextureInfo(copy, &info);
  EXPECT_EQ(info.valid, 1);
  EXPECT_EQ(info.width, 8);
  EXPECT_STREQ(info.name, "");

  EXPECT_EQ(TextureFactory_CreateTextureFromRenderSurface(1, 8, 8, 0), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : TextureFactory_CreateTextureFromRenderSurface : You are trying "
             "to create a texture from a non render surface texture "));
  EXPECT_EQ(TextureFactory_CreateTextureFromRenderSurface(30, 8, 8, 0), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : TextureFactory_CreateTextureFromRenderSurface : You are trying "
             "to create a texture from a non existing texture "));
  // A failed copy leaves no record behind.
  Control()->FailNextCreation(E_OUTOFMEMORY);
  EXPECT_EQ(TextureFactory_CreateTextureFromRenderSurface(surface, 8, 8, 1), 0);
  EXPECT_TRUE(
      Logged("TEXTURE FACTORY 2 : TextureFactory_CreateTextureFromRenderSurface : Create texture "
             "(8x8 format : 26) failed without reason: DX error : " +
             std::to_string(E_OUTOFMEMORY)));
  EXPECT_EQ(TextureFactory_GetNewTextureId(), 4);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(Surfaces, LossAndResetTakeFlatAndCubicSurfacesFrom3To5To3) {
  const int32_t flat = TextureFactory_CreateRenderSurface2(128, 64, 0, 1, 0, 0);
  const int32_t cubic = TextureFactory_CreateCubicRenderSurface(32, 0);
  const size_t alive = Control()->LiveObjectCount();
  Control()->SetLoss(DeviceLoss::NotReset);

  ASSERT_EQ(Viewport_OnLostAll(), 1);
  ASSERT_EQ(TextureFactory_OnLostAll(), 1);
  EXPECT_EQ(Texture(flat), nullptr);
  EXPECT_EQ(Cube(cubic), nullptr);
  EXPECT_EQ(TextureFactory_StartRender(flat, nullptr, 0), 0) << "a lost surface is not live";
  EXPECT_EQ(TextureFactory_StartRender(cubic, nullptr, 0), 0);
  D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
  // The reset succeeds only with every default-pool object gone, the cube textures included.
  ASSERT_EQ(Viewport_ResetDevice(&params), 1);
  ASSERT_EQ(Viewport_OnResetAll(), 1);

  // A surface that cannot be made again stays lost, and the next reset tries again.
  Control()->FailNextCreation(E_OUTOFMEMORY);
  EXPECT_EQ(TextureFactory_OnResetAll(), 0);
  EXPECT_TRUE(Logged("TEXTURE FACTORY : Couldn't recreate the render surface " +
                     std::to_string(flat) + " after the device reset."));
  EXPECT_EQ(TextureFactory_OnResetAll(), 1);

  ASSERT_NE(Texture(flat), nullptr);
  D3DSURFACE_DESC desc{};
  Texture(flat)->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 128u);
  EXPECT_EQ(desc.Height, 64u);
  EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
  EXPECT_EQ(desc.Pool, D3DPOOL_DEFAULT);
  ASSERT_NE(Cube(cubic), nullptr);
  Cube(cubic)->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 32u);
  EXPECT_EQ(Control()->LiveObjectCount(), alive);
  for (int32_t surface : {flat, cubic}) {
    ASSERT_EQ(TextureFactory_StartRender(surface, nullptr, 0), 1) << surface;
    EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK)
        << "the depth buffer came back too";
    EXPECT_EQ(TextureFactory_EndRender(surface), 1);
  }
  // Twice over, with nothing piling up.
  ASSERT_TRUE(LoseAndReset());
  EXPECT_EQ(Control()->LiveObjectCount(), alive);
  EXPECT_TRUE(ShutDownAndRelease());
}

// The whole calling order with the families of this file, on a device the library creates and on
// one it adopts: nothing of the device is left alive at the end.
TEST_F(Surfaces, LifeCycleOfCreatedAndAdoptedDevicesLeavesNothingAlive) {
  const auto useFamilies = [this] {
    EXPECT_GE(TextureFactory_CreateRenderSurface(64, 64, 0), 1);
    EXPECT_GE(TextureFactory_CreateCubicRenderSurface(16, 0), 1);
    EXPECT_EQ(BoundingSphere_Initialize(), 1);
    EXPECT_TRUE(LoseAndReset());
  };
  useFamilies();
  EXPECT_TRUE(ShutDownAndRelease());

  ASSERT_NO_FATAL_FAILURE(AdoptDevice());
  TextureFactory_Initialize();
  EXPECT_EQ(TextureFactory_CreateBumpMap(), 0);
  EXPECT_EQ(TextureFactory_GetTextureIDByName("Default EMBM texture"), 1);
  Viewport_Initialize();
  Boundings_Init();
  useFamilies();
  ReleaseAll();
  EXPECT_EQ(ShutDownDevice(), 0);
  EXPECT_EQ(Control()->LiveObjectCount(), 0u);
  EXPECT_EQ(device_->Release(), 0u);
  device_ = nullptr;
  direct3d_->Release();
  direct3d_ = nullptr;
}

}  // namespace
