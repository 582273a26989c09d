// Draws the actors' pixel-test scene through the library into an X11 window on the OpenGL device,
// at its second pose, then writes what the X server shows to a PNG file. Run under Xvfb:
//   xvfb-run -s '-screen 0 1024x768x24' actors_window_demo screenshot.png
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "library/core/vortanautil.h"
#include "platform/d3d/gl.h"
#include "platform/d3dx/math.h"
#include "platform/win/window.h"
#include "tests/library/core/actors_scene.h"
#include "tests/platform/d3d/x11_screenshot.h"

namespace {

constexpr int kSize = 384;  // pixels of the window, each way
constexpr int kFrames = 10;
constexpr int kPlace = 40;  // desktop pixels of the window's top-left corner

}  // namespace

int main(int argc, char** argv) {
  using namespace d3d;
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s SCREENSHOT.png\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "no X display\n");
    return 1;
  }
  const Window native = XCreateSimpleWindow(display, DefaultRootWindow(display), kPlace, kPlace,
                                            kSize, kSize, 0, 0, 0);
  XMapWindow(display, native);
  XSync(display, False);
  win::Window window{.clientWidth = kSize,
                     .clientHeight = kSize,
                     .screenX = kPlace,
                     .screenY = kPlace,
                     .nativeWindow = native};

  IDirect3D8* direct3d = CreateGlDirect3D();
  D3DPRESENT_PARAMETERS params{};
  params.BackBufferWidth = kSize;
  params.BackBufferHeight = kSize;
  params.BackBufferFormat = D3DFMT_X8R8G8B8;
  params.BackBufferCount = 1;
  params.SwapEffect = D3DSWAPEFFECT_COPY;
  params.hDeviceWindow = &window;
  params.Windowed = 1;
  params.EnableAutoDepthStencil = 1;
  params.AutoDepthStencilFormat = D3DFMT_D24S8;
  IDirect3DDevice8* device = nullptr;
  if (VortanaSystem_CreateDevice(0, D3DDEVTYPE_HAL, &window, D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                 &params, &device, &direct3d) != D3D_OK) {
    std::fprintf(stderr, "no OpenGL device: %s\n", GlDeviceError().c_str());
    return 1;
  }
  InitMD2();
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("actors-demo-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  actorstest::ActorsScene scene;
  scene.Build(folder);
  scene.Show(actorstest::kPoses[1]);

  d3dx::D3DXMATRIX view, projection;
  const d3dx::D3DXVECTOR3 eye{{0, 4, -40}}, target{{0, 4, 0}}, up{{0, 1, 0}};
  d3dx::D3DXMatrixLookAtLH(&view, &eye, &target, &up);
  d3dx::D3DXMatrixPerspectiveFovLH(&projection, 0.8f, 1.0f, 1.0f, 1000.0f);
  d3dx::D3DXPLANE planes[6];
  ComputeClipPlanes(planes, &view, &projection);
  device->SetTransform(D3DTS_VIEW, &view);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  for (int frame = 0; frame < kFrames; ++frame) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xff203080u, 1.0f, 0);
    device->BeginScene();
    Scene_RenderAllEntities(&view, &projection);
    device->EndScene();
    device->Present(nullptr, nullptr, nullptr, nullptr);
  }
  XSync(display, False);
  d3dtest::Screenshot shot;
  const bool written =
      d3dtest::ReadScreen(display, &shot) &&
      stbi_write_png(argv[1], shot.width, shot.height, 3, shot.rgb.data(), shot.width * 3) != 0;
  ReleaseAll();
  ShutDownDevice();
  device->Release();
  direct3d->Release();
  std::filesystem::remove_all(folder);
  XDestroyWindow(display, native);
  XCloseDisplay(display);
  if (!written) std::fprintf(stderr, "could not write %s\n", argv[1]);
  return written ? 0 : 1;
}
