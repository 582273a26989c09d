// Screenshots: what the screen shows, saved as a BMP file.
#include "library/core/frame/debug_log.h"
#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/render/viewport.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/texture.h"
#include "platform/win/window.h"

using namespace d3d;

namespace {

// The size of the image the front buffer is copied into, and the part of it that is saved.
bool CaptureArea(UINT* width, UINT* height, RECT* area) {
  if (DevicePresentParams.Windowed == 0) {
    *width = DevicePresentParams.BackBufferWidth;
    *height = DevicePresentParams.BackBufferHeight;
    *area = {0, 0, static_cast<LONG>(*width), static_cast<LONG>(*height)};
    return true;
  }
  HWND window = Viewport_CurrentWindow();
  int32_t clientWidth = 0;
  int32_t clientHeight = 0;
  int32_t x = 0;
  int32_t y = 0;
  if (!win::GetClientSize(window, &clientWidth, &clientHeight) ||
      !win::ClientToScreen(window, &x, &y)) {
    return false;
  }
  IDirect3D8* direct3d = nullptr;
  D3DDISPLAYMODE mode{};
  const bool haveMode = SUCCEEDED(CurrentDevice->GetDirect3D(&direct3d)) &&
                        SUCCEEDED(direct3d->GetAdapterDisplayMode(D3DADAPTER_DEFAULT, &mode));
  SafeRelease(direct3d);
  if (!haveMode) return false;
  *width = mode.Width;
  *height = mode.Height;
  *area = {x, y, x + clientWidth, y + clientHeight};
  return true;
}

}  // namespace

int32_t VortanaUtils_ScreenShot(const char* fileName) {
  if (fileName == nullptr || fileName[0] == '\0') {
    AddLog("SCREENSHOT : No filename specified, can't create screenshotfile");
    return 1;
  }
  if (CurrentDevice == nullptr) {
    AddLog(
        "SCREENSHOT : No 3D device found, can't take screenshot. Initialize the engine before !");
    return 1;
  }
  UINT width = 0;
  UINT height = 0;
  RECT area{};
  IDirect3DSurface8* image = nullptr;
  const bool saved =
      CaptureArea(&width, &height, &area) &&
      SUCCEEDED(CurrentDevice->CreateImageSurface(width, height, D3DFMT_A8R8G8B8, &image)) &&
      SUCCEEDED(CurrentDevice->GetFrontBuffer(image)) &&
      SUCCEEDED(d3dx::D3DXSaveSurfaceToFileA(HostPath(fileName).c_str(), d3dx::D3DXIFF_BMP, image,
                                             nullptr, &area));
  SafeRelease(image);
  if (!saved) {
    AddLog("SCREENSHOT : Couldn't save the screenshot as %s", fileName);
    return 1;
  }
  AddLog("SCREENSHOT : Saved as %s", fileName);
  return 0;
}
