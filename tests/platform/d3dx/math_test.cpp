#include "platform/d3dx/math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using namespace d3dx;

constexpr float kHalfPi = std::numbers::pi_v<float> / 2;
constexpr float kTolerance = 1e-5f;

void ExpectNear(const D3DXVECTOR3& expected, const D3DXVECTOR3& actual) {
  EXPECT_NEAR(expected.x, actual.x, kTolerance);
  EXPECT_NEAR(expected.y, actual.y, kTolerance);
  EXPECT_NEAR(expected.z, actual.z, kTolerance);
}

void ExpectNear(const D3DXMATRIX& expected, const D3DXMATRIX& actual) {
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 4; ++column) {
      EXPECT_NEAR(expected(row, column), actual(row, column), kTolerance) << row << "," << column;
    }
  }
}

// Quaternions q and -q are the same rotation.
void ExpectSameRotation(const D3DXQUATERNION& expected, const D3DXQUATERNION& actual) {
  float sign = D3DXQuaternionDot(&expected, &actual) < 0 ? -1.0f : 1.0f;
  EXPECT_NEAR(expected.x, sign * actual.x, kTolerance);
  EXPECT_NEAR(expected.y, sign * actual.y, kTolerance);
  EXPECT_NEAR(expected.z, sign * actual.z, kTolerance);
  EXPECT_NEAR(expected.w, sign * actual.w, kTolerance);
}

D3DXVECTOR3 TransformCoord(const D3DXVECTOR3& v, const D3DXMATRIX& m) {
  D3DXVECTOR3 out;
  return *D3DXVec3TransformCoord(&out, &v, &m);
}

TEST(D3dxVectors, BasicsAndZeroNormalisation) {
  D3DXVECTOR3 a{1, 2, 2}, b{0, 1, 0}, out;
  EXPECT_FLOAT_EQ(3, D3DXVec3Length(&a));
  EXPECT_FLOAT_EQ(2, D3DXVec3Dot(&a, &b));
  D3DXVECTOR3 x{1, 0, 0}, y{0, 1, 0};
  ExpectNear({0, 0, 1}, *D3DXVec3Cross(&out, &x, &y));
  ExpectNear({1 / 3.0f, 2 / 3.0f, 2 / 3.0f}, *D3DXVec3Normalize(&out, &a));
  D3DXVECTOR3 zero{};
  ExpectNear({0, 0, 0}, *D3DXVec3Normalize(&out, &zero));
  ExpectNear({0.5f, 1.5f, 1}, *D3DXVec3Lerp(&out, &a, &b, 0.5f));
}

TEST(D3dxMatrices, RowVectorsWithTranslationInTheFourthRow) {
  D3DXMATRIX rotate, move;
  D3DXMatrixRotationY(&rotate, kHalfPi);
  D3DXMatrixTranslation(&move, 10, 0, 0);
  EXPECT_EQ(10, move(3, 0));
  // Rotate first, then move: +x turns to -z (left-handed, clockwise seen from +y).
  ExpectNear({10, 0, -1}, TransformCoord({1, 0, 0}, rotate * move));
  ExpectNear({0, 0, -11}, TransformCoord({1, 0, 0}, move * rotate));

  D3DXVECTOR3 normal, direction{1, 0, 0};
  ExpectNear({1, 0, 0}, *D3DXVec3TransformNormal(&normal, &direction, &move));
}

TEST(D3dxMatrices, RotationsAboutEachAxis) {
  D3DXMATRIX m;
  ExpectNear({0, 0, 1}, TransformCoord({0, 1, 0}, *D3DXMatrixRotationX(&m, kHalfPi)));
  ExpectNear({0, 1, 0}, TransformCoord({1, 0, 0}, *D3DXMatrixRotationZ(&m, kHalfPi)));
  D3DXVECTOR3 axis{0, 0, 3};
  D3DXMATRIX z;
  ExpectNear(*D3DXMatrixRotationZ(&z, 0.7f), *D3DXMatrixRotationAxis(&m, &axis, 0.7f));
  // Roll, then pitch, then yaw.
  D3DXMATRIX x, y;
  D3DXMatrixRotationYawPitchRoll(&m, 0.3f, 0.5f, 0.7f);
  ExpectNear(*D3DXMatrixRotationZ(&z, 0.7f) * *D3DXMatrixRotationX(&x, 0.5f) *
                 *D3DXMatrixRotationY(&y, 0.3f),
             m);
}

TEST(D3dxMatrices, InverseDeterminantAndTranspose) {
  D3DXMATRIX scale, rotate, move, m, inverse, identity;
  D3DXMatrixScaling(&scale, 2, 3, 4);
  EXPECT_FLOAT_EQ(24, D3DXMatrixDeterminant(&scale));
  m = scale * *D3DXMatrixRotationYawPitchRoll(&rotate, 0.2f, -0.4f, 1.1f) *
      *D3DXMatrixTranslation(&move, 5, -6, 7);
  float determinant = 0;
  ASSERT_EQ(&inverse, D3DXMatrixInverse(&inverse, &determinant, &m));
  EXPECT_NEAR(24, determinant, 1e-4);
  ExpectNear(*D3DXMatrixIdentity(&identity), m * inverse);

  D3DXMATRIX singular;
  D3DXMatrixScaling(&singular, 1, 0, 1);
  D3DXMATRIX untouched = scale;
  EXPECT_EQ(nullptr, D3DXMatrixInverse(&untouched, &determinant, &singular));
  EXPECT_EQ(0, determinant);
  EXPECT_EQ(scale, untouched);

  D3DXMATRIX tiny, tinyInverse;
  D3DXMatrixScaling(&tiny, 1e-4f, 1e-4f, 1e-4f);
  ASSERT_NE(nullptr, D3DXMatrixInverse(&tinyInverse, nullptr, &tiny));
  EXPECT_NEAR(1e4f, tinyInverse(0, 0), 1);

  D3DXMATRIX transposed;
  D3DXMatrixTranspose(&transposed, &move);
  EXPECT_EQ(5, transposed(0, 3));
  EXPECT_TRUE(D3DXMatrixIsIdentity(&identity));
  EXPECT_FALSE(D3DXMatrixIsIdentity(&transposed));
}

TEST(D3dxMatrices, ViewAndProjections) {
  D3DXVECTOR3 eye{0, 0, -5}, at{0, 0, 0}, up{0, 1, 0};
  D3DXMATRIX view;
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  ExpectNear({0, 0, 5}, TransformCoord({0, 0, 0}, view));
  ExpectNear({1, 0, 5}, TransformCoord({1, 0, 0}, view));

  // Looking down from above, world +z becomes view up.
  D3DXVECTOR3 above{0, 10, 0}, north{0, 0, 1};
  D3DXMatrixLookAtLH(&view, &above, &at, &north);
  ExpectNear({0, 1, 10}, TransformCoord({0, 0, 1}, view));

  D3DXMATRIX projection;
  D3DXMatrixPerspectiveFovLH(&projection, kHalfPi, 2.0f, 1.0f, 101.0f);
  ExpectNear({0, 0, 0}, TransformCoord({0, 0, 1}, projection));
  ExpectNear({0, 0, 1}, TransformCoord({0, 0, 101}, projection));
  // A 90 degree field of view puts y = z on the top edge; the aspect narrows x; depth 2 of 1..101
  // maps to (2 - 1) * 101 / 100 / 2.
  ExpectNear({0.5f, 1, 0.505f}, TransformCoord({2, 2, 2}, projection));

  D3DXMatrixOrthoLH(&projection, 8, 4, 1, 3);
  ExpectNear({1, -1, 1}, TransformCoord({4, -2, 3}, projection));
  ExpectNear({0, 0, 0}, TransformCoord({0, 0, 1}, projection));
}

TEST(D3dxMatrices, TransformationComposesScaleRotationAndTranslation) {
  D3DXVECTOR3 scaling{2, 2, 2}, center{1, 0, 0}, translation{0, 0, 5};
  D3DXQUATERNION rotation;
  D3DXVECTOR3 zAxis{0, 0, 1};
  D3DXQuaternionRotationAxis(&rotation, &zAxis, kHalfPi);
  D3DXMATRIX m;
  D3DXMatrixTransformation(&m, nullptr, nullptr, &scaling, &center, &rotation, &translation);
  // (1,0,0) scales to (2,0,0), turns about (1,0,0) to (1,1,0), then moves to (1,1,5).
  ExpectNear({1, 1, 5}, TransformCoord({1, 0, 0}, m));
  D3DXMATRIX affine;
  D3DXMatrixAffineTransformation(&affine, 2, &center, &rotation, &translation);
  ExpectNear(m, affine);
  // Scaling about a centre along turned axes.
  D3DXVECTOR3 stretchX{3, 1, 1}, scalingCenter{1, 1, 0};
  D3DXMatrixTransformation(&m, &scalingCenter, &rotation, &stretchX, nullptr, nullptr, nullptr);
  // The scaling axes are turned so that their x points along world y.
  ExpectNear({1, 4, 0}, TransformCoord({1, 2, 0}, m));
  ExpectNear({2, 1, 0}, TransformCoord({2, 1, 0}, m));
}

TEST(D3dxQuaternions, AgreeWithMatrices) {
  D3DXVECTOR3 axis{1, 2, -1};
  D3DXQUATERNION q;
  D3DXMATRIX fromQuaternion, fromAxis;
  D3DXQuaternionRotationAxis(&q, &axis, 1.2f);
  ExpectNear(*D3DXMatrixRotationAxis(&fromAxis, &axis, 1.2f),
             *D3DXMatrixRotationQuaternion(&fromQuaternion, &q));

  D3DXQUATERNION back;
  ExpectSameRotation(q, *D3DXQuaternionRotationMatrix(&back, &fromQuaternion));
  // Half turns, where the trace is at its lowest, for each axis.
  for (D3DXVECTOR3 halfTurnAxis :
       {D3DXVECTOR3{1, 0, 0}, D3DXVECTOR3{0, 1, 0}, D3DXVECTOR3{0, 0, 1}}) {
    D3DXQuaternionRotationAxis(&q, &halfTurnAxis, 2 * kHalfPi);
    ExpectSameRotation(
        q, *D3DXQuaternionRotationMatrix(&back, D3DXMatrixRotationQuaternion(&fromQuaternion, &q)));
  }

  D3DXMATRIX ypr;
  D3DXQuaternionRotationYawPitchRoll(&q, 0.3f, -0.6f, 1.4f);
  ExpectNear(*D3DXMatrixRotationYawPitchRoll(&ypr, 0.3f, -0.6f, 1.4f),
             *D3DXMatrixRotationQuaternion(&fromQuaternion, &q));
}

TEST(D3dxQuaternions, MultiplyAppliesTheFirstRotationFirst) {
  D3DXVECTOR3 xAxis{1, 0, 0}, yAxis{0, 1, 0};
  D3DXQUATERNION first, second, both;
  D3DXQuaternionRotationAxis(&first, &xAxis, 0.4f);
  D3DXQuaternionRotationAxis(&second, &yAxis, 1.1f);
  D3DXQuaternionMultiply(&both, &first, &second);
  D3DXMATRIX a, b, product;
  ExpectNear(*D3DXMatrixRotationQuaternion(&a, &first) * *D3DXMatrixRotationQuaternion(&b, &second),
             *D3DXMatrixRotationQuaternion(&product, &both));

  D3DXQUATERNION inverse, identity, undone;
  D3DXQuaternionInverse(&inverse, &both);
  ExpectSameRotation(*D3DXQuaternionIdentity(&identity),
                     *D3DXQuaternionMultiply(&undone, &both, &inverse));
  D3DXQUATERNION zero{0, 0, 0, 0};
  EXPECT_EQ(nullptr, D3DXQuaternionInverse(&inverse, &zero));
}

TEST(D3dxQuaternions, SlerpTakesTheShorterArc) {
  D3DXVECTOR3 zAxis{0, 0, 1};
  D3DXQUATERNION start, end, half, expected;
  D3DXQuaternionIdentity(&start);
  D3DXQuaternionRotationAxis(&end, &zAxis, kHalfPi);
  D3DXQuaternionRotationAxis(&expected, &zAxis, kHalfPi / 2);
  ExpectSameRotation(expected, *D3DXQuaternionSlerp(&half, &start, &end, 0.5f));
  D3DXQUATERNION negated{-end.x, -end.y, -end.z, -end.w};
  ExpectSameRotation(expected, *D3DXQuaternionSlerp(&half, &start, &negated, 0.5f));
  ExpectSameRotation(start, *D3DXQuaternionSlerp(&half, &start, &end, 0));
  ExpectSameRotation(start, *D3DXQuaternionSlerp(&half, &start, &start, 0.3f));
}

TEST(D3dxQuaternions, SquadPassesThroughItsKeys) {
  D3DXVECTOR3 axis{0, 1, 0}, tilted{1, 1, 0};
  D3DXQUATERNION keys[4];
  D3DXQuaternionRotationAxis(&keys[0], &axis, 0.0f);
  D3DXQuaternionRotationAxis(&keys[1], &axis, 0.5f);
  D3DXQuaternionRotationAxis(&keys[2], &tilted, 1.0f);
  D3DXQuaternionRotationAxis(&keys[3], &axis, 1.5f);
  // A key stored on the far hemisphere is turned back before use.
  keys[2] = {-keys[2].x, -keys[2].y, -keys[2].z, -keys[2].w};
  D3DXQUATERNION a, b, c, q;
  D3DXQuaternionSquadSetup(&a, &b, &c, &keys[0], &keys[1], &keys[2], &keys[3]);
  EXPECT_GT(D3DXQuaternionDot(&keys[1], &c), 0);
  ExpectSameRotation(keys[1], *D3DXQuaternionSquad(&q, &keys[1], &a, &b, &c, 0));
  ExpectSameRotation(keys[2], *D3DXQuaternionSquad(&q, &keys[1], &a, &b, &c, 1));

  // Along one axis squad is plain slerp: the inner points lie on the same great circle.
  D3DXQUATERNION even[4];
  for (int i = 0; i < 4; ++i)
    D3DXQuaternionRotationAxis(&even[i], &axis, 0.5f * static_cast<float>(i));
  D3DXQuaternionSquadSetup(&a, &b, &c, &even[0], &even[1], &even[2], &even[3]);
  D3DXQUATERNION expected;
  D3DXQuaternionRotationAxis(&expected, &axis, 0.75f);
  ExpectSameRotation(expected, *D3DXQuaternionSquad(&q, &even[1], &a, &b, &c, 0.5f));
}

TEST(D3dxPlanes, ConstructionNormalisationAndIntersection) {
  D3DXVECTOR3 origin{0, 0, 0}, front{0, 0, 1}, right{1, 0, 0};
  D3DXPLANE ground;
  D3DXPlaneFromPoints(&ground, &origin, &front, &right);
  EXPECT_NEAR(0, ground.a, kTolerance);
  EXPECT_NEAR(1, ground.b, kTolerance);
  EXPECT_NEAR(0, ground.d, kTolerance);

  D3DXVECTOR3 point{0, 3, 0}, normal{0, 2, 0}, probe{7, 5, -1};
  D3DXPLANE raised, unit;
  D3DXPlaneFromPointNormal(&raised, &point, &normal);
  EXPECT_FLOAT_EQ(4, D3DXPlaneDotCoord(&raised, &probe));
  D3DXPlaneNormalize(&unit, &raised);
  EXPECT_FLOAT_EQ(1, unit.b);
  EXPECT_FLOAT_EQ(-3, unit.d);
  EXPECT_FLOAT_EQ(2, D3DXPlaneDotCoord(&unit, &probe));
  D3DXVECTOR4 homogeneous{7, 5, -1, 0};
  EXPECT_FLOAT_EQ(5, D3DXPlaneDot(&unit, &homogeneous));

  D3DXVECTOR3 above{1, 2, 3}, below{1, -2, 3}, hit;
  ASSERT_NE(nullptr, D3DXPlaneIntersectLine(&hit, &ground, &above, &below));
  ExpectNear({1, 0, 3}, hit);
  D3DXVECTOR3 level{5, 2, 3};
  EXPECT_EQ(nullptr, D3DXPlaneIntersectLine(&hit, &ground, &above, &level));
}

TEST(D3dxPlanes, TransformTakesTheInverseTranspose) {
  D3DXPLANE ground{0, 1, 0, 0}, moved;
  D3DXMATRIX lift, inverse, inverseTranspose;
  D3DXMatrixTranslation(&lift, 0, 5, 0);
  D3DXMatrixInverse(&inverse, nullptr, &lift);
  D3DXMatrixTranspose(&inverseTranspose, &inverse);
  D3DXPlaneTransform(&moved, &ground, &inverseTranspose);
  EXPECT_NEAR(1, moved.b, kTolerance);
  EXPECT_NEAR(-5, moved.d, kTolerance);
}

TEST(D3dxColors, PackedRoundTripAndArithmetic) {
  D3DXCOLOR c(0x80FF4000u);
  EXPECT_FLOAT_EQ(1, c.r);
  EXPECT_NEAR(0.25f, c.g, 0.01f);
  EXPECT_EQ(0x80FF4000u, c.ToArgb());
  EXPECT_EQ(0xFF000000u, D3DXCOLOR(-1, -2, 0, 7).ToArgb());
  D3DXCOLOR white(1, 1, 1, 1), black(0, 0, 0, 1), out;
  EXPECT_EQ(0xFF808080u, D3DXColorLerp(&out, &black, &white, 0.5f)->ToArgb());
  EXPECT_EQ(0x80FF4000u, D3DXColorModulate(&out, &c, &white)->ToArgb());
  EXPECT_EQ(0x8000BFFFu, D3DXColorNegative(&out, &c)->ToArgb());
}

}  // namespace
