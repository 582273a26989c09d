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

struct TextureBinding {
  GLenum target = GL_TEXTURE_2D;  // GL_TEXTURE_2D or GL_TEXTURE_CUBE_MAP
  GLuint name = 0;
  bool bound = false;  // false: the stage has no texture and samples a white one
};

// Byte offsets of a flexible vertex format's parts; kAbsent for parts it lacks.
struct VertexLayout {
  static constexpr UINT kAbsent = ~0u;
  bool pretransformed = false;  // screen positions with 1/w (XYZRHW)
  UINT normal = kAbsent;
  UINT diffuse = kAbsent;
  UINT specular = kAbsent;
  UINT texCount = 0;
  std::array<UINT, 8> texOffset{};
  std::array<UINT, 8> texSize{};
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

// Points the vertex arrays at vertex 0 of the draw (source: a pointer, or an offset into the
// bound array buffer); positions, when given, replace the format's own.
void SetVertexArrays(const VertexLayout& layout, const FixedFunctionState& state,
                     const BYTE* source, UINT stride, const float* positions);

// Sets every fixed-function state a draw depends on.
void ApplyState(const FixedFunctionState& state, const VertexLayout& layout,
                const std::array<TextureBinding, kMaxTextureStages>& textures, UINT units,
                bool hasDepth);

}  // namespace d3d::gl
