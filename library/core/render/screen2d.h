// The 2D overlay queue: between Screen2D_Start and Screen2D_End the drawing exports only queue, in
// screen pixels; Screen2D_End draws the queue in the order of the calls, one draw call per run of
// primitives of one kind and one texture. Text items are handed to the font renderer in their
// place. The exports are declared in library/core/vortanautil.h.
#pragma once

#include <cstdint>

#include "platform/d3d/types.h"

// Set from Screen2D_Start to Screen2D_End: the text exports then queue their text here.
extern bool InScreen2D;

// Empties the queue and ends the batch without drawing: what it held names textures and fonts of
// tables that a release frees.
void Screen2D_Discard();

// Pre-transformed vertex of the queue: flexible vertex format 0x144.
struct Screen2DVertex {
  float x, y;  // pixels
  float z;
  float rhw;
  d3d::D3DCOLOR color;
  float u, v;
};
static_assert(sizeof(Screen2DVertex) == 28);
inline constexpr d3d::DWORD kScreen2DFvf =
    d3d::D3DFVF_XYZRHW | d3d::D3DFVF_DIFFUSE | d3d::D3DFVF_TEX1;

inline constexpr int32_t kTextItemCharacters = 1024;  // terminator included

struct Screen2DTextItem {
  char text[kTextItemCharacters];
  d3d::D3DCOLOR color;
  float x, y;  // pixels
  int32_t font;
};
