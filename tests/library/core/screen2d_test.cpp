#include "tests/library/core/overlay_fixture.h"

namespace {

using namespace d3d;

using Screen2DTest = OverlayTest;

TEST_F(Screen2DTest, ConsecutivePrimitivesOfOneKindAndTextureMerge) {
  Screen2D_Start();
  Quad(0, first_);
  Quad(10, first_);
  Quad(20, second_);
  Screen2D_DrawFilledBox(0, 0, 8, 8, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF);
  Screen2D_DrawBox(1, 2, 3, 4, 0xFF123456);
  Screen2D_DrawFilledBox(0, 0, 8, 8, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF);
  Screen2D_DrawFilledBox(0, 0, 8, 8, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF);
  Screen2D_DrawLine(0, 0, 5, 5, 0xFF000000, 0xFFFFFFFF);
  Screen2D_DrawLine(5, 5, 9, 9, 0xFF000000, 0xFFFFFFFF);
  Screen2D_DrawPoint(3, 3, 0xFFFFFFFF);
  EXPECT_EQ(Screen2D_End(), 1);

  struct Expected {
    D3DPRIMITIVETYPE primitive;
    UINT count;
    IDirect3DBaseTexture8* texture;
  };
  const Expected expected[] = {{D3DPT_TRIANGLELIST, 4, textures_[first_]},
                               {D3DPT_TRIANGLELIST, 2, textures_[second_]},
                               {D3DPT_TRIANGLELIST, 2, nullptr},
                               {D3DPT_LINESTRIP, 4, nullptr},
                               {D3DPT_TRIANGLELIST, 4, nullptr},
                               {D3DPT_LINELIST, 2, nullptr},
                               {D3DPT_POINTLIST, 1, nullptr}};
  ASSERT_EQ(Draws().size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Draws()[i].call, DrawCall::PrimitiveUP);
    EXPECT_EQ(Draws()[i].primitive, expected[i].primitive);
    EXPECT_EQ(Draws()[i].primitiveCount, expected[i].count);
    EXPECT_EQ(Draws()[i].textures[0], expected[i].texture);
    EXPECT_EQ(Draws()[i].stride, sizeof(Vertex));
    EXPECT_EQ(Draws()[i].fvf, kFvf);
  }
  const std::vector<Vertex> outline = VerticesOf(Draws()[3]);
  ASSERT_GE(outline.size(), 5u);
  const float corners[5][2] = {{1, 2}, {3, 2}, {3, 4}, {1, 4}, {1, 2}};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(outline[i].x, corners[i][0]);
    EXPECT_EQ(outline[i].y, corners[i][1]);
    EXPECT_EQ(outline[i].color, 0xFF123456u);
  }
}

TEST_F(Screen2DTest, QuadsKeepTheCornerOrderAndOnlyTexturesMoveHalfAPixel) {
  // Vertices queued without Screen2D_Init still lie in front of the viewer.
  Screen2D_Start();
  Quad(0, first_);
  Screen2D_DrawFilledBox(0, 10, 4, 14, 0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004);
  Screen2D_DrawRotatedTexture(100, 50, 20, 10, 0xFF000001, 0xFF000002, 0xFF000003, 0xFF000004, 0.0f,
                              0.0f, 1.0f, 1.0f, 1.5707963f, second_);
  Screen2D_End();
  ASSERT_EQ(Draws().size(), 3u);
  // Top-left, top-right, bottom-left, then top-right, bottom-left, bottom-right.
  const int order[6] = {0, 1, 2, 1, 2, 3};
  const float cornerX[4] = {0, 4, 0, 4};
  const float cornerY[4] = {10, 10, 14, 14};
  const float cornerU[4] = {0, 1, 0, 1};
  const float cornerV[4] = {0, 0, 1, 1};
  for (size_t draw = 0; draw < 2; ++draw) {
    const float shift = draw == 0 ? -0.5f : 0.0f;
    const std::vector<Vertex> vertices = VerticesOf(Draws()[draw]);
    ASSERT_GE(vertices.size(), 6u);
    for (int i = 0; i < 6; ++i) {
      SCOPED_TRACE(testing::Message() << "draw " << draw << " vertex " << i);
      const int corner = order[i];
      EXPECT_EQ(vertices[i].x, cornerX[corner] + shift);
      EXPECT_EQ(vertices[i].y, cornerY[corner] + shift);
      EXPECT_FLOAT_EQ(vertices[i].z, 0.001f);
      EXPECT_FLOAT_EQ(vertices[i].rhw, 0.001f);
      EXPECT_EQ(vertices[i].color, 0xFF000001u + static_cast<D3DCOLOR>(corner));
      if (draw == 0) {
        EXPECT_EQ(vertices[i].u, cornerU[corner]);
        EXPECT_EQ(vertices[i].v, cornerV[corner]);
      }
    }
  }
  // A quarter turn takes the top-left corner (-10, -5) to (5, -10) about the centre.
  const std::vector<Vertex> rotated = VerticesOf(Draws()[2]);
  ASSERT_GE(rotated.size(), 6u);
  EXPECT_NEAR(rotated[0].x, 105.0f, 1e-4);
  EXPECT_NEAR(rotated[0].y, 40.0f, 1e-4);
  EXPECT_NEAR(rotated[5].x, 95.0f, 1e-4);
  EXPECT_NEAR(rotated[5].y, 60.0f, 1e-4);
}

TEST_F(Screen2DTest, CirclesCloseTheirRimOnTheFirstVertex) {
  Screen2D_Start();
  Screen2D_DrawCircle(50, 40, 10, 4, 0xFF00FF00);
  Screen2D_DrawFilledCircle(50, 40, 10, 4, 0xFF00FF00);
  EXPECT_EQ(Screen2D_DrawCircle(50, 40, 10, 0, 0xFF00FF00), 0);
  Screen2D_End();
  ASSERT_EQ(Draws().size(), 2u);
  const std::vector<Vertex> rim = VerticesOf(Draws()[0]);
  EXPECT_EQ(Draws()[0].primitive, D3DPT_LINESTRIP);
  EXPECT_EQ(Draws()[0].primitiveCount, 4u);
  ASSERT_EQ(rim.size(), 5u);
  const float expected[4][2] = {{60, 40}, {50, 50}, {40, 40}, {50, 30}};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(rim[i].x, expected[i][0], 1e-3);
    EXPECT_NEAR(rim[i].y, expected[i][1], 1e-3);
  }
  EXPECT_EQ(rim[4].x, rim[0].x);
  EXPECT_EQ(rim[4].y, rim[0].y);
  const std::vector<Vertex> fan = VerticesOf(Draws()[1]);
  EXPECT_EQ(Draws()[1].primitive, D3DPT_TRIANGLEFAN);
  ASSERT_EQ(fan.size(), 6u);
  EXPECT_EQ(fan[0].x, 50.0f);
  EXPECT_EQ(fan[0].y, 40.0f);
  EXPECT_EQ(fan[5].x, fan[1].x);
}

TEST_F(Screen2DTest, ARunOfFilledCirclesIsOneTriangleList) {
  Screen2D_Start();
  for (int star = 0; star < 3; ++star)
    Screen2D_DrawFilledCircle(static_cast<float>(10 + 20 * star), 40, 5, 4, 0xFFFFFFFF);
  Screen2D_DrawLine(0, 0, 10, 10, 0xFFFFFFFF, 0xFFFFFFFF);
  Screen2D_DrawFilledCircle(90, 40, 5, 4, 0xFFFFFFFF);
  Screen2D_End();
  ASSERT_EQ(Draws().size(), 3u) << "three circles, the line, the circle after it";
  EXPECT_EQ(Draws()[0].primitive, D3DPT_TRIANGLELIST);
  EXPECT_EQ(Draws()[0].primitiveCount, 12u);
  const std::vector<Vertex> triangles = VerticesOf(Draws()[0]);
  ASSERT_EQ(triangles.size(), 36u);
  EXPECT_EQ(triangles[12].x, 30.0f) << "the second circle's centre opens its triangles";
  EXPECT_EQ(Draws()[2].primitive, D3DPT_TRIANGLEFAN) << "a circle alone stays a fan";
}

TEST_F(Screen2DTest, ABatchPastNineHundredVerticesIsDrawnAndContinuesInOrder) {
  Screen2D_Start();
  for (int i = 0; i < 150; ++i) Quad(static_cast<float>(i), first_);
  EXPECT_TRUE(Draws().empty());
  Quad(150, first_);  // vertex 906
  ASSERT_EQ(Draws().size(), 1u);
  EXPECT_EQ(Draws()[0].primitiveCount, 302u);
  Quad(151, first_);
  Quad(152, first_);
  Screen2D_End();
  ASSERT_EQ(Draws().size(), 2u);
  EXPECT_EQ(Draws()[1].primitiveCount, 4u);
  EXPECT_EQ(Draws()[1].textures[0], textures_[first_]);
  EXPECT_EQ(VerticesOf(Draws()[0]).back().x, 150 + 4 - 0.5f);
  EXPECT_EQ(VerticesOf(Draws()[1]).front().x, 151 - 0.5f);
}

TEST_F(Screen2DTest, TheQueueNeverRunsPastItsItemsOrItsVertexStore) {
  struct Case {
    const char* what;
    void (*queue)();
    std::vector<UINT> primitiveCounts;  // of the draws, in order
  };
  const Case cases[] = {
      {"more than 99 items",
       [] {
         for (int i = 0; i < 120; ++i) Screen2D_DrawBox(0, 0, 1, 1, 0xFFFFFFFF);
       },
       std::vector<UINT>(120, 4)},
      {"points past the store",
       [] {
         for (int i = 0; i < 2000; ++i) Screen2D_DrawPoint(1, 1, 0xFFFFFFFF);
       },
       {1024, 976}},
      {"a circle larger than the store",
       [] { Screen2D_DrawCircle(0, 0, 9, 5000, 0xFFFFFFFF); },
       {1022}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Control()->ClearDraws();
    Screen2D_Start();
    c.queue();
    Screen2D_End();
    std::vector<UINT> counts;
    for (const DrawRecord& draw : Draws()) counts.push_back(draw.primitiveCount);
    EXPECT_EQ(counts, c.primitiveCounts);
  }
}

TEST_F(Screen2DTest, EndDrawsWithTheOverlayStatesAndRestoresDepthSpecularAndFog) {
  Atmosphere_FogSetEnable(1);
  LightFactory_EnableSpecularLighting(1);
  device_->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
  Screen2D_Start();
  Quad(0, first_);
  Screen2D_End();
  ASSERT_EQ(Draws().size(), 1u);
  const auto& states = Draws()[0].state.renderStates;
  EXPECT_EQ(states[D3DRS_CULLMODE], D3DCULL_NONE);
  EXPECT_EQ(states[D3DRS_LIGHTING], 0u);
  EXPECT_EQ(states[D3DRS_SPECULARENABLE], 0u);
  EXPECT_EQ(states[D3DRS_FOGENABLE], 0u);
  EXPECT_EQ(states[D3DRS_ZWRITEENABLE], 0u);
  EXPECT_EQ(states[D3DRS_ZFUNC], D3DCMP_ALWAYS);
  const std::pair<D3DRENDERSTATETYPE, DWORD> after[] = {
      {D3DRS_ZFUNC, D3DCMP_LESSEQUAL}, {D3DRS_ZWRITEENABLE, 1},
      {D3DRS_SPECULARENABLE, 1},       {D3DRS_FOGENABLE, 1},
      {D3DRS_CULLMODE, D3DCULL_NONE},  {D3DRS_LIGHTING, 0}};
  for (const auto& [state, value] : after) {
    DWORD actual = 0;
    device_->GetRenderState(state, &actual);
    EXPECT_EQ(actual, value) << "render state " << state;
  }
  Atmosphere_FogSetEnable(0);
  LightFactory_EnableSpecularLighting(0);
}

TEST_F(Screen2DTest, AnEmptyBatchDrawsAndChangesNothing) {
  Screen2D_Start();
  EXPECT_EQ(Screen2D_End(), 1);
  EXPECT_TRUE(Draws().empty());
  DWORD zFunc = 0;
  device_->GetRenderState(D3DRS_ZFUNC, &zFunc);
  EXPECT_EQ(zFunc, D3DCMP_LESSEQUAL);
  EXPECT_EQ(Screen2D_Init(), 1);
  EXPECT_EQ(Screen2D_OnLost(), 1);
}

}  // namespace
