// A headless device made the library's current device directly, for the programs that use the
// library's objects without its frame (fuzz targets, benchmarks, tests of the loaders).
#pragma once

#include "library/core/frame/frame_state.h"
#include "platform/d3d/headless.h"
#include "platform/win/window.h"

namespace tests {

class CurrentHeadlessDevice {
 public:
  CurrentHeadlessDevice() {
    direct3d_ = d3d::CreateHeadlessDirect3D();
    d3d::D3DPRESENT_PARAMETERS params{};
    params.BackBufferWidth = 64;
    params.BackBufferHeight = 64;
    params.BackBufferFormat = d3d::D3DFMT_X8R8G8B8;
    params.SwapEffect = d3d::D3DSWAPEFFECT_DISCARD;
    params.hDeviceWindow = &window_;
    params.Windowed = 1;
    direct3d_->CreateDevice(0, d3d::D3DDEVTYPE_HAL, &window_,
                            d3d::D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device_);
    CurrentDevice = device_;
  }
  CurrentHeadlessDevice(const CurrentHeadlessDevice&) = delete;
  CurrentHeadlessDevice& operator=(const CurrentHeadlessDevice&) = delete;
  ~CurrentHeadlessDevice() {
    CurrentDevice = nullptr;
    if (device_ != nullptr) device_->Release();
    direct3d_->Release();
  }

  d3d::IDirect3DDevice8* Device() const { return device_; }

 private:
  win::Window window_{64, 64};
  d3d::IDirect3D8* direct3d_ = nullptr;
  d3d::IDirect3DDevice8* device_ = nullptr;
};

}  // namespace tests
