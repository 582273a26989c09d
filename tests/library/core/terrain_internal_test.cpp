// The shared strip of a terrain chunk: every cell's two triangles, split as the queries split them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "library/core/terrain/terrain.h"
#include "library/core/terrain/terrain_texgen.h"

namespace {

TEST(TerrainStrip, CoversBothTrianglesOfEveryCellWithTheQueriesDiagonal) {
  for (const int32_t side : {3, 4, 5, 6, 52, 129}) {
    std::vector<uint16_t> indices;
    BuildSpiralStrip(side, indices);
    ASSERT_GE(indices.size(), 3u) << side;
    // Triangles per cell, each as its sorted corners.
    std::map<std::pair<int, int>, std::set<std::vector<int>>> cells;
    for (size_t k = 0; k + 2 < indices.size(); ++k) {
      std::vector<int> corners = {indices[k], indices[k + 1], indices[k + 2]};
      for (const int corner : corners) ASSERT_LT(corner, side * side) << side;
      const auto row = [&](int i) { return i / side; };
      const auto column = [&](int i) { return i % side; };
      const int area =
          (column(corners[1]) - column(corners[0])) * (row(corners[2]) - row(corners[0])) -
          (column(corners[2]) - column(corners[0])) * (row(corners[1]) - row(corners[0]));
      if (area == 0) continue;  // the turns of the strip draw nothing
      const auto [minRow, maxRow] =
          std::minmax({row(corners[0]), row(corners[1]), row(corners[2])});
      const auto [minColumn, maxColumn] =
          std::minmax({column(corners[0]), column(corners[1]), column(corners[2])});
      ASSERT_EQ(maxRow - minRow, 1) << side;
      ASSERT_EQ(maxColumn - minColumn, 1) << side;
      std::sort(corners.begin(), corners.end());
      cells[{minRow, minColumn}].insert(corners);
    }
    ASSERT_EQ(cells.size(), size_t((side - 1) * (side - 1))) << side;
    for (const auto& [cell, triangles] : cells) {
      const auto [r, c] = cell;
      const int v00 = r * side + c;
      const int v01 = v00 + 1;
      const int v10 = v00 + side;
      const int v11 = v10 + 1;
      const std::set<std::vector<int>> expected =
          IsAntiDiagonalCell(c, r, side, side)
              ? std::set<std::vector<int>>{{v00, v01, v10}, {v01, v10, v11}}
              : std::set<std::vector<int>>{{v00, v01, v11}, {v00, v10, v11}};
      EXPECT_EQ(triangles, expected) << "side " << side << " cell " << r << ", " << c;
    }
  }
}

}  // namespace

namespace {

TEST(TerrainTexGenRandom, RunsFrom0To32767AndRepeatsFromItsSeed) {
  TexGenSeed(1);
  EXPECT_EQ(TexGenRandom(), 16838);  // the first number of the seed every run starts from
  std::vector<int32_t> first;
  TexGenSeed(7);
  for (int k = 0; k < 1000; ++k) first.push_back(TexGenRandom());
  EXPECT_LE(*std::max_element(first.begin(), first.end()), kTexGenRandomMax);
  EXPECT_GE(*std::min_element(first.begin(), first.end()), 0);
  EXPECT_GT(*std::max_element(first.begin(), first.end()), 30000);
  TexGenSeed(7);
  for (const int32_t value : first) ASSERT_EQ(TexGenRandom(), value);
  TexGenSeed(1);
}

}  // namespace
