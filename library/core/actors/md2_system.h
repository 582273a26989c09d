// The keyframe models' shared device objects: the MD2 and MDL vertex shaders, which the models'
// shader paths draw with, and the dynamic buffer the MD2 software path fills at each draw.
#pragma once

#include <cstdint>

#include "library/core/actors/model_shaders.h"
#include "platform/d3d/interfaces.h"

inline constexpr uint32_t kMD2VertexFormat = 0x112;   // position, normal, one texture pair
inline constexpr uint32_t kMD2BatchTriangles = 1000;  // triangles the shared buffer holds
inline constexpr uint32_t kMD2SharedBufferBytes = kMD2BatchTriangles * 3 * sizeof(MD2Vertex);

// The MD2 shader's handle; -1 while there is none.
extern int32_t MD2ShaderHandle;
// The option word given to InitMD2Second (0 until then), which the model loaders read.
extern int32_t MD2ShaderOption;
extern d3d::IDirect3DVertexBuffer8* MD2SharedBuffer;

// True when a model loaded now takes the processor path: no MD2 shader, or ShaderMode set.
bool MD2_SoftwarePath();
