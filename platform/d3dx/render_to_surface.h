// Rendering into a surface other than the back buffer: the render target and its own depth buffer
// are bound for one scene, and the device's own target, depth buffer and viewport come back after.
#pragma once

#include "platform/d3d/interfaces.h"

namespace d3dx {

struct D3DXRTS_DESC {
  d3d::UINT Width;
  d3d::UINT Height;
  d3d::D3DFORMAT Format;
  d3d::BOOL DepthStencil;
  d3d::D3DFORMAT DepthStencilFormat;
};

class ID3DXRenderToSurface : public d3d::IUnknown {
 public:
  virtual d3d::HRESULT GetDevice(d3d::IDirect3DDevice8** device) = 0;
  virtual d3d::HRESULT GetDesc(D3DXRTS_DESC* desc) = 0;
  // Binds surface (with this object's depth buffer, or none) and the viewport (null: the whole
  // surface), then begins the device's scene. Fails, changing nothing, while a scene of this object
  // or of the device is open.
  virtual d3d::HRESULT BeginScene(d3d::IDirect3DSurface8* surface,
                                  const d3d::D3DVIEWPORT8* viewport) = 0;
  // Ends the scene and gives the device back its own target, depth buffer and viewport.
  virtual d3d::HRESULT EndScene() = 0;
  // The depth buffer lives in the device's default pool: it goes before a reset and comes back
  // after.
  virtual d3d::HRESULT OnLostDevice() = 0;
  virtual d3d::HRESULT OnResetDevice() = 0;

 protected:
  ~ID3DXRenderToSurface() = default;
};

inline constexpr d3d::IID IID_ID3DXRenderToSurface = {
    0x82DF5B90, 0xE34E, 0x496E, {0xAC, 0x1C, 0x62, 0x11, 0x7A, 0x6A, 0x5F, 0x0B}};

// depthStencil asks for a depth buffer of depthStencilFormat and the given size.
d3d::HRESULT D3DXCreateRenderToSurface(d3d::IDirect3DDevice8* device, d3d::UINT width,
                                       d3d::UINT height, d3d::D3DFORMAT format,
                                       d3d::BOOL depthStencil, d3d::D3DFORMAT depthStencilFormat,
                                       ID3DXRenderToSurface** object);

}  // namespace d3dx
