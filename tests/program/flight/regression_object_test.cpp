#include "program/flight/regression_object.h"

#include <gtest/gtest.h>

#include <cmath>

#include "platform/win/raised_error.h"

namespace {

TEST(RegressionObject, FitsAQuadraticThroughThreePoints) {
  RegressionObject fit;
  EXPECT_EQ(fit.Degree(), 2);
  for (double x : {0.0, 1.0, 3.0}) fit.XYAdd(x, 1 + 2 * x + 3 * x * x);
  EXPECT_EQ(fit.XYCount(), 3);
  EXPECT_NEAR(fit.Coeff(0), 1.0, 1e-9);
  EXPECT_NEAR(fit.Coeff(1), 2.0, 1e-9);
  EXPECT_NEAR(fit.Coeff(2), 3.0, 1e-9);
  EXPECT_NEAR(fit.Coeff(-1), 2.0, 1e-9) << "a negative exponent names the same power";
  EXPECT_NEAR(fit.RegVal(2.0), 17.0, 1e-9);
}

TEST(RegressionObject, FewPointsLowerTheEffectiveDegree) {
  RegressionObject fit;
  EXPECT_EQ(fit.RegVal(5.0), 0.0);
  EXPECT_EQ(fit.Coeff(0), 0.0);
  fit.XYAdd(1.0, 3.0);
  fit.XYAdd(2.0, 5.0);
  EXPECT_NEAR(fit.Coeff(1), 2.0, 1e-9);
  EXPECT_EQ(fit.Coeff(2), 0.0);
  EXPECT_NEAR(fit.RegVal(10.0), 21.0, 1e-9);
}

TEST(RegressionObject, LeastSquaresLineThroughScatteredPoints) {
  RegressionObject fit;
  fit.Degree(1);
  const double points[][2] = {{1, 1}, {2, 3}, {3, 2}, {4, 4}};
  for (const auto& p : points) fit.XYAdd(p[0], p[1]);
  EXPECT_NEAR(fit.Coeff(1), 0.8, 1e-12);
  EXPECT_NEAR(fit.Coeff(0), 0.5, 1e-12);
  fit.XYAdd(5, 5);
  EXPECT_NEAR(fit.Coeff(1), 0.9, 1e-12) << "a point added after solving refits";
}

TEST(RegressionObject, InvalidDegreeRaisesAndChangesNothing) {
  RegressionObject fit;
  fit.XYAdd(1, 1);
  try {
    fit.Degree(26);
    FAIL() << "no error raised";
  } catch (const win::RaisedError& error) {
    EXPECT_EQ(error.Number(), 6000);
    EXPECT_EQ(error.Source(), "RegressionObject");
    EXPECT_EQ(error.Description(), "26 is an invalid property value! Use 0<= Degree <= 25");
  }
  EXPECT_THROW(fit.Degree(-1), win::RaisedError);
  EXPECT_EQ(fit.Degree(), 2);
  EXPECT_EQ(fit.XYCount(), 1);
  fit.Degree(3);
  EXPECT_EQ(fit.Degree(), 3);
  EXPECT_EQ(fit.XYCount(), 0) << "setting the degree drops the points";
}

TEST(RegressionObject, SingularSystemGivesAFiniteFit) {
  // Every point at one x: the slope is undetermined, the level is the mean of y.
  for (double x : {3.0, 0.1, 0.0}) {
    RegressionObject fit;
    for (double y : {1.0, 2.0, 6.0}) fit.XYAdd(x, y);
    for (int k = 0; k <= 2; ++k)
      EXPECT_TRUE(std::isfinite(fit.Coeff(k))) << "x " << x << " power " << k;
    EXPECT_NEAR(fit.RegVal(x), 3.0, 1e-9) << x;
  }
  // Two distinct x with degree 2 and four points: the line through the two means.
  RegressionObject fit;
  for (auto [x, y] : {std::pair{1.0, 1.0}, {1.0, 3.0}, {2.0, 5.0}, {2.0, 7.0}}) fit.XYAdd(x, y);
  EXPECT_NEAR(fit.RegVal(1.0), 2.0, 1e-9);
  EXPECT_NEAR(fit.RegVal(2.0), 6.0, 1e-9);
}

}  // namespace
