// The library's device on the OpenGL device with no window, for the pixel tests and benchmarks,
// which draw into its back buffer and read it back.
#pragma once

#include <cstring>
#include <vector>

#include "library/core/vortanautil.h"
#include "platform/d3d/gl.h"

namespace tests {

// Makes a new OpenGL creation object into direct3d and the library's device on it into device: a
// width x height X8R8G8B8 back buffer with a depth buffer of that format.
inline d3d::HRESULT CreateOffscreenLibraryDevice(d3d::UINT width, d3d::UINT height,
                                                 d3d::IDirect3DDevice8** device,
                                                 d3d::IDirect3D8** direct3d,
                                                 d3d::D3DFORMAT depth = d3d::D3DFMT_D24S8) {
  *direct3d = d3d::CreateGlDirect3D();
  d3d::D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = width;
  params.BackBufferHeight = height;
  params.BackBufferFormat = d3d::D3DFMT_X8R8G8B8;
  params.BackBufferCount = 1;
  params.SwapEffect = d3d::D3DSWAPEFFECT_COPY;
  params.Windowed = 1;
  params.EnableAutoDepthStencil = 1;
  params.AutoDepthStencilFormat = depth;
  return VortanaSystem_CreateDevice(0, d3d::D3DDEVTYPE_HAL, nullptr,
                                    d3d::D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, device,
                                    direct3d);
}

// The back buffer's width x height pixels, rows top to bottom; empty when it cannot be read.
inline std::vector<d3d::D3DCOLOR> ReadBackBufferPixels(d3d::IDirect3DDevice8* device,
                                                       d3d::UINT width, d3d::UINT height) {
  d3d::IDirect3DSurface8* surface = nullptr;
  device->GetBackBuffer(0, d3d::D3DBACKBUFFER_TYPE_MONO, &surface);
  d3d::D3DLOCKED_RECT locked{};
  std::vector<d3d::D3DCOLOR> pixels;
  if (surface->LockRect(&locked, nullptr, d3d::D3DLOCK_READONLY) == d3d::D3D_OK) {
    pixels.resize(size_t{width} * height);
    for (d3d::UINT y = 0; y < height; ++y) {
      std::memcpy(&pixels[size_t{y} * width],
                  static_cast<const d3d::BYTE*>(locked.pBits) + y * locked.Pitch,
                  width * sizeof(d3d::D3DCOLOR));
    }
    surface->UnlockRect();
  }
  surface->Release();
  return pixels;
}

}  // namespace tests
