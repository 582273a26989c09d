// Internal to the OpenGL device: the device's fixed-function state, vertex formats and pixel
// formats in OpenGL terms.
#pragma once

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/d3d/device_state.h"

#include <array>
#include <vector>

namespace d3d::gl {

// The sampling settings (addressing, filters, border) a texture object last got. OpenGL keeps
// them with the texture, not with the unit, so they are remembered with the texture too.
using SamplerValues = std::array<DWORD, 7>;
struct SamplerParams {
  SamplerValues values{};
  bool set = false;
};

struct TextureBinding {
  GLenum target = GL_TEXTURE_2D;  // GL_TEXTURE_2D or GL_TEXTURE_CUBE_MAP
  GLuint name = 0;
  bool bound = false;  // false: the stage has no texture and samples a white one
  SamplerParams* sampler = nullptr;

  bool operator==(const TextureBinding& other) const {
    return target == other.target && name == other.name && bound == other.bound;
  }
};

// Byte offsets of a flexible vertex format's parts; kAbsent for parts it lacks.
struct VertexLayout {
  static constexpr UINT kAbsent = ~0u;
  bool pretransformed = false;  // screen positions with 1/w (XYZRHW)
  UINT weights = 0;             // blend weights after the position (XYZB1..XYZB5)
  UINT normal = kAbsent;
  UINT diffuse = kAbsent;
  UINT specular = kAbsent;
  UINT texCount = 0;
  std::array<UINT, 8> texOffset{};
  std::array<UINT, 8> texSize{};

  bool operator==(const VertexLayout&) const = default;
};

VertexLayout LayoutOf(DWORD fvf);
GLenum PrimitiveMode(D3DPRIMITIVETYPE type);

// Uploads one level of a texture (a cube face as target) from memory in the layer's format.
void UploadPixels(GLenum target, GLint level, D3DFORMAT format, UINT width, UINT height,
                  const BYTE* pixels);
// Reads the read framebuffer into memory in the layer's format.
void ReadPixels(D3DFORMAT format, UINT width, UINT height, BYTE* pixels);

// Clip-space positions (4 floats each) of the pre-transformed vertices first .. first + count - 1,
// at their vertex index in *positions.
void PretransformPositions(const BYTE* vertices, UINT stride, UINT first, UINT count,
                           const D3DVIEWPORT8& viewport, std::vector<float>* positions);

inline constexpr UINT kMaxLights = 8;  // OpenGL's fixed-function lights

// How many of the first units the stages drive: they run until the first disabled one.
UINT ActiveStages(const FixedFunctionState& state, UINT units);

// What one draw needs set besides the device's state.
struct DrawInputs {
  VertexLayout layout;
  std::array<TextureBinding, kMaxTextureStages> textures;  // of the active stages
  bool hasDepth = false;
  bool blended = false;  // positions and normals are already in world space
};

// Where the vertex arrays of a draw start: vertex 0 at source (a pointer, or an offset into
// arrayBuffer when that is not 0); positions, when given, replace the format's own.
struct VertexSource {
  GLuint arrayBuffer = 0;
  const BYTE* source = nullptr;
  UINT stride = 0;
  const float* positions = nullptr;

  bool operator==(const VertexSource&) const = default;
};

// Sets the fixed-function state of OpenGL for each draw, skipping each group of it (viewport and
// projection, view and lights, world, render states, each texture stage, the vertex arrays,
// buffer bindings) that the previous draw left as this one needs it. Every other change to
// OpenGL's state must be reported through the Forget functions.
class StateCache {
 public:
  explicit StateCache(UINT units) : units_(units) {}

  void Apply(const FixedFunctionState& state, const DrawInputs& inputs);
  void SetVertexArrays(const FixedFunctionState& state, const DrawInputs& inputs,
                       const VertexSource& vertices);
  // Binds a buffer unless it is bound already.
  void BindBuffer(GLenum kind, GLuint name);

  // The write masks changed (a clear).
  void ForgetMasks() { renderStatesValid_ = false; }
  // The fixed-function vertex arrays were turned off (a vertex shader's draw).
  void ForgetArrays() { arraysValid_ = false; }
  // A texture was bound on unit 0 outside a draw.
  void ForgetUnitZero() { bindingValid_[0] = false; }
  // An object was deleted: OpenGL unbinds it and may hand its name out again.
  void ForgetObjects();

 private:
  // What a stage's combiner, coordinate generation and texture matrix depend on.
  struct StageKey {
    std::array<DWORD, kTextureStageStateCount> states;
    bool bound;
    DWORD textureFactor;
    bool pretransformed;
    UINT inputSize;
    D3DMATRIX matrix;
  };
  struct LightsKey {
    bool lit = false;
    D3DMATRIX view{};
    // The enabled lights, in index order, as many as OpenGL has.
    std::array<D3DLIGHT8, kMaxLights> lights{};
    UINT lightCount = 0;
    std::array<DWORD, 4> model{};  // ambient, local viewer, specular, normalize
    D3DMATERIAL8 material{};
  };
  struct ArraysKey {
    VertexLayout layout;
    VertexSource vertices;
    std::array<DWORD, kMaxTextureStages> sets;
    bool lit;
    bool specular;
  };

  void ApplyProjection(const FixedFunctionState& state, bool pretransformed);
  void ApplyLightsAndWorld(const FixedFunctionState& state, const DrawInputs& inputs);
  void ApplyRenderStates(const FixedFunctionState& state, const DrawInputs& inputs);
  void ApplyStages(const FixedFunctionState& state, const DrawInputs& inputs);

  UINT units_;
  bool projectionValid_ = false;
  D3DVIEWPORT8 viewport_{};
  D3DMATRIX projection_{};
  bool pretransformed_ = false;
  bool lightsValid_ = false;
  LightsKey lights_;
  bool worldValid_ = false;
  D3DMATRIX modelView_{};
  bool renderStatesValid_ = false;
  std::array<DWORD, kRenderStateCount> renderStates_{};
  std::array<bool, 3> renderInputs_{};  // depth surface, pre-transformed, lit
  GLenum colorMaterial_ = 0;
  std::array<bool, kMaxTextureStages> bindingValid_{};
  std::array<bool, kMaxTextureStages> unitOn_{};  // a texture target enabled
  std::array<TextureBinding, kMaxTextureStages> bindings_{};
  std::array<bool, kMaxTextureStages> stageValid_{};
  std::array<StageKey, kMaxTextureStages> stages_{};
  bool arraysValid_ = false;
  ArraysKey arrays_{};
  std::array<GLuint, 2> buffers_{};  // bound array and element array buffers
  std::array<bool, 2> buffersValid_{};
};

}  // namespace d3d::gl
