// The fixed-function state a device keeps between draws, with the defaults a new or reset device
// starts from. Every device implementation keeps its state in this one structure, so the headless
// and the OpenGL device agree on defaults and the draw recorder can copy it whole.
#pragma once

#include "platform/d3d/types.h"

#include <array>
#include <cstdint>
#include <map>

namespace d3d {

struct LightSlot {
  D3DLIGHT8 light;
  bool enabled;
};

struct FixedFunctionState {
  std::array<DWORD, kRenderStateCount> renderStates;
  std::array<std::array<DWORD, kTextureStageStateCount>, kMaxTextureStages> stageStates;
  std::map<DWORD, D3DMATRIX> transforms;  // by D3DTRANSFORMSTATETYPE; a missing one is identity
  D3DMATERIAL8 material;
  D3DVIEWPORT8 viewport;
  // The drawing is kept inside this rectangle of the render target [pixels]; an empty one keeps
  // it nowhere in particular. The device's own addition (HeadlessControl::SetScissor).
  RECT scissor;
  std::map<DWORD, LightSlot> lights;  // by light index: every light ever set or enabled
  DWORD vertexShader;                 // a flexible vertex format or a shader handle
  DWORD pixelShader;

  D3DMATRIX Transform(DWORD state) const;
};

D3DMATRIX IdentityMatrix();
bool operator==(const D3DMATRIX& a, const D3DMATRIX& b);

// The light a device gives an index that is enabled before it was ever set: white, directional,
// pointing down +z.
D3DLIGHT8 DefaultLight();

// The state of a device created (or reset) with these parameters and behaviour flags, drawing into
// a target of targetWidth x targetHeight.
FixedFunctionState DefaultFixedFunctionState(const D3DPRESENT_PARAMETERS& params,
                                             DWORD behaviorFlags, UINT targetWidth,
                                             UINT targetHeight);

// A 64-bit digest of everything a draw depends on in the state; two states with the same effect
// (a transform set to identity or never set) have the same digest.
uint64_t Digest(const FixedFunctionState& state);

}  // namespace d3d
