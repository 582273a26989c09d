// Internal to the OpenGL device: vertex shaders drawn through ARB_vertex_program.
//
// Each decoded program becomes the text of one ARB vertex program, compiled on its first draw and
// kept on the shader object until it is deleted. Input register vN reads generic attribute N from
// its stream; constant cN is program environment parameter N. The program ends with the clip-space
// conversion the fixed-function path puts in its projection (y flip, z from 0..w to -w..w, the
// half-pixel shift, with 1 / viewport size in local parameter 0), so both paths hit the same
// pixels. Outputs: oPos, oD0 and oD1 (primary and secondary colour), oT0..oT7, oFog (as the fog
// coordinate; when the program leaves it, the clip-space w, the eye depth the fixed-function fog
// uses) and oPts (point size). The texture stages, blending and the rest of the pixel state still
// apply.
#pragma once

#include "platform/d3d/device_renderer.h"
#include "platform/d3d/gl_context.h"
#include "platform/d3d/gl_state.h"

#include <string>

namespace d3d::gl {

// Whether the context draws ARB vertex programs.
bool HasVertexPrograms();

// The ARB vertex program text of a program with constantCount constant registers.
std::string ArbProgramText(const vs::Program& program, UINT constantCount);

// Makes a shader's program current (compiling it on first use) with the draw's constants and
// viewport; false when OpenGL refuses the program. Turns off the fixed-function vertex arrays.
bool BeginShaderDraw(Context* context, const core::VertexShader& shader,
                     const std::vector<vs::Vec4>& constants, const D3DVIEWPORT8& viewport);
// Points the attributes of one stream's elements at its vertex 0 (an offset into the bound array
// buffer, or a pointer).
void SetStreamAttributes(const vs::Program& program, UINT stream, const BYTE* source, UINT stride);
// Back to the fixed-function pipeline after the draw.
void EndShaderDraw(const vs::Program& program);

}  // namespace d3d::gl
