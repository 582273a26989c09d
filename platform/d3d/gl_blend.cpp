#include "platform/d3d/gl_blend.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace d3d::gl {
namespace {

constexpr UINT kFloatBytes = 4;
constexpr size_t kPositionBytes = 3 * kFloatBytes;

// One world matrix of a blend, with the matrix that carries normals: the inverse transpose of its
// upper 3 x 3, so that scaled or sheared worlds keep normals at right angles to their surfaces.
struct BlendMatrix {
  D3DMATRIX position;
  std::array<std::array<float, 3>, 3> normal;
};

BlendMatrix BlendMatrixOf(const D3DMATRIX& world) {
  const auto& a = world.m;
  // Cofactors of the upper 3 x 3; divided by the determinant they are the inverse transpose.
  std::array<std::array<float, 3>, 3> c = {{
      {a[1][1] * a[2][2] - a[1][2] * a[2][1], a[1][2] * a[2][0] - a[1][0] * a[2][2],
       a[1][0] * a[2][1] - a[1][1] * a[2][0]},
      {a[0][2] * a[2][1] - a[0][1] * a[2][2], a[0][0] * a[2][2] - a[0][2] * a[2][0],
       a[0][1] * a[2][0] - a[0][0] * a[2][1]},
      {a[0][1] * a[1][2] - a[0][2] * a[1][1], a[0][2] * a[1][0] - a[0][0] * a[1][2],
       a[0][0] * a[1][1] - a[0][1] * a[1][0]},
  }};
  const float determinant = a[0][0] * c[0][0] + a[0][1] * c[0][1] + a[0][2] * c[0][2];
  BlendMatrix matrix{world, {}};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      // A flat world has no inverse: its own upper 3 x 3 keeps the normals' directions in the
      // plane it keeps.
      matrix.normal[row][column] =
          determinant != 0.0f ? c[row][column] / determinant : a[row][column];
    }
  }
  return matrix;
}

}  // namespace

UINT BlendWeightCount(const FixedFunctionState& state, const VertexLayout& layout) {
  if (layout.pretransformed) return 0;
  const DWORD mode = state.renderStates[D3DRS_VERTEXBLEND];
  if (mode < D3DVBF_1WEIGHTS || mode > D3DVBF_3WEIGHTS) return 0;
  return std::min<UINT>(mode, layout.weights);
}

void BlendVertices(const FixedFunctionState& state, const VertexLayout& layout, UINT weights,
                   const BYTE* vertices, UINT stride, UINT first, UINT count,
                   std::vector<BYTE>* blended) {
  const size_t begin = static_cast<size_t>(first) * stride;
  blended->resize(begin + static_cast<size_t>(count) * stride);
  std::memcpy(blended->data() + begin, vertices + begin, static_cast<size_t>(count) * stride);
  const UINT matrixCount = weights + 1;
  std::array<BlendMatrix, kMaxBlendWeights + 1> matrices;
  for (UINT k = 0; k < matrixCount; ++k) {
    matrices[k] = BlendMatrixOf(state.Transform(D3DTS_WORLDMATRIX(k)));
  }
  const bool hasNormal = layout.normal != VertexLayout::kAbsent;
  for (UINT i = first; i < first + count; ++i) {
    BYTE* vertex = blended->data() + static_cast<size_t>(i) * stride;
    std::array<float, kMaxBlendWeights + 1> weight{};
    std::memcpy(weight.data(), vertex + kPositionBytes, weights * kFloatBytes);
    float last = 1.0f;
    for (UINT k = 0; k < weights; ++k) last -= weight[k];
    weight[weights] = last;

    std::array<float, 3> position;
    std::memcpy(position.data(), vertex, kPositionBytes);
    std::array<float, 4> world{};
    for (UINT k = 0; k < matrixCount; ++k) {
      const auto& m = matrices[k].position.m;
      for (int column = 0; column < 4; ++column) {
        world[column] += weight[k] * (position[0] * m[0][column] + position[1] * m[1][column] +
                                      position[2] * m[2][column] + m[3][column]);
      }
    }
    // Affine worlds leave w at 1; a projective one is divided out as the device would.
    if (world[3] != 0.0f && world[3] != 1.0f) {
      for (int column = 0; column < 3; ++column) world[column] /= world[3];
    }
    std::memcpy(vertex, world.data(), kPositionBytes);

    if (!hasNormal) continue;
    std::array<float, 3> normal;
    std::memcpy(normal.data(), vertex + layout.normal, sizeof normal);
    std::array<float, 3> turned{};
    for (UINT k = 0; k < matrixCount; ++k) {
      const auto& m = matrices[k].normal;
      for (int column = 0; column < 3; ++column) {
        turned[column] += weight[k] * (normal[0] * m[0][column] + normal[1] * m[1][column] +
                                       normal[2] * m[2][column]);
      }
    }
    std::memcpy(vertex + layout.normal, turned.data(), sizeof turned);
  }
}

}  // namespace d3d::gl
