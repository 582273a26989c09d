#include "platform/d3dx/render_to_surface.h"

#include <gtest/gtest.h>

#include "platform/d3dx/com_ptr.h"
#include "platform/d3dx/texture.h"
#include "tests/platform/d3dx/headless_fixture.h"

namespace {

using namespace d3d;
using namespace d3dx;

class D3dxRenderToSurface : public d3dx_test::DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    ASSERT_EQ(D3D_OK, D3DXCreateTexture(device, 64, 32, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                        D3DPOOL_DEFAULT, target.Out()));
    ASSERT_EQ(D3D_OK, target->GetSurfaceLevel(0, surface.Out()));
  }
  void TearDown() override {
    surface.Reset();
    target.Reset();
    // A target bound through SetRenderTarget, the device's own back buffer included, holds a
    // reference until it is unbound, as the library does at shutdown.
    device->SetRenderTarget(nullptr, nullptr);
    DeviceTest::TearDown();
  }

  ComPtr<IDirect3DSurface8> CurrentTarget() {
    ComPtr<IDirect3DSurface8> current;
    device->GetRenderTarget(current.Out());
    return current;
  }

  ComPtr<IDirect3DTexture8> target;
  ComPtr<IDirect3DSurface8> surface;
};

TEST_F(D3dxRenderToSurface, BindsTheSurfaceForOneSceneAndRestoresTheDevice) {
  ComPtr<ID3DXRenderToSurface> renderer;
  ASSERT_EQ(D3D_OK, D3DXCreateRenderToSurface(device, 64, 32, D3DFMT_X8R8G8B8, 1, D3DFMT_D16,
                                              renderer.Out()));
  ComPtr<IDirect3DSurface8> backBuffer = CurrentTarget();
  D3DVIEWPORT8 before{};
  device->GetViewport(&before);

  D3DVIEWPORT8 corner{0, 0, 16, 8, 0, 1};
  ASSERT_EQ(D3D_OK, renderer->BeginScene(surface.Get(), &corner));
  EXPECT_EQ(surface.Get(), CurrentTarget().Get());
  D3DVIEWPORT8 during{};
  device->GetViewport(&during);
  EXPECT_EQ(16u, during.Width);
  ComPtr<IDirect3DSurface8> depth;
  ASSERT_EQ(D3D_OK, device->GetDepthStencilSurface(depth.Out()));
  D3DSURFACE_DESC depthDesc{};
  depth->GetDesc(&depthDesc);
  EXPECT_EQ(D3DFMT_D16, depthDesc.Format);
  EXPECT_EQ(64u, depthDesc.Width);
  depth.Reset();
  EXPECT_EQ(D3D_OK,
            device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF00FF00, 1, 0));
  EXPECT_EQ(D3DERR_INVALIDCALL, renderer->BeginScene(surface.Get(), nullptr))
      << "scenes do not nest";
  ASSERT_EQ(D3D_OK, renderer->EndScene());

  EXPECT_EQ(backBuffer.Get(), CurrentTarget().Get());
  D3DVIEWPORT8 after{};
  device->GetViewport(&after);
  EXPECT_EQ(before.Width, after.Width);
  EXPECT_EQ(D3DERR_INVALIDCALL, renderer->EndScene());
}

TEST_F(D3dxRenderToSurface, RefusesToStartInsideTheDeviceScene) {
  ComPtr<ID3DXRenderToSurface> renderer;
  ASSERT_EQ(D3D_OK, D3DXCreateRenderToSurface(device, 64, 32, D3DFMT_X8R8G8B8, 0, D3DFMT_UNKNOWN,
                                              renderer.Out()));
  ComPtr<IDirect3DSurface8> backBuffer = CurrentTarget();
  ASSERT_EQ(D3D_OK, device->BeginScene());
  EXPECT_NE(D3D_OK, renderer->BeginScene(surface.Get(), nullptr));
  EXPECT_EQ(backBuffer.Get(), CurrentTarget().Get()) << "a refused start changes nothing";
  ASSERT_EQ(D3D_OK, device->EndScene());
}

TEST_F(D3dxRenderToSurface, ItsDepthBufferLeavesForAResetAndComesBack) {
  ComPtr<ID3DXRenderToSurface> renderer;
  ASSERT_EQ(D3D_OK, D3DXCreateRenderToSurface(device, 64, 32, D3DFMT_X8R8G8B8, 1, D3DFMT_D16,
                                              renderer.Out()));
  surface.Reset();
  target.Reset();
  D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = params.BackBufferHeight = 16;
  params.SwapEffect = D3DSWAPEFFECT_COPY;
  params.hDeviceWindow = reinterpret_cast<HWND>(uintptr_t{1});
  params.Windowed = 1;
  EXPECT_EQ(D3DERR_INVALIDCALL, device->Reset(&params))
      << "the depth buffer is a default-pool resource";
  ASSERT_EQ(D3D_OK, renderer->OnLostDevice());
  ASSERT_EQ(D3D_OK, device->Reset(&params));
  ASSERT_EQ(D3D_OK, renderer->OnResetDevice());
  EXPECT_EQ(1u, LiveObjects());
  D3DXRTS_DESC desc{};
  renderer->GetDesc(&desc);
  EXPECT_EQ(D3DFMT_D16, desc.DepthStencilFormat);

  ID3DXRenderToSurface* refused = nullptr;
  Headless(device)->FailNextCreation(E_OUTOFMEMORY);
  EXPECT_EQ(E_OUTOFMEMORY,
            D3DXCreateRenderToSurface(device, 8, 8, D3DFMT_X8R8G8B8, 1, D3DFMT_D16, &refused));
  EXPECT_EQ(nullptr, refused);
}

}  // namespace
