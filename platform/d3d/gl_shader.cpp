// Translation of vs 1.1 programs to ARB vertex programs, and their use in a draw.
#include "platform/d3d/gl_shader.h"

#include <EGL/egl.h>

#include <sstream>

namespace d3d::gl {
namespace {

using vs::Opcode;
using vs::RegisterType;

// ARB vertex programs add an offset of -64 .. 63 to the address register; a larger one is reached
// by loading the address register with the offset already added.
constexpr UINT kMaxRelativeOffset = 63;
constexpr char kComponents[] = "xyzw";

// The program text's own names: the oPos value before the clip-space conversion, a scratch for the
// matrix and scalar forms, the float last loaded into a0.x, and one temporary per source of an
// instruction for constants read with a large relative offset.
constexpr char kPosition[] = "outPosition";
constexpr char kScratch[] = "scratch";
constexpr char kAddressValue[] = "addressValue";
constexpr char kFarTemp[] = "farConstant";

// The extension's entry points, which the OpenGL library does not export.
struct ArbEntryPoints {
  PFNGLGENPROGRAMSARBPROC genPrograms;
  PFNGLDELETEPROGRAMSARBPROC deletePrograms;
  PFNGLBINDPROGRAMARBPROC bindProgram;
  PFNGLPROGRAMSTRINGARBPROC programString;
  PFNGLPROGRAMENVPARAMETER4FVARBPROC envParameter;
  PFNGLPROGRAMLOCALPARAMETER4FARBPROC localParameter;

  bool Complete() const {
    return genPrograms && deletePrograms && bindProgram && programString && envParameter &&
           localParameter;
  }
};

template <typename F>
F Lookup(const char* name) {
  return reinterpret_cast<F>(eglGetProcAddress(name));
}

const ArbEntryPoints& Arb() {
  static const ArbEntryPoints entryPoints = {
      Lookup<PFNGLGENPROGRAMSARBPROC>("glGenProgramsARB"),
      Lookup<PFNGLDELETEPROGRAMSARBPROC>("glDeleteProgramsARB"),
      Lookup<PFNGLBINDPROGRAMARBPROC>("glBindProgramARB"),
      Lookup<PFNGLPROGRAMSTRINGARBPROC>("glProgramStringARB"),
      Lookup<PFNGLPROGRAMENVPARAMETER4FVARBPROC>("glProgramEnvParameter4fvARB"),
      Lookup<PFNGLPROGRAMLOCALPARAMETER4FARBPROC>("glProgramLocalParameter4fARB"),
  };
  return entryPoints;
}

struct ProgramData final : core::RendererData {
  ProgramData(Context* owner, GLuint program) : context(owner), name(program) {}
  ~ProgramData() override {
    context->MakeCurrent();
    Arb().deletePrograms(1, &name);
  }
  Context* context;
  GLuint name;
  bool valid = true;
};

std::string MaskText(UINT mask) {
  if (mask == vs::kXYZW) return "";
  std::string text = ".";
  for (UINT c = 0; c < 4; ++c) {
    if (mask & (1u << c)) text += kComponents[c];
  }
  return text;
}

std::string DestinationText(const vs::Destination& d) {
  switch (d.type) {
    case RegisterType::Temp:
      return "r" + std::to_string(d.number);
    case RegisterType::RasterOut:
      return d.number == vs::kPositionOut ? kPosition
             : d.number == vs::kFogOut    ? "result.fogcoord"
                                          : "result.pointsize";
    case RegisterType::ColorOut:
      return d.number == 0 ? "result.color.primary" : "result.color.secondary";
    case RegisterType::TexCoordOut:
      return "result.texcoord[" + std::to_string(d.number) + "]";
    default:
      return kScratch;  // the address register is loaded apart, never written by name
  }
}

class Translator {
 public:
  explicit Translator(UINT constantCount) : constantCount_(constantCount) {}
  std::string Translate(const vs::Program& program);

 private:
  // A source of the current instruction (row: the matrix row); far constants go through their
  // temporary, loaded by a line emitted first.
  std::string Source(const vs::Source& source, UINT slot, UINT row = 0);
  std::string Register(const vs::Source& source, UINT slot, UINT row);
  void Instruction(const vs::Instruction& instruction);
  void Line(const std::string& text) { out_ << text << ";\n"; }

  UINT constantCount_;
  std::ostringstream out_;
};

std::string Translator::Register(const vs::Source& source, UINT slot, UINT row) {
  const UINT number = source.number + row;
  switch (source.type) {
    case RegisterType::Temp:
      return "r" + std::to_string(number);
    case RegisterType::Input:
      return "vertex.attrib[" + std::to_string(number) + "]";
    case RegisterType::Const:
      if (!source.relative) return "c[" + std::to_string(number) + "]";
      if (number <= kMaxRelativeOffset) return "c[A0.x + " + std::to_string(number) + "]";
      {
        const std::string far = kFarTemp + std::to_string(slot);
        Line(std::string("ADD ") + far + ".x, " + kAddressValue + ".x, " + std::to_string(number));
        Line("ARL A0.x, " + far + ".x");
        Line("MOV " + far + ", c[A0.x]");
        Line(std::string("ARL A0.x, ") + kAddressValue + ".x");
        return far;
      }
    default:
      return kScratch;
  }
}

std::string Translator::Source(const vs::Source& source, UINT slot, UINT row) {
  std::string text = (source.negate ? "-" : "") + Register(source, slot, row);
  if (source.swizzle != std::array<UINT, 4>{0, 1, 2, 3}) {
    text += '.';
    for (UINT c : source.swizzle) text += kComponents[c];
  }
  return text;
}

void Translator::Instruction(const vs::Instruction& instruction) {
  const vs::Destination& d = instruction.destination;
  const auto& sources = instruction.sources;
  const std::string dst = DestinationText(d) + MaskText(d.mask);
  // One component of the first source, swizzled: the scalar forms read its w, a0 its x.
  const auto component = [&](UINT c) {
    const vs::Source& source = sources[0];
    return (source.negate ? "-" : "") + Register(source, 0, 0) + "." +
           kComponents[source.swizzle[c]];
  };

  const auto plain = [&](const char* name) {
    std::string line = std::string(name) + " " + dst;
    for (UINT s = 0; s < instruction.sourceCount; ++s) line += ", " + Source(sources[s], s);
    Line(line);
  };
  const auto matrix = [&](const char* dot, UINT rows) {
    for (UINT row = 0; row < rows; ++row) {
      Line(std::string(dot) + " " + kScratch + "." + kComponents[row] + ", " +
           Source(sources[0], 0) + ", " + Source(sources[1], 1, row));
    }
    Line("MOV " + DestinationText(d) + MaskText(d.mask & ((1u << rows) - 1)) + ", " + kScratch);
  };
  switch (instruction.op) {
    case Opcode::Nop:
      break;
    case Opcode::Mov:
      if (d.type == RegisterType::Address) {
        Line(std::string("MOV ") + kAddressValue + ".x, " + component(0));
        Line(std::string("ARL A0.x, ") + kAddressValue + ".x");
      } else {
        plain("MOV");
      }
      break;
    case Opcode::Add:
      plain("ADD");
      break;
    case Opcode::Sub:
      plain("SUB");
      break;
    case Opcode::Mad:
      plain("MAD");
      break;
    case Opcode::Mul:
      plain("MUL");
      break;
    case Opcode::Dp3:
      plain("DP3");
      break;
    case Opcode::Dp4:
      plain("DP4");
      break;
    case Opcode::Min:
      plain("MIN");
      break;
    case Opcode::Max:
      plain("MAX");
      break;
    case Opcode::Slt:
      plain("SLT");
      break;
    case Opcode::Sge:
      plain("SGE");
      break;
    case Opcode::Dst:
      plain("DST");
      break;
    case Opcode::Lit:
      plain("LIT");
      break;
    case Opcode::Frc:
      plain("FRC");
      break;
    case Opcode::Rcp:
      Line("RCP " + dst + ", " + component(3));
      break;
    case Opcode::Expp:
      Line("EXP " + dst + ", " + component(3));
      break;
    case Opcode::Logp:
      Line("LOG " + dst + ", " + component(3));
      break;
    case Opcode::Exp:
      Line("EX2 " + dst + ", " + component(3));
      break;
    case Opcode::Rsq:
    case Opcode::Log:
      // Both read the magnitude of their source.
      Line(std::string("ABS ") + kScratch + ".x, " + component(3));
      Line(std::string(instruction.op == Opcode::Rsq ? "RSQ " : "LG2 ") + dst + ", " + kScratch +
           ".x");
      break;
    case Opcode::M4x4:
      matrix("DP4", 4);
      break;
    case Opcode::M4x3:
      matrix("DP4", 3);
      break;
    case Opcode::M3x4:
      matrix("DP3", 4);
      break;
    case Opcode::M3x3:
      matrix("DP3", 3);
      break;
    case Opcode::M3x2:
      matrix("DP3", 2);
      break;
  }
}

std::string Translator::Translate(const vs::Program& program) {
  out_ << "!!ARBvp1.0\n";
  out_ << "PARAM c[" << constantCount_ << "] = { program.env[0.." << constantCount_ - 1 << "] };\n";
  out_ << "PARAM clipFix = program.local[0];\n";
  out_ << "TEMP " << kPosition << ", " << kScratch << ", " << kAddressValue;
  for (UINT slot = 0; slot < 3; ++slot) out_ << ", " << kFarTemp << slot;
  for (UINT r = 0; r < vs::kTempCount; ++r) out_ << ", r" << r;
  out_ << ";\nADDRESS A0;\n";
  // What the device gives registers nobody wrote: zero, and a0.x at 0.
  Line(std::string("MOV ") + kPosition + ", {0, 0, 0, 0}");
  Line(std::string("MOV ") + kAddressValue + ", {0, 0, 0, 0}");
  Line(std::string("ARL A0.x, ") + kAddressValue + ".x");
  for (UINT r = 0; r < vs::kTempCount; ++r) Line("MOV r" + std::to_string(r) + ", {0, 0, 0, 0}");
  bool fogWritten = false;
  for (const vs::Instruction& instruction : program.instructions) {
    Instruction(instruction);
    const vs::Destination& d = instruction.destination;
    fogWritten |= instruction.op != Opcode::Nop && d.type == RegisterType::RasterOut &&
                  d.number == vs::kFogOut;
  }
  if (!fogWritten) Line(std::string("MOV result.fogcoord.x, ") + kPosition + ".w");
  // Clip space of the device to OpenGL's: (x + w/width, -y + w/height, 2z - w, w).
  Line(std::string("MUL ") + kScratch + ", " + kPosition + ".w, clipFix");
  Line(std::string("MAD result.position, ") + kPosition + ", {1, -1, 2, 1}, " + kScratch);
  out_ << "END\n";
  return out_.str();
}

bool Writes(const vs::Program& program, RegisterType type, UINT number) {
  for (const vs::Instruction& instruction : program.instructions) {
    if (instruction.op != Opcode::Nop && instruction.destination.type == type &&
        instruction.destination.number == number) {
      return true;
    }
  }
  return false;
}

// The fixed-function arrays a shader draw must not read: generic attributes alias them.
void DisableFixedArrays() {
  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_COLOR_ARRAY);
  glDisableClientState(GL_SECONDARY_COLOR_ARRAY);
  GLint units = 1;
  glGetIntegerv(GL_MAX_TEXTURE_COORDS, &units);
  for (GLint unit = 0; unit < units; ++unit) {
    glClientActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  glClientActiveTexture(GL_TEXTURE0);
}

}  // namespace

bool HasVertexPrograms() {
  const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  if (extensions == nullptr) return false;
  std::istringstream names(extensions);
  std::string name;
  while (names >> name) {
    if (name == "GL_ARB_vertex_program") return Arb().Complete();
  }
  return false;
}

std::string ArbProgramText(const vs::Program& program, UINT constantCount) {
  return Translator(constantCount).Translate(program);
}

bool BeginShaderDraw(Context* context, const core::VertexShader& shader,
                     const std::vector<vs::Vec4>& constants, const D3DVIEWPORT8& viewport) {
  auto& data = shader.slot.Data();
  if (!data) {
    GLuint name = 0;
    Arb().genPrograms(1, &name);
    auto compiled = std::make_unique<ProgramData>(context, name);
    const std::string text = ArbProgramText(shader.program, static_cast<UINT>(constants.size()));
    Arb().bindProgram(GL_VERTEX_PROGRAM_ARB, name);
    Arb().programString(GL_VERTEX_PROGRAM_ARB, GL_PROGRAM_FORMAT_ASCII_ARB,
                        static_cast<GLsizei>(text.size()), text.c_str());
    GLint errorAt = -1;
    glGetIntegerv(GL_PROGRAM_ERROR_POSITION_ARB, &errorAt);
    compiled->valid = errorAt == -1;
    data = std::move(compiled);
  }
  const auto& program = static_cast<const ProgramData&>(*data);
  if (!program.valid) return false;
  glEnable(GL_VERTEX_PROGRAM_ARB);
  Arb().bindProgram(GL_VERTEX_PROGRAM_ARB, program.name);
  for (size_t c = 0; c < constants.size(); ++c) {
    Arb().envParameter(GL_VERTEX_PROGRAM_ARB, static_cast<GLuint>(c), constants[c].data());
  }
  Arb().localParameter(GL_VERTEX_PROGRAM_ARB, 0, 1.0f / static_cast<float>(viewport.Width),
                       1.0f / static_cast<float>(viewport.Height), -1.0f, 0.0f);
  const bool pointSize = Writes(shader.program, RegisterType::RasterOut, vs::kPointSizeOut);
  if (pointSize) {
    glEnable(GL_VERTEX_PROGRAM_POINT_SIZE_ARB);
  } else {
    glDisable(GL_VERTEX_PROGRAM_POINT_SIZE_ARB);
  }
  DisableFixedArrays();
  return true;
}

void SetStreamAttributes(const vs::Program& program, UINT stream, const BYTE* source, UINT stride) {
  const auto s = static_cast<GLsizei>(stride);
  bool bindsInputZero = false;
  for (const vs::VertexElement& element : program.elements) {
    bindsInputZero |= element.input == 0;
    if (element.stream != stream) continue;
    GLint size = 4;
    GLenum type = GL_FLOAT;
    GLboolean normalized = GL_FALSE;
    switch (element.type) {
      case vs::decl::Type::Float1:
        size = 1;
        break;
      case vs::decl::Type::Float2:
        size = 2;
        break;
      case vs::decl::Type::Float3:
        size = 3;
        break;
      case vs::decl::Type::Float4:
        break;
      case vs::decl::Type::Color:
        size = GL_BGRA;
        type = GL_UNSIGNED_BYTE;
        normalized = GL_TRUE;
        break;
      case vs::decl::Type::UByte4:
        type = GL_UNSIGNED_BYTE;
        break;
      case vs::decl::Type::Short2:
        size = 2;
        type = GL_SHORT;
        break;
      case vs::decl::Type::Short4:
        type = GL_SHORT;
        break;
    }
    glVertexAttribPointer(element.input, size, type, normalized, s, source + element.offset);
    glEnableVertexAttribArray(element.input);
  }
  // OpenGL draws only with an array for attribute 0. Without an element for v0 (which the
  // program then does not read), it gets the first element's data, unread.
  const vs::VertexElement& first = program.elements.front();
  if (!bindsInputZero && stream == first.stream) {
    glVertexAttribPointer(0, 1, GL_FLOAT, GL_FALSE, s, source + first.offset);
    glEnableVertexAttribArray(0);
  }
}

void EndShaderDraw(const vs::Program& program) {
  for (const vs::VertexElement& element : program.elements) {
    glDisableVertexAttribArray(element.input);
  }
  glDisableVertexAttribArray(0);
  glDisable(GL_VERTEX_PROGRAM_POINT_SIZE_ARB);
  glDisable(GL_VERTEX_PROGRAM_ARB);
}

}  // namespace d3d::gl
