// Feeds arbitrary token streams to the vertex shader decoder, and runs what it accepts on one
// vertex. Input: the declaration's length in dwords (4 bytes, little-endian), the declaration, then
// the program's dwords.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "platform/d3d/shader_program.h"

namespace {
using d3d::DWORD;
namespace vs = d3d::vs;
constexpr size_t kMaxInputBytes = 1 << 16;
constexpr d3d::UINT kConstants = 96;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8 || size > kMaxInputBytes) return 0;
  std::vector<DWORD> tokens((size - 4) / 4);
  std::memcpy(tokens.data(), data + 4, tokens.size() * 4);
  uint32_t declarationLength = 0;
  std::memcpy(&declarationLength, data, 4);
  if (declarationLength > tokens.size()) return 0;
  const std::span<const DWORD> all(tokens);
  vs::Program program;
  if (d3d::FAILED(vs::Decode(all.first(declarationLength), all.subspan(declarationLength),
                             kConstants, &program))) {
    return 0;
  }
  std::array<vs::Vec4, vs::kInputCount> inputs;
  inputs.fill({0.5f, -2.0f, 3.0f, 1.0f});
  const std::vector<vs::Vec4> constants(kConstants, {1.0f, 2.0f, -0.5f, 0.25f});
  volatile float x = vs::Execute(program, inputs, constants).position[0];
  (void)x;
  return 0;
}
