// Fixed-function state: defaults, round trips and refusals.
#include "tests/platform/d3d/headless_fixture.h"

#include <bit>

namespace {

using namespace d3dtest;

TEST_F(HeadlessDeviceTest, StartsFromTheDocumentedDefaults) {
  const struct {
    D3DRENDERSTATETYPE state;
    DWORD value;
  } renderDefaults[] = {
      {D3DRS_ZENABLE, 1},  // the device has an automatic depth surface
      {D3DRS_FILLMODE, D3DFILL_SOLID},
      {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
      {D3DRS_ZWRITEENABLE, 1},
      {D3DRS_SRCBLEND, D3DBLEND_ONE},
      {D3DRS_DESTBLEND, D3DBLEND_ZERO},
      {D3DRS_CULLMODE, D3DCULL_CCW},
      {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
      {D3DRS_ALPHABLENDENABLE, 0},
      {D3DRS_FOGEND, std::bit_cast<DWORD>(1.0f)},
      {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
      {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
      {D3DRS_TEXTUREFACTOR, 0xFFFFFFFFu},
      {D3DRS_LIGHTING, 1},
      {D3DRS_SOFTWAREVERTEXPROCESSING, 1},
  };
  for (const auto& d : renderDefaults) {
    DWORD value = 0xDEAD;
    ASSERT_EQ(device->GetRenderState(d.state, &value), D3D_OK);
    EXPECT_EQ(value, d.value) << "render state " << d.state;
  }
  const struct {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD value;
  } stageDefaults[] = {
      {0, D3DTSS_COLOROP, D3DTOP_MODULATE},
      {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
      {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
      {0, D3DTSS_COLORARG1, D3DTA_TEXTURE},
      {0, D3DTSS_COLORARG2, D3DTA_CURRENT},
      {3, D3DTSS_TEXCOORDINDEX, 3},
      {2, D3DTSS_MAGFILTER, D3DTEXF_POINT},
      {0, D3DTSS_ADDRESSU, D3DTADDRESS_WRAP},
      {0, D3DTSS_TEXTURETRANSFORMFLAGS, D3DTTFF_DISABLE},
  };
  for (const auto& d : stageDefaults) {
    DWORD value = 0xDEAD;
    ASSERT_EQ(device->GetTextureStageState(d.stage, d.type, &value), D3D_OK);
    EXPECT_EQ(value, d.value) << "stage " << d.stage << " state " << d.type;
  }
  D3DMATRIX world{};
  ASSERT_EQ(device->GetTransform(D3DTS_WORLD, &world), D3D_OK);
  EXPECT_TRUE(world == IdentityMatrix());
  D3DVIEWPORT8 viewport{};
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, kWidth);
  EXPECT_EQ(viewport.Height, kHeight);
  EXPECT_EQ(viewport.MaxZ, 1.0f);
}

TEST_F(HeadlessDeviceTest, StatesReadBackWhatWasSet) {
  ASSERT_EQ(device->SetRenderState(D3DRS_FOGSTART, std::bit_cast<DWORD>(12.5f)), D3D_OK);
  ASSERT_EQ(device->SetRenderState(D3DRS_ZBIAS, 0), D3D_OK);
  ASSERT_EQ(device->SetTextureStageState(2, D3DTSS_TEXTURETRANSFORMFLAGS,
                                         D3DTTFF_COUNT2 | D3DTTFF_PROJECTED),
            D3D_OK);
  DWORD value = 0;
  device->GetRenderState(D3DRS_FOGSTART, &value);
  EXPECT_EQ(std::bit_cast<float>(value), 12.5f);
  device->GetTextureStageState(2, D3DTSS_TEXTURETRANSFORMFLAGS, &value);
  EXPECT_EQ(value, 258u);

  D3DMATRIX moved = IdentityMatrix();
  moved.m[3][0] = 5.0f;  // translation in row 4
  for (const D3DTRANSFORMSTATETYPE type : {D3DTS_WORLD, D3DTS_WORLDMATRIX(3), D3DTS_VIEW,
                                           D3DTS_PROJECTION, D3DTS_TEXTURE0, D3DTS_TEXTURE7}) {
    ASSERT_EQ(device->SetTransform(type, &moved), D3D_OK) << type;
    D3DMATRIX read{};
    ASSERT_EQ(device->GetTransform(type, &read), D3D_OK);
    EXPECT_TRUE(read == moved) << type;
  }

  D3DMATERIAL8 material{};
  material.Diffuse = {0.5f, 0.25f, 1.0f, 1.0f};
  material.Power = 8.0f;
  ASSERT_EQ(device->SetMaterial(&material), D3D_OK);
  D3DMATERIAL8 readMaterial{};
  device->GetMaterial(&readMaterial);
  EXPECT_EQ(readMaterial.Diffuse.g, 0.25f);
  EXPECT_EQ(readMaterial.Power, 8.0f);

  const D3DVIEWPORT8 part = {2, 1, 4, 2, 0.25f, 0.75f};
  ASSERT_EQ(device->SetViewport(&part), D3D_OK);
  D3DVIEWPORT8 readViewport{};
  device->GetViewport(&readViewport);
  EXPECT_EQ(readViewport.X, 2u);
  EXPECT_EQ(readViewport.MinZ, 0.25f);

  device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  device->GetVertexShader(&value);
  EXPECT_EQ(value, D3DFVF_XYZ | D3DFVF_DIFFUSE);
}

TEST_F(HeadlessDeviceTest, RefusesStatesOutsideTheirRanges) {
  DWORD value = 0;
  EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(kRenderStateCount), 1),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetTextureStageState(kMaxTextureStages, D3DTSS_COLOROP, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->GetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(29), &value),
            D3DERR_INVALIDCALL);
  const D3DMATRIX identity = IdentityMatrix();
  EXPECT_EQ(device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(4), &identity),
            D3DERR_INVALIDCALL);
  const D3DVIEWPORT8 tooWide = {4, 0, 8, 4, 0.0f, 1.0f};
  EXPECT_EQ(device->SetViewport(&tooWide), D3DERR_INVALIDCALL) << "past the render target";
  const D3DVIEWPORT8 badDepth = {0, 0, 4, 4, 0.5f, 0.25f};
  EXPECT_EQ(device->SetViewport(&badDepth), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetTexture(kMaxTextureStages, nullptr), D3DERR_INVALIDCALL);
}

TEST_F(HeadlessDeviceTest, LightsKeepTheirSettingsAndEnabling) {
  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1.0f, 0.5f, 0.0f, 1.0f};
  light.Direction = {0.0f, -1.0f, 0.0f};
  ASSERT_EQ(device->SetLight(12, &light), D3D_OK);
  BOOL enabled = 1;
  ASSERT_EQ(device->GetLightEnable(12, &enabled), D3D_OK);
  EXPECT_EQ(enabled, 0) << "set lights start disabled";
  ASSERT_EQ(device->LightEnable(12, 1), D3D_OK);
  device->GetLightEnable(12, &enabled);
  EXPECT_EQ(enabled, 1);
  D3DLIGHT8 read{};
  ASSERT_EQ(device->GetLight(12, &read), D3D_OK);
  EXPECT_EQ(read.Diffuse.g, 0.5f);
  EXPECT_EQ(read.Direction.y, -1.0f);

  EXPECT_EQ(device->GetLight(3, &read), D3DERR_INVALIDCALL) << "never set";
  ASSERT_EQ(device->LightEnable(3, 1), D3D_OK);
  ASSERT_EQ(device->GetLight(3, &read), D3D_OK);
  EXPECT_EQ(read.Type, D3DLIGHT_DIRECTIONAL) << "enabling an unset light gives the default one";
  EXPECT_EQ(read.Diffuse.r, 1.0f);

  light.Direction = {0.0f, 0.0f, 0.0f};
  EXPECT_EQ(device->SetLight(12, &light), D3DERR_INVALIDCALL);
  light.Type = D3DLIGHT_POINT;
  EXPECT_EQ(device->SetLight(12, &light), D3D_OK) << "a point light needs no direction";
}

TEST(FixedFunctionDigest, FollowsEffectiveStateOnly) {
  const D3DPRESENT_PARAMETERS params = WindowedParams(4, 4, D3DFMT_D16);
  FixedFunctionState a = DefaultFixedFunctionState(params, 0, 4, 4);
  FixedFunctionState b = a;
  b.transforms[D3DTS_WORLD] = IdentityMatrix();
  b.lights[2] = {DefaultLight(), false};
  EXPECT_EQ(Digest(a), Digest(b)) << "identity transforms and disabled lights change nothing";
  b.lights[2].enabled = true;
  EXPECT_NE(Digest(a), Digest(b));
  b = a;
  b.renderStates[D3DRS_ZWRITEENABLE] = 0;
  EXPECT_NE(Digest(a), Digest(b));
  b = a;
  b.stageStates[1][D3DTSS_COLOROP] = D3DTOP_MODULATE;
  EXPECT_NE(Digest(a), Digest(b));
}

}  // namespace
