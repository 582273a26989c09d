// A closed box of 12 triangles about the origin (corners at +-1), clockwise seen from outside, its
// eight corners shared by the faces that meet there, for the shadow-volume tests.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/d3d/types.h"

struct ShadowBox {
  std::vector<d3d::D3DVECTOR> corners;
  std::vector<uint16_t> indices;
};

inline ShadowBox MakeShadowBox() {
  ShadowBox box;
  for (uint16_t c = 0; c < 8; ++c) {
    box.corners.push_back({c & 1 ? 1.0f : -1.0f, c & 2 ? 1.0f : -1.0f, c & 4 ? 1.0f : -1.0f});
  }
  for (int axis = 0; axis < 3; ++axis) {
    for (int side = 0; side < 2; ++side) {
      const int u = (axis + 1) % 3, v = (axis + 2) % 3;
      const std::array<std::array<int, 2>, 4> square = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
      std::array<uint16_t, 4> quad{};
      for (size_t k = 0; k < 4; ++k) {
        quad[k] = static_cast<uint16_t>(side << axis | square[k][0] << u | square[k][1] << v);
      }
      // (u x v) points along +axis: the winding as listed faces +axis, so the -axis side turns
      // over.
      std::array<uint16_t, 6> faces = {quad[0], quad[1], quad[2], quad[0], quad[2], quad[3]};
      if (side == 0) {
        std::swap(faces[1], faces[2]);
        std::swap(faces[4], faces[5]);
      }
      box.indices.insert(box.indices.end(), faces.begin(), faces.end());
    }
  }
  return box;
}
