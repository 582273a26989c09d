// The binary form of vertex shader 1.1 programs and of vertex declarations, as CreateVertexShader
// takes them, with small encoders so that code can write a program readably:
//
//   const std::vector<DWORD> program = vs::Assemble({
//       vs::Mul(vs::R(0), vs::V(0), vs::C(8)),
//       vs::M4x4(vs::OPos(), vs::R(0), vs::C(0)),
//   });
//   const DWORD declaration[] = {vs::decl::Stream(0), vs::decl::Element(0, vs::decl::Type::Float3),
//                                vs::decl::kEnd};
//
// Program tokens. A program is a version token (0xFFFE0000 | major << 8 | minor), then
// instructions, then the end token 0x0000FFFF. An instruction token holds its opcode in bits 0..15
// and nothing else (bit 31 clear); its operand tokens follow, destination first, and how many there
// are follows from the opcode. A comment token (opcode 0xFFFE) carries its length in dwords in bits
// 16..30 and is followed by that many dwords, which are skipped. Operand tokens have bit 31 set,
// the register type in bits 28..30 and the register number in bits 0..10:
// - a destination adds its write mask in bits 16..19 (x, y, z, w from bit 16 up);
// - a source adds relative addressing through a0.x (bit 13, constants only), the swizzle in bits
//   16..23 (two bits per output component, x first; 0 picks x .. 3 picks w) and its modifier in
//   bits 24..27 (0 none, 1 negate).
//
// Declaration tokens. The token type sits in bits 29..31:
// - 1 stream: the vertex data that follows comes from stream (bits 0..3);
// - 2 stream data: an element of data type (bits 16..19) for input register (bits 0..4); or, with
//   bit 28 set, a skip of count dwords (bits 16..19);
// - 4 constants: count four-float constants (bits 25..28) from register (bits 0..6), followed by
//   their 4 x count float values; they are loaded whenever the shader is made current;
// - 5 extension: followed by count dwords (bits 24..28), skipped;
// - 0 nothing; 7 (0xFFFFFFFF) ends the declaration.
// Elements of a stream lie one after the other from the stream's vertex start.
#pragma once

#include "platform/d3d/types.h"

#include <initializer_list>
#include <vector>

namespace d3d::vs {

inline constexpr DWORD kVersion10 = D3DVS_VERSION(1, 0);
inline constexpr DWORD kVersion11 = D3DVS_VERSION(1, 1);
inline constexpr DWORD kEndToken = 0x0000FFFFu;
inline constexpr DWORD kCommentOpcode = 0xFFFEu;
inline constexpr DWORD kOpcodeMask = 0xFFFFu;
inline constexpr DWORD kCommentLengthShift = 16;
inline constexpr DWORD kCommentLengthMask = 0x7FFFu;

inline constexpr DWORD kOperandBit = 0x80000000u;
inline constexpr DWORD kRegisterNumberMask = 0x7FFu;
inline constexpr DWORD kRegisterTypeShift = 28;
inline constexpr DWORD kRegisterTypeMask = 0x7u;
inline constexpr DWORD kWriteMaskShift = 16;
inline constexpr DWORD kWriteMaskBits = 0xFu;
inline constexpr DWORD kRelativeBit = 1u << 13;
inline constexpr DWORD kSwizzleShift = 16;
inline constexpr DWORD kSwizzleBits = 0xFFu;
inline constexpr DWORD kModifierShift = 24;
inline constexpr DWORD kModifierBits = 0xFu;
inline constexpr DWORD kNegateModifier = 1;

enum class Opcode : DWORD {
  Nop = 0,
  Mov = 1,
  Add = 2,
  Sub = 3,
  Mad = 4,
  Mul = 5,
  Rcp = 6,
  Rsq = 7,
  Dp3 = 8,
  Dp4 = 9,
  Min = 10,
  Max = 11,
  Slt = 12,
  Sge = 13,
  Exp = 14,
  Log = 15,
  Lit = 16,
  Dst = 17,
  Frc = 19,
  M4x4 = 20,
  M4x3 = 21,
  M3x4 = 22,
  M3x3 = 23,
  M3x2 = 24,
  Expp = 78,
  Logp = 79,
};

enum class RegisterType : DWORD {
  Temp = 0,         // r0 .. r11
  Input = 1,        // v0 .. v15
  Const = 2,        // c0 .. c(MaxVertexShaderConst - 1)
  Address = 3,      // a0 (its x only)
  RasterOut = 4,    // 0 oPos, 1 oFog, 2 oPts
  ColorOut = 5,     // oD0, oD1
  TexCoordOut = 6,  // oT0 .. oT7
};

inline constexpr DWORD kPositionOut = 0;
inline constexpr DWORD kFogOut = 1;
inline constexpr DWORD kPointSizeOut = 2;

// Write masks.
inline constexpr DWORD kX = 1;
inline constexpr DWORD kY = 2;
inline constexpr DWORD kZ = 4;
inline constexpr DWORD kW = 8;
inline constexpr DWORD kXY = kX | kY;
inline constexpr DWORD kXYZ = kX | kY | kZ;
inline constexpr DWORD kXYZW = kX | kY | kZ | kW;

// Swizzle components.
enum Component : DWORD { X = 0, Y = 1, Z = 2, W = 3 };

inline constexpr DWORD SwizzleBits(Component x, Component y, Component z, Component w) {
  return x | y << 2 | z << 4 | w << 6;
}
inline constexpr DWORD kIdentitySwizzle = SwizzleBits(X, Y, Z, W);

// One operand: a register with what an instruction does to it when it reads (swizzle, negate,
// relative address) or writes it (mask).
struct Operand {
  RegisterType type;
  DWORD number;
  DWORD mask = kXYZW;
  DWORD swizzle = kIdentitySwizzle;
  bool negate = false;
  bool relative = false;

  constexpr Operand Mask(DWORD writeMask) const {
    Operand o = *this;
    o.mask = writeMask;
    return o;
  }
  constexpr Operand Swizzle(Component x, Component y, Component z, Component w) const {
    Operand o = *this;
    o.swizzle = SwizzleBits(x, y, z, w);
    return o;
  }
  constexpr Operand Replicate(Component c) const { return Swizzle(c, c, c, c); }
  // The register at number + a0.x (constants only).
  constexpr Operand Relative() const {
    Operand o = *this;
    o.relative = true;
    return o;
  }
  constexpr Operand operator-() const {
    Operand o = *this;
    o.negate = !negate;
    return o;
  }
  constexpr DWORD Base() const {
    return kOperandBit | static_cast<DWORD>(type) << kRegisterTypeShift | number;
  }
  constexpr DWORD DestinationToken() const { return Base() | mask << kWriteMaskShift; }
  constexpr DWORD SourceToken() const {
    return Base() | swizzle << kSwizzleShift | (negate ? kNegateModifier << kModifierShift : 0) |
           (relative ? kRelativeBit : 0);
  }
};

constexpr Operand R(DWORD n) { return {RegisterType::Temp, n}; }
constexpr Operand V(DWORD n) { return {RegisterType::Input, n}; }
constexpr Operand C(DWORD n) { return {RegisterType::Const, n}; }
constexpr Operand A0() { return {RegisterType::Address, 0, kX}; }
constexpr Operand OPos() { return {RegisterType::RasterOut, kPositionOut}; }
constexpr Operand OFog() { return {RegisterType::RasterOut, kFogOut, kX}; }
constexpr Operand OPts() { return {RegisterType::RasterOut, kPointSizeOut, kX}; }
constexpr Operand OD(DWORD n) { return {RegisterType::ColorOut, n}; }
constexpr Operand OT(DWORD n) { return {RegisterType::TexCoordOut, n}; }

// The tokens of one instruction.
std::vector<DWORD> Encode(Opcode op, const Operand& destination,
                          std::initializer_list<Operand> sources);

template <Opcode op>
std::vector<DWORD> Unary(const Operand& d, const Operand& a) {
  return Encode(op, d, {a});
}
template <Opcode op>
std::vector<DWORD> Binary(const Operand& d, const Operand& a, const Operand& b) {
  return Encode(op, d, {a, b});
}

inline std::vector<DWORD> Nop() { return {static_cast<DWORD>(Opcode::Nop)}; }
inline constexpr auto Mov = &Unary<Opcode::Mov>;
inline constexpr auto Rcp = &Unary<Opcode::Rcp>;
inline constexpr auto Rsq = &Unary<Opcode::Rsq>;
inline constexpr auto Exp = &Unary<Opcode::Exp>;
inline constexpr auto Log = &Unary<Opcode::Log>;
inline constexpr auto Lit = &Unary<Opcode::Lit>;
inline constexpr auto Frc = &Unary<Opcode::Frc>;
inline constexpr auto Expp = &Unary<Opcode::Expp>;
inline constexpr auto Logp = &Unary<Opcode::Logp>;
inline constexpr auto Add = &Binary<Opcode::Add>;
inline constexpr auto Sub = &Binary<Opcode::Sub>;
inline constexpr auto Mul = &Binary<Opcode::Mul>;
inline constexpr auto Dp3 = &Binary<Opcode::Dp3>;
inline constexpr auto Dp4 = &Binary<Opcode::Dp4>;
inline constexpr auto Min = &Binary<Opcode::Min>;
inline constexpr auto Max = &Binary<Opcode::Max>;
inline constexpr auto Slt = &Binary<Opcode::Slt>;
inline constexpr auto Sge = &Binary<Opcode::Sge>;
inline constexpr auto Dst = &Binary<Opcode::Dst>;
// The matrix forms read their rows from the registers that follow the second source.
inline constexpr auto M4x4 = &Binary<Opcode::M4x4>;
inline constexpr auto M4x3 = &Binary<Opcode::M4x3>;
inline constexpr auto M3x4 = &Binary<Opcode::M3x4>;
inline constexpr auto M3x3 = &Binary<Opcode::M3x3>;
inline constexpr auto M3x2 = &Binary<Opcode::M3x2>;
inline std::vector<DWORD> Mad(const Operand& d, const Operand& a, const Operand& b,
                              const Operand& c) {
  return Encode(Opcode::Mad, d, {a, b, c});
}

// A whole vs 1.1 program: the version token, the instructions, the end token.
std::vector<DWORD> Assemble(std::initializer_list<std::vector<DWORD>> instructions);

namespace decl {

enum class Type : DWORD {
  Float1 = 0,
  Float2 = 1,
  Float3 = 2,
  Float4 = 3,
  Color = 4,   // a D3DCOLOR, read as (r, g, b, a) in 0..1
  UByte4 = 5,  // four bytes, read as they are
  Short2 = 6,  // two signed 16-bit values, read as (x, y, 0, 1)
  Short4 = 7,
};

inline constexpr DWORD kTokenTypeShift = 29;
inline constexpr DWORD kNop = 0;
inline constexpr DWORD kStreamToken = 1;
inline constexpr DWORD kDataToken = 2;
inline constexpr DWORD kConstantsToken = 4;
inline constexpr DWORD kExtensionToken = 5;
inline constexpr DWORD kEndToken = 7;
inline constexpr DWORD kEnd = 0xFFFFFFFFu;
inline constexpr DWORD kSkipBit = 1u << 28;
inline constexpr DWORD kStreamMask = 0xFu;
inline constexpr DWORD kRegisterMask = 0x1Fu;
inline constexpr DWORD kDataTypeShift = 16;
inline constexpr DWORD kDataTypeMask = 0xFu;
inline constexpr DWORD kConstantRegisterMask = 0x7Fu;
inline constexpr DWORD kConstantCountShift = 25;
inline constexpr DWORD kConstantCountMask = 0xFu;
inline constexpr DWORD kExtensionCountShift = 24;
inline constexpr DWORD kExtensionCountMask = 0x1Fu;

constexpr DWORD Stream(DWORD stream) { return kStreamToken << kTokenTypeShift | stream; }
constexpr DWORD Element(DWORD reg, Type type) {
  return kDataToken << kTokenTypeShift | static_cast<DWORD>(type) << kDataTypeShift | reg;
}
constexpr DWORD Skip(DWORD dwords) {
  return kDataToken << kTokenTypeShift | kSkipBit | dwords << kDataTypeShift;
}
// Followed by 4 x count floats (as their bits).
constexpr DWORD Constants(DWORD first, DWORD count) {
  return kConstantsToken << kTokenTypeShift | count << kConstantCountShift | first;
}

}  // namespace decl
}  // namespace d3d::vs
