#include "library/core/render/atmosphere.h"

#include <algorithm>
#include <bit>

#include "library/core/frame/buffers.h"
#include "library/core/frame/frame_state.h"
#include "library/core/vortanautil.h"

using namespace d3d;

AtmosphereStateRecord AtmosphereState = {};

namespace {

// 0..1 to a colour byte, truncated; values outside the range are clamped so that they cannot spill
// into the neighbouring channel.
DWORD ChannelByte(float value) {
  constexpr float kChannelMax = 255.0f;
  return static_cast<DWORD>(std::clamp(value, 0.0f, 1.0f) * kChannelMax);
}

}  // namespace

D3DCOLOR Atmosphere_PackColor(float r, float g, float b, float a) {
  return ChannelByte(a) << 24 | ChannelByte(r) << 16 | ChannelByte(g) << 8 | ChannelByte(b);
}

namespace {

void SetFloatState(D3DRENDERSTATETYPE state, float value) {
  CurrentDevice->SetRenderState(state, std::bit_cast<DWORD>(value));
}

}  // namespace

int32_t Atmosphere_FogSetEnable(int32_t flag) {
  AtmosphereState.fog.enabled = flag != 0 ? 1.0f : 0.0f;
  return Atmosphere_ApplyFog();
}

int32_t Atmosphere_FogGetEnable(int32_t* flag) {
  if (flag == nullptr) return 0;
  *flag = AtmosphereState.fog.enabled != 0.0f ? 1 : 0;
  return 1;
}

int32_t Atmosphere_FogSetColor(float r, float g, float b) {
  AtmosphereState.fog.color = Atmosphere_PackColor(r, g, b, 1.0f);
  return Atmosphere_ApplyFog();
}

int32_t Atmosphere_FogGetColor(float* r, float* g, float* b) {
  if (r == nullptr || g == nullptr || b == nullptr) return 0;
  float alpha = 0.0f;
  return Color_UnpackARGB(AtmosphereState.fog.color, r, g, b, &alpha);
}

int32_t Atmosphere_FogSetParameters(float start, float end, float density) {
  AtmosphereState.fog.start = start;
  AtmosphereState.fog.end = end;
  AtmosphereState.fog.density = density;
  return Atmosphere_ApplyFog();
}

int32_t Atmosphere_FogGetParameters(float* start, float* end, float* density) {
  if (start == nullptr || end == nullptr || density == nullptr) return 0;
  *start = AtmosphereState.fog.start;
  *end = AtmosphereState.fog.end;
  *density = AtmosphereState.fog.density;
  return 1;
}

int32_t Atmosphere_FogSetType(int32_t mode, int32_t kind) {
  AtmosphereState.fog.mode = mode;
  AtmosphereState.fog.kind = kind;
  return Atmosphere_ApplyFog();
}

int32_t Atmosphere_FogGetType(int32_t* mode, int32_t* kind) {
  if (mode == nullptr || kind == nullptr) return 0;
  *mode = AtmosphereState.fog.mode;
  *kind = AtmosphereState.fog.kind;
  return 1;
}

int32_t Atmosphere_ApplyFog() {
  // The settings are kept without a device and reach it with the next apply.
  if (CurrentDevice == nullptr) return 1;
  const AtmosphereFog& fog = AtmosphereState.fog;
  const bool enabled = fog.enabled != 0.0f;
  CurrentDevice->SetRenderState(D3DRS_FOGENABLE, enabled ? 1 : 0);
  if (!enabled) return 1;
  SetFloatState(D3DRS_FOGDENSITY, fog.density);
  SetFloatState(D3DRS_FOGEND, fog.end);
  SetFloatState(D3DRS_FOGSTART, fog.start);
  CurrentDevice->SetRenderState(D3DRS_FOGCOLOR, fog.color);
  const DWORD mode = static_cast<DWORD>(fog.mode);
  const bool pixelFog = fog.kind == kFogPixel || fog.kind == kFogPixelRange;
  CurrentDevice->SetRenderState(D3DRS_RANGEFOGENABLE, fog.kind == kFogPixelRange ? 1 : 0);
  CurrentDevice->SetRenderState(D3DRS_FOGTABLEMODE, pixelFog ? mode : D3DFOG_NONE);
  CurrentDevice->SetRenderState(D3DRS_FOGVERTEXMODE, pixelFog ? D3DFOG_NONE : mode);
  return 1;
}
