// The sky, sun, flares and cloud layers on the headless device, through the draw recorder.
#include <cmath>
#include <cstring>

#include "library/core/render/atmosphere.h"
#include "tests/library/core/overlay_fixture.h"

namespace {

using Sky = OverlayTest;

const D3DVECTOR kEye = {10.0f, 20.0f, 30.0f};

template <class Vertex>
std::vector<Vertex> As(const std::vector<BYTE>& bytes) {
  std::vector<Vertex> out(bytes.size() / sizeof(Vertex));
  std::memcpy(out.data(), bytes.data(), out.size() * sizeof(Vertex));
  return out;
}

D3DMATRIX Identity() { return IdentityMatrix(); }

TEST_F(Sky, TheBoxDrawsEachPlaneWithItsTextureAndInsetCoordinates) {
  Atmosphere_SkyBoxSetDistance(100.0f);
  const int32_t minusX = NewTexture(), plusX = NewTexture(), minusZ = NewTexture(),
                plusZ = NewTexture(), plusY = NewTexture(), minusY = NewTexture();
  Atmosphere_SkyBoxSetTexture(minusX, plusX, minusZ, plusZ, plusY, minusY);
  Atmosphere_SkyBoxSetColor(2.0f, 0.5f, 0.0f, 1.0f);
  Atmosphere_SkyBoxEnable(1);
  Control()->ClearDraws();
  ASSERT_EQ(Atmosphere_RenderSkyBox(&kEye), 1);
  ASSERT_EQ(Draws().size(), 6u);
  // Face order z-, z+, x-, x+, y-, y+; the texture follows the plane the face lies in.
  struct Plane {
    int axis;
    float sign;
    int32_t texture;
  };
  const Plane planes[6] = {{2, -1, minusZ}, {2, 1, plusZ},   {0, -1, minusX},
                           {0, 1, plusX},   {1, -1, minusY}, {1, 1, plusY}};
  for (size_t face = 0; face < 6; ++face) {
    SCOPED_TRACE(face);
    const DrawRecord& draw = Draws()[face];
    EXPECT_EQ(draw.primitive, D3DPT_TRIANGLESTRIP);
    EXPECT_EQ(draw.primitiveCount, 2u);
    EXPECT_EQ(draw.fvf, kColoredVertexFvf);
    EXPECT_EQ(draw.stride, 24u);
    EXPECT_EQ(draw.textures[0], textures_[planes[face].texture]);
    EXPECT_EQ(draw.state.renderStates[D3DRS_ZWRITEENABLE], 0u);
    EXPECT_EQ(draw.state.renderStates[D3DRS_LIGHTING], 0u);
    EXPECT_EQ(draw.state.renderStates[D3DRS_CLIPPING], 1u);
    EXPECT_EQ(draw.state.renderStates[D3DRS_CULLMODE], D3DCULL_NONE);
    EXPECT_EQ(draw.state.renderStates[D3DRS_SRCBLEND], D3DBLEND_SRCALPHA);
    EXPECT_EQ(draw.state.renderStates[D3DRS_DESTBLEND], D3DBLEND_INVSRCALPHA);
    const D3DMATRIX world = draw.state.Transform(D3DTS_WORLD);
    EXPECT_EQ(world.m[3][0], kEye.x);
    EXPECT_EQ(world.m[3][2], kEye.z);
    for (const ColoredVertex& v : As<ColoredVertex>(draw.vertices)) {
      const float position[3] = {v.x, v.y, v.z};
      EXPECT_EQ(position[planes[face].axis], planes[face].sign * 100.0f);
      EXPECT_TRUE(v.u == 0.005f || v.u == 0.995f);
      EXPECT_TRUE(v.v == 0.005f || v.v == 0.995f);
      EXPECT_EQ(v.color, 0xFFFF7F00u);  // channels clamped, not spilled
    }
  }
  DWORD zWrite = 0;
  device_->GetRenderState(D3DRS_ZWRITEENABLE, &zWrite);
  EXPECT_EQ(zWrite, 1u);
  // A new distance rebuilds the box in white.
  Atmosphere_SkyBoxSetDistance(50.0f);
  float r = 0, g = 0, b = 0, a = 0;
  Atmosphere_SkyBoxGetColor(&r, &g, &b, &a);
  EXPECT_EQ(r + g + b + a, 4.0f);
}

TEST_F(Sky, TheSphereIsTintedByTheTextureFactorAndCounted) {
  int32_t polygons = 0;
  System_SetVariables(0, &polygons, 0);
  ASSERT_EQ(Atmosphere_CreateSkySphere(4, 5, 10.0f), 1);
  const int32_t texture = NewTexture();
  Atmosphere_SkySphereSetTexture(texture);
  Atmosphere_SkySphereSetColor(1.0f, 0.5f, 0.0f, 1.0f);
  Atmosphere_SkySphereEnable(1);
  Control()->ClearDraws();
  ASSERT_EQ(Atmosphere_RenderSkySphere(&kEye), 1);
  ASSERT_EQ(Draws().size(), 1u);
  const DrawRecord& draw = Draws()[0];
  EXPECT_EQ(draw.primitiveCount, 2u * 3u * 4u);
  EXPECT_EQ(polygons, 24);
  EXPECT_EQ(draw.fvf, kLitVertexFvf);
  EXPECT_EQ(draw.textures[0], textures_[texture]);
  EXPECT_EQ(draw.state.renderStates[D3DRS_TEXTUREFACTOR], 0xFFFF7F00u);
  EXPECT_EQ(draw.state.renderStates[D3DRS_AMBIENT], 0xFFFFFFFFu);
  EXPECT_EQ(draw.state.stageStates[0][D3DTSS_COLORARG2], D3DTA_TFACTOR);
  EXPECT_EQ(draw.state.stageStates[0][D3DTSS_ALPHAARG2], D3DTA_TFACTOR);
  EXPECT_EQ(draw.state.stageStates[0][D3DTSS_COLOROP], D3DTOP_MODULATE);
  // Indices (A, B, C), (D, B, C) from vertex 2 on; the poles come first and stay unused.
  const auto indices = As<uint16_t>(draw.indices);
  ASSERT_GE(indices.size(), 6u);
  EXPECT_EQ(std::vector<uint16_t>(indices.begin(), indices.begin() + 6),
            (std::vector<uint16_t>{2, 3, 7, 8, 3, 7}));
  ASSERT_EQ(draw.minIndex + draw.baseVertexIndex, 0u);
  ASSERT_EQ(draw.vertexCount, 4u * 5u + 2u);
  const auto vertices = As<LitVertex>(draw.vertices);
  EXPECT_EQ(vertices[0].y, 10.0f);
  EXPECT_EQ(vertices[1].y, -10.0f);
  // Ring 1 (theta = pi / 3), segment 1 (phi = pi / 2).
  const LitVertex& v = vertices[2 + 5 + 1];
  EXPECT_NEAR(v.x, 0.0f, 1e-5f);
  EXPECT_NEAR(v.y, 10.0f * std::cos(3.14159265f / 3), 1e-4f);
  EXPECT_NEAR(v.z, 10.0f * std::sin(3.14159265f / 3), 1e-4f);
  EXPECT_EQ(v.u, 0.25f);
  EXPECT_NEAR(v.v, 1.0f / 3.0f, 1e-6f);
  DWORD factor = 0, arg = 0;
  device_->GetRenderState(D3DRS_TEXTUREFACTOR, &factor);
  device_->GetTextureStageState(0, D3DTSS_COLORARG2, &arg);
  EXPECT_EQ(factor, 0xFFFFFFFFu);
  EXPECT_EQ(arg, D3DTA_DIFFUSE);
}

// The sphere's mesh as the next draw binds it.
IDirect3DVertexBuffer8* SphereBuffer(HeadlessControl* control) {
  control->ClearDraws();
  Atmosphere_RenderSkySphere(&kEye);
  const auto& draws = control->Draws();
  return draws.empty() ? nullptr : draws[0].streamSource;
}

TEST_F(Sky, SphereCountsThatCannotMakeASphereAreRefusedAndTheOldOneKept) {
  ASSERT_EQ(Atmosphere_CreateSkySphere(4, 5, 10.0f), 1);
  Atmosphere_SkySphereEnable(1);
  IDirect3DVertexBuffer8* kept = SphereBuffer(Control());
  ASSERT_NE(kept, nullptr);
  for (const auto& [rings, segments] : {std::pair{1, 5}, {5, 1}, {300, 300}}) {
    EXPECT_EQ(Atmosphere_CreateSkySphere(rings, segments, 10.0f), 0);
    EXPECT_EQ(SphereBuffer(Control()), kept);
  }
  // The same radius rebuilds nothing; a new one does.
  Atmosphere_SkySphereSetRadius(10.0f);
  EXPECT_EQ(SphereBuffer(Control()), kept);
  Atmosphere_SkySphereSetRadius(20.0f);
  float radius = 0;
  Atmosphere_SkySphereGetRadius(&radius);
  EXPECT_EQ(radius, 20.0f);
  EXPECT_EQ(Control()->Draws().at(0).vertexCount, 22u);
}

TEST_F(Sky, TheSunIsAnAdditiveQuadAtTheEyePlusItsPosition) {
  const int32_t materials = MaterialFactory_GetCount();
  Atmosphere_SunSetBillboardSize(0.5f);
  Atmosphere_SunEnable(1);
  // Every rebuild reuses the one "Init Sun" record, and overrides a material set in between.
  Atmosphere_SunSetMaterial(0);
  Atmosphere_SunSetBillboardSize(0.25f);
  EXPECT_EQ(MaterialFactory_GetCount(), materials + 1);
  Atmosphere_SunSetPosition(0.0f, 100.0f, 0.0f);
  const int32_t texture = NewTexture();
  Atmosphere_SunSetTexture(texture);
  D3DMATRIX sunMatrix = Identity();
  sunMatrix.m[0][0] = 2.0f;
  sunMatrix.m[3][0] = 999.0f;
  const D3DVECTOR lookAt = {kEye.x + 1, kEye.y, kEye.z};
  const D3DMATRIX view = Identity();
  Control()->ClearDraws();
  ASSERT_EQ(Atmosphere_Render(&kEye, &lookAt, &sunMatrix, &view), 1);
  ASSERT_EQ(Draws().size(), 1u);  // box and sphere are off; no flares
  const DrawRecord& sun = Draws()[0];
  EXPECT_EQ(sun.fvf, kLitVertexFvf);
  EXPECT_EQ(sun.textures[0], textures_[texture]);
  EXPECT_EQ(sun.state.renderStates[D3DRS_SRCBLEND], D3DBLEND_ONE);
  EXPECT_EQ(sun.state.renderStates[D3DRS_DESTBLEND], D3DBLEND_ONE);
  EXPECT_EQ(sun.state.renderStates[D3DRS_LIGHTING], 1u);
  EXPECT_EQ(sun.state.renderStates[D3DRS_FOGENABLE], 0u);
  EXPECT_EQ(sun.state.material.Diffuse.g, 1.5f);
  const D3DMATRIX world = sun.state.Transform(D3DTS_WORLD);
  EXPECT_EQ(world.m[0][0], 2.0f);
  EXPECT_EQ(world.m[3][0], kEye.x);
  EXPECT_EQ(world.m[3][1], kEye.y + 100.0f);
  EXPECT_EQ(world.m[3][2], kEye.z);
  const auto quad = As<LitVertex>(sun.vertices);
  ASSERT_EQ(quad.size(), 4u);
  EXPECT_EQ(quad[3].x, 50.0f);
  EXPECT_EQ(quad[3].nz, -1.0f);
}

TEST_F(Sky, FlaresShowOnlyTowardsTheSunAndStepOnFromEachOther) {
  Atmosphere_SunEnable(1);
  Atmosphere_SunSetPosition(0.0f, 0.0f, 1000.0f);
  Atmosphere_LensFlareEnable(1);
  ASSERT_EQ(Atmosphere_LensFlareSetLensNumber(3), 1);
  EXPECT_EQ(Atmosphere_LensFlareSetLensParams(4, 1, 1.0f, 0.0f, 0, 0), 0);
  EXPECT_EQ(Atmosphere_LensFlareSetLensParams(0, 1, 1.0f, 0.0f, 0, 0), 0);
  EXPECT_EQ(Atmosphere_LensFlareSetLensParams(1, 0, 1.0f, 0.0f, 0, 0), 0);
  EXPECT_TRUE(
      Logged("ATMOSPHERE : Atmosphere_LensFlareSetLensParams : you didn't use a valid texture"));
  const D3DVECTOR eye = {0, 0, 0};
  const D3DMATRIX sunMatrix = Identity();
  const D3DMATRIX view = Identity();  // the camera at the origin looking down +z
  struct Case {
    float lookX, lookZ;
    size_t flares;
  };
  // Looking along the sun, then just past the 0.4 cosine, then square to it.
  const float atThreshold = std::sqrt(1.0f - 0.4f * 0.4f) / 0.4f;
  const Case cases[] = {{0.0f, 1.0f, 3}, {atThreshold + 0.01f, 1.0f, 0}, {1.0f, 0.0f, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lookX);
    const D3DVECTOR lookAt = {c.lookX, 0, c.lookZ};
    Control()->ClearDraws();
    Atmosphere_Render(&eye, &lookAt, &sunMatrix, &view);
    ASSERT_EQ(Draws().size(), 1 + c.flares);
    if (c.flares == 0) continue;
    // From 15 units ahead, towards the sun: the distances 0, 20, 40 add up to 0, 20, 60.
    const float expected[3] = {15.0f, 35.0f, 75.0f};
    for (size_t i = 0; i < 3; ++i) {
      const DrawRecord& flare = Draws()[1 + i];
      EXPECT_EQ(flare.fvf, kColoredVertexFvf);
      EXPECT_EQ(flare.state.renderStates[D3DRS_ZFUNC], D3DCMP_ALWAYS);
      EXPECT_EQ(flare.state.renderStates[D3DRS_SRCBLEND], D3DBLEND_SRCCOLOR);
      EXPECT_EQ(flare.state.renderStates[D3DRS_DESTBLEND], D3DBLEND_ONE);
      EXPECT_NEAR(flare.state.Transform(D3DTS_WORLD).m[3][2], expected[i], 1e-3f);
      EXPECT_EQ(As<ColoredVertex>(flare.vertices)[3].x, 10.0f);
      EXPECT_EQ(As<ColoredVertex>(flare.vertices)[0].color, 0xFFCCCCCCu);
    }
    DWORD zFunc = 0;
    device_->GetRenderState(D3DRS_ZFUNC, &zFunc);
    EXPECT_EQ(zFunc, D3DCMP_LESS);
  }
}

TEST_F(Sky, CloudLayersScrollTheirTextureTransformWithoutProjection) {
  ASSERT_EQ(CloudSky_Init(2, 8), 1);
  IDirect3DTexture8* texture = nullptr;
  TextureFactory_GetDXTexture(first_, &texture);
  ASSERT_EQ(CloudSky_SetParam(1, 3.0f, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, &texture), 1);
  EXPECT_EQ(CloudSky_SetColor(1, 1.0f, 0.25f, 0.5f, 1.0f), 1);
  EXPECT_EQ(CloudSky_SetParam(2, 1.0f, 1, 1, &texture), 0);
  EXPECT_EQ(CloudSky_SetColor(-1, 1, 1, 1, 1), 0);
  CloudSky_Update(1000.0f);
  Control()->ClearDraws();
  ASSERT_EQ(CloudSky_Render(), 1);
  ASSERT_EQ(Draws().size(), 2u);
  for (const DrawRecord& draw : Draws()) {
    // The compacted dome: the top vertex and six rings of eight used columns; a fan of 7 faces and
    // 5 ring pairs of 14.
    EXPECT_EQ(draw.vertexCount, 1u + 6u * 8u);
    EXPECT_EQ(draw.primitiveCount, 7u + 5u * 14u);
    EXPECT_EQ(draw.stride, 20u);
    EXPECT_EQ(draw.state.stageStates[0][D3DTSS_TEXTURETRANSFORMFLAGS], D3DTTFF_COUNT2);
    EXPECT_EQ(draw.state.renderStates[D3DRS_CULLMODE], D3DCULL_CW);
    EXPECT_EQ(draw.state.renderStates[D3DRS_ALPHATESTENABLE], 1u);
    EXPECT_EQ(draw.state.renderStates[D3DRS_ALPHAREF], 2u);
    const D3DMATRIX m = draw.state.Transform(D3DTS_TEXTURE0);
    EXPECT_EQ(m.m[0][0], 4.0f);
    EXPECT_EQ(m.m[1][1], 4.0f);
    EXPECT_FLOAT_EQ(m.m[2][0], 0.1f);
    EXPECT_FLOAT_EQ(m.m[2][1], 0.1f);
  }
  const DrawRecord& second = Draws()[1];
  EXPECT_EQ(second.textures[0], texture);
  EXPECT_EQ(second.state.renderStates[D3DRS_SRCBLEND], D3DBLEND_SRCALPHA);
  EXPECT_EQ(second.state.Transform(D3DTS_WORLD).m[1][1], 3.0f);
  EXPECT_EQ(second.state.material.Diffuse.g, 0.5f);  // blue comes before green
  EXPECT_EQ(second.state.material.Diffuse.b, 0.25f);
  DWORD flags = 99;
  device_->GetTextureStageState(0, D3DTSS_TEXTURETRANSFORMFLAGS, &flags);
  EXPECT_EQ(flags, D3DTTFF_DISABLE);
  for (int32_t resolution : {3, 300}) EXPECT_EQ(CloudSky_Init(1, resolution), 0);
  Control()->ClearDraws();
  CloudSky_Render();
  EXPECT_EQ(Draws().size(), 2u);
}

TEST_F(Sky, RenderersWithoutMeshesDrawNothing) {
  CloudSky_Destroy();
  EXPECT_EQ(CloudSky_Render(), 0);
  // Unloaded, the sky refuses to draw until it is initialised again.
  Atmosphere_UnloadAll();
  Atmosphere_SkySphereEnable(1);
  Control()->ClearDraws();
  EXPECT_EQ(Atmosphere_RenderSkySphere(&kEye), 0);
  EXPECT_TRUE(Draws().empty());
}

using LifeCycle = LibraryTest;

// The number of sphere faces a frame's sphere draw shows; 0 when nothing is drawn.
UINT SphereFaces(HeadlessControl* control) {
  Atmosphere_SkySphereEnable(1);
  control->ClearDraws();
  Viewport_Clear(0, 0);
  Atmosphere_RenderSkySphere(&kEye);
  Viewport_Present(0, -1);
  return control->Draws().empty() ? 0 : control->Draws()[0].primitiveCount;
}

// The number of draws of a frame's cloud layers.
size_t CloudDraws(HeadlessControl* control) {
  control->ClearDraws();
  Viewport_Clear(0, 0);
  CloudSky_Render();
  Viewport_Present(0, -1);
  return control->Draws().size();
}

TEST_F(LifeCycle, SkyCloudsAndShadowsLiveThroughAResetAndComeBackOnASecondDevice) {
  ASSERT_EQ(CreateDevice(D3DFMT_D24S8), D3D_OK);
  EXPECT_EQ(SphereFaces(Control()), 2u * 9u * 9u);
  ASSERT_EQ(CloudSky_Init(2, 8), 1);
  ShadowVolume_Create(0);
  const D3DVECTOR points[3] = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}};
  const uint16_t indices[3] = {0, 1, 2};
  ShadowVolume_InitShadowFromPointers(0, points, sizeof(D3DVECTOR), 3, indices, 3, 0);
  ShadowVolume_AllocVolumes(16);
  // The loss exports, the reset (which fails while a default-pool object lives), the reset exports.
  Control()->SetLoss(DeviceLoss::NotReset);
  ShadowVolume_LostAll();
  TextureFactory_OnLostAll();
  TextureFont_OnLostAll();
  Screen2D_OnLost();
  Viewport_OnLostAll();
  D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_, D3DFMT_D24S8);
  ASSERT_EQ(device_->Reset(&params), D3D_OK);
  Viewport_OnResetAll();
  TextureFactory_OnResetAll();
  TextureFont_OnResetAll();
  Screen2D_Init();
  EXPECT_EQ(ShadowVolume_AllocVolumes(16), 0);
  EXPECT_EQ(SphereFaces(Control()), 162u);
  EXPECT_EQ(CloudDraws(Control()), 2u);

  ReleaseAll();
  IDirect3DDevice8* first = device_;
  IDirect3D8* firstDirect3d = direct3d_;
  ASSERT_EQ(CreateDevice(D3DFMT_D24S8), D3D_OK);
  EXPECT_EQ(first->Release(), 0u);
  firstDirect3d->Release();
  EXPECT_EQ(SphereFaces(Control()), 162u);
  EXPECT_EQ(CloudDraws(Control()), 0u);  // the clouds went with the release
  EXPECT_TRUE(ShutDownAndRelease());
}

}  // namespace
