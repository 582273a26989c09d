// The render-item sorts over the caller's arrays.
#include <algorithm>
#include <cstring>
#include <vector>

#include "library/core/vortanautil.h"

namespace {

// NewSort's item: key, position, value.
struct DistanceItem {
  float key;
  float x, y, z;
  float value;
};
static_assert(sizeof(DistanceItem) == 20);

// The sorts' element: a position followed by the caller's own data.
struct RenderItem {
  float x, y, z;
  unsigned char rest[16];
};
static_assert(sizeof(RenderItem) == 28);

template <class Less>
int32_t SortAllButLast(SAFEARRAY** items, Less less) {
  if (items == nullptr || *items == nullptr) return 0;
  SAFEARRAY* array = *items;
  const uint32_t count = array->rgsabound[0].cElements;
  if (array->cbElements != sizeof(RenderItem) || array->pvData == nullptr || count <= 1) return 0;
  ++array->cLocks;
  // The last element stays where it is, as callers have always relied on.
  std::vector<RenderItem> sorted(count - 1);
  std::memcpy(sorted.data(), array->pvData, sorted.size() * sizeof(RenderItem));
  std::stable_sort(sorted.begin(), sorted.end(), less);
  std::memcpy(array->pvData, sorted.data(), sorted.size() * sizeof(RenderItem));
  --array->cLocks;
  return 0;
}

}  // namespace

int32_t NewSort(float* items, int32_t count, const d3d::D3DVECTOR* camera) {
  if (items == nullptr || camera == nullptr || count <= 0) return 1;
  std::vector<DistanceItem> sorted(static_cast<size_t>(count));
  std::memcpy(sorted.data(), items, sorted.size() * sizeof(DistanceItem));
  for (DistanceItem& item : sorted) {
    item.x -= camera->x;
    item.y -= camera->y;
    item.z -= camera->z;
    item.key = item.x * item.x + item.y * item.y + item.z * item.z;
  }
  std::sort(sorted.begin(), sorted.end(),
            [](const DistanceItem& a, const DistanceItem& b) { return a.key > b.key; });
  std::memcpy(items, sorted.data(), sorted.size() * sizeof(DistanceItem));
  return 1;
}

int32_t SortOpaque(SAFEARRAY** items) {
  return SortAllButLast(items, [](const RenderItem& a, const RenderItem& b) {
    if (a.z != b.z) return a.z < b.z;
    if (a.x != b.x) return a.x > b.x;
    return a.y > b.y;
  });
}

int32_t SortTransparent(SAFEARRAY** items) {
  return SortAllButLast(items, [](const RenderItem& a, const RenderItem& b) {
    if (a.z != b.z) return a.z > b.z;
    if (a.x != b.x) return a.x < b.x;
    return a.y < b.y;
  });
}
