// The model shaders and the MD2 shared buffer: what each build makes by option and device, that a
// second build or a loss leaves nothing behind, and the reset order the caller follows.
#include <gtest/gtest.h>

#include "tests/library/core/library_fixture.h"

namespace {

using namespace d3d;

class MD2System : public LibraryTest {};

TEST_F(MD2System, BuildsBothShadersAndTheBufferAndLosesThemAgain) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  const size_t before = Control()->LiveObjectCount();
  EXPECT_EQ(InitMD2(), 1);
  EXPECT_NE(GetShaderIndex(), 0);
  EXPECT_EQ(Control()->LiveObjectCount(), before + 1) << "the shared buffer";
  EXPECT_EQ(InitMD2(), 1);
  EXPECT_EQ(Control()->LiveObjectCount(), before + 1) << "a second build replaces the first";
  EXPECT_TRUE(Logged("MD2 SYSTEM : Initializing Vertex Shader..."));
  EXPECT_TRUE(Logged("MD2 SYSTEM : MD2 Vertex Shader created."));
  EXPECT_TRUE(Logged("MDL SYSTEM : Vertex Shader created."));
  EXPECT_EQ(MD2System_LostAll(), 1);
  EXPECT_EQ(GetShaderIndex(), 0);
  EXPECT_EQ(Control()->LiveObjectCount(), before);
  EXPECT_EQ(MD2System_LostAll(), 1) << "a second loss is harmless";
}

TEST_F(MD2System, HardwareOptionNeedsVertexShaders) {
  struct Case {
    DWORD shaderVersion;
    bool shaders;
  };
  for (const Case c : {Case{D3DVS_VERSION(1, 1), true}, Case{0, false}}) {
    SCOPED_TRACE(c.shaderVersion);
    HeadlessConfig config;
    config.caps.VertexShaderVersion = c.shaderVersion;
    ASSERT_EQ(CreateDevice(D3DFMT_D16, config), D3D_OK);
    const size_t before = Control()->LiveObjectCount();
    EXPECT_EQ(InitMD2Second(1), 1);
    EXPECT_TRUE(Logged("MD2 SYSTEM : Preparing md2 vertex shader"));
    EXPECT_EQ(GetShaderIndex() != 0, c.shaders);
    EXPECT_EQ(Control()->LiveObjectCount(), before + 1) << "the buffer is made in every case";
    EXPECT_TRUE(ShutDownAndRelease()) << "ReleaseAll takes the buffer";
  }
}

TEST_F(MD2System, ResetOrderRebuildsAfterTheDeviceReset) {
  ASSERT_EQ(CreateDevice(), D3D_OK);
  ASSERT_EQ(InitMD2(), 1);
  // The other families' share of the loss, as the caller brackets a reset.
  TextureFactory_OnLostAll();
  Viewport_OnLostAll();
  EXPECT_EQ(MD2System_LostAll(), 1);
  D3DPRESENT_PARAMETERS params = WindowedParams(&mainWindow_);
  ASSERT_EQ(Viewport_ResetDevice(&params), 1);
  TextureFactory_OnResetAll();
  EXPECT_EQ(InitMD2(), 1);
  EXPECT_NE(GetShaderIndex(), 0);
  EXPECT_TRUE(ShutDownAndRelease());
}

TEST_F(MD2System, WithoutADeviceNothingIsBuilt) {
  EXPECT_EQ(InitMD2(), 1);
  EXPECT_EQ(GetShaderIndex(), 0);
  EXPECT_EQ(MD2System_LostAll(), 1);
}

}  // namespace
