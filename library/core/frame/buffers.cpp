#include "library/core/frame/buffers.h"

#include <cstdlib>
#include <cstring>

bool Util_ResizeBuffer(void** block, size_t oldSize, size_t newSize) {
  if (*block != nullptr && oldSize == newSize) return true;
  void* resized = std::calloc(newSize == 0 ? 1 : newSize, 1);
  if (resized == nullptr) return false;
  if (*block != nullptr) {
    std::memcpy(resized, *block, oldSize < newSize ? oldSize : newSize);
    std::free(*block);
  }
  *block = resized;
  return true;
}

void FreeTable(void** table, int32_t* count) {
  std::free(*table);
  *table = nullptr;
  *count = 0;
}

int32_t Color_UnpackARGB(uint32_t color, float* red, float* green, float* blue, float* alpha) {
  constexpr float kChannelMax = 255.0f;
  *red = static_cast<float>((color >> 16) & 0xFF) / kChannelMax;
  *green = static_cast<float>((color >> 8) & 0xFF) / kChannelMax;
  *blue = static_cast<float>(color & 0xFF) / kChannelMax;
  *alpha = 1.0f;
  return 1;
}
