// The two keyframe shaders of the library's models, as the device tests draw them, and the vertex
// layouts they read.
#pragma once

#include "platform/d3d/shader_tokens.h"

#include <vector>

namespace d3dtest {

using namespace d3d;

// Position, normal, texture coordinates: one key frame's vertex (stride 32).
struct FrameVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};

// Position, normal, (u, v, first constant of the vertex's bone - 7): stride 36.
struct BoneVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v, bone;
};

// Two frames in streams 0 and 1, blended by c7 (weight of frame 1) and c8 (weight of frame 0);
// c0..c3 the transposed transform, c4 the colour.
inline std::vector<DWORD> BlendDeclaration() {
  using namespace vs::decl;
  return {Stream(0), Element(0, Type::Float3), Element(1, Type::Float3), Element(2, Type::Float2),
          Stream(1), Element(3, Type::Float3), Element(4, Type::Float3), Element(5, Type::Float2),
          kEnd};
}

inline std::vector<DWORD> BlendProgram() {
  using namespace vs;
  return Assemble({Mul(R(0), V(0), C(8)), Mad(R(1), V(3), C(7), R(0)), Mov(OT(0).Mask(kXY), V(2)),
                   Mov(OD(0), C(4)), M4x4(OPos(), R(1), C(0))});
}

// One stream of bone vertices; the bones' 4 x 3 matrices from c7 on (three rows each), c0..c3 the
// transposed transform, c5 the colour, c6.w the position's w.
inline std::vector<DWORD> BoneDeclaration() {
  using namespace vs::decl;
  return {Stream(0), Element(0, Type::Float3), Element(1, Type::Float3), Element(2, Type::Float3),
          kEnd};
}

inline std::vector<DWORD> BoneProgram() {
  using namespace vs;
  return Assemble({Mov(A0(), V(2).Replicate(Z)), Mov(R(0).Mask(kW), C(6).Replicate(W)),
                   M4x3(R(0).Mask(kXYZ), V(0), C(7).Relative()), M4x4(OPos(), R(0), C(0)),
                   Mov(OT(0).Mask(kXY), V(2)), Mov(OD(0), C(5))});
}

}  // namespace d3dtest
