// Screenshots: what the screen shows, saved as a BMP file (24 bits, rows bottom to top).
#include <vector>

#include "library/core/frame/debug_log.h"
#include "library/core/frame/file_paths.h"
#include "library/core/frame/frame_state.h"
#include "library/core/render/viewport.h"
#include "library/core/vortanautil.h"
#include "platform/d3dx/image_file.h"
#include "platform/win/byte_writer.h"
#include "platform/win/window.h"

using namespace d3d;

namespace {

// The part of the surface inside area (clipped to the surface), as an ARGB image.
std::optional<d3dx::ArgbImage> ReadArea(IDirect3DSurface8* surface, const RECT& area) {
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  if (FAILED(surface->GetDesc(&desc)) || FAILED(surface->LockRect(&locked, nullptr, D3DLOCK_READONLY))) {
    return std::nullopt;
  }
  const d3dx::PixelView view{desc.Format, desc.Width, desc.Height, static_cast<size_t>(locked.Pitch),
                             static_cast<uint8_t*>(locked.pBits)};
  std::optional<d3dx::ArgbImage> whole = d3dx::ReadPixels(view, nullptr);
  surface->UnlockRect();
  if (!whole) return std::nullopt;
  const LONG left = std::max<LONG>(area.left, 0);
  const LONG top = std::max<LONG>(area.top, 0);
  const LONG right = std::min<LONG>(area.right, static_cast<LONG>(desc.Width));
  const LONG bottom = std::min<LONG>(area.bottom, static_cast<LONG>(desc.Height));
  if (right <= left || bottom <= top) return std::nullopt;
  d3dx::ArgbImage part(static_cast<uint32_t>(right - left), static_cast<uint32_t>(bottom - top));
  for (LONG y = top; y < bottom; ++y) {
    for (LONG x = left; x < right; ++x) {
      part.At(static_cast<uint32_t>(x - left), static_cast<uint32_t>(y - top)) =
          whole->At(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
    }
  }
  return part;
}

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
  if (!win::GetClientSize(window, &clientWidth, &clientHeight) || !win::ClientToScreen(window, &x, &y)) {
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
    AddLog("SCREENSHOT : No 3D device found, can't take screenshot. Initialize the engine before !");
    return 1;
  }
  UINT width = 0;
  UINT height = 0;
  RECT area{};
  IDirect3DSurface8* image = nullptr;
  std::optional<d3dx::ArgbImage> pixels;
  if (CaptureArea(&width, &height, &area) &&
      SUCCEEDED(CurrentDevice->CreateImageSurface(width, height, D3DFMT_A8R8G8B8, &image)) &&
      SUCCEEDED(CurrentDevice->GetFrontBuffer(image))) {
    pixels = ReadArea(image, area);
  }
  SafeRelease(image);
  if (!pixels || !win::WriteFileBytes(HostPath(fileName), d3dx::EncodeBmp(*pixels, false))) {
    AddLog("SCREENSHOT : Couldn't save the screenshot as %s", fileName);
    return 1;
  }
  AddLog("SCREENSHOT : Saved as %s", fileName);
  return 0;
}
