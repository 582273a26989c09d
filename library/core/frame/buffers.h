// The growable blocks behind every family's record table and the colour unpacking the drawing
// families share.
#pragma once

#include <cstddef>
#include <cstdint>

// Resizes the heap block *block from oldSize to newSize bytes. A null block becomes a new
// zero-filled block; growth keeps the old bytes and zero-fills the tail; shrinking keeps the first
// newSize bytes. False (and the block untouched) when memory runs out.
bool Util_ResizeBuffer(void** block, size_t oldSize, size_t newSize);

// Grows a table of records of type T by extra zero-filled records.
template <class T>
bool GrowTable(T** table, int32_t* count, int32_t extra) {
  const size_t oldCount = static_cast<size_t>(*count);
  void* block = *table;
  if (!Util_ResizeBuffer(&block, oldCount * sizeof(T),
                         (oldCount + static_cast<size_t>(extra)) * sizeof(T))) {
    return false;
  }
  *table = static_cast<T*>(block);
  *count += extra;
  return true;
}

// Frees a table block and sets its count to 0.
void FreeTable(void** table, int32_t* count);

// Splits 0xAARRGGBB into red, green and blue in 0..1; alpha is always 1. Returns 1.
int32_t Color_UnpackARGB(uint32_t color, float* red, float* green, float* blue, float* alpha);
