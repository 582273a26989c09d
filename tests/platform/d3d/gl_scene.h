// Geometry and matrices shared by the OpenGL device's pixel tests and its window program.
#pragma once

#include "platform/d3d/interfaces.h"

#include <cmath>
#include <cstring>

namespace d3dtest {

using namespace d3d;

struct LitVertex {  // D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1
  float x, y, z;
  float nx, ny, nz;
  D3DCOLOR diffuse;
  float u, v;
};
inline constexpr DWORD kLitFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE | D3DFVF_TEX1;

struct ScreenVertex {  // D3DFVF_XYZRHW | D3DFVF_DIFFUSE
  float x, y, z, rhw;
  D3DCOLOR diffuse;
};
inline constexpr DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// A left-handed perspective projection: x right, y up, z into the screen.
inline D3DMATRIX PerspectiveLH(float fovY, float aspect, float nearZ, float farZ) {
  const float yScale = 1.0f / std::tan(fovY / 2.0f);
  D3DMATRIX m{};
  m.m[0][0] = yScale / aspect;
  m.m[1][1] = yScale;
  m.m[2][2] = farZ / (farZ - nearZ);
  m.m[2][3] = 1.0f;
  m.m[3][2] = -nearZ * farZ / (farZ - nearZ);
  return m;
}

inline DWORD FloatBits(float value) {
  DWORD bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// A windowed X8R8G8B8 back buffer, with a D24S8 depth-stencil surface when depth is asked for.
inline D3DPRESENT_PARAMETERS BackBufferParams(UINT width, UINT height, HWND window, bool depth) {
  D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = width;
  params.BackBufferHeight = height;
  params.BackBufferFormat = D3DFMT_X8R8G8B8;
  params.SwapEffect = D3DSWAPEFFECT_COPY;
  params.hDeviceWindow = window;
  params.Windowed = 1;
  params.EnableAutoDepthStencil = depth ? 1 : 0;
  params.AutoDepthStencilFormat = depth ? D3DFMT_D24S8 : D3DFMT_UNKNOWN;
  return params;
}

// A camera at the origin looking along +z, and the world where it was modelled.
inline void SetCameraAtOrigin(IDirect3DDevice8* device, float aspect) {
  D3DMATRIX identity{};
  for (int i = 0; i < 4; ++i) identity.m[i][i] = 1.0f;
  device->SetTransform(D3DTS_WORLD, &identity);
  device->SetTransform(D3DTS_VIEW, &identity);
  const D3DMATRIX projection = PerspectiveLH(1.0f, aspect, 1.0f, 100.0f);
  device->SetTransform(D3DTS_PROJECTION, &projection);
}

// A screen-space rectangle of one colour, as a two-triangle strip.
inline void DrawScreenRect(IDirect3DDevice8* device, float left, float top, float right,
                           float bottom, float z, D3DCOLOR color) {
  const ScreenVertex quad[4] = {{left, top, z, 1, color},
                                {right, top, z, 1, color},
                                {left, bottom, z, 1, color},
                                {right, bottom, z, 1, color}};
  device->SetVertexShader(kScreenFvf);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
}

// `texture` over the whole 32 x 32 target, texel centres on pixel centres; the texture is unset
// afterwards.
inline void DrawTextureOverTarget(IDirect3DDevice8* device, IDirect3DBaseTexture8* texture) {
  struct Vertex {
    float x, y, z, rhw;
    float u, v;
  };
  const Vertex quad[4] = {{-0.5f, -0.5f, 0, 1, 0, 0},
                          {31.5f, -0.5f, 0, 1, 1, 0},
                          {-0.5f, 31.5f, 0, 1, 0, 1},
                          {31.5f, 31.5f, 0, 1, 1, 1}};
  device->SetTexture(0, texture);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetVertexShader(D3DFVF_XYZRHW | D3DFVF_TEX1);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(Vertex));
  device->SetTexture(0, nullptr);
}

// A 2 x 2 texture: red, green on the top row; blue, white below.
inline IDirect3DTexture8* MakeQuadrantTexture(IDirect3DDevice8* device) {
  IDirect3DTexture8* texture = nullptr;
  if (device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture) != D3D_OK) {
    return nullptr;
  }
  D3DLOCKED_RECT locked{};
  texture->LockRect(0, &locked, nullptr, 0);
  const D3DCOLOR texels[2][2] = {{0xFFFF0000u, 0xFF00FF00u}, {0xFF0000FFu, 0xFFFFFFFFu}};
  for (int row = 0; row < 2; ++row) {
    std::memcpy(static_cast<BYTE*>(locked.pBits) + row * locked.Pitch, texels[row], 8);
  }
  texture->UnlockRect(0);
  return texture;
}

// Lighting on: a white material and a white directional light shining away from the camera,
// onto whatever faces it.
inline void LightAlongTheView(IDirect3DDevice8* device) {
  D3DMATERIAL8 material{};
  material.Diffuse = {1, 1, 1, 1};
  device->SetMaterial(&material);
  D3DLIGHT8 light{};
  light.Type = D3DLIGHT_DIRECTIONAL;
  light.Diffuse = {1, 1, 1, 1};
  light.Direction = {0, 0, 1};
  device->SetLight(0, &light);
  device->LightEnable(0, 1);
  device->SetRenderState(D3DRS_LIGHTING, 1);
}

// A lit, textured square facing the camera at distance 4, filling the middle of the view.
inline void DrawLitTexturedSquare(IDirect3DDevice8* device, IDirect3DTexture8* texture,
                                  float aspect) {
  SetCameraAtOrigin(device, aspect);
  LightAlongTheView(device);
  device->SetRenderState(D3DRS_COLORVERTEX, 0);
  device->SetTexture(0, texture);
  const LitVertex square[4] = {{-1, 1, 4, 0, 0, -1, 0xFFFFFFFFu, 0, 0},
                               {1, 1, 4, 0, 0, -1, 0xFFFFFFFFu, 1, 0},
                               {-1, -1, 4, 0, 0, -1, 0xFFFFFFFFu, 0, 1},
                               {1, -1, 4, 0, 0, -1, 0xFFFFFFFFu, 1, 1}};
  device->SetVertexShader(kLitFvf);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, square, sizeof(LitVertex));
  device->SetTexture(0, nullptr);
}

}  // namespace d3dtest
