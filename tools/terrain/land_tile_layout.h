// The landscape tiles' layout that every scenario of the program folder uses and the terrain is
// made for (docs/formats.md): three square grids, each four times as wide as the one before and
// centred on the finest, all at scale 1. The scenarios' "Landscape Position" sections give the
// same numbers.
#pragma once

#include <array>
#include <cstdint>

struct TileLayout {
  float x, z;        // the grid's corner sample (0, 0), world units
  uint32_t samples;  // along each side
  float spacing;     // world units between samples

  float Extent() const { return static_cast<float>(samples - 1) * spacing; }
};

inline constexpr std::array<TileLayout, 3> LandTileLayout = {{
    {0, 0, 513, 4},              // 2048 a side
    {-3072, -3072, 257, 32},     // 8192
    {-15360, -15360, 257, 128},  // 32768
}};
