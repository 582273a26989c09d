// Bitmaps as the 3D library receives them from the window system: a bitmap handle (HBITMAP) points
// at a Bitmap record, so the pixels travel with the handle.
#pragma once

#include <cstdint>
#include <vector>

namespace win {

struct Bitmap {
  int32_t width = 0;             // pixels
  int32_t height = 0;            // pixels
  std::vector<uint32_t> pixels;  // 0x00RRGGBB, rows top to bottom, width pixels each
};

inline const Bitmap* BitmapFromHandle(const void* handle) {
  return static_cast<const Bitmap*>(handle);
}

// The bitmap's size in pixels; false for a null handle.
inline bool GetBitmapDimension(const void* handle, int32_t* width, int32_t* height) {
  const Bitmap* bitmap = BitmapFromHandle(handle);
  if (bitmap == nullptr) return false;
  *width = bitmap->width;
  *height = bitmap->height;
  return true;
}

}  // namespace win
