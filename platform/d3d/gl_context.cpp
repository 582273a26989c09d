// EGL set-up of the OpenGL device.
#include "platform/d3d/gl_context.h"

#include <EGL/eglext.h>

#include "platform/win/window.h"

#include <atomic>
#include <cstdint>
#include <cstdio>

#include "platform/win/window.h"

namespace d3d::gl {
namespace {

// The serial of the context this class last made current on this thread; 0 for none.
thread_local uint64_t currentSerial = 0;
std::atomic<uint64_t> lastSerial{0};

std::string EglFailure(const char* step) {
  char code[16];
  std::snprintf(code, sizeof code, "0x%X", static_cast<unsigned>(eglGetError()));
  return std::string(step) + " failed (EGL error " + code + ")";
}

}  // namespace

std::unique_ptr<Context> Context::Create(HWND window, std::string* error) {
  const bool windows = win::NativeWindow(window) != 0;
  // A null native display makes the X11 platform open the default display (DISPLAY). EGL hands
  // out one display per platform, shared by every device on it, so it stays initialised for the
  // life of the process: terminating it would end the other devices' contexts.
  const EGLDisplay display = eglGetPlatformDisplay(
      windows ? EGL_PLATFORM_X11_KHR : EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
  if (display == EGL_NO_DISPLAY) {
    *error = windows ? "no EGL display on the X11 platform (is DISPLAY set?)"
                     : "no EGL display on the surfaceless platform";
    return nullptr;
  }
  if (eglInitialize(display, nullptr, nullptr) != EGL_TRUE) {
    *error = EglFailure("eglInitialize");
    return nullptr;
  }
  if (eglBindAPI(EGL_OPENGL_API) != EGL_TRUE) {
    *error = EglFailure("eglBindAPI(OpenGL)");
    return nullptr;
  }
  const EGLint configAttributes[] = {EGL_SURFACE_TYPE,
                                     windows ? EGL_WINDOW_BIT : EGL_PBUFFER_BIT,
                                     EGL_RENDERABLE_TYPE,
                                     EGL_OPENGL_BIT,
                                     EGL_RED_SIZE,
                                     8,
                                     EGL_GREEN_SIZE,
                                     8,
                                     EGL_BLUE_SIZE,
                                     8,
                                     EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configs = 0;
  if (eglChooseConfig(display, configAttributes, &config, 1, &configs) != EGL_TRUE ||
      configs == 0) {
    *error = "no EGL configuration for OpenGL with 8-bit colour";
    return nullptr;
  }
  const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 2, EGL_CONTEXT_MINOR_VERSION, 1,
                                      EGL_NONE};
  const EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
  if (context == EGL_NO_CONTEXT) {
    *error = EglFailure("eglCreateContext(OpenGL 2.1)");
    return nullptr;
  }
  if (eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) != EGL_TRUE) {
    *error = EglFailure("eglMakeCurrent without a surface");
    eglDestroyContext(display, context);
    return nullptr;
  }
  return std::unique_ptr<Context>(new Context(display, config, context, windows));
}

Context::Context(EGLDisplay display, EGLConfig config, EGLContext context, bool windows)
    : display_(display),
      config_(config),
      context_(context),
      serial_(++lastSerial),
      windows_(windows) {
  currentSerial = serial_;  // Create made it current
}

Context::~Context() {
  eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  currentSerial = 0;
  for (const auto& [window, surface] : surfaces_) eglDestroySurface(display_, surface);
  eglDestroyContext(display_, context_);
}

void Context::MakeCurrent() {
  if (eglGetCurrentContext() != context_) {
    eglMakeCurrent(display_, current_, current_, context_);
  }
  currentSerial = serial_;
}

void Context::KeepCurrent() {
  if (currentSerial != serial_) MakeCurrent();
}

bool Context::BindWindow(HWND window, int* width, int* height) {
  if (!windows_) return false;
  const uint64_t native = win::NativeWindow(window);
  if (native == 0) return false;
  auto found = surfaces_.find(window);
  const bool made = found == surfaces_.end();
  if (made) {
    const auto id = static_cast<EGLNativeWindowType>(native);
    const EGLSurface surface = eglCreateWindowSurface(display_, config_, id, nullptr);
    if (surface == EGL_NO_SURFACE) return false;
    found = surfaces_.emplace(window, surface).first;
  }
  if (current_ != found->second || eglGetCurrentContext() != context_) {
    if (eglMakeCurrent(display_, found->second, found->second, context_) != EGL_TRUE) return false;
    if (made) eglSwapInterval(display_, swapInterval_);
    current_ = found->second;
    currentSerial = serial_;
  }
  EGLint w = 0;
  EGLint h = 0;
  eglQuerySurface(display_, current_, EGL_WIDTH, &w);
  eglQuerySurface(display_, current_, EGL_HEIGHT, &h);
  *width = w;
  *height = h;
  return true;
}

void Context::Swap(HWND window) {
  const auto found = surfaces_.find(window);
  if (found != surfaces_.end()) eglSwapBuffers(display_, found->second);
}

}  // namespace d3d::gl
