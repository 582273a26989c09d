// The render surfaces' formats by the device's presentation parameters, which the library keeps
// and which no export sets directly, and the identifier of the default bump texture.
#include <gtest/gtest.h>

#include "library/core/frame/frame_state.h"
#include "library/core/render/bump_maps.h"
#include "platform/d3d/headless.h"
#include "tests/library/core/render_target_desc.h"

namespace {

using namespace d3d;

class SurfaceFormats : public ::testing::Test {
 protected:
  virtual HeadlessConfig Config() const {
    HeadlessConfig config;
    config.renderTargetFormats.push_back(D3DFMT_A1R5G5B5);
    return config;
  }
  void SetUp() override {
    direct3d_ = CreateHeadlessDirect3D(Config());
    D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 64;
    params.BackBufferHeight = 64;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.SwapEffect = D3DSWAPEFFECT_DISCARD;
    params.Windowed = 1;
    ASSERT_EQ(direct3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr,
                                      D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_),
              D3D_OK);
    CurrentDevice = device_;
    CurrentDeviceAdopted = true;
    DevicePresentParams = {};
    TextureFactory_Initialize();
  }

  void TearDown() override {
    TextureFactory_UnloadAll();
    CurrentDevice = nullptr;
    CurrentDeviceAdopted = false;
    DevicePresentParams = {};
    EXPECT_EQ(device_->Release(), 0u);
    direct3d_->Release();
  }

  IDirect3D8* direct3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

TEST_F(SurfaceFormats, FlatSurfacesFollowTheBackBufferWithAlphaVariants) {
  struct Case {
    D3DFORMAT backBuffer;
    int32_t alpha;
    D3DFORMAT depth;
    D3DFORMAT surface;
    D3DFORMAT surfaceDepth;
  };
  const Case cases[] = {
      {D3DFMT_UNKNOWN, 0, D3DFMT_UNKNOWN, D3DFMT_R5G6B5, D3DFMT_D16},
      {D3DFMT_UNKNOWN, 1, D3DFMT_UNKNOWN, D3DFMT_A8R8G8B8, D3DFMT_D16},
      {D3DFMT_X8R8G8B8, 0, D3DFMT_D24S8, D3DFMT_X8R8G8B8, D3DFMT_D24S8},
      {D3DFMT_X8R8G8B8, 1, D3DFMT_D24S8, D3DFMT_A8R8G8B8, D3DFMT_D24S8},
      {D3DFMT_R5G6B5, 0, D3DFMT_D16, D3DFMT_R5G6B5, D3DFMT_D16},
      {D3DFMT_R5G6B5, 1, D3DFMT_D16, D3DFMT_A1R5G5B5, D3DFMT_D16},
      {D3DFMT_A8R8G8B8, 0, D3DFMT_D16, D3DFMT_A8R8G8B8, D3DFMT_D16},
      {D3DFMT_A8R8G8B8, 1, D3DFMT_D16, D3DFMT_A8R8G8B8, D3DFMT_D16},
  };
  for (const Case& c : cases) {
    DevicePresentParams.BackBufferFormat = c.backBuffer;
    DevicePresentParams.AutoDepthStencilFormat = c.depth;
    const int32_t identifier = TextureFactory_CreateRenderSurface2(256, 256, 0, c.alpha, 0, 0);
    ASSERT_GE(identifier, 1) << c.backBuffer << " " << c.alpha;
    const d3dx::D3DXRTS_DESC desc = RenderTargetDesc(identifier);
    EXPECT_EQ(desc.Format, c.surface) << c.backBuffer << " " << c.alpha;
    EXPECT_EQ(desc.DepthStencilFormat, c.surfaceDepth) << c.backBuffer << " " << c.alpha;
    EXPECT_EQ(desc.Width, 256u);
    // The presentation parameters stay as the device was made with them.
    EXPECT_EQ(DevicePresentParams.BackBufferFormat, c.backBuffer);
    TextureFactory_DeleteTexture(identifier);
  }
}

TEST_F(SurfaceFormats, CubicSurfacesFillInTheMissingFormats) {
  const int32_t identifier = TextureFactory_CreateCubicRenderSurface(64, 0);
  ASSERT_EQ(identifier, 1);
  EXPECT_EQ(DevicePresentParams.BackBufferFormat, D3DFMT_R5G6B5);
  EXPECT_EQ(DevicePresentParams.AutoDepthStencilFormat, D3DFMT_D16);
  const d3dx::D3DXRTS_DESC desc = RenderTargetDesc(identifier);
  EXPECT_EQ(desc.Format, D3DFMT_R5G6B5);
  EXPECT_TRUE(desc.DepthStencil);
  EXPECT_EQ(desc.DepthStencilFormat, D3DFMT_D16);
}

TEST_F(SurfaceFormats, TheDefaultBumpTextureGoesWithTheTable) {
  ASSERT_EQ(TextureFactory_CreateBumpMap(), 0);
  EXPECT_EQ(DefaultBumpTexture, 1);
  TextureFactory_UnloadAll();
  EXPECT_EQ(DefaultBumpTexture, 0);
}

// A device whose textures are smaller than the default bump texture's 256 texels.
class SmallTextures : public SurfaceFormats {
 protected:
  HeadlessConfig Config() const override {
    HeadlessConfig config;
    config.caps.MaxTextureWidth = config.caps.MaxTextureHeight = 16;
    return config;
  }
};

TEST_F(SmallTextures, TheDefaultBumpTextureFillsTheSmallerTextureItGets) {
  ASSERT_EQ(TextureFactory_CreateBumpMap(), 0);
  IDirect3DTexture8* texture = nullptr;
  ASSERT_EQ(TextureFactory_GetDXTexture(DefaultBumpTexture, &texture), 1);
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 16u);
}

}  // namespace
