// Draws the pixel tests' lit, textured square into an X11 window through the OpenGL device, then
// writes what the X server shows (the root window) to a PNG file: the check that presenting
// reaches a real window. Run under Xvfb:
//   xvfb-run -s '-screen 0 1024x768x24' gl_window_demo screenshot.png
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <cstdio>

#include "platform/d3d/gl.h"
#include "platform/win/window.h"
#include "tests/platform/d3d/gl_scene.h"
#include "tests/platform/d3d/x11_screenshot.h"

namespace {

using namespace d3dtest;

constexpr int kWidth = 320;   // pixels
constexpr int kHeight = 240;  // pixels
constexpr int kFrames = 30;
constexpr int kPlace = 40;  // desktop pixels of the window's top-left corner

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s SCREENSHOT.png\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "no X display\n");
    return 1;
  }
  const Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), kPlace, kPlace,
                                            kWidth, kHeight, 0, 0, 0);
  XMapWindow(display, window);
  XSync(display, False);

  // The handle the device takes is the window record that a view keeps, carrying the X11 id.
  win::Window record{.clientWidth = kWidth,
                     .clientHeight = kHeight,
                     .screenX = kPlace,
                     .screenY = kPlace,
                     .nativeWindow = window};
  IDirect3D8* direct3d = CreateGlDirect3D();
  D3DPRESENT_PARAMETERS params = BackBufferParams(kWidth, kHeight, &record, true);
  IDirect3DDevice8* device = nullptr;
  if (direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, params.hDeviceWindow,
                             D3DCREATE_SOFTWARE_VERTEXPROCESSING, &params, &device) != D3D_OK) {
    std::fprintf(stderr, "no OpenGL device: %s\n", GlDeviceError().c_str());
    return 1;
  }
  IDirect3DTexture8* texture = MakeQuadrantTexture(device);
  for (int frame = 0; frame < kFrames; ++frame) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203050u, 1.0f, 0);
    device->BeginScene();
    DrawLitTexturedSquare(device, texture, static_cast<float>(kWidth) / kHeight);
    // A half-transparent yellow band across the top left corner.
    device->SetRenderState(D3DRS_LIGHTING, 0);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    DrawScreenRect(device, 0, 0, 120, 40, 0, 0x80FFFF00u);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
  }
  XSync(display, False);
  Screenshot shot;
  const bool written =
      ReadScreen(display, &shot) &&
      stbi_write_png(argv[1], shot.width, shot.height, 3, shot.rgb.data(), shot.width * 3) != 0;
  texture->Release();
  device->Release();
  direct3d->Release();
  XDestroyWindow(display, window);
  XCloseDisplay(display);
  if (!written) std::fprintf(stderr, "could not write %s\n", argv[1]);
  return written ? 0 : 1;
}
