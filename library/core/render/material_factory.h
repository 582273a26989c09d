// Named materials that the drawing families read and set directly; material 0, "blankmat", always
// exists. The exports are declared in library/core/vortanautil.h.
#pragma once

#include <cstdint>

#include "platform/d3d/types.h"

struct MaterialRecord {
  int32_t inUse;
  d3d::D3DMATERIAL8 material;
  char name[256];
};

extern MaterialRecord* MaterialTable;
extern int32_t MaterialCount;
extern int32_t MaterialCapacity;
