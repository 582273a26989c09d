// The library backend on the OpenGL device, surfaceless on Mesa's software rasteriser: pixels.

#include "platform/d3d/gl.h"
#include "tests/platform/engine_draw/draw_fixture.h"

namespace {

class LibraryBackendGl : public DrawTest {
 protected:
  void SetUp() override {
    DrawTest::SetUp();
    Start(engine::GlDirect3D());
  }
};

TEST_F(LibraryBackendGl, TheFrameClearsAndReadsBackWhatItDrew) {
  engine->Clear(0xFF336699u);
  const std::vector<uint32_t> pixels = engine->Backend().ReadBackBuffer(kWidth, kHeight);
  EXPECT_EQ(pixels.front(), 0xFF336699u);
  EXPECT_EQ(pixels.back(), 0xFF336699u);
  engine->RenderToScreen();
  engine->ResizeDevice(200, 100);
  engine->Clear(0xFF996633u);
  EXPECT_EQ(engine->Backend().ReadBackBuffer(200, 100)[199 + 99 * 200], 0xFF996633u);
  engine->RenderToScreen();
}

}  // namespace
