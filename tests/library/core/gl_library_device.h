// The library's device on the OpenGL device with no window, for the pixel tests and benchmarks,
// which draw into its back buffer and read it back.
#pragma once

#include "library/core/vortanautil.h"
#include "platform/d3d/gl.h"

namespace tests {

// Makes a new OpenGL creation object into direct3d and the library's device on it into device: a
// width x height X8R8G8B8 back buffer with a D24S8 depth buffer.
inline d3d::HRESULT CreateOffscreenLibraryDevice(d3d::UINT width, d3d::UINT height,
                                                 d3d::IDirect3DDevice8** device,
                                                 d3d::IDirect3D8** direct3d) {
  *direct3d = d3d::CreateGlDirect3D();
  d3d::D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = width;
  params.BackBufferHeight = height;
  params.BackBufferFormat = d3d::D3DFMT_X8R8G8B8;
  params.BackBufferCount = 1;
  params.SwapEffect = d3d::D3DSWAPEFFECT_COPY;
  params.Windowed = 1;
  params.EnableAutoDepthStencil = 1;
  params.AutoDepthStencilFormat = d3d::D3DFMT_D24S8;
  return VortanaSystem_CreateDevice(0, d3d::D3DDEVTYPE_HAL, nullptr,
                                    d3d::D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, device,
                                    direct3d);
}

}  // namespace tests
