// Internal to the OpenGL device: one EGL display and OpenGL 2.1 context per device, with a window
// surface for each window it presents into.
#pragma once

#include "platform/d3d/types.h"

#include <EGL/egl.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace d3d::gl {

class Context {
 public:
  // A window without an X11 id (or none): the surfaceless platform. Otherwise the X11 platform.
  static std::unique_ptr<Context> Create(HWND window, std::string* error);
  ~Context();
  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  // Makes the context current (on the surface last bound, or on none), asking EGL what is
  // current. That question costs a system call in the dispatch library (a check for fork), too
  // much for every draw: KeepCurrent trusts instead what this class last made current on the
  // thread. It is for the draws between checked calls (clears and presents), and holds as long
  // as nothing but this class makes OpenGL contexts current on the thread.
  void MakeCurrent();
  void KeepCurrent();
  // Makes the window's surface current, creating it on first use, and gives its size in pixels;
  // false when the device has no window system or the window cannot take a surface.
  bool BindWindow(HWND window, int* width, int* height);
  // Frames a window's surface waits between presents (0: none, 1: the display's refresh), set
  // on each surface when it is first made current.
  void SetSwapInterval(int interval) { swapInterval_ = interval; }
  void Swap(HWND window);

 private:
  Context(EGLDisplay display, EGLConfig config, EGLContext context, bool windows);

  EGLDisplay display_;
  EGLConfig config_;
  EGLContext context_;
  uint64_t serial_;  // unique in the process, unlike an address
  bool windows_;
  EGLSurface current_ = EGL_NO_SURFACE;
  std::map<HWND, EGLSurface> surfaces_;
  int swapInterval_ = 1;
};

}  // namespace d3d::gl
