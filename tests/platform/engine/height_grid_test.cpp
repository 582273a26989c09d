#include "platform/engine/height_grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

namespace {

using engine::HeightGrid;

std::vector<uint8_t> Sample() {
  return engine::WriteHeightGrid(HeightGrid{3, 2, 2.5f, {1, 2, 3, 4, 5, 6}});
}

void PutU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value) {
  std::memcpy(&bytes[offset], &value, 4);
}
void PutF32(std::vector<uint8_t>& bytes, size_t offset, float value) {
  std::memcpy(&bytes[offset], &value, 4);
}

TEST(HeightGrid, ReadsWhatItWrites) {
  const auto bytes = Sample();
  ASSERT_EQ(bytes.size(), 20u + 6 * 4);
  const auto grid = engine::ReadHeightGrid(bytes);
  ASSERT_TRUE(grid.has_value());
  EXPECT_EQ(grid->columns, 3u);
  EXPECT_EQ(grid->rows, 2u);
  EXPECT_FLOAT_EQ(grid->spacing, 2.5f);
  EXPECT_FLOAT_EQ(grid->At(2, 1), 6);  // rows run along z, columns along x
  EXPECT_FLOAT_EQ(grid->At(0, 1), 4);
}

TEST(HeightGrid, RefusesWhatDoesNotFit) {
  struct Case {
    const char* what;
    void (*spoil)(std::vector<uint8_t>&);
  };
  const Case cases[] = {
      {"magic", [](std::vector<uint8_t>& b) { b[0] = 'X'; }},
      {"version", [](std::vector<uint8_t>& b) { PutU32(b, 4, 2); }},
      {"one column", [](std::vector<uint8_t>& b) { PutU32(b, 8, 1); }},
      {"too many rows", [](std::vector<uint8_t>& b) { PutU32(b, 12, HeightGrid::kMaxSide + 1); }},
      {"huge size", [](std::vector<uint8_t>& b) { PutU32(b, 8, 0xFFFFFFFF); }},
      {"zero spacing", [](std::vector<uint8_t>& b) { PutF32(b, 16, 0); }},
      {"infinite spacing",
       [](std::vector<uint8_t>& b) { PutF32(b, 16, std::numeric_limits<float>::infinity()); }},
      {"not a number", [](std::vector<uint8_t>& b) { PutF32(b, 28, std::nanf("")); }},
      {"cut short", [](std::vector<uint8_t>& b) { b.pop_back(); }},
      {"header cut", [](std::vector<uint8_t>& b) { b.resize(14); }},
      {"trailing bytes", [](std::vector<uint8_t>& b) { b.push_back(0); }},
      {"empty", [](std::vector<uint8_t>& b) { b.clear(); }},
  };
  for (const Case& c : cases) {
    auto bytes = Sample();
    c.spoil(bytes);
    std::string why;
    EXPECT_FALSE(engine::ReadHeightGrid(bytes, &why).has_value()) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
  }
}

}  // namespace
