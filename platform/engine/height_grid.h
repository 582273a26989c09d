// Landscape height files: a small binary grid of our own.
//
// Layout, little-endian:
//   offset 0   4 bytes  "MHGT"
//   offset 4   uint32   version, 1
//   offset 8   uint32   columns (along x), 2 to 4097
//   offset 12  uint32   rows (along z), 2 to 4097
//   offset 16  float32  spacing between neighbouring samples [world units], finite and > 0
//   offset 20  float32  heights [world units], columns x rows, row by row from z = 0, each row
//                       from x = 0; every value finite
// Nothing may follow the heights. The grid's corner sample (0, 0) lies at the landscape's position.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace engine {

struct HeightGrid {
  static constexpr uint32_t kMaxSide = 4097;  // samples

  uint32_t columns = 0;
  uint32_t rows = 0;
  float spacing = 1.0f;  // world units
  std::vector<float> heights;

  float At(uint32_t column, uint32_t row) const { return heights[size_t{row} * columns + column]; }
  float& At(uint32_t column, uint32_t row) { return heights[size_t{row} * columns + column]; }
};

// The grid, or nothing with `why` saying what is wrong with the bytes.
std::optional<HeightGrid> ReadHeightGrid(std::span<const uint8_t> bytes,
                                         std::string* why = nullptr);
std::vector<uint8_t> WriteHeightGrid(const HeightGrid& grid);

}  // namespace engine
