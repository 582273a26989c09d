// The two keyframe vertex shaders of the library's models and the vertices they read: the MD2
// shader blends two key frames, the MDL shader moves each vertex by its bone.
#pragma once

#include <vector>

#include "platform/d3d/shader_tokens.h"

// One key frame's vertex (stride 32, also fixed format 0x112: position, normal, one texture pair).
struct MD2Vertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v;
};

// The studio shader's vertex (stride 36): position, normal, u, v and the offset of its bone's
// first constant from c7 (three constants a bone).
struct MDLVertex {
  float x, y, z;
  float nx, ny, nz;
  float u, v, bone;
};

// Two frames in streams 0 and 1, blended by c7 (weight of frame 1) and c8 (weight of frame 0);
// c0..c3 the transposed transform, c4 the colour.
inline std::vector<d3d::DWORD> MD2ShaderDeclaration() {
  using namespace d3d::vs::decl;
  return {Stream(0), Element(0, Type::Float3), Element(1, Type::Float3), Element(2, Type::Float2),
          Stream(1), Element(3, Type::Float3), Element(4, Type::Float3), Element(5, Type::Float2),
          kEnd};
}

inline std::vector<d3d::DWORD> MD2ShaderProgram() {
  using namespace d3d::vs;
  return Assemble({Mul(R(0), V(0), C(8)), Mad(R(1), V(3), C(7), R(0)), Mov(OT(0).Mask(kXY), V(2)),
                   Mov(OD(0), C(4)), M4x4(OPos(), R(1), C(0))});
}

// One stream of bone vertices; the bones' 4 x 3 matrices from c7 on (three rows each), c0..c3 the
// transposed transform, c5 the colour, c6.w the position's w.
inline std::vector<d3d::DWORD> MDLShaderDeclaration() {
  using namespace d3d::vs::decl;
  return {Stream(0), Element(0, Type::Float3), Element(1, Type::Float3), Element(2, Type::Float3),
          kEnd};
}

inline std::vector<d3d::DWORD> MDLShaderProgram() {
  using namespace d3d::vs;
  return Assemble({Mov(A0(), V(2).Replicate(Z)), Mov(R(0).Mask(kW), C(6).Replicate(W)),
                   M4x3(R(0).Mask(kXYZ), V(0), C(7).Relative()), M4x4(OPos(), R(0), C(0)),
                   Mov(OT(0).Mask(kXY), V(2)), Mov(OD(0), C(5))});
}
