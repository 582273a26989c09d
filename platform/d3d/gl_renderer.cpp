// The OpenGL device's renderer: mirrors the core's resources into OpenGL objects and draws with
// the fixed-function pipeline, or with ARB vertex programs for vertex shaders (gl_shader.h).
//
// Conventions. Every colour target is a texture attached to one framebuffer object, and rows are
// kept in the layer's order (row 0 at the top) in OpenGL too, so that memory, render-to-texture
// and sampling agree without copies; presenting flips the image into the window. The device's
// matrices are row-vector and left-handed: loaded as they are, OpenGL reads them transposed, which
// is the column-vector form, and a z flip (kFlipZ) on both sides of the view makes OpenGL's eye
// space right-handed for lighting, fog and texture generation without changing what is seen.
#include "platform/d3d/device_core.h"
#include "platform/d3d/format.h"
#include "platform/d3d/gl.h"
#include "platform/d3d/gl_adapters.h"
#include "platform/d3d/gl_blend.h"
#include "platform/d3d/gl_context.h"
#include "platform/d3d/gl_shader.h"
#include "platform/d3d/gl_state.h"
#include "platform/win/window.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

namespace d3d {
namespace gl {
namespace {

using core::CubeTexture;
using core::DrawStream;
using core::DrawSubmission;
using core::IndexBuffer;
using core::RendererData;
using core::RendererSlot;
using core::Surface;
using core::SurfaceLayout;
using core::Texture;
using core::VertexBuffer;

constexpr uint64_t kNeverUploaded = ~uint64_t{0};
// The work of a frame is handed to the rasteriser once, when this share of the primitives of the
// frame before has been drawn, if the frame before had at least kFlushedFrame of them (see
// GlRenderer::Draw).
constexpr uint64_t kFlushedPercent = 80;
constexpr UINT kFlushedFrame = 20000;

class GlRenderer;

// Names of one object, deleted with it through the renderer that made them.
struct SurfaceData final : RendererData {
  explicit SurfaceData(GlRenderer* renderer) : owner(renderer) {}
  ~SurfaceData() override;
  GlRenderer* owner;
  GLuint texture = 0;      // a surface that is not part of a texture
  GLuint depthBuffer = 0;  // a depth surface
  uint64_t uploaded = kNeverUploaded;
  bool drawn = false;  // OpenGL holds pixels that memory does not
};

struct NameData final : RendererData {
  NameData(GlRenderer* renderer, GLuint object, bool isBuffer)
      : owner(renderer), name(object), buffer(isBuffer) {}
  ~NameData() override;
  GlRenderer* owner;
  GLuint name;
  bool buffer;
  uint64_t uploaded = kNeverUploaded;
  SamplerParams sampler;  // a texture's
  // A single-level texture drawn as a target is sampled from a copy of what was drawn, taken when
  // the drawing moves to another target (GlRenderer::TakeCopy says why).
  GLuint copy = 0;
  SamplerParams copySampler;
  bool copyCurrent = false;  // the copy holds the texture's pixels
};

// What the draw framebuffer has attached.
struct Attachments {
  GLenum target = GL_TEXTURE_2D;
  GLuint texture = 0;
  GLint level = 0;
  GLuint depth = 0;

  bool operator==(const Attachments&) const = default;
};

// Where a colour surface lives in OpenGL.
struct ColorPlace {
  GLenum target;  // GL_TEXTURE_2D or a cube face
  GLuint texture;
  GLint level;
};

class GlRenderer final : public core::Renderer {
 public:
  explicit GlRenderer(std::unique_ptr<Context> context, UINT units)
      : context_(std::move(context)), units_(units), cache_(units) {
    glGenFramebuffers(1, &drawFramebuffer_);
    glGenFramebuffers(1, &readFramebuffer_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGenTextures(1, &white_);
    glBindTexture(GL_TEXTURE_2D, white_);
    const uint32_t opaqueWhite = 0xFFFFFFFFu;
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_BYTE, &opaqueWhite);
    // The device's flat shading takes the colour of a triangle's first vertex.
    glProvokingVertex(GL_FIRST_VERTEX_CONVENTION);
  }

  ~GlRenderer() override {
    context_->MakeCurrent();
    CountFragments(-1);
    for (const auto& [counter, query] : counted_) glDeleteQueries(1, &query);
    glDeleteQueries(static_cast<GLsizei>(spareQueries_.size()), spareQueries_.data());
    glDeleteFramebuffers(1, &drawFramebuffer_);
    glDeleteFramebuffers(1, &readFramebuffer_);
    glDeleteTextures(1, &white_);
    for (const auto& [window, front] : fronts_) glDeleteTextures(1, &front.texture);
    glDeleteTextures(1, &gammaTexture_);
  }

  HRESULT Clear(Surface* target, Surface* depth, const std::vector<D3DRECT>& areas, DWORD flags,
                D3DCOLOR color, float z, DWORD stencil) override;
  HRESULT Draw(const DrawSubmission& draw) override;
  HRESULT Present(HWND window, Surface& backBuffer, const D3DGAMMARAMP* gamma) override;
  // Black over the whole window surface bound for drawing.
  void ClearWindow();
  void Download(Surface& surface) override;
  void ReadPresented(HWND window, PresentedImage* image) override;
  void CountFragments(int counter) override;
  std::vector<uint64_t> TakeFragmentCounts() override;

  // Deletes an object's names (0 for none) with the context current.
  void DeleteNames(GLuint texture, GLuint renderbuffer, GLuint buffer);

 private:
  // The fragment counts: a query per stretch of drawing under one counter, and the queries
  // ended and not yet read.
  GLenum countTarget_ = 0;  // the kind of query, chosen on first use
  int copyImages_ = -1;     // GL_ARB_copy_image is there (1) or not (0); -1 until asked
  int counting_ = -1;
  GLuint countQuery_ = 0;
  std::vector<std::pair<int, GLuint>> counted_;
  std::vector<GLuint> spareQueries_;
  struct Front {
    GLuint texture = 0;
    UINT width = 0;
    UINT height = 0;
    GLint format = 0;  // internal format of the texels copied into it, 0 before the first copy
  };
  // Copies the back buffer's texels into the window's front texture.
  void KeepFront(Front& front, Surface& backBuffer);

  // Attaches for reading a copy of the back buffer bound for reading, through the ramp.
  void AttachThroughGamma(GLint width, GLint height, const D3DGAMMARAMP& gamma);

  SurfaceData& DataOf(Surface& surface);
  NameData& TextureData(RendererSlot& slot, UINT levels, bool cube);
  ColorPlace PlaceOf(Surface& surface);
  // Brings memory's pixels up to OpenGL; false when they were there already.
  bool Upload(Surface& surface);
  // The single-level texture whose only level the surface is; null for any other surface.
  static Texture* SingleLevelTexture(Surface& surface);
  // Copies what was drawn into a single-level texture to the copy it is sampled from.
  void TakeCopy(Surface& target);
  // Takes the owed copy of the texture, if it is owed one.
  void TakeCopyOf(const Texture& texture);
  GLuint DepthBufferOf(Surface& depth);
  // Binds the draw framebuffer to the target and depth surface, bringing up what memory changed.
  bool BindTargets(Surface* target, Surface* depth);
  void AttachForReading(Surface& surface);
  TextureBinding BindTexture(IDirect3DBaseTexture8* texture);
  GLuint BufferName(const RendererSlot& slot, GLenum kind, const std::vector<BYTE>& bytes);
  // Binds a stream's buffer (or none) and gives where its vertex 0 is for the vertex arrays.
  VertexSource BindStream(const DrawStream& stream, UINT baseVertex);

  std::unique_ptr<Context> context_;
  GLuint drawFramebuffer_ = 0;
  GLuint readFramebuffer_ = 0;
  GLuint white_ = 0;                   // sampled by stages that have no texture
  GLuint gammaTexture_ = 0;            // the picture a window is shown through the ramp
  std::vector<uint32_t> gammaPixels_;  // its texels
  SamplerParams whiteSampler_;
  UINT units_;  // texture units the fixed-function pipeline drives
  StateCache cache_;
  std::optional<Attachments> attached_;  // unknown when empty
  // The surfaces attached_ came from; deleting any surface empties attached_.
  const Surface* boundTarget_ = nullptr;
  const Surface* boundDepth_ = nullptr;
  // The single-level textures drawn into since their copies were last taken.
  std::vector<Surface*> owed_;
  UINT framePrimitives_ = 0;      // drawn since the last present
  UINT lastFramePrimitives_ = 0;  // between the two presents before
  std::map<HWND, Front> fronts_;
  std::vector<float> positions_;  // pre-transformed positions of the current draw
  std::vector<BYTE> blended_;     // blended vertices of the current draw
};

void GlRenderer::DeleteNames(GLuint texture, GLuint renderbuffer, GLuint buffer) {
  context_->MakeCurrent();
  if (texture != 0) glDeleteTextures(1, &texture);
  if (renderbuffer != 0) glDeleteRenderbuffers(1, &renderbuffer);
  if (buffer != 0) glDeleteBuffers(1, &buffer);
  // OpenGL unbinds what it deletes and may hand the names out again.
  cache_.ForgetObjects();
  attached_.reset();
  // An owed copy's surface may be the one going: their textures are sampled as drawn instead.
  owed_.clear();
}

SurfaceData::~SurfaceData() { owner->DeleteNames(texture, depthBuffer, 0); }

NameData::~NameData() {
  owner->DeleteNames(buffer ? 0 : name, 0, buffer ? name : 0);
  if (copy != 0) owner->DeleteNames(copy, 0, 0);
}

SurfaceData& GlRenderer::DataOf(Surface& surface) {
  auto& data = surface.Slot().Data();
  if (!data) data = std::make_unique<SurfaceData>(this);
  return static_cast<SurfaceData&>(*data);
}

NameData& GlRenderer::TextureData(RendererSlot& slot, UINT levels, bool cube) {
  auto& data = slot.Data();
  if (!data) {
    GLuint name = 0;
    glGenTextures(1, &name);
    data = std::make_unique<NameData>(this, name, false);
    const GLenum target = cube ? GL_TEXTURE_CUBE_MAP : GL_TEXTURE_2D;
    glBindTexture(target, name);
    cache_.ForgetUnitZero();
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
  }
  return static_cast<NameData&>(*data);
}

ColorPlace GlRenderer::PlaceOf(Surface& surface) {
  if (auto* texture = dynamic_cast<Texture*>(surface.Container())) {
    return {GL_TEXTURE_2D, TextureData(texture->Slot(), texture->GetLevelCount(), false).name,
            static_cast<GLint>(surface.Level())};
  }
  if (auto* cube = dynamic_cast<CubeTexture*>(surface.Container())) {
    return {GL_TEXTURE_CUBE_MAP_POSITIVE_X + surface.Face(),
            TextureData(cube->Slot(), cube->GetLevelCount(), true).name,
            static_cast<GLint>(surface.Level())};
  }
  SurfaceData& data = DataOf(surface);
  if (data.texture == 0) {
    glGenTextures(1, &data.texture);
    glBindTexture(GL_TEXTURE_2D, data.texture);
    cache_.ForgetUnitZero();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  }
  return {GL_TEXTURE_2D, data.texture, 0};
}

bool GlRenderer::Upload(Surface& surface) {
  SurfaceData& data = DataOf(surface);
  const uint64_t version = surface.Slot().Version();
  if (surface.IsDepth() || data.uploaded == version) return false;
  const ColorPlace place = PlaceOf(surface);
  const SurfaceLayout& layout = surface.Layout();
  glBindTexture(place.target == GL_TEXTURE_2D ? GL_TEXTURE_2D : GL_TEXTURE_CUBE_MAP, place.texture);
  cache_.ForgetUnitZero();
  UploadPixels(place.target, place.level, layout.format, layout.width, layout.height,
               surface.Bits());
  data.uploaded = version;
  data.drawn = false;
  return true;
}

Texture* GlRenderer::SingleLevelTexture(Surface& surface) {
  auto* texture = dynamic_cast<Texture*>(surface.Container());
  return texture != nullptr && texture->GetLevelCount() == 1 ? texture : nullptr;
}

// The software rasteriser keeps the targets of its finished work until it reuses the work's
// record, and it flushes the work under way whenever sampling changes to a texture any record
// names as a target. Render surfaces redrawn each frame and then drawn on many quads would flush
// it at every quad; sampling a copy, which is never a target, lets the quads' work stay whole.
void GlRenderer::TakeCopy(Surface& target) {
  NameData& data = TextureData(SingleLevelTexture(target)->Slot(), 1, false);
  const SurfaceLayout& layout = target.Layout();
  const auto width = static_cast<GLsizei>(layout.width);
  const auto height = static_cast<GLsizei>(layout.height);
  if (data.copy == 0) {
    glGenTextures(1, &data.copy);
    glBindTexture(GL_TEXTURE_2D, data.copy);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
    UploadPixels(GL_TEXTURE_2D, 0, layout.format, layout.width, layout.height, nullptr);
  } else {
    glBindTexture(GL_TEXTURE_2D, data.copy);
  }
  cache_.ForgetUnitZero();
  AttachForReading(target);
  glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
  data.copyCurrent = true;
}

void GlRenderer::TakeCopyOf(const Texture& texture) {
  const auto owed = std::ranges::find_if(
      owed_, [&](const Surface* surface) { return surface->Container() == &texture; });
  if (owed == owed_.end()) return;
  Surface& target = **owed;
  owed_.erase(owed);
  TakeCopy(target);
}

GLuint GlRenderer::DepthBufferOf(Surface& depth) {
  SurfaceData& data = DataOf(depth);
  if (data.depthBuffer == 0) {
    glGenRenderbuffers(1, &data.depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, data.depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8,
                          static_cast<GLsizei>(depth.Layout().width),
                          static_cast<GLsizei>(depth.Layout().height));
  }
  return data.depthBuffer;
}

bool GlRenderer::BindTargets(Surface* target, Surface* depth) {
  // The copies are taken when drawing reaches another kind of target, all at once: the first
  // waits for the textures' drawing, the others find it done.
  if (Texture* texture = target != nullptr ? SingleLevelTexture(*target) : nullptr) {
    if (std::ranges::find(owed_, target) == owed_.end()) {
      TextureData(texture->Slot(), 1, false).copyCurrent = false;
      owed_.push_back(target);
    }
  } else {
    for (Surface* owed : owed_) TakeCopy(*owed);
    owed_.clear();
  }
  // Most draws go to the surfaces of the draw before, unchanged in memory since.
  if (attached_ && target == boundTarget_ && depth == boundDepth_ &&
      (target == nullptr || DataOf(*target).uploaded == target->Slot().Version())) {
    return true;
  }
  Attachments wanted;
  if (target != nullptr) {
    Upload(*target);
    const ColorPlace place = PlaceOf(*target);
    wanted = {place.target, place.texture, place.level, 0};
  }
  if (depth != nullptr) wanted.depth = DepthBufferOf(*depth);
  boundTarget_ = target;
  boundDepth_ = depth;
  if (attached_ == wanted) return true;
  attached_.reset();
  glBindFramebuffer(GL_FRAMEBUFFER, drawFramebuffer_);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, wanted.target, wanted.texture,
                         wanted.level);
  glDrawBuffer(target != nullptr ? GL_COLOR_ATTACHMENT0 : GL_NONE);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, wanted.depth);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, wanted.depth);
  if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return false;
  attached_ = wanted;
  return true;
}

void GlRenderer::AttachForReading(Surface& surface) {
  const ColorPlace place = PlaceOf(surface);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, place.target, place.texture,
                         place.level);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
}

HRESULT GlRenderer::Clear(Surface* target, Surface* depth, const std::vector<D3DRECT>& areas,
                          DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
  if (areas.empty()) return D3D_OK;
  context_->MakeCurrent();
  if (!BindTargets(target, depth)) return D3DERR_INVALIDCALL;
  GLbitfield buffers = 0;
  if (flags & D3DCLEAR_TARGET) buffers |= GL_COLOR_BUFFER_BIT;
  if (flags & D3DCLEAR_ZBUFFER) buffers |= GL_DEPTH_BUFFER_BIT;
  if (flags & D3DCLEAR_STENCIL) buffers |= GL_STENCIL_BUFFER_BIT;
  constexpr float kChannel = 255.0f;
  glClearColor(static_cast<float>((color >> 16) & 0xFF) / kChannel,
               static_cast<float>((color >> 8) & 0xFF) / kChannel,
               static_cast<float>(color & 0xFF) / kChannel,
               static_cast<float>(color >> 24) / kChannel);
  glClearDepth(z);
  glClearStencil(static_cast<GLint>(stencil));
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  glStencilMask(0xFFFFFFFFu);
  // A clear of the whole framebuffer goes without a scissor: the rasteriser can then mark the
  // buffers cleared instead of writing every pixel.
  LONG width = 0x7FFFFFFF;
  LONG height = 0x7FFFFFFF;
  for (const Surface* bound : {target, depth}) {
    if (bound == nullptr) continue;
    width = std::min(width, static_cast<LONG>(bound->Layout().width));
    height = std::min(height, static_cast<LONG>(bound->Layout().height));
  }
  const D3DRECT& first = areas.front();
  if (areas.size() == 1 && first.x1 == 0 && first.y1 == 0 && first.x2 == width &&
      first.y2 == height) {
    glClear(buffers);
  } else {
    glEnable(GL_SCISSOR_TEST);
    for (const D3DRECT& area : areas) {
      glScissor(area.x1, area.y1, area.x2 - area.x1, area.y2 - area.y1);
      glClear(buffers);
    }
    glDisable(GL_SCISSOR_TEST);
  }
  cache_.ForgetMasks();
  if (target != nullptr && (flags & D3DCLEAR_TARGET)) DataOf(*target).drawn = true;
  return D3D_OK;
}

TextureBinding GlRenderer::BindTexture(IDirect3DBaseTexture8* texture) {
  if (auto* flat = dynamic_cast<Texture*>(texture)) {
    bool uploaded = false;
    for (UINT level = 0; level < flat->GetLevelCount(); ++level) {
      uploaded = Upload(*flat->Level(level)) || uploaded;
    }
    NameData& data = TextureData(flat->Slot(), flat->GetLevelCount(), false);
    TakeCopyOf(*flat);
    if (uploaded) data.copyCurrent = false;
    if (data.copyCurrent) return {GL_TEXTURE_2D, data.copy, true, &data.copySampler};
    return {GL_TEXTURE_2D, data.name, true, &data.sampler};
  }
  if (auto* cube = dynamic_cast<CubeTexture*>(texture)) {
    for (UINT face = 0; face < kCubeFaceCount; ++face) {
      for (UINT level = 0; level < cube->GetLevelCount(); ++level) {
        Upload(*cube->Find(static_cast<D3DCUBEMAP_FACES>(face), level));
      }
    }
    NameData& data = TextureData(cube->Slot(), cube->GetLevelCount(), true);
    return {GL_TEXTURE_CUBE_MAP, data.name, true, &data.sampler};
  }
  return {GL_TEXTURE_2D, white_, false, &whiteSampler_};
}

GLuint GlRenderer::BufferName(const RendererSlot& slot, GLenum kind,
                              const std::vector<BYTE>& bytes) {
  auto& data = slot.Data();
  if (!data) {
    GLuint name = 0;
    glGenBuffers(1, &name);
    data = std::make_unique<NameData>(this, name, true);
  }
  auto& names = static_cast<NameData&>(*data);
  cache_.BindBuffer(kind, names.name);
  if (names.uploaded != slot.Version()) {
    glBufferData(kind, static_cast<GLsizeiptr>(bytes.size()), bytes.data(), GL_DYNAMIC_DRAW);
    names.uploaded = slot.Version();
  }
  return names.name;
}

VertexSource GlRenderer::BindStream(const DrawStream& stream, UINT baseVertex) {
  const size_t base = static_cast<size_t>(baseVertex) * stream.stride;
  if (stream.buffer != nullptr) {
    const GLuint name = BufferName(stream.buffer->Slot(), GL_ARRAY_BUFFER, stream.buffer->Bytes());
    return {name, reinterpret_cast<const BYTE*>(base), stream.stride, nullptr};
  }
  cache_.BindBuffer(GL_ARRAY_BUFFER, 0);
  return {0, stream.data + base, stream.stride, nullptr};
}

HRESULT GlRenderer::Draw(const DrawSubmission& draw) {
  context_->KeepCurrent();
  const FixedFunctionState& state = *draw.state;
  DrawInputs inputs;
  inputs.layout = draw.shader != nullptr ? VertexLayout{} : LayoutOf(state.vertexShader);
  for (UINT stage = 0; stage < ActiveStages(state, units_); ++stage) {
    inputs.textures[stage] = BindTexture(draw.textures[stage]);
  }
  if (!BindTargets(draw.target, draw.depth)) return D3DERR_INVALIDCALL;
  inputs.hasDepth = draw.depth != nullptr;
  const UINT weights = draw.shader != nullptr ? 0 : BlendWeightCount(state, inputs.layout);
  inputs.blended = weights > 0;
  cache_.Apply(state, inputs);

  if (draw.shader != nullptr) {
    if (!BeginShaderDraw(context_.get(), *draw.shader, *draw.constants, state.viewport)) {
      return D3DERR_INVALIDCALL;
    }
    // The program reads generic attributes; the fixed-function arrays were turned off.
    cache_.ForgetArrays();
    for (UINT stream = 0; stream < kMaxStreams; ++stream) {
      if (!draw.shader->program.UsesStream(stream)) continue;
      SetStreamAttributes(draw.shader->program, stream,
                          BindStream(draw.streams[stream], draw.baseVertex).source,
                          draw.streams[stream].stride);
    }
  } else {
    // Vertex i of the draw sits at source + i * stride; source is an offset into the bound buffer.
    const DrawStream& stream = draw.streams[0];
    const BYTE* memory = stream.buffer != nullptr ? stream.buffer->Bytes().data() : stream.data;
    const size_t base = static_cast<size_t>(draw.baseVertex) * stream.stride;
    VertexSource vertices;
    if (inputs.blended) {
      BlendVertices(state, inputs.layout, weights, memory + base, stream.stride, draw.firstVertex,
                    draw.vertexCount, &blended_);
      vertices.source = blended_.data();
      vertices.stride = stream.stride;
    } else {
      vertices = BindStream(stream, draw.baseVertex);
    }
    if (inputs.layout.pretransformed) {
      PretransformPositions(memory + base, stream.stride, draw.firstVertex, draw.vertexCount,
                            state.viewport, &positions_);
      vertices.positions = positions_.data();
    }
    cache_.SetVertexArrays(state, inputs, vertices);
  }

  // The scissor is on for its draw alone: clears, copies and the present go without it.
  const RECT& scissor = state.scissor;
  const bool scissored = scissor.right > scissor.left && scissor.bottom > scissor.top;
  if (scissored) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(scissor.left, scissor.top, scissor.right - scissor.left,
              scissor.bottom - scissor.top);
  }
  const GLenum mode = PrimitiveMode(draw.primitive);
  const auto count =
      static_cast<GLsizei>(PrimitiveVertexCount(draw.primitive, draw.primitiveCount));
  if (draw.indexSize == 0) {
    glDrawArrays(mode, static_cast<GLint>(draw.firstVertex), count);
  } else {
    const GLenum type = draw.indexSize == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT;
    const BYTE* indices = draw.indexData;
    if (draw.indexBuffer != nullptr) {
      BufferName(draw.indexBuffer->Slot(), GL_ELEMENT_ARRAY_BUFFER, draw.indexBuffer->Bytes());
      indices =
          reinterpret_cast<const BYTE*>(static_cast<size_t>(draw.startIndex) * draw.indexSize);
    } else {
      cache_.BindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    }
    glDrawElements(mode, count, type, indices);
  }
  if (scissored) glDisable(GL_SCISSOR_TEST);
  if (draw.shader != nullptr) EndShaderDraw(draw.shader->program);
  if (draw.target != nullptr) DataOf(*draw.target).drawn = true;
  // The software rasteriser starts on a frame's pixels only when its work is flushed, at the
  // latest by the present. Handed over most of the way through a big frame (in the landing frame,
  // after the landscape), those pixels are filled while the rest is still being prepared; each
  // hand-over makes the rasteriser load and store the tiles it touched once more, so there is one.
  const UINT before = framePrimitives_;
  framePrimitives_ += draw.primitiveCount;
  const auto share = static_cast<UINT>(lastFramePrimitives_ * kFlushedPercent / 100);
  if (lastFramePrimitives_ >= kFlushedFrame && before < share && framePrimitives_ >= share) {
    glFlush();
  }
  return D3D_OK;
}

void GlRenderer::CountFragments(int counter) {
  context_->KeepCurrent();
  if (counting_ >= 0) {
    glEndQuery(countTarget_);
    counted_.emplace_back(counting_, countQuery_);
  }
  counting_ = counter;
  if (counter < 0) return;
  if (countTarget_ == 0) {
    // Fragment-shader invocations where the rasteriser reports them; else the samples that
    // passed, which leaves out what the depth test rejects.
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    constexpr GLenum kFragmentShaderInvocations = 0x82F4;
    countTarget_ = extensions != nullptr &&
                           std::strstr(extensions, "GL_ARB_pipeline_statistics_query") != nullptr
                       ? kFragmentShaderInvocations
                       : GL_SAMPLES_PASSED;
  }
  if (spareQueries_.empty()) {
    spareQueries_.push_back(0);
    glGenQueries(1, &spareQueries_.back());
  }
  countQuery_ = spareQueries_.back();
  spareQueries_.pop_back();
  glBeginQuery(countTarget_, countQuery_);
}

std::vector<uint64_t> GlRenderer::TakeFragmentCounts() {
  context_->MakeCurrent();
  CountFragments(-1);
  std::vector<uint64_t> counts;
  for (const auto& [index, query] : counted_) {
    GLuint64 fragments = 0;
    glGetQueryObjectui64v(query, GL_QUERY_RESULT, &fragments);
    if (counts.size() <= static_cast<size_t>(index)) counts.resize(static_cast<size_t>(index) + 1);
    counts[static_cast<size_t>(index)] += fragments;
    spareQueries_.push_back(query);
  }
  counted_.clear();
  return counts;
}

void GlRenderer::Download(Surface& surface) {
  if (surface.IsDepth() || !surface.Slot().Data()) return;
  SurfaceData& data = DataOf(surface);
  if (!data.drawn) return;
  context_->MakeCurrent();
  AttachForReading(surface);
  const SurfaceLayout& layout = surface.Layout();
  ReadPixels(layout.format, layout.width, layout.height, surface.Bits());
  data.drawn = false;
}

void GlRenderer::ClearWindow() {
  // The state cache keeps the device's clear colour and scissor: they go back as they were.
  GLfloat colour[4] = {};
  glGetFloatv(GL_COLOR_CLEAR_VALUE, colour);
  const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  GLboolean mask[4] = {};
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(colour[0], colour[1], colour[2], colour[3]);
  glColorMask(mask[0], mask[1], mask[2], mask[3]);
  if (scissor) glEnable(GL_SCISSOR_TEST);
}

void GlRenderer::AttachThroughGamma(GLint width, GLint height, const D3DGAMMARAMP& gamma) {
  gammaPixels_.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
  glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, gammaPixels_.data());
  for (uint32_t& pixel : gammaPixels_) pixel = core::ThroughGammaRamp(pixel, gamma);
  if (gammaTexture_ == 0) glGenTextures(1, &gammaTexture_);
  glBindTexture(GL_TEXTURE_2D, gammaTexture_);
  cache_.ForgetUnitZero();
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE,
               gammaPixels_.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, gammaTexture_,
                         0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
}

void GlRenderer::KeepFront(Front& front, Surface& backBuffer) {
  const ColorPlace place = PlaceOf(backBuffer);
  const auto width = static_cast<GLsizei>(backBuffer.Layout().width);
  const auto height = static_cast<GLsizei>(backBuffer.Layout().height);
  if (front.texture == 0) glGenTextures(1, &front.texture);
  if (copyImages_ < 0) {
    const auto* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    copyImages_ =
        extensions != nullptr && std::strstr(extensions, "GL_ARB_copy_image") != nullptr ? 1 : 0;
  }
  cache_.ForgetUnitZero();
  if (copyImages_ == 0 || place.target != GL_TEXTURE_2D) {
    AttachForReading(backBuffer);
    glBindTexture(GL_TEXTURE_2D, front.texture);
    glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 0, 0, width, height, 0);
    front.format = GL_RGBA8;
  } else {
    // A copy of the texels as they are: the copy through a framebuffer shades every pixel of the
    // frame on the software rasteriser, this one only moves memory.
    GLint format = 0;
    glBindTexture(GL_TEXTURE_2D, place.texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, place.level, GL_TEXTURE_INTERNAL_FORMAT, &format);
    glBindTexture(GL_TEXTURE_2D, front.texture);
    if (front.format != format || front.width != static_cast<UINT>(width) ||
        front.height != static_cast<UINT>(height)) {
      glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
      glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
      front.format = format;
    }
    glCopyImageSubData(place.texture, GL_TEXTURE_2D, place.level, 0, 0, 0, front.texture,
                       GL_TEXTURE_2D, 0, 0, 0, 0, width, height, 1);
  }
  front.width = static_cast<UINT>(width);
  front.height = static_cast<UINT>(height);
}

HRESULT GlRenderer::Present(HWND window, Surface& backBuffer, const D3DGAMMARAMP* gamma) {
  context_->MakeCurrent();
  lastFramePrimitives_ = framePrimitives_;
  framePrimitives_ = 0;
  Upload(backBuffer);
  const auto width = static_cast<GLint>(backBuffer.Layout().width);
  const auto height = static_cast<GLint>(backBuffer.Layout().height);
  // Keep what the window shows for GetFrontBuffer.
  KeepFront(fronts_[window], backBuffer);
  int windowWidth = 0;
  int windowHeight = 0;
  if (context_->BindWindow(window, &windowWidth, &windowHeight)) {
    AttachForReading(backBuffer);
    if (gamma != nullptr) AttachThroughGamma(width, height, *gamma);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    attached_.reset();
    glDrawBuffer(GL_BACK);
    // A back buffer of another shape than the window (full screen in a chosen mode) shows at the
    // largest size that keeps its proportions, centred between black bars.
    const win::PresentedArea area = win::PlacePicture(windowWidth, windowHeight, width, height);
    if (area.width != windowWidth || area.height != windowHeight) ClearWindow();
    // Rows run top down in the back buffer and bottom up in a window.
    const GLint top = windowHeight - area.y;
    glBlitFramebuffer(0, 0, width, height, area.x, top, area.x + area.width, top - area.height,
                      GL_COLOR_BUFFER_BIT, area.width == width ? GL_NEAREST : GL_LINEAR);
    context_->Swap(window);
  }
  return D3D_OK;
}

void GlRenderer::ReadPresented(HWND window, PresentedImage* image) {
  const auto found = fronts_.find(window);
  if (found == fronts_.end()) return;
  context_->MakeCurrent();
  const Front& front = found->second;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, front.texture,
                         0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  image->width = front.width;
  image->height = front.height;
  image->pixels.resize(static_cast<size_t>(front.width) * front.height);
  glReadPixels(0, 0, static_cast<GLsizei>(front.width), static_cast<GLsizei>(front.height), GL_BGRA,
               GL_UNSIGNED_BYTE, image->pixels.data());
}

thread_local std::string lastError;

HRESULT MakeRenderer(const D3DDEVICE_CREATION_PARAMETERS& creation,
                     const D3DPRESENT_PARAMETERS& params,
                     std::unique_ptr<core::Renderer>* renderer) {
  const HWND window =
      params.hDeviceWindow != nullptr ? params.hDeviceWindow : creation.hFocusWindow;
  lastError.clear();
  std::unique_ptr<Context> context = Context::Create(window, &lastError);
  if (!context) return D3DERR_NOTAVAILABLE;
  // The presentation interval holds windowed too: it is how the caller asks for vertical sync.
  context->SetSwapInterval(
      params.FullScreen_PresentationInterval == D3DPRESENT_INTERVAL_IMMEDIATE ? 0 : 1);
  const auto* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  int major = 0;
  int minor = 0;
  if (version == nullptr || std::sscanf(version, "%d.%d", &major, &minor) != 2 ||
      major * 10 + minor < 21) {
    lastError = std::string("OpenGL 2.1 is not available (version ") +
                (version != nullptr ? version : "unknown") + ")";
    return D3DERR_NOTAVAILABLE;
  }
  if (!HasVertexPrograms()) {
    lastError = "OpenGL lacks GL_ARB_vertex_program, which vertex shaders need";
    return D3DERR_NOTAVAILABLE;
  }
  GLint units = 1;
  glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
  return Allocating([&] {
    *renderer = std::make_unique<GlRenderer>(std::move(context),
                                             std::min(static_cast<UINT>(units), kMaxTextureStages));
  });
}

}  // namespace
}  // namespace gl

IDirect3D8* CreateGlDirect3D(const GlConfig& config) {
  HeadlessConfig coreConfig;
  coreConfig.desktop = config.desktop;
  coreConfig.adapters = gl::ListAdapters(coreConfig.desktop);
  coreConfig.textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R8G8B8,   D3DFMT_R5G6B5,
                               D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4,
                               D3DFMT_L8,       D3DFMT_A8,       D3DFMT_V8U8,     D3DFMT_DXT1,
                               D3DFMT_DXT3,     D3DFMT_DXT5};
  coreConfig.caps.TextureOpCaps &= ~D3DTEXOPCAPS_BUMPENVMAP;
  return new core::Direct3D(coreConfig, gl::MakeRenderer);
}

const std::string& GlDeviceError() { return gl::lastError; }

void InstallGlDirect3D(const GlConfig& config) {
  static GlConfig installed;
  installed = config;
  SetDirect3DCreator([] { return CreateGlDirect3D(installed); });
}

}  // namespace d3d
