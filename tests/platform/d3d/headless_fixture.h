// A headless device of a small windowed back buffer with a depth-stencil surface, for the device
// contract tests.
#pragma once

#include "platform/d3d/headless.h"

#include <gtest/gtest.h>

namespace d3dtest {

using namespace d3d;

// The reference count of an object, read without changing it.
inline ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

inline HWND FakeWindow(uintptr_t id) { return reinterpret_cast<HWND>(id); }

inline D3DPRESENT_PARAMETERS WindowedParams(UINT width, UINT height, D3DFORMAT depth) {
  D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = width;
  params.BackBufferHeight = height;
  params.BackBufferFormat = D3DFMT_UNKNOWN;
  params.SwapEffect = D3DSWAPEFFECT_COPY;
  params.hDeviceWindow = FakeWindow(1);
  params.Windowed = 1;
  params.EnableAutoDepthStencil = depth != D3DFMT_UNKNOWN ? 1 : 0;
  params.AutoDepthStencilFormat = depth;
  return params;
}

class HeadlessDeviceTest : public ::testing::Test {
 protected:
  static constexpr UINT kWidth = 8;
  static constexpr UINT kHeight = 4;

  void SetUp() override { CreateWith(HeadlessConfig{}); }

  void TearDown() override {
    if (device != nullptr) {
      EXPECT_EQ(control->LiveObjectCount(), 0u) << "a test left device objects alive";
      EXPECT_EQ(device->Release(), 0u);
    }
    if (direct3d != nullptr) {
      EXPECT_EQ(direct3d->Release(), 0u);
    }
  }

  // Replaces the device with one of this configuration and depth format.
  void CreateWith(const HeadlessConfig& config, D3DFORMAT depth = D3DFMT_D24S8) {
    TearDown();
    device = nullptr;
    direct3d = CreateHeadlessDirect3D(config);
    params = WindowedParams(kWidth, kHeight, depth);
    ASSERT_EQ(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, FakeWindow(1),
                                     D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device),
              D3D_OK);
    control = Headless(device);
    ASSERT_NE(control, nullptr);
  }

  IDirect3D8* direct3d = nullptr;
  IDirect3DDevice8* device = nullptr;
  HeadlessControl* control = nullptr;
  D3DPRESENT_PARAMETERS params{};
};

}  // namespace d3dtest
