#include "program/flight/flight_maths.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

constexpr float Pi = std::numbers::pi_v<float>;

TEST(ArcFunctions, KeepTheirValuesAtAndBeyondTheEnds) {
  const struct {
    float x;
    float arcCos;
    float arcSin;
  } cases[] = {{1.0f, 0.0f, 0.0f},           {0.0f, Pi / 2, 0.0f}, {0.5f, Pi / 3, Pi / 6},
               {-0.5f, 2 * Pi / 3, -Pi / 6}, {-1.0f, 0.0f, 0.0f},  {-2.0f, 0.0f, 0.0f},
               {2.0f, 0.0f, 0.0f},           {NAN, 0.0f, 0.0f}};
  for (const auto& c : cases) {
    EXPECT_FLOAT_EQ(ArcCos(c.x), c.arcCos) << c.x;
    EXPECT_FLOAT_EQ(ArcSin(c.x), c.arcSin) << c.x;
  }
}

TEST(AngleUnits, OneTurnAndTheHalfTurnBoundary) {
  EXPECT_FLOAT_EQ(RadToDeg360(-Pi / 2), 270.0f);
  EXPECT_EQ(RadToDeg360(TwoPiSingle), 0.0f) << "the float form of 2 pi gives exactly 360";
  EXPECT_FLOAT_EQ(RadToDeg360(Pi), 180.0f);
  EXPECT_LT(RadToDeg360(-7.0f), 0.0f) << "only one turn is added";
  EXPECT_FLOAT_EQ(DegToRad(270.0f), -Pi / 2);
  EXPECT_FLOAT_EQ(DegToRad(180.0f), Pi);
  EXPECT_FLOAT_EQ(DegToRad(-90.0f), -Pi / 2);
}

TEST(LerpVector, ClampsTheCallersFraction) {
  const Vector3 from{0.0f, 10.0f, -4.0f};
  const Vector3 to{10.0f, 20.0f, 4.0f};
  const struct {
    float t;
    float clamped;
    float x;
  } cases[] = {{0.25f, 0.25f, 2.5f}, {-1.0f, 0.0f, 0.0f}, {3.0f, 1.0f, 10.0f}};
  for (const auto& c : cases) {
    float t = c.t;
    Vector3 v = LerpVector(from, to, t);
    EXPECT_EQ(t, c.clamped);
    EXPECT_FLOAT_EQ(v.x, c.x);
    EXPECT_FLOAT_EQ(v.y, 10.0f + 10.0f * c.clamped);
    EXPECT_FLOAT_EQ(v.z, -4.0f + 8.0f * c.clamped);
  }
}

TEST(ComputeEulerAngles, LevelAttitude) {
  float p = -1, q = -1, r = -1;
  ComputeEulerAngles(0.0f, 0.0f, 0.0f, p, q, r);
  EXPECT_EQ(q, 0.0f);
  // 2 pi less ArcSin(0) is the short form, whose float equals the float bound and so stays.
  EXPECT_EQ(r, static_cast<float>(TwoPiShort));
  // -2 pi is brought up by one turn only to the float nearest the difference of the two forms.
  EXPECT_EQ(p, static_cast<float>(static_cast<float>(-TwoPi) + TwoPi));
}

TEST(ComputeEulerAngles, TiltedAttitudeByHand) {
  const double a = 0.3f, b = 1.0f,
               c = 0.2f;  // the float angles, widened as the conversion widens them
  float p, q, r;
  ComputeEulerAngles(0.3f, 1.0f, 0.2f, p, q, r);
  const float qExpected =
      static_cast<float>(std::asin(static_cast<float>(std::sin(a) * std::cos(c))));
  EXPECT_EQ(q, qExpected);
  // 2 pi less a negative arc sine exceeds the float bound and comes down one turn.
  const float arcSin =
      static_cast<float>(std::asin(static_cast<float>(-std::sin(c) / std::cos(double{qExpected}))));
  const float rBeforeReduction = static_cast<float>(TwoPiShort - arcSin);
  EXPECT_GT(rBeforeReduction, TwoPiSingle);
  EXPECT_EQ(r, static_cast<float>(rBeforeReduction - TwoPi));
  // -2 pi - (1 - 0.2 sin 0.2 / 5) is below 0, and one turn up leaves it negative.
  EXPECT_EQ(p,
            static_cast<float>(static_cast<float>(-TwoPi - (b - c * std::sin(c) / 5.0)) + TwoPi));
  EXPECT_LT(p, 0.0f);
}

TEST(ConvertAttitudeAngles, AnglesLieBetweenMinusPiAndPi) {
  float first = 9, second = 9, third = 9;
  ConvertAttitudeAngles(first, second, third, 0.0f, 0.0f, 0.0f);
  // u and w are the short form of 2 pi as a float, which equals the float bound and so stays;
  // brought into -pi to pi by the long form, they keep the small difference of the forms.
  const float u = static_cast<float>(static_cast<float>(TwoPiShort) - TwoPi);
  EXPECT_GT(u, 0.0f);
  EXPECT_EQ(third, u);
  EXPECT_EQ(first, u);
  EXPECT_NEAR(second, 0.0f, 1e-6f);

  const double a = 0.5f, b = 0.4f,
               c = 0.3f;  // the float angles, widened as the conversion widens them
  ConvertAttitudeAngles(first, second, third, 0.5f, 0.4f, 0.3f);
  const float uTurned =
      static_cast<float>(TwoPiShort - std::asin(static_cast<float>(-std::cos(b) * std::sin(c))));
  ASSERT_GT(uTurned, TwoPiSingle);
  const float u2 = static_cast<float>(uTurned - TwoPiShort);
  EXPECT_EQ(third, u2);
  EXPECT_EQ(second, static_cast<float>(a + u2 * std::sin(static_cast<double>(u2)) / 5.0));
  const float wTurned =
      static_cast<float>(std::asin(static_cast<float>(std::sin(b) / std::cos(u2))) + TwoPiShort);
  EXPECT_EQ(first, static_cast<float>(wTurned - TwoPiShort));
  for (float angle : {first, second, third}) {
    EXPECT_GT(angle, -Pi);
    EXPECT_LE(angle, Pi);
  }
}

}  // namespace
