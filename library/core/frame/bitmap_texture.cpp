// Bitmaps of the window system copied into textures.
#include <algorithm>
#include <cstring>

#include "library/core/frame/frame_state.h"
#include "library/core/vortanautil.h"
#include "platform/d3d/format.h"
#include "platform/d3dx/texture.h"
#include "platform/win/bitmap.h"

using namespace d3d;

int32_t CreateTextureFromDIB(int32_t width, int32_t height, void*, const void* bitmapHandle,
                             IDirect3DTexture8** texture) {
  const win::Bitmap* bitmap = win::BitmapFromHandle(bitmapHandle);
  if (bitmap == nullptr) {
    AddLog("BITMAP : The bitmap pointer is NULL");
    return 0;
  }
  if (bitmap->width < 0 || bitmap->height < 0 ||
      bitmap->pixels.size() < size_t(bitmap->width) * size_t(bitmap->height)) {
    AddLog("BITMAP : The bitmap has fewer pixels than its size");
    return 0;
  }
  if (texture == nullptr) return 0;
  if (*texture == nullptr) {
    if (width == 0 || height == 0) win::GetBitmapDimension(bitmap, &width, &height);
    if (CurrentDevice == nullptr || width <= 0 || height <= 0 ||
        FAILED(d3dx::D3DXCreateTexture(CurrentDevice, static_cast<UINT>(width),
                                       static_cast<UINT>(height), 1, D3DUSAGE_WRITEONLY,
                                       D3DFMT_X8R8G8B8, D3DPOOL_MANAGED, texture))) {
      AddLog("BITMAP : Couldn't create a texture of %dx%d for the bitmap", width, height);
      return 0;
    }
  }
  D3DSURFACE_DESC desc{};
  D3DLOCKED_RECT locked{};
  if (FAILED((*texture)->GetLevelDesc(0, &desc)) || BitsPerPixel(desc.Format) != 32 ||
      FAILED((*texture)->LockRect(0, &locked, nullptr, 0))) {
    return 0;
  }
  // Scan lines of a bottom-up image: line 0 is the bitmap's bottom row. Only what fits both the
  // bitmap and level 0 is copied, at the level's own pitch.
  const int32_t rows = std::min({height, bitmap->height, static_cast<int32_t>(desc.Height)});
  const int32_t columns = std::min({width, bitmap->width, static_cast<int32_t>(desc.Width)});
  for (int32_t line = 0; line < rows && columns > 0; ++line) {
    const uint32_t* source =
        bitmap->pixels.data() + size_t(bitmap->height - 1 - line) * size_t(bitmap->width);
    std::memcpy(static_cast<uint8_t*>(locked.pBits) + size_t(line) * size_t(locked.Pitch), source,
                size_t(columns) * sizeof(uint32_t));
  }
  (*texture)->UnlockRect(0);
  return 1;
}
