// Vertex shaders: decoding and refusing token streams, the processor executor, and draws that read
// several streams.
#include "library/core/actors/model_shaders.h"
#include "platform/d3d/shader_program.h"
#include "tests/platform/d3d/headless_fixture.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>

namespace {

using namespace d3dtest;
namespace decl = vs::decl;

constexpr UINT kConstants = 96;

struct DecodeCase {
  const char* name;
  std::vector<DWORD> declaration;
  std::vector<DWORD> function;
  HRESULT expected;
};

std::vector<DWORD> Tokens(std::initializer_list<std::vector<DWORD>> parts) {
  std::vector<DWORD> tokens;
  for (const auto& part : parts) tokens.insert(tokens.end(), part.begin(), part.end());
  return tokens;
}

const std::vector<DWORD> kOneInput = {decl::Stream(0), decl::Element(0, decl::Type::Float4),
                                      decl::kEnd};
const std::vector<DWORD> kWritePosition = vs::Mov(vs::OPos(), vs::V(0));

// A program of these instructions, then oPos = v0.
std::vector<DWORD> ProgramWith(std::initializer_list<std::vector<DWORD>> instructions) {
  std::vector<DWORD> tokens = {vs::kVersion11};
  for (const auto& instruction : instructions) {
    tokens.insert(tokens.end(), instruction.begin(), instruction.end());
  }
  tokens.insert(tokens.end(), kWritePosition.begin(), kWritePosition.end());
  tokens.push_back(vs::kEndToken);
  return tokens;
}

TEST(VertexShaderDecode, AcceptsWellFormedAndRefusesMalformedTokenStreams) {
  const DWORD negateTwice = vs::C(0).SourceToken() | 2u << vs::kModifierShift;
  const DWORD relativeTemp = vs::R(0).SourceToken() | vs::kRelativeBit;
  const DWORD noMask = vs::R(0).DestinationToken() & ~(vs::kWriteMaskBits << vs::kWriteMaskShift);
  const DWORD comment = vs::kCommentOpcode | 2u << vs::kCommentLengthShift;
  const std::vector<DecodeCase> cases = {
      {"the two-frame blend", MD2ShaderDeclaration(), MD2ShaderProgram(), D3D_OK},
      {"the bone program", MDLShaderDeclaration(), MDLShaderProgram(), D3D_OK},
      {"every instruction", kOneInput,
       ProgramWith({vs::Nop(),
                    vs::Add(vs::R(0), vs::V(0), vs::C(1)),
                    vs::Sub(vs::R(1), vs::R(0), -vs::C(2)),
                    vs::Rcp(vs::R(2), vs::R(0)),
                    vs::Rsq(vs::R(2), vs::R(0)),
                    vs::Dp3(vs::R(3), vs::R(0), vs::R(1)),
                    vs::Dp4(vs::R(3), vs::R(0), vs::R(1)),
                    vs::Min(vs::R(4), vs::R(0), vs::R(1)),
                    vs::Max(vs::R(4), vs::R(0), vs::R(1)),
                    vs::Slt(vs::R(5), vs::R(0), vs::R(1)),
                    vs::Sge(vs::R(5), vs::R(0), vs::R(1)),
                    vs::Exp(vs::R(6), vs::R(0)),
                    vs::Log(vs::R(6), vs::R(0)),
                    vs::Lit(vs::R(7), vs::R(0)),
                    vs::Dst(vs::R(7), vs::R(0), vs::R(1)),
                    vs::Frc(vs::R(8), vs::R(0)),
                    vs::Expp(vs::R(8), vs::R(0)),
                    vs::Logp(vs::R(8), vs::R(0)),
                    vs::M3x4(vs::R(9), vs::V(0), vs::C(92)),
                    vs::M3x3(vs::R(9), vs::V(0), vs::C(0)),
                    vs::M3x2(vs::R(9), vs::V(0), vs::C(0)),
                    vs::Mov(vs::OD(1), vs::R(9)),
                    vs::Mov(vs::OT(7), vs::R(9)),
                    vs::Mov(vs::OFog(), vs::R(9)),
                    vs::Mov(vs::OPts(), vs::R(9))}),
       D3D_OK},
      {"an unwritten temporary read", kOneInput, ProgramWith({vs::Mov(vs::OD(0), vs::R(11))}),
       D3D_OK},
      {"a comment skipped", kOneInput,
       Tokens({{vs::kVersion11, comment, 0xFFFFFFFFu, 7}, kWritePosition, {vs::kEndToken}}),
       D3D_OK},
      {"declared constants and an extension",
       Tokens({{decl::Constants(95, 1), 0, 0, 0, 0},
               {decl::kExtensionToken << 29 | 1u << 24, 9},
               kOneInput}),
       ProgramWith({}), D3D_OK},
      {"an unknown opcode", kOneInput,
       ProgramWith({{18, vs::R(0).DestinationToken(), vs::V(0).SourceToken()}}),
       D3DERR_INVALIDCALL},
      {"a pixel shader version", kOneInput,
       Tokens({{D3DPS_VERSION(1, 1)}, kWritePosition, {vs::kEndToken}}), D3DERR_INVALIDCALL},
      {"no end token", kOneInput, Tokens({{vs::kVersion11}, kWritePosition}), D3DERR_INVALIDCALL},
      {"an instruction cut short", kOneInput,
       Tokens({{vs::kVersion11}, kWritePosition, {static_cast<DWORD>(vs::Opcode::Add)}}),
       D3DERR_INVALIDCALL},
      {"a comment longer than the stream",
       kOneInput,
       {vs::kVersion11, comment, 0},
       D3DERR_INVALIDCALL},
      {"r12", kOneInput, ProgramWith({vs::Mov(vs::R(12), vs::V(0))}), D3DERR_INVALIDCALL},
      {"c96", kOneInput, ProgramWith({vs::Mov(vs::R(0), vs::C(96))}), D3DERR_INVALIDCALL},
      {"matrix rows past the constants", kOneInput,
       ProgramWith({vs::M4x4(vs::R(0), vs::V(0), vs::C(93))}), D3DERR_INVALIDCALL},
      {"oT8", kOneInput, ProgramWith({vs::Mov(vs::OT(8), vs::V(0))}), D3DERR_INVALIDCALL},
      {"an input never declared", kOneInput, ProgramWith({vs::Mov(vs::R(0), vs::V(1))}),
       D3DERR_INVALIDCALL},
      {"a write to an input", kOneInput, ProgramWith({vs::Mov(vs::V(0), vs::R(0))}),
       D3DERR_INVALIDCALL},
      {"an empty write mask", kOneInput,
       ProgramWith({{static_cast<DWORD>(vs::Opcode::Mov), noMask, vs::V(0).SourceToken()}}),
       D3DERR_INVALIDCALL},
      {"a0 loaded by add", kOneInput, ProgramWith({vs::Add(vs::A0(), vs::V(0), vs::V(0))}),
       D3DERR_INVALIDCALL},
      {"a0 read as a source", kOneInput,
       ProgramWith({vs::Mov(vs::R(0), {vs::RegisterType::Address, 0})}), D3DERR_INVALIDCALL},
      {"a relative temporary", kOneInput,
       ProgramWith(
           {{static_cast<DWORD>(vs::Opcode::Mov), vs::R(0).DestinationToken(), relativeTemp}}),
       D3DERR_INVALIDCALL},
      {"an unknown source modifier", kOneInput,
       ProgramWith(
           {{static_cast<DWORD>(vs::Opcode::Mov), vs::R(0).DestinationToken(), negateTwice}}),
       D3DERR_INVALIDCALL},
      {"no position written", kOneInput, vs::Assemble({vs::Mov(vs::OD(0), vs::V(0))}),
       D3DERR_INVALIDCALL},
      {"an element before any stream",
       {decl::Element(0, decl::Type::Float4), decl::kEnd},
       ProgramWith({}),
       D3DERR_INVALIDCALL},
      {"a register declared twice",
       {decl::Stream(0), decl::Element(0, decl::Type::Float4), decl::Element(0, decl::Type::Float1),
        decl::kEnd},
       ProgramWith({}),
       D3DERR_INVALIDCALL},
      {"an unknown data type",
       {decl::Stream(0), decl::Element(0, static_cast<decl::Type>(8)), decl::kEnd},
       ProgramWith({}),
       D3DERR_INVALIDCALL},
      {"a tessellator token", Tokens({{3u << 29}, kOneInput}), ProgramWith({}), D3DERR_INVALIDCALL},
      {"constants past the registers",
       Tokens({{decl::Constants(95, 2), 0, 0, 0, 0, 0, 0, 0, 0}, kOneInput}), ProgramWith({}),
       D3DERR_INVALIDCALL},
      {"a declaration without its end",
       {decl::Stream(0), decl::Element(0, decl::Type::Float4)},
       ProgramWith({}),
       D3DERR_INVALIDCALL},
      {"a declaration without elements",
       {decl::kEnd},
       vs::Assemble({vs::Mov(vs::OPos(), vs::C(0))}),
       D3DERR_INVALIDCALL},
  };
  for (const DecodeCase& c : cases) {
    vs::Program program;
    EXPECT_EQ(vs::Decode(c.declaration, c.function, kConstants, &program), c.expected) << c.name;
  }
}

TEST(VertexShaderDecode, LaysOutEachStreamsElementsInOrder) {
  const std::vector<DWORD> declaration = {decl::Stream(1), decl::Element(3, decl::Type::Color),
                                          decl::Skip(2),   decl::Element(4, decl::Type::Short2),
                                          decl::Stream(0), decl::Element(0, decl::Type::Float3),
                                          decl::kEnd};
  vs::Program program;
  ASSERT_EQ(vs::Decode(declaration, ProgramWith({}), kConstants, &program), D3D_OK);
  ASSERT_EQ(program.elements.size(), 3u);
  EXPECT_EQ(program.elements[1].offset, 12u);  // colour 4 bytes, skip 8
  EXPECT_EQ(program.streamBytes[1], 16u);
  EXPECT_EQ(program.streamBytes[0], 12u);
  EXPECT_FALSE(program.UsesStream(2));

  // Colours read as r, g, b, a; shorts as they are, with z 0 and w 1.
  struct Packed {
    D3DCOLOR color;
    DWORD skipped[2];
    int16_t s[2];
  } packed = {0x80FF4000u, {}, {-3, 7}};
  std::array<vs::StreamView, kMaxStreams> streams{};
  streams[1] = {reinterpret_cast<const BYTE*>(&packed), sizeof packed};
  const float position[3] = {1, 2, 3};
  streams[0] = {reinterpret_cast<const BYTE*>(position), sizeof position};
  const auto inputs = vs::FetchInputs(program, streams, 0);
  EXPECT_FLOAT_EQ(inputs[3][0], 1.0f);
  EXPECT_NEAR(inputs[3][1], 64 / 255.0f, 1e-6);
  EXPECT_FLOAT_EQ(inputs[3][2], 0.0f);
  EXPECT_NEAR(inputs[3][3], 128 / 255.0f, 1e-6);
  EXPECT_EQ(inputs[4], (vs::Vec4{-3, 7, 0, 1}));
  EXPECT_EQ(inputs[0], (vs::Vec4{1, 2, 3, 1}));
}

// Runs a program (oPos = v0 appended) with these first constants, the rest 0.
vs::VertexOutput RunProgram(std::initializer_list<std::vector<DWORD>> instructions,
                            std::vector<vs::Vec4> constants) {
  vs::Program program;
  EXPECT_EQ(vs::Decode(kOneInput, ProgramWith(instructions), kConstants, &program), D3D_OK);
  const std::array<vs::Vec4, vs::kInputCount> inputs{};
  constants.resize(kConstants);
  return vs::Execute(program, inputs, constants);
}

::testing::AssertionResult Near(const vs::Vec4& actual, const vs::Vec4& expected) {
  for (UINT c = 0; c < 4; ++c) {
    if (std::fabs(actual[c] - expected[c]) > 1e-5f * std::max(1.0f, std::fabs(expected[c]))) {
      return ::testing::AssertionFailure()
             << "component " << c << " is " << actual[c] << ", expected " << expected[c];
    }
  }
  return ::testing::AssertionSuccess();
}

TEST(VertexShaderExecute, ScalarAndSpecialInstructionsFollowTheirDefinitions) {
  using namespace vs;
  const std::vector<Vec4> c = {{2, 0.5f, -3, 4}, {1, 1, 1, 1}};
  const auto out = RunProgram({Rcp(OD(0).Mask(kX), C(0).Replicate(X)),   // 1/2
                               Rsq(OD(0).Mask(kY), C(0).Replicate(W)),   // 1/sqrt(4)
                               Expp(OT(0), C(0).Replicate(Y)),           // 2^0, 0.5, 2^0.5, 1
                               Logp(OT(1), C(0).Replicate(W)),           // 2, 1, 2, 1
                               Lit(OT(2), C(0)),                         // 1, 2, 0.5^4, 1
                               Dst(OT(3), C(0), C(1)),                   // 1, 0.5, -3, 1
                               Frc(OT(4), -C(0)),                        // 0, 0.5, 0, 0
                               Slt(OT(5), C(0), C(1)),                   // 0, 1, 1, 0
                               Log(OD(1).Mask(kX), C(0).Replicate(Z)),   // log2 |-3|
                               Exp(OD(1).Mask(kY), C(0).Replicate(Z))},  // 2^-3
                              c);
  EXPECT_FLOAT_EQ(out.colors[0][0], 0.5f);
  EXPECT_FLOAT_EQ(out.colors[0][1], 0.5f);
  EXPECT_EQ(out.colors[0][2], 0.0f) << "outside the mask";
  EXPECT_TRUE(Near(out.texCoords[0], {1, 0.5f, std::sqrt(2.0f), 1}));
  EXPECT_TRUE(Near(out.texCoords[1], {2, 1, 2, 1}));
  EXPECT_TRUE(Near(out.texCoords[2], {1, 2, 0.0625f, 1}));
  EXPECT_TRUE(Near(out.texCoords[3], {1, 0.5f, -3, 1}));
  EXPECT_TRUE(Near(out.texCoords[4], {0, 0.5f, 0, 0}));
  EXPECT_TRUE(Near(out.texCoords[5], {0, 1, 1, 0}));
  EXPECT_FLOAT_EQ(out.colors[1][0], std::log2(3.0f));
  EXPECT_FLOAT_EQ(out.colors[1][1], 0.125f);
}

class ShaderDrawTest : public HeadlessDeviceTest {
 protected:
  void SetUp() override {
    HeadlessDeviceTest::SetUp();
    ASSERT_EQ(device->BeginScene(), D3D_OK);
  }

  template <typename Vertex>
  IDirect3DVertexBuffer8* Buffer(const std::vector<Vertex>& vertices) {
    IDirect3DVertexBuffer8* buffer = nullptr;
    const auto bytes = static_cast<UINT>(vertices.size() * sizeof(Vertex));
    EXPECT_EQ(device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &buffer),
              D3D_OK);
    BYTE* data = nullptr;
    buffer->Lock(0, 0, &data, 0);
    std::memcpy(data, vertices.data(), bytes);
    buffer->Unlock();
    return buffer;
  }

  DWORD Shader(const std::vector<DWORD>& declaration, const std::vector<DWORD>& function) {
    DWORD handle = 0;
    EXPECT_EQ(device->CreateVertexShader(declaration.data(), function.data(), &handle, 0), D3D_OK);
    return handle;
  }

  void SetConstant(DWORD reg, vs::Vec4 value) {
    ASSERT_EQ(device->SetVertexShaderConstant(reg, value.data(), 1), D3D_OK);
  }

  // c0..c3: x doubled and shifted by 1, y tripled and shifted by -1; z and w kept.
  void SetTransform() {
    SetConstant(0, {2, 0, 0, 1});
    SetConstant(1, {0, 3, 0, -1});
    SetConstant(2, {0, 0, 1, 0});
    SetConstant(3, {0, 0, 0, 1});
  }

  const std::vector<MD2Vertex> frame0 = {{0, 0, 0, 1, 0, 0, 0.1f, 0.2f},
                                         {4, 0, 0, 1, 0, 0, 0.3f, 0.4f},
                                         {0, 8, 0, 1, 0, 0, 0.5f, 0.6f}};
  const std::vector<MD2Vertex> frame1 = {{4, 4, 4, 0, 1, 0, 0.9f, 0.9f},
                                         {0, 0, 0, 0, 1, 0, 0.9f, 0.9f},
                                         {8, 0, 4, 0, 1, 0, 0.9f, 0.9f}};
};

TEST_F(ShaderDrawTest, TwoFrameBlendGivesTheTransformedMixOfBothStreams) {
  const DWORD shader = Shader(MD2ShaderDeclaration(), MD2ShaderProgram());
  IDirect3DVertexBuffer8* first = Buffer(frame0);
  IDirect3DVertexBuffer8* second = Buffer(frame1);
  SetTransform();
  SetConstant(4, {1, 0.5f, 0.25f, 1});
  SetConstant(7, {0.25f, 0.25f, 0.25f, 0.25f});
  SetConstant(8, {0.75f, 0.75f, 0.75f, 0.75f});
  device->SetVertexShader(shader);
  device->SetStreamSource(0, first, sizeof(MD2Vertex));
  device->SetStreamSource(1, second, sizeof(MD2Vertex));
  ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);

  const DrawRecord& record = control->Draws().back();
  ASSERT_EQ(record.shaded.size(), 3u);
  // Blends (1, 1, 1), (3, 0, 0), (2, 6, 1); w is 0.75 + 0.25 of the inputs' 1.
  const vs::Vec4 expected[3] = {{3, 2, 1, 1}, {7, -1, 0, 1}, {5, 17, 1, 1}};
  for (UINT v = 0; v < 3; ++v) {
    EXPECT_EQ(record.shaded[v].position, expected[v]) << "vertex " << v;
    EXPECT_EQ(record.shaded[v].colors[0], (vs::Vec4{1, 0.5f, 0.25f, 1}));
    EXPECT_FLOAT_EQ(record.shaded[v].texCoords[0][0], frame0[v].u);
    EXPECT_FLOAT_EQ(record.shaded[v].texCoords[0][1], frame0[v].v);
  }
  EXPECT_EQ(record.fvf, shader);
  EXPECT_EQ(record.vertices.size(), 3 * sizeof(MD2Vertex));
  device->SetStreamSource(0, nullptr, 0);
  device->SetStreamSource(1, nullptr, 0);
  first->Release();
  second->Release();
}

TEST_F(ShaderDrawTest, BoneProgramMovesEachVertexByItsBoneThroughTheAddressRegister) {
  const DWORD shader = Shader(MDLShaderDeclaration(), MDLShaderProgram());
  // Bone 0 at c7..c9 moves by (10, 0, 0); bone 1 at c10..c12 swaps x and y and moves by (0, 20, 0).
  SetConstant(7, {1, 0, 0, 10});
  SetConstant(8, {0, 1, 0, 0});
  SetConstant(9, {0, 0, 1, 0});
  SetConstant(10, {0, 1, 0, 0});
  SetConstant(11, {1, 0, 0, 20});
  SetConstant(12, {0, 0, 1, 0});
  SetTransform();
  SetConstant(5, {0, 1, 0, 1});
  SetConstant(6, {1, 1, 1, 1});
  const std::vector<MDLVertex> vertices = {{1, 2, 3, 0, 0, 1, 0.5f, 0.5f, 0},
                                           {1, 2, 3, 0, 0, 1, 0.5f, 0.5f, 3},
                                           {1, 2, 3, 0, 0, 1, 0.5f, 0.5f, 3.9f}};
  IDirect3DVertexBuffer8* buffer = Buffer(vertices);
  device->SetVertexShader(shader);
  device->SetStreamSource(0, buffer, sizeof(MDLVertex));
  ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);

  const DrawRecord& record = control->Draws().back();
  ASSERT_EQ(record.shaded.size(), 3u);
  // Bone 0: (11, 2, 3) -> (23, 5, 3, 1). Bone 1: (2, 21, 3) -> (5, 62, 3, 1); 3.9 rounds down.
  EXPECT_EQ(record.shaded[0].position, (vs::Vec4{23, 5, 3, 1}));
  EXPECT_EQ(record.shaded[1].position, (vs::Vec4{5, 62, 3, 1}));
  EXPECT_EQ(record.shaded[2].position, (vs::Vec4{5, 62, 3, 1}));
  EXPECT_EQ(record.shaded[0].colors[0], (vs::Vec4{0, 1, 0, 1}));
  device->SetStreamSource(0, nullptr, 0);
  buffer->Release();
}

TEST_F(ShaderDrawTest, DrawsRefuseMissingShortOrNarrowStreams) {
  const DWORD shader = Shader(MD2ShaderDeclaration(), MD2ShaderProgram());
  IDirect3DVertexBuffer8* first = Buffer(frame0);
  IDirect3DVertexBuffer8* shortSecond =
      Buffer(std::vector<MD2Vertex>(frame1.begin(), frame1.begin() + 2));
  device->SetVertexShader(shader);
  device->SetStreamSource(0, first, sizeof(MD2Vertex));
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL)
      << "stream 1 unbound";
  device->SetStreamSource(1, shortSecond, sizeof(MD2Vertex));
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL)
      << "stream 1 holds two vertices";
  device->SetStreamSource(1, first, 24);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL)
      << "stride below the 32 bytes the declaration reads";
  device->SetStreamSource(1, first, sizeof(MD2Vertex));
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3D_OK);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, frame0.data(), sizeof(MD2Vertex)),
            D3DERR_INVALIDCALL)
      << "a draw from memory has no stream 1";

  // A deleted shader draws no more, even while it is current, and cannot be set again.
  EXPECT_EQ(device->DeleteVertexShader(shader), D3D_OK);
  EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLELIST, 0, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetVertexShader(shader), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->DeleteVertexShader(shader), D3DERR_INVALIDCALL);
  device->SetStreamSource(0, nullptr, 0);
  device->SetStreamSource(1, nullptr, 0);
  first->Release();
  shortSecond->Release();
}

TEST_F(HeadlessDeviceTest, ShaderHandlesConstantsAndCaps) {
  D3DCAPS8 caps{};
  device->GetDeviceCaps(&caps);
  EXPECT_EQ(caps.VertexShaderVersion, D3DVS_VERSION(1, 1));
  EXPECT_GE(caps.MaxVertexShaderConst, 96u);

  // Handles are odd (never a vertex format), distinct, never 0.
  const std::vector<DWORD> declaration =
      Tokens({{decl::Constants(10, 1), std::bit_cast<DWORD>(1.0f), std::bit_cast<DWORD>(2.0f),
               std::bit_cast<DWORD>(3.0f), std::bit_cast<DWORD>(4.0f)},
              kOneInput});
  const std::vector<DWORD> function = ProgramWith({});
  DWORD first = 0;
  DWORD second = 0;
  ASSERT_EQ(device->CreateVertexShader(declaration.data(), function.data(), &first, 0), D3D_OK);
  ASSERT_EQ(device->CreateVertexShader(declaration.data(), function.data(), &second,
                                       D3DUSAGE_SOFTWAREPROCESSING),
            D3D_OK);
  EXPECT_EQ(first & 1, 1u);
  EXPECT_EQ(second & 1, 1u);
  EXPECT_NE(first, second);
  EXPECT_EQ(
      device->CreateVertexShader(declaration.data(), function.data(), &first, D3DUSAGE_DYNAMIC),
      D3DERR_INVALIDCALL);

  // Constants round-trip, stay in range, and the declaration's load when the shader is set.
  const float values[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  float back[8] = {};
  EXPECT_EQ(device->SetVertexShaderConstant(94, values, 2), D3D_OK);
  EXPECT_EQ(device->GetVertexShaderConstant(94, back, 2), D3D_OK);
  EXPECT_EQ(std::memcmp(values, back, sizeof values), 0);
  EXPECT_EQ(device->SetVertexShaderConstant(95, values, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->SetVertexShaderConstant(0, nullptr, 1), D3DERR_INVALIDCALL);
  ASSERT_EQ(device->SetVertexShader(second), D3D_OK);
  DWORD current = 0;
  device->GetVertexShader(&current);
  EXPECT_EQ(current, second);
  device->GetVertexShaderConstant(10, back, 1);
  EXPECT_EQ(back[3], 4.0f);
  // A Reset keeps the shaders and clears the constants.
  ASSERT_EQ(device->Reset(&params), D3D_OK);
  EXPECT_EQ(device->SetVertexShader(first), D3D_OK);
  device->GetVertexShaderConstant(94, back, 1);
  EXPECT_EQ(back[0], 0.0f);
  EXPECT_EQ(device->DeleteVertexShader(first), D3D_OK);
  EXPECT_EQ(device->DeleteVertexShader(second), D3D_OK);

  // Without vertex shaders in the caps only processing by the processor makes them.
  HeadlessConfig config;
  config.caps.VertexShaderVersion = 0;
  IDirect3D8* plain = CreateHeadlessDirect3D(config);
  D3DPRESENT_PARAMETERS hardwareParams = WindowedParams(kWidth, kHeight, D3DFMT_UNKNOWN);
  IDirect3DDevice8* hardware = nullptr;
  ASSERT_EQ(plain->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, FakeWindow(1),
                                D3DCREATE_HARDWARE_VERTEXPROCESSING, &hardwareParams, &hardware),
            D3D_OK);
  DWORD handle = 0;
  EXPECT_EQ(hardware->CreateVertexShader(declaration.data(), function.data(), &handle, 0),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(hardware->CreateVertexShader(declaration.data(), function.data(), &handle,
                                         D3DUSAGE_SOFTWAREPROCESSING),
            D3D_OK);
  EXPECT_EQ(hardware->Release(), 0u) << "shaders go with their device";
  EXPECT_EQ(plain->Release(), 0u);
}

}  // namespace
