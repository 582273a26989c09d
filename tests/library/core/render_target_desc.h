// What a render surface's render-to-surface object was made with, for the tests of the texture
// table's render surfaces.
#pragma once

#include "library/core/vortanautil.h"
#include "platform/d3dx/render_to_surface.h"

// The description of the render target of a texture record; all zero when it has none.
inline d3dx::D3DXRTS_DESC RenderTargetDesc(int32_t identifier) {
  d3dx::ID3DXRenderToSurface* target = nullptr;
  TextureFactory_GetDXRenderToSurface(identifier, &target);
  d3dx::D3DXRTS_DESC desc{};
  if (target != nullptr) target->GetDesc(&desc);
  return desc;
}
