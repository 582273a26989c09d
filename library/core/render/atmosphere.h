// The atmosphere family: the background around the eye and the fixed-function fog, which it puts
// back after any drawing that switched fog off (the 2D overlay, fonts, box drawing). The exports
// are declared in library/core/vortanautil.h.
#pragma once

#include <cstdint>

#include "platform/d3d/types.h"

// What Atmosphere_FogSetType's kind selects.
enum FogKind : int32_t {
  kFogPixel = 0,
  kFogPixelRange = 1,  // pixel fog measured by the distance to the eye
  // any other value: vertex fog
};

struct AtmosphereFog {
  float enabled;  // 0 or 1
  float start;    // world units
  float end;      // world units
  float density;
  d3d::D3DCOLOR color;  // alpha always 0xFF
  int32_t mode;         // a D3DFOGMODE
  int32_t kind;         // a FogKind
};

struct AtmosphereStateRecord {
  AtmosphereFog fog;
};

extern AtmosphereStateRecord AtmosphereState;
