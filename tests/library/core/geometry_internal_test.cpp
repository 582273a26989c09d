// The trigonometry tables and quaternion routines the model families use, and the frustum test of
// the rendering families, linked in directly.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "library/core/geometry/frustum.h"
#include "library/core/geometry/maths.h"
#include "library/core/vortanautil.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
// Half a table step in each of three half angles, as quaternion components.
constexpr float kTablePrecision = 0.005f;

// The quaternion of the same formula with exact sines and cosines.
d3dx::D3DXQUATERNION Exact(float x, float y, float z) {
  const float cx = std::cos(x / 2), sx = std::sin(x / 2);
  const float cy = std::cos(y / 2), sy = std::sin(y / 2);
  const float cz = std::cos(z / 2), sz = std::sin(z / 2);
  return {sx * cy * cz - cx * sy * sz, cx * sy * cz + sx * cy * sz, cx * cy * sz - sx * sy * cz,
          cx * cy * cz + sx * sy * sz};
}

TEST(TrigTables, ReadyAtLoadWithTheirCentreAtAngleZero) {
  ASSERT_NE(TrigTables.cosineCentre, nullptr);
  EXPECT_EQ(TrigTables.cosineCentre[0], 1.0f);
  EXPECT_EQ(TrigTables.sineCentre[0], 0.0f);
  EXPECT_NEAR(TrigTables.cosineCentre[-1000], -1.0f, 1e-6f);
  EXPECT_NEAR(TrigTables.sineCentre[500], 1.0f, 1e-6f);
}

TEST(TrigTables, EulerToQuaternionWithinTablePrecisionAcrossTwoTurns) {
  const float cases[][3] = {{0, 0, 0},           {0.3f, -0.4f, 0.5f}, {1.5f, 2.5f, -3.0f},
                            {2 * kPi, 0, 0},     {0, -2 * kPi, 0},    {0, 0, 2 * kPi},
                            {-6.0f, 6.0f, 3.1f}, {kPi, -kPi, kPi}};
  for (const auto& angles : cases) {
    d3dx::D3DXQUATERNION q;
    Maths_EulerToQuaternion(angles[0], angles[1], angles[2], &q);
    const d3dx::D3DXQUATERNION expected = Exact(angles[0], angles[1], angles[2]);
    EXPECT_NEAR(q.x, expected.x, kTablePrecision) << angles[0] << angles[1] << angles[2];
    EXPECT_NEAR(q.y, expected.y, kTablePrecision) << angles[0] << angles[1] << angles[2];
    EXPECT_NEAR(q.z, expected.z, kTablePrecision) << angles[0] << angles[1] << angles[2];
    EXPECT_NEAR(q.w, expected.w, kTablePrecision) << angles[0] << angles[1] << angles[2];
  }
}

TEST(TrigTables, EulerAnglesSurviveTheRoundTripThroughAQuaternion) {
  d3dx::D3DXQUATERNION q;
  Maths_EulerToQuaternion(0.3f, -0.4f, 0.5f, &q);
  d3d::D3DVECTOR angles{};
  MakeEulerAnglesFromQ(&q, &angles);
  EXPECT_NEAR(angles.x, 0.3f, 0.01f);
  EXPECT_NEAR(angles.y, -0.4f, 0.01f);
  EXPECT_NEAR(angles.z, 0.5f, 0.01f);
}

TEST(FrustumTest, SpheresInWorldSpaceWithoutAMatrix) {
  // Only the plane x = 0, facing +x; the other five pass everything.
  for (d3dx::D3DXPLANE& plane : FrustumPlanes) plane = {0, 0, 0, 1000};
  FrustumPlanes[4] = {1, 0, 0, 0};
  const d3d::D3DVECTOR near{-35, 0, 0}, beyond{-35.5f, 0, 0};
  EXPECT_EQ(Frustum_IsSphereVisible(&near, 5, nullptr), 1);
  EXPECT_EQ(Frustum_IsSphereVisible(&beyond, 5, nullptr), 0);
}

}  // namespace
