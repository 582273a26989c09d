// The device's fixed-function state, vertex formats and pixel formats mapped onto OpenGL 2.1.
#include "platform/d3d/gl_state.h"

#include "platform/d3d/format.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <utility>

namespace d3d::gl {
namespace {

constexpr float kChannel = 255.0f;
constexpr float kDegreesPerRadian = 57.2957795f;
constexpr float kMaxShininess = 128.0f;

// Turns the device's left-handed view space into OpenGL's right-handed eye space and back.
constexpr GLfloat kFlipZ[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1};

float FloatOf(DWORD bits) {
  float value = 0.0f;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

std::array<GLfloat, 4> ColorOf(D3DCOLOR color) {
  return {static_cast<float>((color >> 16) & 0xFF) / kChannel,
          static_cast<float>((color >> 8) & 0xFF) / kChannel,
          static_cast<float>(color & 0xFF) / kChannel, static_cast<float>(color >> 24) / kChannel};
}

std::array<GLfloat, 4> ColorOf(const D3DCOLORVALUE& color) {
  return {color.r, color.g, color.b, color.a};
}

void Toggle(GLenum capability, bool on) {
  if (on) {
    glEnable(capability);
  } else {
    glDisable(capability);
  }
}

GLenum CompareOf(DWORD function) {
  switch (function) {
    case D3DCMP_NEVER:
      return GL_NEVER;
    case D3DCMP_LESS:
      return GL_LESS;
    case D3DCMP_EQUAL:
      return GL_EQUAL;
    case D3DCMP_LESSEQUAL:
      return GL_LEQUAL;
    case D3DCMP_GREATER:
      return GL_GREATER;
    case D3DCMP_NOTEQUAL:
      return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL:
      return GL_GEQUAL;
    default:
      return GL_ALWAYS;
  }
}

GLenum BlendOf(DWORD factor) {
  switch (factor) {
    case D3DBLEND_ZERO:
      return GL_ZERO;
    case D3DBLEND_SRCCOLOR:
      return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR:
      return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA:
      return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA:
      return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA:
      return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA:
      return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR:
      return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR:
      return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT:
      return GL_SRC_ALPHA_SATURATE;
    default:
      return GL_ONE;
  }
}

// The source and destination factors. A "both" factor sets the two at once, in whichever of the
// two states it stands: programs name it for the destination too, meaning plain alpha blending.
std::pair<GLenum, GLenum> BlendFactorsOf(DWORD source, DWORD destination) {
  for (const DWORD factor : {source, destination}) {
    if (factor == D3DBLEND_BOTHSRCALPHA) return {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA};
    if (factor == D3DBLEND_BOTHINVSRCALPHA) return {GL_ONE_MINUS_SRC_ALPHA, GL_SRC_ALPHA};
  }
  return {BlendOf(source), BlendOf(destination)};
}

GLenum StencilOpOf(DWORD op) {
  switch (op) {
    case D3DSTENCILOP_ZERO:
      return GL_ZERO;
    case D3DSTENCILOP_REPLACE:
      return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT:
      return GL_INCR;
    case D3DSTENCILOP_DECRSAT:
      return GL_DECR;
    case D3DSTENCILOP_INVERT:
      return GL_INVERT;
    case D3DSTENCILOP_INCR:
      return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR:
      return GL_DECR_WRAP;
    default:
      return GL_KEEP;
  }
}

GLenum FogModeOf(DWORD mode) {
  switch (mode) {
    case D3DFOG_EXP:
      return GL_EXP;
    case D3DFOG_EXP2:
      return GL_EXP2;
    default:
      return GL_LINEAR;
  }
}

GLenum AddressOf(DWORD mode) {
  switch (mode) {
    case D3DTADDRESS_MIRROR:
      return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP:
      return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER:
      return GL_CLAMP_TO_BORDER;
    default:
      return GL_REPEAT;
  }
}

GLenum MinFilterOf(DWORD min, DWORD mip) {
  const bool linear = min >= D3DTEXF_LINEAR;
  switch (mip) {
    case D3DTEXF_POINT:
      return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    case D3DTEXF_LINEAR:
    case D3DTEXF_ANISOTROPIC:
      return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    default:
      return linear ? GL_LINEAR : GL_NEAREST;
  }
}

void LoadMatrix(const D3DMATRIX& matrix) { glLoadMatrixf(&matrix.m[0][0]); }

// Whether two values of a plain structure of 32-bit fields hold the same bits.
template <typename T>
bool Same(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// The product a * b in the device's row-vector order: a applies first.
D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX product{};
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      for (int k = 0; k < 4; ++k) product.m[row][column] += a.m[row][k] * b.m[k][column];
    }
  }
  return product;
}

// The view followed by the z flip (kFlipZ) into OpenGL's right-handed eye space.
D3DMATRIX EyeSpace(const D3DMATRIX& view) {
  D3DMATRIX eye = view;
  for (int row = 0; row < 4; ++row) eye.m[row][2] = -eye.m[row][2];
  return eye;
}
void MultiplyMatrix(const D3DMATRIX& matrix) { glMultMatrixf(&matrix.m[0][0]); }

// ---- Pixel formats
// ---------------------------------------------------------------------------------

struct PixelFormat {
  GLint internal;
  GLenum format;  // 0 for block-compressed formats
  GLenum type;
};

PixelFormat PixelFormatOf(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
      return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    case D3DFMT_X8R8G8B8:
      return {GL_RGB8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
    case D3DFMT_R8G8B8:
      return {GL_RGB8, GL_BGR, GL_UNSIGNED_BYTE};
    case D3DFMT_R5G6B5:
      return {GL_RGB8, GL_RGB, GL_UNSIGNED_SHORT_5_6_5};
    case D3DFMT_X1R5G5B5:
      return {GL_RGB5, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    case D3DFMT_A1R5G5B5:
      return {GL_RGB5_A1, GL_BGRA, GL_UNSIGNED_SHORT_1_5_5_5_REV};
    case D3DFMT_A4R4G4B4:
      return {GL_RGBA4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
    case D3DFMT_X4R4G4B4:
      return {GL_RGB4, GL_BGRA, GL_UNSIGNED_SHORT_4_4_4_4_REV};
    case D3DFMT_L8:
      return {GL_LUMINANCE8, GL_LUMINANCE, GL_UNSIGNED_BYTE};
    case D3DFMT_A8:
      return {GL_ALPHA8, GL_ALPHA, GL_UNSIGNED_BYTE};
    case D3DFMT_V8U8:  // uploaded as BiasedOffsets
      return {GL_RGB8, GL_RGB, GL_UNSIGNED_BYTE};
    case D3DFMT_DXT1:
      return {GL_COMPRESSED_RGBA_S3TC_DXT1_EXT, 0, 0};
    case D3DFMT_DXT3:
      return {GL_COMPRESSED_RGBA_S3TC_DXT3_EXT, 0, 0};
    case D3DFMT_DXT5:
      return {GL_COMPRESSED_RGBA_S3TC_DXT5_EXT, 0, 0};
    default:
      return {GL_RGBA8, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV};
  }
}

// ---- Texture stages
// --------------------------------------------------------------------------------

GLint SourceOf(DWORD argument, UINT stage) {
  switch (argument & D3DTA_SELECTMASK) {
    case D3DTA_CURRENT:
      return stage == 0 ? GL_PRIMARY_COLOR : GL_PREVIOUS;
    case D3DTA_TEXTURE:
      return GL_TEXTURE;
    case D3DTA_TFACTOR:
      return GL_CONSTANT;
    default:
      return GL_PRIMARY_COLOR;  // the diffuse colour, and the specular one (see gl.h)
  }
}

GLint OperandOf(DWORD argument, bool alpha) {
  const bool complement = (argument & D3DTA_COMPLEMENT) != 0;
  if (alpha || (argument & D3DTA_ALPHAREPLICATE)) {
    return complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
  }
  return complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
}

bool ReadsTexture(DWORD op, DWORD arg1, DWORD arg2) {
  const bool first = (arg1 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
  const bool second = (arg2 & D3DTA_SELECTMASK) == D3DTA_TEXTURE;
  if (op == D3DTOP_SELECTARG1) return first;
  if (op == D3DTOP_SELECTARG2) return second;
  return first || second || op == D3DTOP_BLENDTEXTUREALPHA;
}

// One channel group (colour or alpha) of a stage as OpenGL's combiner.
void SetCombiner(bool alpha, DWORD op, DWORD arg1, DWORD arg2, UINT stage) {
  const GLenum combine = alpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
  const GLenum source0 = alpha ? GL_SOURCE0_ALPHA : GL_SOURCE0_RGB;
  const GLenum operand0 = alpha ? GL_OPERAND0_ALPHA : GL_OPERAND0_RGB;
  const GLenum scale = alpha ? GL_ALPHA_SCALE : GL_RGB_SCALE;
  const auto argument = [&](GLuint slot, DWORD arg) {
    glTexEnvi(GL_TEXTURE_ENV, source0 + slot, SourceOf(arg, stage));
    glTexEnvi(GL_TEXTURE_ENV, operand0 + slot, OperandOf(arg, alpha));
  };
  const auto weight = [&](GLint source) {
    glTexEnvi(GL_TEXTURE_ENV, source0 + 2, source);
    glTexEnvi(GL_TEXTURE_ENV, operand0 + 2, GL_SRC_ALPHA);
  };
  GLint function = GL_MODULATE;
  float factor = 1.0f;
  argument(0, arg1);
  argument(1, arg2);
  switch (op) {
    case D3DTOP_SELECTARG1:
      function = GL_REPLACE;
      break;
    case D3DTOP_SELECTARG2:
      function = GL_REPLACE;
      argument(0, arg2);
      break;
    case D3DTOP_MODULATE:
      break;
    case D3DTOP_MODULATE2X:
      factor = 2.0f;
      break;
    case D3DTOP_MODULATE4X:
      factor = 4.0f;
      break;
    case D3DTOP_ADD:
      function = GL_ADD;
      break;
    case D3DTOP_ADDSIGNED:
      function = GL_ADD_SIGNED;
      break;
    case D3DTOP_ADDSIGNED2X:
      function = GL_ADD_SIGNED;
      factor = 2.0f;
      break;
    case D3DTOP_SUBTRACT:
      function = GL_SUBTRACT;
      break;
    case D3DTOP_BLENDDIFFUSEALPHA:
      function = GL_INTERPOLATE;
      weight(GL_PRIMARY_COLOR);
      break;
    case D3DTOP_BLENDTEXTUREALPHA:
      function = GL_INTERPOLATE;
      weight(GL_TEXTURE);
      break;
    case D3DTOP_BLENDFACTORALPHA:
      function = GL_INTERPOLATE;
      weight(GL_CONSTANT);
      break;
    case D3DTOP_BLENDCURRENTALPHA:
      function = GL_INTERPOLATE;
      weight(stage == 0 ? GL_PRIMARY_COLOR : GL_PREVIOUS);
      break;
    case D3DTOP_DOTPRODUCT3:
      function = alpha ? GL_REPLACE : GL_DOT3_RGBA;
      break;
    default:  // disabled alpha, bump-environment operations: the previous stage passes through
      function = GL_REPLACE;
      argument(0, D3DTA_CURRENT);
      break;
  }
  glTexEnvi(GL_TEXTURE_ENV, combine, function);
  glTexEnvf(GL_TEXTURE_ENV, scale, factor);
}

// The texture matrix of a stage in OpenGL's terms. The device feeds a 2-component coordinate as
// (u, v, 1, 0) and OpenGL as (s, t, 0, 1), so the third and fourth rows trade places; without
// projection OpenGL must divide by 1; generated eye-space coordinates come back to the device's z.
D3DMATRIX TextureMatrixOf(const D3DMATRIX& matrix, DWORD flags, UINT inputSize, bool generated) {
  D3DMATRIX result = matrix;
  if (inputSize == 2 && !generated) {
    for (int column = 0; column < 4; ++column) {
      result.m[3][column] = matrix.m[2][column];
      result.m[2][column] = 0.0f;
    }
  }
  if (generated) {
    for (int column = 0; column < 4; ++column) result.m[2][column] = -result.m[2][column];
  }
  if (!(flags & D3DTTFF_PROJECTED)) {
    for (int row = 0; row < 4; ++row) result.m[row][3] = row == 3 ? 1.0f : 0.0f;
  } else {
    // The device divides by the last of the coordinates it counts, OpenGL by the fourth.
    const int last = static_cast<int>(std::clamp<DWORD>(flags & 0xFF, 1, 4)) - 1;
    for (int row = 0; row < 4; ++row) result.m[row][3] = result.m[row][last];
  }
  return result;
}

void SetTexGen(DWORD mode) {
  const GLenum coordinates[] = {GL_S, GL_T, GL_R};
  const GLenum gens[] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R};
  GLint generation = 0;
  switch (mode) {
    case D3DTSS_TCI_CAMERASPACENORMAL:
      generation = GL_NORMAL_MAP;
      break;
    case D3DTSS_TCI_CAMERASPACEPOSITION:
      generation = GL_EYE_LINEAR;
      break;
    case D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR:
      generation = GL_REFLECTION_MAP;
      break;
    default:
      break;
  }
  for (int i = 0; i < 3; ++i) {
    Toggle(gens[i], generation != 0);
    if (generation != 0) glTexGeni(coordinates[i], GL_TEXTURE_GEN_MODE, generation);
  }
  if (generation == GL_EYE_LINEAR) {
    // Eye planes are taken through the inverse modelview at the time they are set.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const GLfloat planes[3][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}};
    for (int i = 0; i < 3; ++i) glTexGenfv(coordinates[i], GL_EYE_PLANE, planes[i]);
    glPopMatrix();
  }
}

SamplerValues SamplerValuesOf(const std::array<DWORD, kTextureStageStateCount>& ts) {
  return {ts[D3DTSS_ADDRESSU],  ts[D3DTSS_ADDRESSV],  ts[D3DTSS_ADDRESSW],   ts[D3DTSS_MAGFILTER],
          ts[D3DTSS_MINFILTER], ts[D3DTSS_MIPFILTER], ts[D3DTSS_BORDERCOLOR]};
}

bool SamplerCurrent(const TextureBinding& texture, const SamplerValues& wanted) {
  return texture.sampler != nullptr && texture.sampler->set && texture.sampler->values == wanted;
}

// Gives the texture bound on the active unit a stage's sampling settings.
void ApplySampler(const TextureBinding& texture, const SamplerValues& values) {
  const auto [addressU, addressV, addressW, mag, min, mip, border] = values;
  glTexParameteri(texture.target, GL_TEXTURE_WRAP_S, AddressOf(addressU));
  glTexParameteri(texture.target, GL_TEXTURE_WRAP_T, AddressOf(addressV));
  glTexParameteri(texture.target, GL_TEXTURE_WRAP_R, AddressOf(addressW));
  glTexParameteri(texture.target, GL_TEXTURE_MAG_FILTER,
                  mag >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST);
  glTexParameteri(texture.target, GL_TEXTURE_MIN_FILTER, MinFilterOf(min, mip));
  glTexParameterfv(texture.target, GL_TEXTURE_BORDER_COLOR,
                   ColorOf(static_cast<D3DCOLOR>(border)).data());
  if (texture.sampler != nullptr) *texture.sampler = {values, true};
}

// A stage's combiner, coordinate generation and texture matrix, on the active unit.
void ApplyStage(const FixedFunctionState& state, const VertexLayout& layout, bool textured,
                UINT stage) {
  const auto& ts = state.stageStates[stage];
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
  glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR,
             ColorOf(static_cast<D3DCOLOR>(state.renderStates[D3DRS_TEXTUREFACTOR])).data());
  DWORD colorOp = ts[D3DTSS_COLOROP];
  DWORD alphaOp = ts[D3DTSS_ALPHAOP];
  // A first stage without a texture that would read one passes the diffuse colour on.
  if (!textured && stage == 0) {
    if (ReadsTexture(colorOp, ts[D3DTSS_COLORARG1], ts[D3DTSS_COLORARG2])) colorOp = 0;
    if (ReadsTexture(alphaOp, ts[D3DTSS_ALPHAARG1], ts[D3DTSS_ALPHAARG2])) alphaOp = 0;
  }
  SetCombiner(false, colorOp, ts[D3DTSS_COLORARG1], ts[D3DTSS_COLORARG2], stage);
  SetCombiner(true, alphaOp, ts[D3DTSS_ALPHAARG1], ts[D3DTSS_ALPHAARG2], stage);

  const DWORD generation = ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF0000u;
  SetTexGen(layout.pretransformed ? D3DTSS_TCI_PASSTHRU : generation);
  glMatrixMode(GL_TEXTURE);
  const DWORD flags = ts[D3DTSS_TEXTURETRANSFORMFLAGS];
  if ((flags & 0xFF) == D3DTTFF_DISABLE || layout.pretransformed) {
    glLoadIdentity();
  } else {
    const UINT set = ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    const UINT size = set < layout.texCount ? layout.texSize[set] : 2;
    LoadMatrix(TextureMatrixOf(state.Transform(D3DTS_TEXTURE0 + stage), flags, size,
                               generation != D3DTSS_TCI_PASSTHRU));
  }
}

// ---- Lighting
// --------------------------------------------------------------------------------------

// Sets the enabled lights (mapped onto OpenGL's eight) with the view loaded, so that OpenGL keeps
// their positions in eye space, and the light model and material.
void ApplyLights(const FixedFunctionState& state, std::span<const D3DLIGHT8> lights, bool lit) {
  Toggle(GL_LIGHTING, lit);
  UINT used = 0;
  for (const D3DLIGHT8& l : lights) {
    const GLenum light = GL_LIGHT0 + used++;
    glEnable(light);
    glLightfv(light, GL_DIFFUSE, ColorOf(l.Diffuse).data());
    glLightfv(light, GL_SPECULAR, ColorOf(l.Specular).data());
    glLightfv(light, GL_AMBIENT, ColorOf(l.Ambient).data());
    const bool directional = l.Type == D3DLIGHT_DIRECTIONAL;
    const GLfloat position[4] = {
        directional ? -l.Direction.x : l.Position.x, directional ? -l.Direction.y : l.Position.y,
        directional ? -l.Direction.z : l.Position.z, directional ? 0.0f : 1.0f};
    glLightfv(light, GL_POSITION, position);
    const GLfloat direction[3] = {l.Direction.x, l.Direction.y, l.Direction.z};
    glLightfv(light, GL_SPOT_DIRECTION, direction);
    const bool spot = l.Type == D3DLIGHT_SPOT;
    constexpr float kNoCone = 180.0f;  // degrees
    glLightf(light, GL_SPOT_CUTOFF, spot ? l.Phi * 0.5f * kDegreesPerRadian : kNoCone);
    glLightf(light, GL_SPOT_EXPONENT, spot ? std::clamp(l.Falloff, 0.0f, kMaxShininess) : 0.0f);
    const bool attenuated = !directional && (l.Attenuation0 != 0.0f || l.Attenuation1 != 0.0f ||
                                             l.Attenuation2 != 0.0f);
    glLightf(light, GL_CONSTANT_ATTENUATION, attenuated ? l.Attenuation0 : 1.0f);
    glLightf(light, GL_LINEAR_ATTENUATION, attenuated ? l.Attenuation1 : 0.0f);
    glLightf(light, GL_QUADRATIC_ATTENUATION, attenuated ? l.Attenuation2 : 0.0f);
  }
  for (UINT rest = used; rest < kMaxLights; ++rest) glDisable(GL_LIGHT0 + rest);
  if (!lit) return;

  const auto& rs = state.renderStates;
  const bool specular = rs[D3DRS_SPECULARENABLE] != 0;
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ColorOf(static_cast<D3DCOLOR>(rs[D3DRS_AMBIENT])).data());
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, rs[D3DRS_LOCALVIEWER] != 0);
  glLightModeli(GL_LIGHT_MODEL_COLOR_CONTROL,
                specular ? GL_SEPARATE_SPECULAR_COLOR : GL_SINGLE_COLOR);
  const D3DMATERIAL8& m = state.material;
  const std::array<GLfloat, 4> none = {0, 0, 0, 1};
  glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, ColorOf(m.Diffuse).data());
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ColorOf(m.Ambient).data());
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular ? ColorOf(m.Specular).data() : none.data());
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, ColorOf(m.Emissive).data());
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, std::clamp(m.Power, 0.0f, kMaxShininess));
  Toggle(GL_NORMALIZE, rs[D3DRS_NORMALIZENORMALS] != 0);
}

// Which material colour follows the vertex colour, or 0 for none.
GLenum ColorMaterialOf(const FixedFunctionState& state, const VertexLayout& layout) {
  const auto& rs = state.renderStates;
  if (!rs[D3DRS_COLORVERTEX] || layout.diffuse == VertexLayout::kAbsent) return 0;
  const bool diffuse = rs[D3DRS_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR1;
  const bool ambient = rs[D3DRS_AMBIENTMATERIALSOURCE] == D3DMCS_COLOR1;
  if (diffuse && ambient) return GL_AMBIENT_AND_DIFFUSE;
  if (diffuse) return GL_DIFFUSE;
  if (ambient) return GL_AMBIENT;
  if (rs[D3DRS_EMISSIVEMATERIALSOURCE] == D3DMCS_COLOR1) return GL_EMISSION;
  return 0;
}

}  // namespace

VertexLayout LayoutOf(DWORD fvf) {
  VertexLayout layout;
  UINT offset = 0;
  const DWORD position = fvf & D3DFVF_POSITION_MASK;
  layout.pretransformed = position == D3DFVF_XYZRHW;
  constexpr UINT kFloat = 4;
  if (position == D3DFVF_XYZRHW) {
    offset = 4 * kFloat;
  } else if (position == D3DFVF_XYZ) {
    offset = 3 * kFloat;
  } else if (position != 0) {
    // XYZB1 .. XYZB5: one to five values after the position; with LASTBETA_UBYTE4 the last one
    // holds four matrix indices instead of a weight.
    const UINT betas = (position - D3DFVF_XYZRHW) / 2;
    layout.weights = (fvf & D3DFVF_LASTBETA_UBYTE4) ? betas - 1 : betas;
    offset = 3 * kFloat + betas * kFloat;
  }
  if (fvf & D3DFVF_NORMAL) {
    layout.normal = offset;
    offset += 3 * kFloat;
  }
  if (fvf & D3DFVF_PSIZE) offset += kFloat;
  if (fvf & D3DFVF_DIFFUSE) {
    layout.diffuse = offset;
    offset += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    layout.specular = offset;
    offset += 4;
  }
  layout.texCount = std::min<UINT>((fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT, 8);
  for (UINT set = 0; set < layout.texCount; ++set) {
    constexpr UINT kSizes[4] = {2, 3, 4, 1};  // by D3DFVF_TEXTUREFORMATn
    layout.texOffset[set] = offset;
    layout.texSize[set] = kSizes[(fvf >> (16 + set * 2)) & 3];
    offset += layout.texSize[set] * kFloat;
  }
  return layout;
}

GLenum PrimitiveMode(D3DPRIMITIVETYPE type) {
  switch (type) {
    case D3DPT_POINTLIST:
      return GL_POINTS;
    case D3DPT_LINELIST:
      return GL_LINES;
    case D3DPT_LINESTRIP:
      return GL_LINE_STRIP;
    case D3DPT_TRIANGLESTRIP:
      return GL_TRIANGLE_STRIP;
    case D3DPT_TRIANGLEFAN:
      return GL_TRIANGLE_FAN;
    default:
      return GL_TRIANGLES;
  }
}

// OpenGL 2.1 has no texture of signed offsets: a V8U8 texel is sampled biased to unsigned, u + 128
// as red and v + 128 as green, with blue at full.
std::vector<BYTE> BiasedOffsets(const BYTE* pixels, UINT width, UINT height) {
  constexpr BYTE kSignBias = 0x80;
  constexpr BYTE kFull = 0xFF;
  const size_t count = size_t{width} * height;
  std::vector<BYTE> rgb(count * 3);
  for (size_t i = 0; i < count; ++i) {
    rgb[3 * i] = static_cast<BYTE>(pixels[2 * i] ^ kSignBias);
    rgb[3 * i + 1] = static_cast<BYTE>(pixels[2 * i + 1] ^ kSignBias);
    rgb[3 * i + 2] = kFull;
  }
  return rgb;
}

void UploadPixels(GLenum target, GLint level, D3DFORMAT format, UINT width, UINT height,
                  const BYTE* pixels) {
  const PixelFormat gl = PixelFormatOf(format);
  if (format == D3DFMT_V8U8) {
    const std::vector<BYTE> rgb = BiasedOffsets(pixels, width, height);
    glTexImage2D(target, level, gl.internal, static_cast<GLsizei>(width),
                 static_cast<GLsizei>(height), 0, gl.format, gl.type, rgb.data());
  } else if (gl.format == 0) {
    glCompressedTexImage2D(target, level, static_cast<GLenum>(gl.internal),
                           static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                           static_cast<GLsizei>(SurfaceSize(format, width, height)), pixels);
  } else {
    glTexImage2D(target, level, gl.internal, static_cast<GLsizei>(width),
                 static_cast<GLsizei>(height), 0, gl.format, gl.type, pixels);
  }
}

void ReadPixels(D3DFORMAT format, UINT width, UINT height, BYTE* pixels) {
  const PixelFormat gl = PixelFormatOf(format);
  if (gl.format == 0) return;  // never a render target
  glReadPixels(0, 0, static_cast<GLsizei>(width), static_cast<GLsizei>(height), gl.format, gl.type,
               pixels);
}

void PretransformPositions(const BYTE* vertices, UINT stride, UINT first, UINT count,
                           const D3DVIEWPORT8& viewport, std::vector<float>* positions) {
  positions->resize((static_cast<size_t>(first) + count) * 4);
  const auto width = static_cast<float>(viewport.Width);
  const auto height = static_cast<float>(viewport.Height);
  for (UINT i = first; i < first + count; ++i) {
    float in[4];
    std::memcpy(in, vertices + static_cast<size_t>(i) * stride, sizeof in);
    const float w = in[3] != 0.0f ? 1.0f / in[3] : 1.0f;
    // Pixel centres lie on whole screen coordinates for the device and half-way for OpenGL.
    const float x = (in[0] + 0.5f - static_cast<float>(viewport.X)) / width * 2.0f - 1.0f;
    const float y = (in[1] + 0.5f - static_cast<float>(viewport.Y)) / height * 2.0f - 1.0f;
    const float z = in[2] * 2.0f - 1.0f;
    float* out = positions->data() + static_cast<size_t>(i) * 4;
    out[0] = x * w;
    out[1] = y * w;
    out[2] = z * w;
    out[3] = w;
  }
}

UINT ActiveStages(const FixedFunctionState& state, UINT units) {
  UINT active = 0;
  while (active < units && state.stageStates[active][D3DTSS_COLOROP] != D3DTOP_DISABLE) ++active;
  return active;
}

void StateCache::BindBuffer(GLenum kind, GLuint name) {
  const size_t slot = kind == GL_ARRAY_BUFFER ? 0 : 1;
  if (buffersValid_[slot] && buffers_[slot] == name) return;
  glBindBuffer(kind, name);
  buffers_[slot] = name;
  buffersValid_[slot] = true;
}

void StateCache::ForgetObjects() {
  bindingValid_.fill(false);
  arraysValid_ = false;
  buffersValid_.fill(false);
}

void StateCache::SetVertexArrays(const FixedFunctionState& state, const DrawInputs& inputs,
                                 const VertexSource& vertices) {
  const VertexLayout& layout = inputs.layout;
  const auto& rs = state.renderStates;
  ArraysKey key{layout, vertices, {}, false, false};
  for (UINT stage = 0; stage < kMaxTextureStages; ++stage) {
    key.sets[stage] = state.stageStates[stage][D3DTSS_TEXCOORDINDEX] & 0xFFFF;
  }
  key.lit = rs[D3DRS_LIGHTING] != 0 && !layout.pretransformed;
  key.specular = layout.specular != VertexLayout::kAbsent && rs[D3DRS_SPECULARENABLE] && !key.lit;
  BindBuffer(GL_ARRAY_BUFFER, vertices.arrayBuffer);
  if (arraysValid_ && key.layout == arrays_.layout && key.vertices == arrays_.vertices &&
      key.sets == arrays_.sets && key.lit == arrays_.lit && key.specular == arrays_.specular) {
    return;
  }
  arrays_ = key;
  arraysValid_ = true;

  const auto s = static_cast<GLsizei>(vertices.stride);
  const BYTE* source = vertices.source;
  if (layout.normal != VertexLayout::kAbsent && key.lit) {
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, s, source + layout.normal);
  } else {
    glDisableClientState(GL_NORMAL_ARRAY);
    glNormal3f(0.0f, 0.0f, 0.0f);
  }
  if (layout.diffuse != VertexLayout::kAbsent) {
    glEnableClientState(GL_COLOR_ARRAY);
    glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, s, source + layout.diffuse);
  } else {
    glDisableClientState(GL_COLOR_ARRAY);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  }
  Toggle(GL_COLOR_SUM, key.specular);
  if (key.specular) {
    glEnableClientState(GL_SECONDARY_COLOR_ARRAY);
    glSecondaryColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, s, source + layout.specular);
  } else {
    glDisableClientState(GL_SECONDARY_COLOR_ARRAY);
  }
  for (UINT stage = 0; stage < kMaxTextureStages; ++stage) {
    glClientActiveTexture(GL_TEXTURE0 + stage);
    const UINT set = key.sets[stage];
    if (set < layout.texCount) {
      glEnableClientState(GL_TEXTURE_COORD_ARRAY);
      glTexCoordPointer(static_cast<GLint>(layout.texSize[set]), GL_FLOAT, s,
                        source + layout.texOffset[set]);
    } else {
      glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
  }
  glClientActiveTexture(GL_TEXTURE0);
  glEnableClientState(GL_VERTEX_ARRAY);
  if (vertices.positions != nullptr) {
    // Pre-transformed positions sit in memory, not in the buffer.
    BindBuffer(GL_ARRAY_BUFFER, 0);
    glVertexPointer(4, GL_FLOAT, 4 * sizeof(float), vertices.positions);
  } else {
    glVertexPointer(3, GL_FLOAT, s, source);
  }
}

void StateCache::ApplyProjection(const FixedFunctionState& state, bool pretransformed) {
  const D3DVIEWPORT8& viewport = state.viewport;
  const D3DMATRIX projection =
      pretransformed ? IdentityMatrix() : state.Transform(D3DTS_PROJECTION);
  if (projectionValid_ && pretransformed == pretransformed_ && Same(viewport, viewport_) &&
      Same(projection, projection_)) {
    return;
  }
  projectionValid_ = true;
  pretransformed_ = pretransformed;
  viewport_ = viewport;
  projection_ = projection;
  glViewport(static_cast<GLint>(viewport.X), static_cast<GLint>(viewport.Y),
             static_cast<GLsizei>(viewport.Width), static_cast<GLsizei>(viewport.Height));
  glMatrixMode(GL_PROJECTION);
  if (pretransformed) {
    glDepthRange(0.0, 1.0);
    glLoadIdentity();
    return;
  }
  glDepthRange(viewport.MinZ, viewport.MaxZ);
  // Clip space: y flips so that row 0 is the top, z goes from 0..w to -w..w, and the half-pixel
  // shift puts pixel centres where the device has them.
  const GLfloat toOpenGl[16] = {1,
                                0,
                                0,
                                0,
                                0,
                                -1,
                                0,
                                0,
                                0,
                                0,
                                2,
                                0,
                                1.0f / static_cast<float>(viewport.Width),
                                1.0f / static_cast<float>(viewport.Height),
                                -1,
                                1};
  glLoadMatrixf(toOpenGl);
  MultiplyMatrix(projection);
  glMultMatrixf(kFlipZ);
}

void StateCache::ApplyLightsAndWorld(const FixedFunctionState& state, const DrawInputs& inputs) {
  const bool pretransformed = inputs.layout.pretransformed;
  LightsKey key;
  key.lit = state.renderStates[D3DRS_LIGHTING] != 0 && !pretransformed;
  key.view = pretransformed ? IdentityMatrix() : EyeSpace(state.Transform(D3DTS_VIEW));
  if (key.lit) {
    for (const auto& [index, slot] : state.lights) {
      if (slot.enabled && key.lightCount < kMaxLights) key.lights[key.lightCount++] = slot.light;
    }
    const auto& rs = state.renderStates;
    key.model = {rs[D3DRS_AMBIENT], rs[D3DRS_LOCALVIEWER], rs[D3DRS_SPECULARENABLE],
                 rs[D3DRS_NORMALIZENORMALS]};
    key.material = state.material;
  }
  const bool lightsKept =
      lightsValid_ && key.lit == lights_.lit && Same(key.view, lights_.view) &&
      key.model == lights_.model && Same(key.material, lights_.material) &&
      key.lightCount == lights_.lightCount &&
      std::equal(key.lights.begin(), key.lights.begin() + key.lightCount, lights_.lights.begin(),
                 [](const D3DLIGHT8& a, const D3DLIGHT8& b) { return Same(a, b); });
  if (!lightsKept) {
    glMatrixMode(GL_MODELVIEW);
    LoadMatrix(key.view);
    ApplyLights(state, std::span(key.lights).first(key.lightCount), key.lit);
    lights_ = key;
    lightsValid_ = true;
    worldValid_ = false;
  }
  // A blended draw arrives in world space already.
  const D3DMATRIX world =
      pretransformed || inputs.blended ? IdentityMatrix() : state.Transform(D3DTS_WORLD);
  const D3DMATRIX modelView = Multiply(world, lights_.view);
  if (worldValid_ && Same(modelView, modelView_)) return;
  glMatrixMode(GL_MODELVIEW);
  LoadMatrix(modelView);
  modelView_ = modelView;
  worldValid_ = true;
}

void StateCache::ApplyRenderStates(const FixedFunctionState& state, const DrawInputs& inputs) {
  const auto& rs = state.renderStates;
  const VertexLayout& layout = inputs.layout;
  const bool lit = rs[D3DRS_LIGHTING] != 0 && !layout.pretransformed;
  const std::array<bool, 3> renderInputs = {inputs.hasDepth, layout.pretransformed, lit};
  const GLenum colorMaterial = lit ? ColorMaterialOf(state, layout) : 0;
  if (renderStatesValid_ && renderInputs == renderInputs_ && rs == renderStates_ &&
      colorMaterial == colorMaterial_) {
    return;
  }
  renderStatesValid_ = true;
  renderInputs_ = renderInputs;
  renderStates_ = rs;
  colorMaterial_ = colorMaterial;

  if (colorMaterial != 0) glColorMaterial(GL_FRONT_AND_BACK, colorMaterial);
  Toggle(GL_COLOR_MATERIAL, colorMaterial != 0);

  const bool depth = inputs.hasDepth && rs[D3DRS_ZENABLE] != 0;
  Toggle(GL_DEPTH_TEST, depth);
  glDepthFunc(CompareOf(rs[D3DRS_ZFUNC]));
  glDepthMask(rs[D3DRS_ZWRITEENABLE] != 0 ? GL_TRUE : GL_FALSE);
  const float bias = static_cast<float>(rs[D3DRS_ZBIAS]);
  Toggle(GL_POLYGON_OFFSET_FILL, bias != 0.0f);
  glPolygonOffset(0.0f, -bias);

  // Rows run top down, so what the device sees clockwise OpenGL sees counter-clockwise.
  glFrontFace(GL_CCW);
  Toggle(GL_CULL_FACE, rs[D3DRS_CULLMODE] != D3DCULL_NONE);
  glCullFace(rs[D3DRS_CULLMODE] == D3DCULL_CW ? GL_FRONT : GL_BACK);
  glPolygonMode(GL_FRONT_AND_BACK, rs[D3DRS_FILLMODE] == D3DFILL_POINT       ? GL_POINT
                                   : rs[D3DRS_FILLMODE] == D3DFILL_WIREFRAME ? GL_LINE
                                                                             : GL_FILL);
  glShadeModel(rs[D3DRS_SHADEMODE] == D3DSHADE_FLAT ? GL_FLAT : GL_SMOOTH);
  glPointSize(std::max(FloatOf(rs[D3DRS_POINTSIZE]), 1.0f));

  Toggle(GL_ALPHA_TEST, rs[D3DRS_ALPHATESTENABLE] != 0);
  glAlphaFunc(CompareOf(rs[D3DRS_ALPHAFUNC]),
              static_cast<float>(rs[D3DRS_ALPHAREF] & 0xFF) / kChannel);
  Toggle(GL_BLEND, rs[D3DRS_ALPHABLENDENABLE] != 0);
  const auto [sourceFactor, destinationFactor] =
      BlendFactorsOf(rs[D3DRS_SRCBLEND], rs[D3DRS_DESTBLEND]);
  glBlendFunc(sourceFactor, destinationFactor);
  const DWORD write = rs[D3DRS_COLORWRITEENABLE];
  glColorMask((write & 1) != 0, (write & 2) != 0, (write & 4) != 0, (write & 8) != 0);

  Toggle(GL_STENCIL_TEST, inputs.hasDepth && rs[D3DRS_STENCILENABLE] != 0);
  glStencilFunc(CompareOf(rs[D3DRS_STENCILFUNC]), static_cast<GLint>(rs[D3DRS_STENCILREF]),
                rs[D3DRS_STENCILMASK]);
  glStencilOp(StencilOpOf(rs[D3DRS_STENCILFAIL]), StencilOpOf(rs[D3DRS_STENCILZFAIL]),
              StencilOpOf(rs[D3DRS_STENCILPASS]));
  glStencilMask(rs[D3DRS_STENCILWRITEMASK]);

  const DWORD fogMode =
      rs[D3DRS_FOGTABLEMODE] != D3DFOG_NONE ? rs[D3DRS_FOGTABLEMODE] : rs[D3DRS_FOGVERTEXMODE];
  const bool fog = rs[D3DRS_FOGENABLE] != 0 && fogMode != D3DFOG_NONE && !layout.pretransformed;
  Toggle(GL_FOG, fog);
  if (fog) {
    glFogi(GL_FOG_MODE, static_cast<GLint>(FogModeOf(fogMode)));
    glFogf(GL_FOG_START, FloatOf(rs[D3DRS_FOGSTART]));
    glFogf(GL_FOG_END, FloatOf(rs[D3DRS_FOGEND]));
    glFogf(GL_FOG_DENSITY, FloatOf(rs[D3DRS_FOGDENSITY]));
    glFogfv(GL_FOG_COLOR, ColorOf(static_cast<D3DCOLOR>(rs[D3DRS_FOGCOLOR])).data());
    // Range fog (by the distance to the eye, not the depth) is a feature of vertex fog.
    const bool range = rs[D3DRS_RANGEFOGENABLE] != 0 && rs[D3DRS_FOGTABLEMODE] == D3DFOG_NONE;
    glFogi(GL_FOG_DISTANCE_MODE_NV, range ? GL_EYE_RADIAL_NV : GL_EYE_PLANE_ABSOLUTE_NV);
  }
}

void StateCache::ApplyStages(const FixedFunctionState& state, const DrawInputs& inputs) {
  const VertexLayout& layout = inputs.layout;
  // Outside Apply unit 0 is the active one, which texture uploads rely on.
  UINT activeUnit = 0;
  const auto select = [&activeUnit](UINT unit) {
    if (unit == activeUnit) return;
    glActiveTexture(GL_TEXTURE0 + unit);
    activeUnit = unit;
  };
  const UINT active = ActiveStages(state, units_);
  for (UINT stage = 0; stage < units_; ++stage) {
    if (stage >= active) {
      if (bindingValid_[stage] && !unitOn_[stage]) continue;
      select(stage);
      glDisable(GL_TEXTURE_2D);
      glDisable(GL_TEXTURE_CUBE_MAP);
      bindingValid_[stage] = true;
      unitOn_[stage] = false;
      continue;
    }
    const TextureBinding& texture = inputs.textures[stage];
    const bool known = bindingValid_[stage] && unitOn_[stage];
    if (!known || !(texture == bindings_[stage])) {
      select(stage);
      if (!known || texture.target != bindings_[stage].target) {
        glDisable(texture.target == GL_TEXTURE_2D ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D);
        glEnable(texture.target);
      }
      glBindTexture(texture.target, texture.name);
      bindings_[stage] = texture;
      bindingValid_[stage] = true;
      unitOn_[stage] = true;
    }

    const auto& ts = state.stageStates[stage];
    const UINT set = ts[D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    const StageKey key = {ts,
                          texture.bound,
                          state.renderStates[D3DRS_TEXTUREFACTOR],
                          layout.pretransformed,
                          set < layout.texCount ? layout.texSize[set] : 0,
                          state.Transform(D3DTS_TEXTURE0 + stage)};
    const StageKey& last = stages_[stage];
    if (!stageValid_[stage] || key.states != last.states || key.bound != last.bound ||
        key.textureFactor != last.textureFactor || key.pretransformed != last.pretransformed ||
        key.inputSize != last.inputSize || !Same(key.matrix, last.matrix)) {
      select(stage);
      ApplyStage(state, layout, texture.bound, stage);
      stages_[stage] = key;
      stageValid_[stage] = true;
    }
    const SamplerValues sampler = SamplerValuesOf(ts);
    if (!SamplerCurrent(texture, sampler)) {
      select(stage);
      ApplySampler(texture, sampler);
    }
  }
  select(0);
}

void StateCache::Apply(const FixedFunctionState& state, const DrawInputs& inputs) {
  ApplyProjection(state, inputs.layout.pretransformed);
  ApplyLightsAndWorld(state, inputs);
  ApplyRenderStates(state, inputs);
  ApplyStages(state, inputs);
}

}  // namespace d3d::gl
