#include <QGuiApplication>

#include <cstdio>

#include "platform/d3d/gl.h"
#include "platform/engine_draw/library_backend.h"

namespace engine {

Direct3DSource GlDirect3D() {
  return {[] { return d3d::CreateGlDirect3D(); },
          [] {
            return d3d::GlDeviceError() +
                   " (the OpenGL device needs EGL and OpenGL 2.1: install libegl1 and "
                   "libgl1-mesa-dri)";
          }};
}

std::unique_ptr<DrawBackend> MakeDrawBackend() {
  const bool x11 = QGuiApplication::instance() != nullptr &&
                   QGuiApplication::platformName() == QStringLiteral("xcb");
  static bool logged = false;
  if (!logged) {
    logged = true;
    std::fprintf(stderr, x11 ? "Marovin draws through the OpenGL device\n"
                             : "Marovin draws nothing: the windows are not on X11\n");
  }
  return x11 ? MakeLibraryBackend(GlDirect3D()) : MakeNullBackend();
}

}  // namespace engine
