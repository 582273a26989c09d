// Internal to the OpenGL device: the fixed-function vertex blending of the device, done on the
// processor. OpenGL 2.1's fixed function has no vertex blending (Mesa offers none), so a blended
// draw is first turned into world space here, and then drawn with an identity world matrix; the
// view, lights, fog and texture generation then see the same eye space as an unblended draw.
#pragma once

#include "platform/d3d/gl_state.h"

#include <vector>

namespace d3d::gl {

// The most weights the vertex blend state asks for (D3DVBF_3WEIGHTS: four world matrices).
inline constexpr UINT kMaxBlendWeights = 3;

// How many blend weights a draw of this format under this state uses: 0 when it is not blended.
// The vertex blend state asks for n weights (n + 1 world matrices, the last weighted by one minus
// the others); a format that carries fewer weights blends with the ones it has.
UINT BlendWeightCount(const FixedFunctionState& state, const VertexLayout& layout);

// Copies vertices first .. first + count - 1 (vertex i at vertices + i * stride) into *blended at
// the same places, with their positions and normals blended by the world matrices into world
// space.
void BlendVertices(const FixedFunctionState& state, const VertexLayout& layout, UINT weights,
                   const BYTE* vertices, UINT stride, UINT first, UINT count,
                   std::vector<BYTE>* blended);

}  // namespace d3d::gl
