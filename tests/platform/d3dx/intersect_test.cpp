#include "platform/d3dx/intersect.h"

#include <gtest/gtest.h>

namespace {

using namespace d3dx;

struct RayCase {
  const char* name;
  D3DXVECTOR3 start, direction;
  bool hit;
  float u, v, distance;
};

TEST(D3dxIntersectTri, HandComputedRays) {
  const D3DXVECTOR3 p0{0, 0, 0}, p1{1, 0, 0}, p2{0, 1, 0};
  const RayCase cases[] = {
      {"front, unit direction", {0.25f, 0.5f, -2}, {0, 0, 1}, true, 0.25f, 0.5f, 2},
      {"distance counts in direction lengths", {0.25f, 0.5f, -2}, {0, 0, 2}, true, 0.25f, 0.5f, 1},
      {"from behind", {0.5f, 0.25f, 3}, {0, 0, -1}, true, 0.5f, 0.25f, 3},
      {"slanted", {0, 0, -1}, {0.2f, 0.3f, 1}, true, 0.2f, 0.3f, 1},
      {"on a corner", {1, 0, -1}, {0, 0, 1}, true, 1, 0, 1},
      {"outside the hypotenuse", {0.6f, 0.6f, -1}, {0, 0, 1}, false, 0, 0, 0},
      {"outside u", {-0.1f, 0.5f, -1}, {0, 0, 1}, false, 0, 0, 0},
      {"pointing away", {0.25f, 0.25f, -1}, {0, 0, -1}, false, 0, 0, 0},
      {"parallel to the plane", {0.25f, 0.25f, -1}, {1, 0, 0}, false, 0, 0, 0},
      {"starting on the triangle", {0.25f, 0.25f, 0}, {0, 0, 1}, true, 0.25f, 0.25f, 0},
  };
  for (const RayCase& c : cases) {
    SCOPED_TRACE(c.name);
    float u = -1, v = -1, distance = -1;
    ASSERT_EQ(c.hit, D3DXIntersectTri(&p0, &p1, &p2, &c.start, &c.direction, &u, &v, &distance));
    if (!c.hit) {
      EXPECT_EQ(-1, distance) << "a miss leaves the outputs alone";
      continue;
    }
    EXPECT_NEAR(c.u, u, 1e-6);
    EXPECT_NEAR(c.v, v, 1e-6);
    EXPECT_NEAR(c.distance, distance, 1e-6);
  }
}

TEST(D3dxBoundProbes, SphereAndBoxAgainstHandComputedRays) {
  const D3DXVECTOR3 center{0, 0, 5};
  const D3DXVECTOR3 boxMin{-1, -1, 4}, boxMax{1, 1, 6};
  struct Case {
    const char* name;
    D3DXVECTOR3 start, direction;
    bool sphere, box;
  } const cases[] = {
      {"straight at it", {0, 0, 0}, {0, 0, 1}, true, true},
      {"straight away from it", {0, 0, 0}, {0, 0, -1}, false, false},
      {"starting inside", {0.2f, 0.1f, 5}, {1, 0, 0}, true, true},
      {"passing beside", {1.2f, 0, 0}, {0, 0, 1}, false, false},
      // Through the box's corner region, which the inscribed sphere does not fill.
      {"grazing a corner", {0.9f, 0.9f, 0}, {0, 0, 1}, false, true},
      {"diagonal hit", {-5, 0, 0}, {1, 0, 1}, true, true},
      {"already past", {0, 0, 10}, {0, 0, 1}, false, false},
      {"zero direction outside", {3, 0, 0}, {0, 0, 0}, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.sphere, D3DXSphereBoundProbe(&center, 1, &c.start, &c.direction));
    EXPECT_EQ(c.box, D3DXBoxBoundProbe(&boxMin, &boxMax, &c.start, &c.direction));
  }
}

}  // namespace
