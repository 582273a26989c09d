#include "bench/engine_frame/plain_gl_frame.h"

#include <cstring>
#include <map>
#include <string>

#include "platform/d3d/gl_context.h"
#include "platform/d3d/gl_state.h"

namespace bench {

using namespace d3d;
using d3d::gl::LayoutOf;
using d3d::gl::PrimitiveMode;
using d3d::gl::VertexLayout;

namespace {

GLenum BlendFactor(DWORD blend) {
  static constexpr GLenum kFactors[] = {GL_ZERO,
                                        GL_ZERO,
                                        GL_ONE,
                                        GL_SRC_COLOR,
                                        GL_ONE_MINUS_SRC_COLOR,
                                        GL_SRC_ALPHA,
                                        GL_ONE_MINUS_SRC_ALPHA,
                                        GL_DST_ALPHA,
                                        GL_ONE_MINUS_DST_ALPHA,
                                        GL_DST_COLOR,
                                        GL_ONE_MINUS_DST_COLOR,
                                        GL_SRC_ALPHA_SATURATE};
  return blend < std::size(kFactors) ? kFactors[blend] : GL_ONE;
}

// The comparisons are numbered in the same order, from never to always.
GLenum Comparison(DWORD func) { return GL_NEVER + (func == 0 ? 7 : func - 1); }

GLenum Source(DWORD arg, UINT stage) {
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_TEXTURE:
      return GL_TEXTURE;
    case D3DTA_TFACTOR:
      return GL_CONSTANT;
    case D3DTA_CURRENT:
      return stage == 0 ? GL_PRIMARY_COLOR : GL_PREVIOUS;
    default:
      return GL_PRIMARY_COLOR;
  }
}

// One half (colour or alpha) of a stage's combiner: the select and modulate forms.
void Combine(GLenum combine, GLenum source0, GLenum source1, GLenum scaleName, DWORD op, DWORD arg1,
             DWORD arg2, UINT stage) {
  const bool select = op == D3DTOP_SELECTARG1 || op == D3DTOP_SELECTARG2;
  glTexEnvi(GL_TEXTURE_ENV, combine, select ? GL_REPLACE : op == D3DTOP_ADD ? GL_ADD : GL_MODULATE);
  glTexEnvi(GL_TEXTURE_ENV, source0, Source(op == D3DTOP_SELECTARG2 ? arg2 : arg1, stage));
  glTexEnvi(GL_TEXTURE_ENV, source1, Source(arg2, stage));
  glTexEnvf(GL_TEXTURE_ENV, scaleName,
            op == D3DTOP_MODULATE2X   ? 2.0f
            : op == D3DTOP_MODULATE4X ? 4.0f
                                      : 1.0f);
}

UINT VertexCount(D3DPRIMITIVETYPE type, UINT primitives) {
  switch (type) {
    case D3DPT_POINTLIST:
      return primitives;
    case D3DPT_LINELIST:
      return primitives * 2;
    case D3DPT_LINESTRIP:
      return primitives + 1;
    case D3DPT_TRIANGLELIST:
      return primitives * 3;
    default:
      return primitives + 2;  // strips and fans
  }
}

struct Target {
  GLuint colour = 0, depth = 0, framebuffer = 0;
  UINT width = 0, height = 0;
};

struct Draw {
  DrawRecord record;
  Target* target = nullptr;
  bool clearsTarget = false;
  VertexLayout layout;
  GLuint vertexBuffer = 0, indexBuffer = 0;  // the draws from the device's buffers
  std::array<GLuint, kMaxTextureStages> textures{};
  GLsizei count = 0;  // vertices or indices drawn
};

}  // namespace

struct PlainGlFrame::Impl {
  std::unique_ptr<gl::Context> context;
  std::map<IDirect3DSurface8*, Target> targets;
  std::map<IDirect3DBaseTexture8*, GLuint> textures;
  std::vector<GLuint> ownTextures;
  std::vector<Draw> draws;

  GLuint TextureOf(IDirect3DBaseTexture8* base);
  void Apply(const Draw& draw);
  void Arrays(const Draw& draw);
};

GLuint PlainGlFrame::Impl::TextureOf(IDirect3DBaseTexture8* base) {
  if (base == nullptr || base->GetType() != D3DRTYPE_TEXTURE) return 0;
  if (const auto known = textures.find(base); known != textures.end()) return known->second;
  auto* texture = static_cast<IDirect3DTexture8*>(base);
  IDirect3DSurface8* level = nullptr;
  texture->GetSurfaceLevel(0, &level);
  level->Release();
  if (const auto target = targets.find(level); target != targets.end())
    return textures[base] = target->second.colour;
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(0, &desc);
  // Texels as the device keeps them; other formats are drawn white.
  const bool wide = desc.Format == D3DFMT_A8R8G8B8 || desc.Format == D3DFMT_X8R8G8B8;
  const bool narrow = desc.Format == D3DFMT_A4R4G4B4;
  const size_t rowBytes = size_t{desc.Width} * (narrow ? 2 : 4);
  std::vector<BYTE> texels(rowBytes * desc.Height, 0xFF);
  D3DLOCKED_RECT locked{};
  if ((wide || narrow) && texture->LockRect(0, &locked, nullptr, D3DLOCK_READONLY) == D3D_OK) {
    for (UINT y = 0; y < desc.Height; ++y)
      std::memcpy(&texels[y * rowBytes],
                  static_cast<const BYTE*>(locked.pBits) + y * static_cast<size_t>(locked.Pitch),
                  rowBytes);
    texture->UnlockRect(0);
  }
  // The device reads a texture it drew back into memory in its own context, which the lock leaves
  // current: what follows belongs to the peer's.
  context->MakeCurrent();
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0,
               narrow                           ? GL_RGBA4
               : desc.Format == D3DFMT_X8R8G8B8 ? GL_RGB8
                                                : GL_RGBA8,
               static_cast<GLsizei>(desc.Width), static_cast<GLsizei>(desc.Height), 0, GL_BGRA,
               narrow ? GL_UNSIGNED_SHORT_4_4_4_4_REV : GL_UNSIGNED_BYTE, texels.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  ownTextures.push_back(name);
  return textures[base] = name;
}

void PlainGlFrame::Impl::Apply(const Draw& draw) {
  const FixedFunctionState& state = draw.record.state;
  const auto rs = [&](DWORD name) { return state.renderStates[name]; };
  const auto enable = [](GLenum cap, bool on) { on ? glEnable(cap) : glDisable(cap); };
  const D3DVIEWPORT8& view = state.viewport;
  glViewport(static_cast<GLint>(view.X), static_cast<GLint>(view.Y),
             static_cast<GLsizei>(view.Width), static_cast<GLsizei>(view.Height));
  glDepthRange(view.MinZ, view.MaxZ);
  // The device's rows run top down and these bottom up (the peer draws its pictures upright, the
  // device upside down): a scissor of the device's rows is the mirror of these.
  const RECT& scissor = state.scissor;
  enable(GL_SCISSOR_TEST, scissor.right > scissor.left && scissor.bottom > scissor.top);
  glScissor(scissor.left, static_cast<GLint>(draw.target->height) - scissor.bottom,
            scissor.right - scissor.left, scissor.bottom - scissor.top);
  glMatrixMode(GL_PROJECTION);
  const bool screen = draw.layout.pretransformed;
  if (screen) {
    glLoadIdentity();
    glOrtho(view.X, view.X + view.Width, view.Y + view.Height, view.Y, 0, -1);
  } else {
    D3DMATRIX projection = state.Transform(D3DTS_PROJECTION);
    for (auto& row : projection.m) row[2] = 2 * row[2] - row[3];  // depth 0..1 to -1..1
    glLoadMatrixf(&projection.m[0][0]);
  }
  glMatrixMode(GL_MODELVIEW);
  const D3DMATRIX viewMatrix = state.Transform(D3DTS_VIEW);
  glLoadMatrixf(&viewMatrix.m[0][0]);
  const bool lit =
      !screen && rs(D3DRS_LIGHTING) != 0 && draw.layout.normal != VertexLayout::kAbsent;
  enable(GL_LIGHTING, lit);
  if (lit) {
    enable(GL_NORMALIZE, rs(D3DRS_NORMALIZENORMALS) != 0);
    GLenum next = GL_LIGHT0;
    for (const auto& [index, slot] : state.lights) {
      if (!slot.enabled || next > GL_LIGHT7) continue;
      const D3DLIGHT8& light = slot.light;
      const float position[4] = {-light.Direction.x, -light.Direction.y, -light.Direction.z, 0};
      glLightfv(next, GL_POSITION, position);
      glLightfv(next, GL_DIFFUSE, &light.Diffuse.r);
      glLightfv(next, GL_AMBIENT, &light.Ambient.r);
      glLightfv(next, GL_SPECULAR, &light.Specular.r);
      glEnable(next++);
    }
    for (; next <= GL_LIGHT7; ++next) glDisable(next);
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, &state.material.Diffuse.r);
    glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, &state.material.Ambient.r);
    glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, &state.material.Emissive.r);
    const DWORD ambient = rs(D3DRS_AMBIENT);
    const float ambientColour[4] = {static_cast<float>(ambient >> 16 & 0xFF) / 255.0f,
                                    static_cast<float>(ambient >> 8 & 0xFF) / 255.0f,
                                    static_cast<float>(ambient & 0xFF) / 255.0f, 1};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambientColour);
    const bool diffuseFollows = rs(D3DRS_DIFFUSEMATERIALSOURCE) == D3DMCS_COLOR1;
    const bool ambientFollows = rs(D3DRS_AMBIENTMATERIALSOURCE) == D3DMCS_COLOR1;
    glColorMaterial(GL_FRONT_AND_BACK, diffuseFollows && ambientFollows ? GL_AMBIENT_AND_DIFFUSE
                                       : ambientFollows                 ? GL_AMBIENT
                                                                        : GL_DIFFUSE);
    enable(GL_COLOR_MATERIAL, rs(D3DRS_COLORVERTEX) != 0 &&
                                  draw.layout.diffuse != VertexLayout::kAbsent &&
                                  (diffuseFollows || ambientFollows));
  }
  if (screen) {
    glLoadIdentity();
  } else {
    const D3DMATRIX world = state.Transform(D3DTS_WORLD);
    glMultMatrixf(&world.m[0][0]);
  }
  enable(GL_DEPTH_TEST, rs(D3DRS_ZENABLE) != 0);
  glDepthMask(rs(D3DRS_ZWRITEENABLE) != 0 ? GL_TRUE : GL_FALSE);
  glDepthFunc(Comparison(rs(D3DRS_ZFUNC)));
  enable(GL_BLEND, rs(D3DRS_ALPHABLENDENABLE) != 0);
  glBlendFunc(BlendFactor(rs(D3DRS_SRCBLEND)), BlendFactor(rs(D3DRS_DESTBLEND)));
  enable(GL_ALPHA_TEST, rs(D3DRS_ALPHATESTENABLE) != 0);
  glAlphaFunc(Comparison(rs(D3DRS_ALPHAFUNC)), static_cast<float>(rs(D3DRS_ALPHAREF)) / 255.0f);
  // The device flips rows so that row 0 is the top; drawn unflipped, the windings turn round.
  enable(GL_CULL_FACE, rs(D3DRS_CULLMODE) != D3DCULL_NONE);
  glCullFace(rs(D3DRS_CULLMODE) == D3DCULL_CCW ? GL_FRONT : GL_BACK);
  const DWORD factor = rs(D3DRS_TEXTUREFACTOR);
  const float factorColour[4] = {static_cast<float>(factor >> 16 & 0xFF) / 255.0f,
                                 static_cast<float>(factor >> 8 & 0xFF) / 255.0f,
                                 static_cast<float>(factor & 0xFF) / 255.0f,
                                 static_cast<float>(factor >> 24) / 255.0f};
  for (UINT stage = 0; stage < 2; ++stage) {
    const auto& ss = state.stageStates[stage];
    glActiveTexture(GL_TEXTURE0 + stage);
    const bool on = draw.textures[stage] != 0 && ss[D3DTSS_COLOROP] != D3DTOP_DISABLE;
    enable(GL_TEXTURE_2D, on);
    if (!on) continue;
    glBindTexture(GL_TEXTURE_2D, draw.textures[stage]);
    const bool linear = ss[D3DTSS_MINFILTER] >= 2;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, linear ? GL_LINEAR : GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER,
                    ss[D3DTSS_MAGFILTER] >= 2 ? GL_LINEAR : GL_NEAREST);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factorColour);
    Combine(GL_COMBINE_RGB, GL_SOURCE0_RGB, GL_SOURCE1_RGB, GL_RGB_SCALE, ss[D3DTSS_COLOROP],
            ss[D3DTSS_COLORARG1], ss[D3DTSS_COLORARG2], stage);
    Combine(GL_COMBINE_ALPHA, GL_SOURCE0_ALPHA, GL_SOURCE1_ALPHA, GL_ALPHA_SCALE,
            ss[D3DTSS_ALPHAOP], ss[D3DTSS_ALPHAARG1], ss[D3DTSS_ALPHAARG2], stage);
    glMatrixMode(GL_TEXTURE);
    if (ss[D3DTSS_TEXTURETRANSFORMFLAGS] != 0) {
      // Two coordinates take their offset from the third row there, from the fourth here.
      D3DMATRIX matrix = state.Transform(D3DTS_TEXTURE0 + stage);
      std::memcpy(matrix.m[3], matrix.m[2], sizeof matrix.m[3]);
      const float zRow[4] = {0, 0, 1, 0};
      std::memcpy(matrix.m[2], zRow, sizeof zRow);
      glLoadMatrixf(&matrix.m[0][0]);
    } else {
      glLoadIdentity();
    }
    glMatrixMode(GL_MODELVIEW);
  }
}

void PlainGlFrame::Impl::Arrays(const Draw& draw) {
  const VertexLayout& layout = draw.layout;
  const DrawRecord& record = draw.record;
  glBindBuffer(GL_ARRAY_BUFFER, draw.vertexBuffer);
  const BYTE* base = draw.vertexBuffer != 0 ? nullptr : record.vertices.data();
  const auto stride = static_cast<GLsizei>(record.stride);
  glVertexPointer(3, GL_FLOAT, stride, base);
  const auto array = [&](GLenum kind, UINT offset) {
    if (offset == VertexLayout::kAbsent) {
      glDisableClientState(kind);
      return false;
    }
    glEnableClientState(kind);
    return true;
  };
  if (array(GL_NORMAL_ARRAY, layout.normal))
    glNormalPointer(GL_FLOAT, stride, base + layout.normal);
  if (array(GL_COLOR_ARRAY, layout.diffuse))
    glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, base + layout.diffuse);
  else
    glColor4f(1, 1, 1, 1);
  for (UINT stage = 0; stage < 2; ++stage) {
    glClientActiveTexture(GL_TEXTURE0 + stage);
    const UINT set = record.state.stageStates[stage][D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    if (array(GL_TEXTURE_COORD_ARRAY,
              set < layout.texCount ? layout.texOffset[set] : VertexLayout::kAbsent))
      glTexCoordPointer(static_cast<GLint>(layout.texSize[set]), GL_FLOAT, stride,
                        base + layout.texOffset[set]);
  }
}

PlainGlFrame::PlainGlFrame(const std::vector<DrawRecord>& records)
    : impl_(std::make_unique<Impl>()) {
  std::string error;
  impl_->context = gl::Context::Create(nullptr, &error);
  if (!impl_->context) return;
  for (const DrawRecord& record : records) {
    Target& target = impl_->targets[record.renderTarget];
    if (target.framebuffer != 0) continue;
    D3DSURFACE_DESC desc{};
    record.renderTarget->GetDesc(&desc);
    target.width = desc.Width;
    target.height = desc.Height;
    glGenTextures(1, &target.colour);
    glBindTexture(GL_TEXTURE_2D, target.colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, static_cast<GLsizei>(desc.Width),
                 static_cast<GLsizei>(desc.Height), 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    glGenRenderbuffers(1, &target.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, target.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, static_cast<GLsizei>(desc.Width),
                          static_cast<GLsizei>(desc.Height));
    glGenFramebuffers(1, &target.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, target.framebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, target.colour, 0);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, target.depth);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, target.depth);
  }
  Target* previous = nullptr;
  std::map<Target*, bool> cleared;
  for (const DrawRecord& record : records) {
    Draw draw;
    draw.record = record;
    draw.target = &impl_->targets[record.renderTarget];
    draw.clearsTarget = draw.target != previous && !cleared[draw.target];
    cleared[draw.target] = true;
    previous = draw.target;
    draw.layout = LayoutOf(record.fvf);
    for (UINT stage = 0; stage < 2; ++stage)
      draw.textures[stage] = impl_->TextureOf(record.textures[stage]);
    const bool indexed = !record.indices.empty();
    if (indexed) {
      // The recorded vertices start at the lowest index the draw reaches.
      const bool wide = record.indexFormat != D3DFMT_INDEX16;
      const size_t size = wide ? 4 : 2;
      for (size_t at = 0; at < draw.record.indices.size(); at += size) {
        uint32_t value = 0;
        std::memcpy(&value, &draw.record.indices[at], size);
        value -= record.minIndex;
        std::memcpy(&draw.record.indices[at], &value, size);
      }
    }
    draw.count = static_cast<GLsizei>(VertexCount(record.primitive, record.primitiveCount));
    if (record.streamSource != nullptr) {
      glGenBuffers(1, &draw.vertexBuffer);
      glBindBuffer(GL_ARRAY_BUFFER, draw.vertexBuffer);
      glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(record.vertices.size()),
                   record.vertices.data(), GL_STATIC_DRAW);
      if (indexed) {
        glGenBuffers(1, &draw.indexBuffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, draw.indexBuffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(draw.record.indices.size()),
                     draw.record.indices.data(), GL_STATIC_DRAW);
      }
    }
    impl_->draws.push_back(std::move(draw));
  }
  glEnableClientState(GL_VERTEX_ARRAY);
}

PlainGlFrame::~PlainGlFrame() {
  if (!impl_->context) return;
  impl_->context->MakeCurrent();
  for (auto& [surface, target] : impl_->targets) {
    glDeleteTextures(1, &target.colour);
    glDeleteRenderbuffers(1, &target.depth);
    glDeleteFramebuffers(1, &target.framebuffer);
  }
  glDeleteTextures(static_cast<GLsizei>(impl_->ownTextures.size()), impl_->ownTextures.data());
  for (Draw& draw : impl_->draws) {
    glDeleteBuffers(1, &draw.vertexBuffer);
    glDeleteBuffers(1, &draw.indexBuffer);
  }
}

bool PlainGlFrame::Ready() const { return impl_->context != nullptr; }

void PlainGlFrame::Frame() {
  impl_->context->MakeCurrent();
  const Draw* last = nullptr;
  const Target* bound = nullptr;
  for (const Draw& draw : impl_->draws) {
    if (draw.target != bound) {
      glBindFramebuffer(GL_FRAMEBUFFER, draw.target->framebuffer);
      bound = draw.target;
      last = nullptr;
    }
    if (draw.clearsTarget) {
      glDisable(GL_SCISSOR_TEST);
      glDepthMask(GL_TRUE);
      glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
      last = nullptr;
    }
    // Like the device, the state is set again only when it changed.
    if (last == nullptr || last->record.stateDigest != draw.record.stateDigest ||
        last->textures != draw.textures)
      impl_->Apply(draw);
    last = &draw;
    impl_->Arrays(draw);
    const GLenum mode = PrimitiveMode(draw.record.primitive);
    if (draw.record.indices.empty()) {
      glDrawArrays(mode, 0, draw.count);
    } else {
      glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, draw.indexBuffer);
      const GLenum type =
          draw.record.indexFormat == D3DFMT_INDEX16 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT;
      glDrawElements(mode, draw.count, type,
                     draw.indexBuffer != 0 ? nullptr : draw.record.indices.data());
    }
  }
  glFinish();
}

}  // namespace bench
