// The draw of one posed MD2 model: two key frames blended on the device by the MD2 shader, or on
// the processor into the shared buffer, by the path the model was loaded for.
#pragma once

#include <cstdint>

#include "library/core/actors/md2_models.h"

struct MD2Pose {
  const d3d::D3DMATRIX* world;
  const d3d::D3DMATRIX* view;
  const d3d::D3DMATRIX* projection;
  float frame;  // animation time in frames
  int32_t first;
  int32_t last;
  int32_t texture;             // texture table identifier for stage 0; 0 for none
  d3d::D3DCOLORVALUE diffuse;  // the shader path's colour
};

// Draws the model; returns the primitives counted, 0 when the path's shared objects are gone.
int32_t MD2_Draw(const ActorModel2& model, const MD2Pose& pose);
