// Named device lights, mirrored into the device at once (device light index = identifier - 1) and
// sent again after a device reset. The exports are declared in library/core/vortanautil.h.
#pragma once

#include <cstdint>

#include "platform/d3d/types.h"

struct LightRecord {
  int32_t inUse;
  int32_t enabled;
  char name[256];
  d3d::D3DLIGHT8 light;
};

extern LightRecord* LightTable;
extern int32_t LightCount;
