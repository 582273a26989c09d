// The engine's real backend: it creates the library's device on the engine's window and draws
// through the library's exports, using the device the library created only where the library has
// no service. The creation object decides the device: the OpenGL device for users, pixel tests and
// benches, the headless device for tests of calls, states and references.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/d3d/interfaces.h"
#include "platform/engine/draw_backend.h"

namespace engine {

struct Direct3DSource {
  std::function<d3d::IDirect3D8*()> create;
  // Why the last device creation failed, and what to install about it.
  std::function<std::string()> whyNot;
};

// The OpenGL device's creation object.
Direct3DSource GlDirect3D();

std::unique_ptr<DrawBackend> MakeLibraryBackend(Direct3DSource source);

// The library backend on the OpenGL device when Qt shows windows on X11, else the null backend
// (tests, the headless view, Qt's offscreen platform); the choice is logged once on standard error.
std::unique_ptr<DrawBackend> MakeDrawBackend();

}  // namespace engine
