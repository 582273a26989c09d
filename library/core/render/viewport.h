// The viewport family: viewport 0 is the device's own window and back buffer; every other viewport
// is another window with an additional swap chain and its own depth surface. The exports are
// declared in library/core/vortanautil.h.
#pragma once

#include <cstdint>

#include "platform/d3d/interfaces.h"
#include "platform/d3dx/math.h"

struct ViewportRecord {
  int32_t inUse;
  int32_t index;
  char name[128];
  int32_t width;   // pixels
  int32_t height;  // pixels
  int32_t main;
  int32_t depth;
  d3d::IDirect3DSurface8* depthSurface;
  d3d::IDirect3DSwapChain8* swapChain;
  d3d::IDirect3DSurface8* backBuffer;
  d3d::HWND window;
  d3d::D3DCOLOR background;
  d3d::D3DVIEWPORT8 rectangle;
  d3d::D3DPRESENT_PARAMETERS params;
  int32_t autoResize;
};

extern ViewportRecord* ViewportTable;
extern int32_t ViewportCount;
extern int32_t CurrentViewport;
extern float ViewMatrix[16];

// The camera's position in the world: the translation of ViewMatrix's inverse, or the origin while
// no camera is set (ViewMatrix all zero, as after a release).
d3dx::D3DXVECTOR3 Viewport_CameraPosition();

// The current viewport's back buffer and window, null without one (no reference added).
d3d::IDirect3DSurface8* Viewport_CurrentBackBuffer();
d3d::HWND Viewport_CurrentWindow();
