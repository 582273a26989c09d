#include "tests/platform/d3dx/headless_device.h"

namespace d3dx_test {

d3d::IDirect3DDevice8* CreateHeadlessDevice(const d3d::HeadlessConfig& config) {
  constexpr d3d::UINT kBackBufferSide = 16;  // pixels
  d3d::IDirect3D8* direct3d = d3d::CreateHeadlessDirect3D(config);
  d3d::D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = params.BackBufferHeight = kBackBufferSide;
  params.SwapEffect = d3d::D3DSWAPEFFECT_COPY;
  params.hDeviceWindow = reinterpret_cast<d3d::HWND>(uintptr_t{1});
  params.Windowed = 1;
  d3d::IDirect3DDevice8* device = nullptr;
  direct3d->CreateDevice(d3d::D3DADAPTER_DEFAULT, d3d::D3DDEVTYPE_HAL, params.hDeviceWindow,
                         d3d::D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device);
  direct3d->Release();
  return device;
}

}  // namespace d3dx_test
