// The OpenGL device: the device core of this layer (resources, states, scenes, reference and reset
// rules, exactly as the headless device keeps them) drawing with OpenGL 2.1, compatibility profile,
// through EGL.
//
// A device draws into its window (hDeviceWindow, else the focus window): a win::Window record, as
// the window system layer hands out, whose native id is an X11 window under Qt's xcb platform. A device without a window draws offscreen
// on EGL's surfaceless platform (no display needed), and its presents only keep the image for
// GetFrontBuffer. Additional swap chains present into their own windows through the same context.
//
// Vertex shaders are drawn as ARB vertex programs (platform/d3d/gl_shader.h); creating a device
// fails without GL_ARB_vertex_program. Vertex blending (the skinned meshes' one to three weights
// over the world matrices) has no fixed-function counterpart in OpenGL 2.1: the device blends
// positions and normals into world space on the processor for each blended draw. Tweening is
// refused, as a flexible vertex format has no second position.
//
// What the fixed-function pipeline of OpenGL cannot express is left out and listed here: the
// bump-environment texture operations pass the previous stage through (V8U8 textures are kept and
// locked like any other, and sampled they read their offsets biased to unsigned: u + 128 as red,
// v + 128 as green, blue full); the specular colour as a texture argument reads as the diffuse
// colour; fog of pre-transformed vertices is off; a light's range does not cut it off, and a spot
// light's inner cone is not kept apart from its outer one; depth surfaces cannot be read back.
#pragma once

#include "platform/d3d/interfaces.h"

#include <string>

namespace d3d {

struct GlConfig {
  // The desktop the creation object reports, for windowed devices and GetFrontBuffer.
  D3DDISPLAYMODE desktop = {1024, 768, 60, D3DFMT_X8R8G8B8};
};

// The creation object of the OpenGL device. Creating a device fails with D3DERR_NOTAVAILABLE when
// EGL or OpenGL 2.1 cannot be had; GlDeviceError then says why.
IDirect3D8* CreateGlDirect3D(const GlConfig& config = GlConfig{});

// Why the last OpenGL device creation on this thread failed; empty after a success.
const std::string& GlDeviceError();

// Makes Direct3DCreate8 hand out the OpenGL device's creation object.
void InstallGlDirect3D();

}  // namespace d3d
