// The texture and material tables as the actors' draws read them.
#pragma once

#include <cstdint>

#include "library/core/render/material_factory.h"
#include "library/core/render/texture_factory.h"

// The texture of a table identifier; null for 0 (no texture) or one outside the table.
inline d3d::IDirect3DBaseTexture8* ActorTexture(int32_t identifier) {
  if (identifier <= 0 || identifier >= TextureCount) return nullptr;
  return TextureTable[identifier].texture;
}

// The material of a table identifier; null for one outside the table.
inline const d3d::D3DMATERIAL8* ActorMaterial(int32_t identifier) {
  if (MaterialTable == nullptr || identifier < 0 || identifier >= MaterialCount) return nullptr;
  return &MaterialTable[identifier].material;
}
