// Terrain drawing on the headless device: culling, paging and the stage set-ups the draws see.
#include <cmath>
#include <cstring>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/d3dx/math.h"
#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;
using d3dx::D3DXMATRIX;
using d3dx::D3DXVECTOR3;

// Precision 64: 5 x 5 vertices, whose two rings take 24 index pairs.
constexpr UINT kStripPrimitives = 2 * 24 - 2;

class TerrainRender : public LibraryTest {
 protected:
  void SetUp() override { LibraryTest::SetUp(); }

  void Start(DWORD stages = 4) {
    HeadlessConfig config;
    config.caps.MaxSimultaneousTextures = stages;
    ASSERT_EQ(CreateDevice(D3DFMT_D16, config), D3D_OK);
    System_SetVariables(0, &polygons_, 0);
  }

  // A camera at eye looking at target, its frustum kept for culling.
  static void LookAt(const D3DXVECTOR3& eye, const D3DXVECTOR3& target, float fieldOfView) {
    D3DXMATRIX view;
    D3DXMATRIX projection;
    const D3DXVECTOR3 up{{0, 0, 1}};
    const D3DXVECTOR3 forwardUp{{0, 1, 0}};
    d3dx::D3DXMatrixLookAtLH(&view, &eye, &target,
                             eye.x == target.x && eye.z == target.z ? &up : &forwardUp);
    d3dx::D3DXMatrixPerspectiveFovLH(&projection, fieldOfView, 1.0f, 1.0f, 100000.0f);
    d3dx::D3DXPLANE planes[6];
    ComputeClipPlanes(planes, &view, &projection);
    Viewport_SetCamera(&view.m[0][0], nullptr);
  }

  static void LookDownFromFarAbove() {
    LookAt(D3DXVECTOR3{{100, 20000, 100}}, D3DXVECTOR3{{100, 0, 100}}, 2.5f);
  }

  int32_t Texture(const std::string& name, uint32_t colour) {
    return TextureFactory_LoadTextureFromFile(WriteBmp(name + ".bmp", 8, 8, colour).c_str(),
                                              name.c_str(), 0, 0, 0, 0, 0);
  }

  // Terrain_Render inside a scene, as the caller draws it.
  int32_t Render(int32_t id) {
    device_->BeginScene();
    const int32_t result = Terrain_Render(id);
    device_->EndScene();
    return result;
  }

  const std::vector<DrawRecord>& Draws() const { return Control()->Draws(); }

  int32_t polygons_ = 0;
};

TEST_F(TerrainRender, CullsChunksByTheirScaledSpheresAndNeverDrawsADisabledOne) {
  Start();
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 64, 3, 1, 0, 0), 0);
  // A narrow view along +z from the origin sees only the first chunk.
  LookAt(D3DXVECTOR3{{0, 10, -10}}, D3DXVECTOR3{{0, 10, 100}}, 0.5f);
  Control()->ClearDraws();
  ASSERT_EQ(Render(0), 1);
  ASSERT_EQ(Draws().size(), 1u);
  EXPECT_EQ(Draws()[0].primitive, D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(Draws()[0].primitiveCount, kStripPrimitives);
  EXPECT_EQ(Draws()[0].vertexCount, 25u);
  EXPECT_EQ(Draws()[0].state.renderStates[D3DRS_CULLMODE], DWORD{D3DCULL_CCW});
  EXPECT_EQ(polygons_, static_cast<int32_t>(kStripPrimitives));
  EXPECT_EQ((std::vector<int32_t>{Terrain_IsVisible(0, 0), Terrain_IsVisible(0, 1),
                                  Terrain_IsVisible(0, 2)}),
            (std::vector<int32_t>{1, 0, 0}));
  // Scaled by 3 the first chunk's centre moves out of the view, but its sphere grows with it.
  ASSERT_EQ(Terrain_SetScaling(0, 3, 3, 3), 1);
  ASSERT_EQ(Render(0), 1);
  EXPECT_EQ(Terrain_IsVisible(0, 0), 1);
  EXPECT_EQ(Terrain_IsVisible(0, 1), 0);

  ASSERT_EQ(Terrain_EnableChunk(0, 0, 0), 1);
  ASSERT_EQ(Terrain_SetScaling(0, 1, 1, 1), 1);
  Control()->ClearDraws();
  ASSERT_EQ(Render(0), 1);
  EXPECT_TRUE(Draws().empty());
  EXPECT_EQ(Terrain_IsVisible(0, 0), 0);
  EXPECT_EQ(Render(1), 0);
}

TEST_F(TerrainRender, AFlippedTerrainCullsClockwiseAndGroupsBindTheirOwnBuffers) {
  Start();
  Terrain_SetFlipMode(1);
  ASSERT_EQ(Terrain_Create(0), 0);
  // Precision 2: three chunks to a vertex buffer, so four chunks draw from two buffers.
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 2, 2, 2, 0, 0), 0);
  Terrain_SetFlipMode(0);
  LookDownFromFarAbove();
  Control()->ClearDraws();
  ASSERT_EQ(Render(0), 1);
  ASSERT_EQ(Draws().size(), 4u);
  EXPECT_EQ(Draws()[0].state.renderStates[D3DRS_CULLMODE], DWORD{D3DCULL_CW});
  EXPECT_EQ(Draws()[0].streamSource, Draws()[2].streamSource);
  EXPECT_NE(Draws()[2].streamSource, Draws()[3].streamSource);
  EXPECT_EQ(Draws()[1].baseVertexIndex, 129u * 129u);
  EXPECT_EQ(Draws()[3].baseVertexIndex, 0u);
}

TEST_F(TerrainRender, PagingDrawsTheNineCopiesAroundTheCameraWrappedToTheTerrain) {
  Start();
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 64, 2, 2, 0, 0), 0);
  ASSERT_EQ(Terrain_SetPagingSystem(0, 1, 1), 1);
  LookDownFromFarAbove();  // over chunk (0, 0)
  Control()->ClearDraws();
  ASSERT_EQ(Render(0), 1);
  ASSERT_EQ(Draws().size(), 9u);
  std::set<std::pair<float, float>> offsets;
  for (const DrawRecord& draw : Draws()) {
    const D3DMATRIX world = draw.state.Transform(D3DTS_WORLD);
    offsets.insert({world.m[3][0], world.m[3][2]});
  }
  EXPECT_EQ(offsets,
            (std::set<std::pair<float, float>>{{-512, -512}, {0, -512}, {-512, 0}, {0, 0}}));
  // Height queries wrap while paging is on.
  const D3DXVECTOR3 point{{-10, 0, 600}};
  D3DXVECTOR3 out{};
  ASSERT_EQ(Terrain_GetHeight(0, &point, &out), 1);
  EXPECT_NEAR(out.x, 502.0f, 1e-3f);
  EXPECT_NEAR(out.z, 88.0f, 1e-3f);
}

TEST_F(TerrainRender, APagingRangeIsBoundedByTheCopiesAFrameCanDraw) {
  Start();
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 256, 1, 1, 0, 0), 0);
  // The fixture's camera sees everything: every copy in range is drawn.
  for (const auto& [range, copies] : {std::pair{3, 7 * 7}, {31, 63 * 63}, {40, 63 * 63}}) {
    SCOPED_TRACE(range);
    ASSERT_EQ(Terrain_SetPagingSystem(0, 1, range), 1);
    Control()->ClearDraws();
    ASSERT_EQ(Render(0), 1);
    EXPECT_EQ(Draws().size(), static_cast<size_t>(copies));
  }
  EXPECT_TRUE(Logged(
      "LANDSCAPE : Terrain_SetPagingSystem : a range of 40 chunks can't be drawn, 31 is used"));
  // A range that would stall the frame for ever is drawn at the bound too.
  ASSERT_EQ(Terrain_SetPagingSystem(0, 1, 1 << 30), 1);
  Control()->ClearDraws();
  ASSERT_EQ(Render(0), 1);
  EXPECT_EQ(Draws().size(), static_cast<size_t>(63 * 63));
}

TEST_F(TerrainRender, LightmapTakesStage1Stage2OrASecondMultiplyingPass) {
  struct Case {
    DWORD stages;
    bool detail;
    size_t draws;
    DWORD lightmapStage;
  };
  for (const Case& c :
       {Case{3, false, 1, 1}, Case{3, true, 1, 2}, Case{2, true, 2, 0}, Case{1, false, 1, 1}}) {
    SCOPED_TRACE(testing::Message() << c.stages << " stages, detail " << c.detail);
    Start(c.stages);
    ASSERT_EQ(Terrain_Create(0), 0);
    ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 64, 1, 1, 0, 0), 0);
    const int32_t colour = Texture("colour", 0xff808080);
    const int32_t light = Texture("light", 0xff404040);
    Terrain_SetTexture(0, colour, -1);
    if (c.detail) {
      ASSERT_EQ(Terrain_SetDetailTexture(0, Texture("detail", 0xff7f7f7f), -1), 1);
    }
    ASSERT_EQ(Terrain_SetLightmap(0, light), 1);
    LookDownFromFarAbove();
    Control()->ClearDraws();
    ASSERT_EQ(Render(0), 1);
    ASSERT_EQ(Draws().size(), c.draws);
    const DrawRecord& last = Draws().back();
    EXPECT_NE(last.textures[c.lightmapStage], nullptr);
    if (c.draws == 1) {
      EXPECT_EQ(last.state.stageStates[c.lightmapStage][D3DTSS_COLOROP], DWORD{D3DTOP_MODULATE});
    }
    if (c.draws == 2) {
      EXPECT_EQ(last.state.renderStates[D3DRS_SRCBLEND], DWORD{D3DBLEND_ZERO});
      EXPECT_EQ(last.state.renderStates[D3DRS_DESTBLEND], DWORD{D3DBLEND_SRCCOLOR});
      EXPECT_EQ(last.state.renderStates[D3DRS_LIGHTING], 0u);
      EXPECT_EQ(polygons_, static_cast<int32_t>(2 * kStripPrimitives));
    }
    if (c.detail && c.draws == 1) {
      EXPECT_EQ(last.state.stageStates[1][D3DTSS_COLOROP], DWORD{D3DTOP_ADDSIGNED});
    }
    EXPECT_TRUE(ShutDownAndRelease());
    polygons_ = 0;
  }
}

TEST_F(TerrainRender, BumpMappingDotsTheBumpTextureWithTheLightDirection) {
  Start();
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 64, 1, 1, 0, 0), 0);
  const int32_t colour = Texture("colour", 0xff808080);
  const int32_t bump = Texture("bump", 0xff8080ff);
  const D3DVECTOR down{0, -1, 0};
  const int32_t light = LightFactory_CreateQuickDirectionalLight(&down, 1, 1, 1, 1, "sun", 0);
  ASSERT_GT(light, 0);
  Terrain_SetTexture(0, colour, -1);
  ASSERT_EQ(Terrain_SetBumpmapping(0, 1, bump, light), 1);
  LookDownFromFarAbove();
  Control()->ClearDraws();
  ASSERT_EQ(Render(0), 1);
  ASSERT_EQ(Draws().size(), 1u);
  const FixedFunctionState& state = Draws()[0].state;
  EXPECT_EQ(state.stageStates[0][D3DTSS_COLOROP], DWORD{D3DTOP_DOTPRODUCT3});
  EXPECT_EQ(state.stageStates[1][D3DTSS_COLOROP], DWORD{D3DTOP_ADDSIGNED});
  EXPECT_EQ(state.stageStates[0][D3DTSS_TEXCOORDINDEX], 1u);
  EXPECT_EQ(state.renderStates[D3DRS_LIGHTING], 0u);
  EXPECT_EQ(state.renderStates[D3DRS_TEXTUREFACTOR], 0xff800180u);
  EXPECT_NE(Draws()[0].textures[0], nullptr);
  EXPECT_NE(Draws()[0].textures[1], nullptr);
  // The light index is not a lightmap: no stage 2 and no second pass.
  EXPECT_EQ(Draws()[0].textures[2], nullptr);
}

}  // namespace

namespace {

struct WaterVertex {  // 0x142: position, diffuse, one coordinate pair
  float x, y, z;
  DWORD colour;
  float u, v;
};

TEST_F(TerrainRender, WaterCoversTheExtentAndItsBorderInItsColour) {
  Start();
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 64, 2, 1, 0, 0), 0);
  Control()->ClearDraws();
  EXPECT_EQ(Terrain_RenderWater(0), 0);  // off: nothing drawn or set
  EXPECT_TRUE(Draws().empty());
  ASSERT_EQ(Terrain_SetScaling(0, 0, 0, 0), 1);  // a 0 scale must not spoil the quad
  ASSERT_EQ(Terrain_SetWaterEnable(0, 1), 1);
  ASSERT_EQ(Terrain_SetWaterAltitude(0, 12), 1);
  ASSERT_EQ(Terrain_SetWaterColor(0, 0, 0.5f, 1, 0.25f), 1);
  ASSERT_EQ(Terrain_SetWaterColor(0, 1, 0.5f, 0, -1.0f), 1);  // keeps the alpha
  ASSERT_EQ(Terrain_SetWaterEffect(0, 1, 0.25f, 0, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0, 10),
            1);
  device_->BeginScene();
  ASSERT_EQ(Terrain_RenderWater(0), 1);
  device_->EndScene();
  ASSERT_EQ(Draws().size(), 1u);
  const DrawRecord& draw = Draws()[0];
  EXPECT_EQ(draw.primitiveCount, 2u);
  ASSERT_EQ(draw.vertices.size(), 4 * sizeof(WaterVertex));
  WaterVertex quad[4];
  std::memcpy(quad, draw.vertices.data(), sizeof quad);
  const float corners[4][2] = {{-10, -10}, {522, -10}, {-10, 266}, {522, 266}};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(quad[k].x, corners[k][0]) << k;
    EXPECT_EQ(quad[k].z, corners[k][1]) << k;
    EXPECT_EQ(quad[k].y, 12.0f);
    EXPECT_EQ(quad[k].colour, 0x3FFF7F00u);
  }
  EXPECT_EQ(draw.state.renderStates[D3DRS_ALPHABLENDENABLE], 1u);
  EXPECT_EQ(draw.state.renderStates[D3DRS_CULLMODE], DWORD{D3DCULL_NONE});
  EXPECT_EQ(Control()->Draws().back().state.stageStates[0][D3DTSS_TEXTURETRANSFORMFLAGS],
            DWORD{D3DTTFF_COUNT2});
}

TEST_F(TerrainRender, WaterSwaysByTheElapsedTimeAndBumpLayersFollowTheirStrengths) {
  Start();
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 64, 1, 1, 0, 0), 0);
  ASSERT_EQ(Terrain_SetWaterEnable(0, 1), 1);
  ASSERT_EQ(Terrain_SetWaterEffect(0, 0, 1, 1, D3DBLEND_ONE, D3DBLEND_ZERO, 0, 0), 1);
  ASSERT_EQ(Terrain_SetWaterAnimation(0, 0, 1, 2), 1);  // along u, phase 2 per second
  const auto offsetU = [&](float milliseconds) {
    Scene_SetTimeElapsed(milliseconds);
    Control()->ClearDraws();
    device_->BeginScene();
    EXPECT_EQ(Terrain_RenderWater(0), 1);
    device_->EndScene();
    return Draws().at(0).state.Transform(D3DTS_TEXTURE0).m[2][0];
  };
  EXPECT_NEAR(offsetU(0), 0.01f, 1e-6f);
  EXPECT_NEAR(offsetU(500), 0.01f * std::cos(1.0f), 1e-6f);
  EXPECT_NEAR(offsetU(std::nanf("")), 0.01f * std::cos(1.0f), 1e-6f);  // adds nothing
  Scene_SetTimeElapsed(0);

  for (const auto& [first, second, draws] :
       {std::tuple{0.5f, 0.0f, 1u}, std::tuple{0.5f, 0.25f, 2u}, std::tuple{0.0f, 0.0f, 0u}}) {
    ASSERT_EQ(Terrain_SetWaterBumpmapping(0, 1, 0, 0, first, second, 0.1f, 0, 0, 0.1f), 1);
    Control()->ClearDraws();
    device_->BeginScene();
    ASSERT_EQ(Terrain_RenderWater(0), 1);
    device_->EndScene();
    ASSERT_EQ(Draws().size(), draws);
    if (draws > 0) {
      const FixedFunctionState& state = Draws()[0].state;
      EXPECT_EQ(state.stageStates[0][D3DTSS_COLOROP], DWORD{D3DTOP_BUMPENVMAP});
      EXPECT_EQ(state.renderStates[D3DRS_TEXTUREFACTOR], 0x7FFFFFFFu);
      EXPECT_NE(Draws()[0].textures[0], nullptr);  // the default bump texture
    }
    if (draws > 1) {
      EXPECT_EQ(Draws()[1].state.renderStates[D3DRS_TEXTUREFACTOR], 0x3FFFFFFFu);
    }
  }
}

}  // namespace

namespace {

TEST_F(TerrainRender, ExpandedTextureStretchesOverItsChunksAndClampsTheColourStage) {
  Start();
  ASSERT_EQ(Terrain_Create(0), 0);
  ASSERT_EQ(Terrain_GenerateEmptyTerrain(0, 128, 4, 1, 0, 0), 0);  // 3 x 3 vertices a chunk
  const int32_t texture = Texture("map", 0xff808080);
  EXPECT_EQ(Terrain_ExpandTexture(0, texture, 2, 0, 4, 1, 0), 1);
  EXPECT_EQ(Terrain_ExpandTexture(0, texture, 0, 0, 0, 1, 0), 0);
  EXPECT_EQ(Terrain_ExpandTexture(0, texture, -1, 0, 1, 1, 0), 0);
  EXPECT_EQ((std::vector<int32_t>{Terrain_GetTexture(0, 0), Terrain_GetTexture(0, 1),
                                  Terrain_GetTexture(0, 2), Terrain_GetTexture(0, 3)}),
            (std::vector<int32_t>{0, 0, texture, texture}));
  LookDownFromFarAbove();
  Control()->ClearDraws();
  ASSERT_EQ(Render(0), 1);
  ASSERT_EQ(Draws().size(), 4u);
  // Chunks 2 and 3 run u from 0 to 0.25 and from 0.25 to 0.5; chunk 0 keeps 0 to 1.
  const auto firstRowU = [&](size_t draw) {
    std::vector<float> u;
    for (int j = 0; j < 3; ++j) {
      TVertex vertex;
      std::memcpy(&vertex, Draws()[draw].vertices.data() + j * sizeof(TVertex), sizeof vertex);
      u.push_back(vertex.colorU);
    }
    return u;
  };
  EXPECT_EQ(firstRowU(0), (std::vector<float>{0, 0.5f, 1}));
  EXPECT_EQ(firstRowU(2), (std::vector<float>{0, 0.125f, 0.25f}));
  EXPECT_EQ(firstRowU(3), (std::vector<float>{0.25f, 0.375f, 0.5f}));
  EXPECT_EQ(Draws()[2].state.stageStates[0][D3DTSS_ADDRESSU], DWORD{D3DTADDRESS_CLAMP});
  Terrain_SetTexture(0, texture, -1);
  EXPECT_TRUE(Logged("LAND MANAGER : Switching to Non Expanded texture"));
  ASSERT_EQ(Terrain_SetTextureScale(0, 4, 2, 1), 1);
  Control()->ClearDraws();
  ASSERT_EQ(Render(0), 1);
  EXPECT_EQ(firstRowU(1), (std::vector<float>{0, 2, 4}));
  EXPECT_EQ(Draws()[1].state.stageStates[0][D3DTSS_ADDRESSU], DWORD{D3DTADDRESS_WRAP});
}

}  // namespace
