// A vertex shader as both devices keep it: the declaration and the vs 1.1 program decoded once,
// at creation, from their token streams (platform/d3d/shader_tokens.h describes them), and a
// processor executor of the program. The tokens come from the caller and are checked as untrusted
// input: anything malformed is refused before a device keeps it.
#pragma once

#include "platform/d3d/shader_tokens.h"

#include <array>
#include <span>
#include <vector>

namespace d3d::vs {

inline constexpr UINT kTempCount = 12;
inline constexpr UINT kInputCount = 16;
inline constexpr UINT kColorOutCount = 2;
inline constexpr UINT kTexCoordOutCount = 8;
inline constexpr UINT kMaxInstructions = 128;
// The most tokens read from a caller's pointer in search of the end token.
inline constexpr size_t kMaxTokens = 1u << 16;

using Vec4 = std::array<float, 4>;

// Where one input register's data lies: bytes offset .. offset + size of each vertex of stream.
struct VertexElement {
  UINT stream;
  UINT offset;  // bytes
  decl::Type type;
  UINT input;  // v register
};

struct Source {
  RegisterType type;
  UINT number;
  std::array<UINT, 4> swizzle;  // the component read for x, y, z, w
  bool negate;
  bool relative;  // number + a0.x
};

struct Destination {
  RegisterType type;
  UINT number;
  UINT mask;  // kX | kY | kZ | kW
};

struct Instruction {
  Opcode op;
  Destination destination;
  std::array<Source, 3> sources;
  UINT sourceCount;
};

struct DeclaredConstant {
  UINT index;
  Vec4 value;
};

struct Program {
  DWORD version;
  std::vector<VertexElement> elements;
  // Per stream: the bytes of a vertex the elements span (0 for a stream the declaration does not
  // name), the least stride a draw may give it.
  std::array<UINT, kMaxStreams> streamBytes{};
  std::vector<DeclaredConstant> constants;
  std::vector<Instruction> instructions;
  UINT inputsRead = 0;  // bit v: the program reads input register v

  bool UsesStream(UINT stream) const { return streamBytes[stream] != 0; }
};

// Decodes a declaration and a program, each read up to its end token; constantCount bounds the
// constant registers. D3DERR_INVALIDCALL for a malformed or unsupported token stream, for a
// declaration without elements and for a program that reads an input register the declaration
// does not fill or never writes oPos.
HRESULT Decode(std::span<const DWORD> declaration, std::span<const DWORD> function,
               UINT constantCount, Program* program);

// What the program writes for one vertex. Outputs it leaves unwritten stay 0.
struct VertexOutput {
  Vec4 position{};
  std::array<Vec4, kColorOutCount> colors{};
  std::array<Vec4, kTexCoordOutCount> texCoords{};
  float fog = 0.0f;
  float pointSize = 0.0f;
};

// One vertex stream of a draw: vertex i starts at data + i * stride.
struct StreamView {
  const BYTE* data = nullptr;
  UINT stride = 0;
};

// The input registers of vertex `vertex`, read from the streams as the declaration says.
std::array<Vec4, kInputCount> FetchInputs(const Program& program,
                                          const std::array<StreamView, kMaxStreams>& streams,
                                          UINT vertex);

// Runs the program on one vertex. A relative constant read outside the constants reads 0.
VertexOutput Execute(const Program& program, const std::array<Vec4, kInputCount>& inputs,
                     const std::vector<Vec4>& constants);

}  // namespace d3d::vs
