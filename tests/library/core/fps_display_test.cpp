#include "tests/library/core/overlay_fixture.h"

namespace {

using namespace d3d;
using FrameRate = OverlayTest;
class FrameRateLife : public LibraryTest {
 protected:
  // The end of the calling order for an adopted device: nothing of the library's is left on it.
  void ShutDownAdopted() {
    ReleaseAll();
    EXPECT_EQ(ShutDownDevice(), 0);
    EXPECT_EQ(Control()->LiveObjectCount(), 0u);
    EXPECT_EQ(device_->Release(), 0u);
    device_ = nullptr;
    direct3d_->Release();
    direct3d_ = nullptr;
  }
};

// Marks the first vertex of the display's buffer, as a rebuild would overwrite it.
void MarkFirstVertex(IDirect3DDevice8* device) {
  IDirect3DVertexBuffer8* buffer = nullptr;
  UINT stride = 0;
  ASSERT_EQ(device->GetStreamSource(0, &buffer, &stride), D3D_OK);
  ASSERT_NE(buffer, nullptr);
  BYTE* data = nullptr;
  ASSERT_EQ(buffer->Lock(0, 0, &data, 0), D3D_OK);
  reinterpret_cast<Vertex*>(data)->x = -100.0f;
  buffer->Unlock();
  buffer->Release();
}

TEST_F(FrameRate, TheVerticesAreRebuiltOncePerValue) {
  ASSERT_EQ(TextureFactory_WriteFrameRate(60), 1);
  ASSERT_EQ(Draws().size(), 1u);
  const DrawRecord& first = Draws()[0];
  EXPECT_EQ(first.call, DrawCall::Primitive);
  EXPECT_EQ(first.primitiveCount, 10u);  // 6, 0, F, P, S
  EXPECT_EQ(first.state.renderStates[D3DRS_ZFUNC], D3DCMP_ALWAYS);
  EXPECT_EQ(first.state.renderStates[D3DRS_ALPHABLENDENABLE], 1u);
  const std::vector<Vertex> vertices = VerticesOf(first);
  ASSERT_GE(vertices.size(), 30u);
  // "6" (11 pixels) from 5, "0" (10) after it, a space of 10, then F (10), P (11) and S (10).
  const float lefts[5] = {5, 16, 36, 46, 57};
  const float rights[5] = {16, 26, 46, 57, 67};
  for (size_t glyph = 0; glyph < 5; ++glyph) {
    SCOPED_TRACE(glyph);
    EXPECT_EQ(vertices[glyph * 6].x, lefts[glyph]);
    EXPECT_EQ(vertices[glyph * 6 + 5].x, rights[glyph]);
    EXPECT_EQ(vertices[glyph * 6].y, 5.0f);
    EXPECT_EQ(vertices[glyph * 6 + 5].y, 19.0f);
    EXPECT_EQ(vertices[glyph * 6].color, 0xFFFF0000u);
  }
  EXPECT_FLOAT_EQ(vertices[0].u, 68.0f / 256);  // the cell of 6
  EXPECT_FLOAT_EQ(vertices[0].v, 1.0f / 16);
  EXPECT_FLOAT_EQ(vertices[5].v, 15.0f / 16);
  DWORD zFunc = 0;
  device_->GetRenderState(D3DRS_ZFUNC, &zFunc);
  EXPECT_EQ(zFunc, D3DCMP_LESS);

  MarkFirstVertex(device_);
  TextureFactory_WriteFrameRate(60);
  EXPECT_EQ(VerticesOf(Draws()[1])[0].x, -100.0f);  // the same value: drawn as it was
  TextureFactory_WriteFrameRate(-5);
  EXPECT_EQ(VerticesOf(Draws()[2])[0].x, 5.0f);  // a new value: rebuilt
  EXPECT_EQ(Draws()[2].primitiveCount, 8u);      // the minus sign has no cell: 5, F, P, S

  // A device reset makes a new buffer, whose vertices are built again for the same value.
  Viewport_Present(0, -1);
  EXPECT_EQ(TextureFactory_OnLostAll(), 1);
  Viewport_OnLostAll();
  D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
  ASSERT_EQ(Viewport_ResetDevice(&params), 1);
  EXPECT_EQ(TextureFactory_OnResetAll(), 1);
  ASSERT_EQ(Viewport_Clear(0, 0), 1);
  Control()->ClearDraws();
  TextureFactory_WriteFrameRate(-5);
  EXPECT_EQ(VerticesOf(Draws().at(0))[0].x, 5.0f);
}

TEST_F(FrameRateLife, AnAdoptedDeviceBuildsTheDisplayOnFirstUse) {
  EXPECT_EQ(TextureFactory_WriteFrameRate(30), 0);  // no device
  AdoptDevice();
  device_->BeginScene();
  EXPECT_EQ(TextureFactory_WriteFrameRate(30), 1);
  EXPECT_EQ(Control()->Draws().size(), 1u);
  device_->EndScene();
  ShutDownAdopted();
}

// Every overlay family through one device's life, on a created and on an adopted device.
TEST_F(FrameRateLife, TheOverlayFamiliesLeaveNothingAliveAcrossAReset) {
  for (bool adopted : {false, true}) {
    SCOPED_TRACE(adopted ? "adopted" : "created");
    if (adopted) {
      AdoptDevice();
      TextureFactory_Initialize();
      Viewport_Initialize();
    } else {
      ASSERT_EQ(CreateDevice(), D3D_OK);
    }
    Screen2D_Init();
    const int32_t font = TextureFont_Create("body", "DejaVu Sans", 12, 0);
    const int32_t plain = NormalFont_Create("plain", "DejaVu Sans", 12, 0, 0, 0);
    ASSERT_NE(font * plain, 0);
    const auto frame = [&] {
      ASSERT_EQ(Viewport_Clear(0, 0), 1);
      Screen2D_Start();
      Screen2D_DrawFilledBox(0, 0, 10, 10, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF);
      TextureFont_Render(font, 0, 0, "queued", 0xFFFFFFFF);
      NormalFont_Render(plain, 0, 20, "plain", 0xFFFFFFFF);
      Screen2D_End();
      TextureFont_Render(font, 0, 40, "direct", 0xFFFFFFFF);
      TextureFactory_WriteFrameRate(60);
      ASSERT_EQ(Viewport_Present(0, -1), 0);
    };
    frame();
    Screen2D_OnLost();
    TextureFont_OnLostAll();
    TextureFactory_OnLostAll();
    Viewport_OnLostAll();
    D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
    ASSERT_EQ(Viewport_ResetDevice(&params), 1);
    Viewport_OnResetAll();
    EXPECT_EQ(TextureFactory_OnResetAll(), 1);
    EXPECT_EQ(TextureFont_OnResetAll(), 1);
    Screen2D_Init();
    Control()->ClearDraws();
    frame();
    EXPECT_GE(Control()->Draws().size(), 5u);
    if (adopted) {
      ShutDownAdopted();
    } else {
      EXPECT_TRUE(ShutDownAndRelease());
    }
  }
}

}  // namespace
