// Bump textures and normal maps for DOT3 bump mapping, the default environment-bump texture of
// terrain water, and normalisation cube maps. The exports are declared in
// library/core/vortanautil.h.
#pragma once

#include <cstdint>

// The texture identifier of the default environment-bump texture (1 after device creation).
extern int32_t DefaultBumpTexture;

// A unit direction and a value 0..1 as a DOT3 colour 0xAARRGGBB: each component x 127 + 128 (cut to
// 8 bits), the alpha the low byte of value x 255.
inline uint32_t PackNormalColor(float x, float y, float z, float value) {
  const auto channel = [](float component) {
    return static_cast<uint32_t>(component * 127.0f + 128.0f) & 0xFF;
  };
  return (static_cast<uint32_t>(value * 255.0f) & 0xFF) << 24 | channel(x) << 16 | channel(y) << 8 |
         channel(z);
}
