// The edge list of shadow volumes, which no export shows.
#include <gtest/gtest.h>

#include "library/core/geometry/shadow_volume.h"
#include "library/core/vortanautil.h"
#include "tests/library/core/shadow_box.h"

namespace {

class ShadowEdges : public ::testing::Test {
 protected:
  void TearDown() override { ShadowVolume_FreeAll(); }
};

TEST_F(ShadowEdges, EveryEdgeOfAClosedBoxHasTheMatchingEdgeOfItsNeighbourFace) {
  const ShadowBox box = MakeShadowBox();
  ASSERT_EQ(ShadowVolume_Create(0), 1);
  ASSERT_EQ(ShadowVolume_InitShadowFromPointers(0, box.corners.data(), sizeof(d3d::D3DVECTOR), 8,
                                                box.indices.data(), 36, 0),
            1);
  const ShadowVolumeRecord& volume = ShadowVolumeTable[0];
  ASSERT_EQ(volume.edgeCount, 36);
  for (const ShadowEdge& edge : volume.edges) {
    SCOPED_TRACE(edge.index);
    ASSERT_NE(edge.neighbour, kNoNeighbourEdge);
    const ShadowEdge& other = volume.edges[static_cast<size_t>(edge.neighbour)];
    EXPECT_EQ(other.neighbour, edge.index);
    EXPECT_NE(other.index / 3, edge.index / 3);
    // A closed, consistently wound surface runs each shared edge the other way round.
    EXPECT_EQ(other.a, edge.b);
    EXPECT_EQ(other.b, edge.a);
  }
  // Face planes (v1 - v0) x (v2 - v0) point outwards: d = -(normal . v0) is negative.
  for (size_t face = 0; face < 12; ++face) EXPECT_LT(volume.planes[face * 4 + 3], 0.0f);
}

TEST_F(ShadowEdges, AnEdgeSharedByThreeFacesPairsWithTheFirstEarlierOne) {
  // Three triangles on the edge (0, 1): the second and the third each find the first, as a search
  // in order would, and the first keeps the last that found it.
  const d3d::D3DVECTOR points[5] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}};
  const uint16_t indices[9] = {0, 1, 2, 1, 0, 3, 0, 1, 4};
  ShadowVolume_Create(0);
  ASSERT_EQ(
      ShadowVolume_InitShadowFromPointers(0, points, sizeof(d3d::D3DVECTOR), 5, indices, 9, 0), 1);
  const auto& edges = ShadowVolumeTable[0].edges;
  EXPECT_EQ(edges[3].neighbour, 0);
  EXPECT_EQ(edges[6].neighbour, 0);
  EXPECT_EQ(edges[0].neighbour, 6);
  EXPECT_EQ(edges[1].neighbour, kNoNeighbourEdge);
}

}  // namespace
