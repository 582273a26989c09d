// The growable blocks behind every family's record table, the growable pointer array of the model
// loaders, and the colour unpacking the drawing families share.
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

// A growable array of pointers; the owner frees the items themselves.
class PointerList {
 public:
  PointerList() = default;
  PointerList(const PointerList&) = delete;
  PointerList& operator=(const PointerList&) = delete;
  virtual ~PointerList();

  int32_t count = 0;
  void** items = nullptr;
  int32_t capacity = 0;
};

// Appends item: the capacity becomes 8 when it is 0 and doubles when full. False when memory runs
// out.
bool PointerList_Add(PointerList* list, void* item);
int32_t PointerList_GetCount(const PointerList* list);
void PointerList_Clear(PointerList* list);

// Splits 0xAARRGGBB into red, green and blue in 0..1; alpha is always 1. Returns 1.
int32_t Color_UnpackARGB(uint32_t color, float* red, float* green, float* blue, float* alpha);
