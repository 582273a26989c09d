// Decoding and checking of vertex declarations and vs 1.1 programs, and their processor executor.
#include "platform/d3d/shader_program.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <optional>

namespace d3d::vs {

std::vector<DWORD> Encode(Opcode op, const Operand& destination,
                          std::initializer_list<Operand> sources) {
  std::vector<DWORD> tokens = {static_cast<DWORD>(op), destination.DestinationToken()};
  for (const Operand& source : sources) tokens.push_back(source.SourceToken());
  return tokens;
}

std::vector<DWORD> Assemble(std::initializer_list<std::vector<DWORD>> instructions) {
  std::vector<DWORD> tokens = {kVersion11};
  for (const auto& instruction : instructions) {
    tokens.insert(tokens.end(), instruction.begin(), instruction.end());
  }
  tokens.push_back(kEndToken);
  return tokens;
}

namespace {

constexpr float kMaxLitPower = 127.9961f;
constexpr int kAddressLimit = 1 << 20;  // far beyond any constant; keeps the conversion defined

struct OpcodeInfo {
  UINT sources;
  UINT rows;  // matrix forms: the rows read from the second source; 0 otherwise
};

bool InfoOf(DWORD opcode, OpcodeInfo* info) {
  switch (static_cast<Opcode>(opcode)) {
    case Opcode::Nop:
      *info = {0, 0};
      return true;
    case Opcode::Mov:
    case Opcode::Rcp:
    case Opcode::Rsq:
    case Opcode::Exp:
    case Opcode::Log:
    case Opcode::Lit:
    case Opcode::Frc:
    case Opcode::Expp:
    case Opcode::Logp:
      *info = {1, 0};
      return true;
    case Opcode::Add:
    case Opcode::Sub:
    case Opcode::Mul:
    case Opcode::Dp3:
    case Opcode::Dp4:
    case Opcode::Min:
    case Opcode::Max:
    case Opcode::Slt:
    case Opcode::Sge:
    case Opcode::Dst:
      *info = {2, 0};
      return true;
    case Opcode::Mad:
      *info = {3, 0};
      return true;
    case Opcode::M4x4:
    case Opcode::M3x4:
      *info = {2, 4};
      return true;
    case Opcode::M4x3:
    case Opcode::M3x3:
      *info = {2, 3};
      return true;
    case Opcode::M3x2:
      *info = {2, 2};
      return true;
  }
  return false;
}

UINT ElementBytes(decl::Type type) {
  switch (type) {
    case decl::Type::Float1:
      return 4;
    case decl::Type::Float2:
      return 8;
    case decl::Type::Float3:
      return 12;
    case decl::Type::Float4:
      return 16;
    case decl::Type::Color:
    case decl::Type::UByte4:
    case decl::Type::Short2:
      return 4;
    case decl::Type::Short4:
      return 8;
  }
  return 0;
}

float FloatOf(DWORD bits) {
  float value = 0.0f;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// Reads tokens from a span, refusing to read past its end.
class TokenReader {
 public:
  explicit TokenReader(std::span<const DWORD> tokens) : tokens_(tokens) {}
  bool Next(DWORD* token) {
    if (at_ >= tokens_.size()) return false;
    *token = tokens_[at_++];
    return true;
  }
  bool Skip(size_t count) {
    if (count > tokens_.size() - at_) return false;
    at_ += count;
    return true;
  }

 private:
  std::span<const DWORD> tokens_;
  size_t at_ = 0;
};

HRESULT DecodeDeclaration(std::span<const DWORD> tokens, UINT constantCount, Program* program) {
  TokenReader reader(tokens);
  std::optional<UINT> stream;
  std::array<bool, kMaxStreams> named{};
  UINT bound = 0;  // bit v: input register v has an element
  for (;;) {
    DWORD token = 0;
    if (!reader.Next(&token)) return D3DERR_INVALIDCALL;
    switch (token >> decl::kTokenTypeShift) {
      case decl::kEndToken:
        if (token != decl::kEnd) return D3DERR_INVALIDCALL;
        return D3D_OK;
      case decl::kNop:
        if (token != 0) return D3DERR_INVALIDCALL;
        break;
      case decl::kStreamToken: {
        const UINT number = token & decl::kStreamMask;
        if ((token & ~(decl::kStreamToken << decl::kTokenTypeShift | decl::kStreamMask)) != 0 ||
            named[number]) {
          return D3DERR_INVALIDCALL;
        }
        named[number] = true;
        stream = number;
        break;
      }
      case decl::kDataToken: {
        const DWORD field = token >> decl::kDataTypeShift & decl::kDataTypeMask;
        const bool skip = (token & decl::kSkipBit) != 0;
        const DWORD known = decl::kDataToken << decl::kTokenTypeShift | decl::kSkipBit |
                            decl::kDataTypeMask << decl::kDataTypeShift |
                            (skip ? 0 : decl::kRegisterMask);
        if (!stream || (token & ~known) != 0) return D3DERR_INVALIDCALL;
        UINT& streamBytes = program->streamBytes[*stream];
        if (skip) {
          streamBytes += field * static_cast<UINT>(sizeof(DWORD));
          break;
        }
        const UINT input = token & decl::kRegisterMask;
        if (field > static_cast<DWORD>(decl::Type::Short4) || input >= kInputCount ||
            (bound & 1u << input) != 0) {
          return D3DERR_INVALIDCALL;
        }
        const auto type = static_cast<decl::Type>(field);
        program->elements.push_back({*stream, streamBytes, type, input});
        bound |= 1u << input;
        streamBytes += ElementBytes(type);
        break;
      }
      case decl::kConstantsToken: {
        const UINT first = token & decl::kConstantRegisterMask;
        const UINT count = token >> decl::kConstantCountShift & decl::kConstantCountMask;
        const DWORD known = decl::kConstantsToken << decl::kTokenTypeShift |
                            decl::kConstantCountMask << decl::kConstantCountShift |
                            decl::kConstantRegisterMask;
        if ((token & ~known) != 0 || first + count > constantCount) return D3DERR_INVALIDCALL;
        for (UINT c = 0; c < count; ++c) {
          DeclaredConstant constant{first + c, {}};
          for (float& component : constant.value) {
            DWORD bits = 0;
            if (!reader.Next(&bits)) return D3DERR_INVALIDCALL;
            component = FloatOf(bits);
          }
          program->constants.push_back(constant);
        }
        break;
      }
      case decl::kExtensionToken:
        if (!reader.Skip(token >> decl::kExtensionCountShift & decl::kExtensionCountMask)) {
          return D3DERR_INVALIDCALL;
        }
        break;
      default:
        return D3DERR_INVALIDCALL;  // tessellator streams and unknown tokens
    }
  }
}

// How many registers of a type a program may name.
UINT RegisterCount(RegisterType type, UINT constantCount) {
  switch (type) {
    case RegisterType::Temp:
      return kTempCount;
    case RegisterType::Input:
      return kInputCount;
    case RegisterType::Const:
      return constantCount;
    case RegisterType::Address:
      return 1;
    case RegisterType::RasterOut:
      return 3;
    case RegisterType::ColorOut:
      return kColorOutCount;
    case RegisterType::TexCoordOut:
      return kTexCoordOutCount;
  }
  return 0;
}

bool DecodeDestination(DWORD token, Opcode op, Destination* destination) {
  constexpr DWORD kKnown = kOperandBit | kRegisterTypeMask << kRegisterTypeShift |
                           kWriteMaskBits << kWriteMaskShift | kRegisterNumberMask;
  if ((token & kOperandBit) == 0 || (token & ~kKnown) != 0) return false;
  const auto type = static_cast<RegisterType>(token >> kRegisterTypeShift & kRegisterTypeMask);
  const UINT number = token & kRegisterNumberMask;
  const UINT mask = token >> kWriteMaskShift & kWriteMaskBits;
  *destination = {type, number, mask};
  if (mask == 0 || type == RegisterType::Input || type == RegisterType::Const ||
      number >= RegisterCount(type, 0)) {
    return false;
  }
  // Only mov loads the address register, and only its x.
  return type != RegisterType::Address || (op == Opcode::Mov && mask == kX);
}

bool DecodeSource(DWORD token, Source* source) {
  constexpr DWORD kKnown = kOperandBit | kRegisterTypeMask << kRegisterTypeShift |
                           kModifierBits << kModifierShift | kSwizzleBits << kSwizzleShift |
                           kRelativeBit | kRegisterNumberMask;
  if ((token & kOperandBit) == 0 || (token & ~kKnown) != 0) return false;
  const auto type = static_cast<RegisterType>(token >> kRegisterTypeShift & kRegisterTypeMask);
  const DWORD modifier = token >> kModifierShift & kModifierBits;
  const DWORD swizzle = token >> kSwizzleShift & kSwizzleBits;
  source->type = type;
  source->number = token & kRegisterNumberMask;
  for (UINT c = 0; c < 4; ++c) source->swizzle[c] = swizzle >> (2 * c) & 3;
  source->negate = modifier == kNegateModifier;
  source->relative = (token & kRelativeBit) != 0;
  if (modifier > kNegateModifier) return false;
  if (source->relative && type != RegisterType::Const) return false;
  return type == RegisterType::Temp || type == RegisterType::Input || type == RegisterType::Const;
}

HRESULT DecodeFunction(std::span<const DWORD> tokens, UINT constantCount, Program* program) {
  TokenReader reader(tokens);
  if (!reader.Next(&program->version) ||
      (program->version != kVersion10 && program->version != kVersion11)) {
    return D3DERR_INVALIDCALL;
  }
  bool positionWritten = false;
  for (;;) {
    DWORD token = 0;
    if (!reader.Next(&token)) return D3DERR_INVALIDCALL;
    if (token == kEndToken) break;
    if ((token & kOpcodeMask) == kCommentOpcode && (token & kOperandBit) == 0) {
      if (!reader.Skip(token >> kCommentLengthShift & kCommentLengthMask)) {
        return D3DERR_INVALIDCALL;
      }
      continue;
    }
    OpcodeInfo info{};
    if ((token & ~kOpcodeMask) != 0 || !InfoOf(token, &info) ||
        program->instructions.size() == kMaxInstructions) {
      return D3DERR_INVALIDCALL;
    }
    Instruction instruction{static_cast<Opcode>(token), {}, {}, info.sources};
    if (instruction.op != Opcode::Nop) {
      DWORD operand = 0;
      if (!reader.Next(&operand) ||
          !DecodeDestination(operand, instruction.op, &instruction.destination)) {
        return D3DERR_INVALIDCALL;
      }
    }
    for (UINT s = 0; s < info.sources; ++s) {
      DWORD operand = 0;
      Source& source = instruction.sources[s];
      if (!reader.Next(&operand) || !DecodeSource(operand, &source)) return D3DERR_INVALIDCALL;
      // A matrix reads its rows from the registers after its second source.
      const UINT span = s == 1 && info.rows != 0 ? info.rows : 1;
      if (uint64_t{source.number} + span > RegisterCount(source.type, constantCount)) {
        return D3DERR_INVALIDCALL;
      }
      if (source.type == RegisterType::Input) {
        for (UINT row = 0; row < span; ++row) program->inputsRead |= 1u << (source.number + row);
      }
    }
    const Destination& d = instruction.destination;
    if (d.type == RegisterType::RasterOut && d.number == kPositionOut) positionWritten = true;
    program->instructions.push_back(instruction);
  }
  return positionWritten ? D3D_OK : D3DERR_INVALIDCALL;
}

}  // namespace

HRESULT Decode(std::span<const DWORD> declaration, std::span<const DWORD> function,
               UINT constantCount, Program* program) {
  *program = Program{};
  if (const HRESULT bad = DecodeDeclaration(declaration, constantCount, program); FAILED(bad)) {
    return bad;
  }
  if (const HRESULT bad = DecodeFunction(function, constantCount, program); FAILED(bad)) {
    return bad;
  }
  UINT bound = 0;
  for (const VertexElement& element : program->elements) bound |= 1u << element.input;
  return !program->elements.empty() && (program->inputsRead & ~bound) == 0 ? D3D_OK
                                                                           : D3DERR_INVALIDCALL;
}

std::array<Vec4, kInputCount> FetchInputs(const Program& program,
                                          const std::array<StreamView, kMaxStreams>& streams,
                                          UINT vertex) {
  std::array<Vec4, kInputCount> inputs;
  inputs.fill({0.0f, 0.0f, 0.0f, 1.0f});
  for (const VertexElement& element : program.elements) {
    const StreamView& stream = streams[element.stream];
    const BYTE* at = stream.data + static_cast<size_t>(vertex) * stream.stride + element.offset;
    Vec4& in = inputs[element.input];
    switch (element.type) {
      case decl::Type::Float1:
      case decl::Type::Float2:
      case decl::Type::Float3:
      case decl::Type::Float4:
        std::memcpy(in.data(), at, ElementBytes(element.type));
        break;
      case decl::Type::Color:
        // Bytes in memory: blue, green, red, alpha.
        in = {at[2] / 255.0f, at[1] / 255.0f, at[0] / 255.0f, at[3] / 255.0f};
        break;
      case decl::Type::UByte4:
        for (UINT c = 0; c < 4; ++c) in[c] = at[c];
        break;
      case decl::Type::Short2:
      case decl::Type::Short4: {
        const UINT count = element.type == decl::Type::Short2 ? 2 : 4;
        for (UINT c = 0; c < count; ++c) {
          int16_t value = 0;
          std::memcpy(&value, at + 2 * c, sizeof value);
          in[c] = value;
        }
        break;
      }
    }
  }
  return inputs;
}

namespace {

class Machine {
 public:
  Machine(const std::array<Vec4, kInputCount>& inputs, const std::vector<Vec4>& constants)
      : inputs_(inputs), constants_(constants) {}

  void Run(const Instruction& instruction);
  const VertexOutput& Output() const { return out_; }

 private:
  Vec4 Read(const Source& source, UINT row = 0) const;
  void Write(const Destination& destination, const Vec4& value, UINT components = 4);

  const std::array<Vec4, kInputCount>& inputs_;
  const std::vector<Vec4>& constants_;
  std::array<Vec4, kTempCount> temps_{};
  int address_ = 0;
  VertexOutput out_;
};

Vec4 Machine::Read(const Source& source, UINT row) const {
  static constexpr Vec4 kZero{};
  const Vec4* value = &kZero;
  const UINT number = source.number + row;
  switch (source.type) {
    case RegisterType::Temp:
      value = &temps_[number];
      break;
    case RegisterType::Input:
      value = &inputs_[number];
      break;
    case RegisterType::Const: {
      const int64_t index = int64_t{number} + (source.relative ? address_ : 0);
      if (index >= 0 && index < static_cast<int64_t>(constants_.size())) {
        value = &constants_[static_cast<size_t>(index)];
      }
      break;
    }
    default:
      break;
  }
  Vec4 result;
  for (UINT c = 0; c < 4; ++c) {
    result[c] = (*value)[source.swizzle[c]];
    if (source.negate) result[c] = -result[c];
  }
  return result;
}

void Machine::Write(const Destination& destination, const Vec4& value, UINT components) {
  Vec4 scratch{};
  Vec4* target = &scratch;
  switch (destination.type) {
    case RegisterType::Temp:
      target = &temps_[destination.number];
      break;
    case RegisterType::Address: {
      const float a = std::floor(value[0]);
      address_ = std::isfinite(a)
                     ? static_cast<int>(std::clamp<float>(a, -kAddressLimit, kAddressLimit))
                     : 0;
      return;
    }
    case RegisterType::RasterOut:
      if (destination.number == kPositionOut) {
        target = &out_.position;
      } else {
        const float x = value[0];
        (destination.number == kFogOut ? out_.fog : out_.pointSize) = x;
        return;
      }
      break;
    case RegisterType::ColorOut:
      target = &out_.colors[destination.number];
      break;
    case RegisterType::TexCoordOut:
      target = &out_.texCoords[destination.number];
      break;
    default:
      break;
  }
  for (UINT c = 0; c < components; ++c) {
    if (destination.mask & (1u << c)) (*target)[c] = value[c];
  }
}

float Dot(const Vec4& a, const Vec4& b, UINT size) {
  float sum = 0.0f;
  for (UINT c = 0; c < size; ++c) sum += a[c] * b[c];
  return sum;
}

template <typename F>
Vec4 Each(const Vec4& a, const Vec4& b, F f) {
  return {f(a[0], b[0]), f(a[1], b[1]), f(a[2], b[2]), f(a[3], b[3])};
}

Vec4 Splat(float value) { return {value, value, value, value}; }

void Machine::Run(const Instruction& instruction) {
  const Vec4 a = instruction.sourceCount > 0 ? Read(instruction.sources[0]) : Vec4{};
  const Vec4 b = instruction.sourceCount > 1 ? Read(instruction.sources[1]) : Vec4{};
  const float s = a[3];  // scalar operations read the w of their swizzled source
  const Destination& d = instruction.destination;
  const auto matrix = [&](UINT size, UINT rows) {
    Vec4 result{};
    for (UINT row = 0; row < rows; ++row) {
      result[row] = Dot(a, Read(instruction.sources[1], row), size);
    }
    Write(d, result, rows);
  };
  switch (instruction.op) {
    case Opcode::Nop:
      break;
    case Opcode::Mov:
      Write(d, a);
      break;
    case Opcode::Add:
      Write(d, Each(a, b, [](float x, float y) { return x + y; }));
      break;
    case Opcode::Sub:
      Write(d, Each(a, b, [](float x, float y) { return x - y; }));
      break;
    case Opcode::Mul:
      Write(d, Each(a, b, [](float x, float y) { return x * y; }));
      break;
    case Opcode::Mad: {
      const Vec4 c = Read(instruction.sources[2]);
      Write(d, {a[0] * b[0] + c[0], a[1] * b[1] + c[1], a[2] * b[2] + c[2], a[3] * b[3] + c[3]});
      break;
    }
    case Opcode::Min:
      Write(d, Each(a, b, [](float x, float y) { return std::min(x, y); }));
      break;
    case Opcode::Max:
      Write(d, Each(a, b, [](float x, float y) { return std::max(x, y); }));
      break;
    case Opcode::Slt:
      Write(d, Each(a, b, [](float x, float y) { return x < y ? 1.0f : 0.0f; }));
      break;
    case Opcode::Sge:
      Write(d, Each(a, b, [](float x, float y) { return x >= y ? 1.0f : 0.0f; }));
      break;
    case Opcode::Rcp:
      Write(d, Splat(1.0f / s));
      break;
    case Opcode::Rsq:
      Write(d, Splat(1.0f / std::sqrt(std::fabs(s))));
      break;
    case Opcode::Dp3:
      Write(d, Splat(Dot(a, b, 3)));
      break;
    case Opcode::Dp4:
      Write(d, Splat(Dot(a, b, 4)));
      break;
    case Opcode::Exp:
      Write(d, Splat(std::exp2(s)));
      break;
    case Opcode::Log:
      Write(d, Splat(std::log2(std::fabs(s))));
      break;
    case Opcode::Expp: {
      const float whole = std::floor(s);
      Write(d, {std::exp2(whole), s - whole, std::exp2(s), 1.0f});
      break;
    }
    case Opcode::Logp: {
      const float magnitude = std::fabs(s);
      if (magnitude == 0.0f) {
        const float minus = -std::numeric_limits<float>::infinity();
        Write(d, {minus, 1.0f, minus, 1.0f});
      } else {
        const float exponent = std::floor(std::log2(magnitude));
        Write(d, {exponent, magnitude / std::exp2(exponent), std::log2(magnitude), 1.0f});
      }
      break;
    }
    case Opcode::Lit: {
      const float power = std::clamp(a[3], -kMaxLitPower, kMaxLitPower);
      Vec4 result = {1.0f, 0.0f, 0.0f, 1.0f};
      if (a[0] > 0.0f) {
        result[1] = a[0];
        if (a[1] > 0.0f) result[2] = std::pow(a[1], power);
      }
      Write(d, result);
      break;
    }
    case Opcode::Dst:
      Write(d, {1.0f, a[1] * b[1], a[2], b[3]});
      break;
    case Opcode::Frc:
      Write(d, {a[0] - std::floor(a[0]), a[1] - std::floor(a[1]), a[2] - std::floor(a[2]),
                a[3] - std::floor(a[3])});
      break;
    case Opcode::M4x4:
      matrix(4, 4);
      break;
    case Opcode::M4x3:
      matrix(4, 3);
      break;
    case Opcode::M3x4:
      matrix(3, 4);
      break;
    case Opcode::M3x3:
      matrix(3, 3);
      break;
    case Opcode::M3x2:
      matrix(3, 2);
      break;
  }
}

}  // namespace

VertexOutput Execute(const Program& program, const std::array<Vec4, kInputCount>& inputs,
                     const std::vector<Vec4>& constants) {
  Machine machine(inputs, constants);
  for (const Instruction& instruction : program.instructions) machine.Run(instruction);
  return machine.Output();
}

}  // namespace d3d::vs
