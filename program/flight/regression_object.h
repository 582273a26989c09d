// A least-squares polynomial fit of y on x, of degree 0 to 25, built up one point at a time.
//
// The fit solves the normal equations by Gaussian elimination with partial pivoting. A system
// without a unique solution (all points at one x with a degree of 1 or more, for instance) still
// gives a finite fit: a coefficient that the points cannot determine is set to 0 and the others
// fit the points as well as they can without it.
#pragma once

#include <array>
#include <cstdint>

class RegressionObject {
 public:
  static constexpr int32_t MaxDegree = 25;

  RegressionObject() { Init(); }

  // Drops all points and the coefficients; the degree stays.
  void Init();
  // The coefficient of x to the power |exponent|; 0 above the effective degree.
  double Coeff(int32_t exponent);
  int32_t Degree() const { return degree_; }
  // Drops all points and sets the degree. A degree outside 0 to 25 raises win::RaisedError 6000
  // from "RegressionObject" and changes nothing.
  void Degree(int32_t value);
  int32_t XYCount() const;
  void XYAdd(double x, double y);
  // The fitted polynomial at x; 0 with no points.
  double RegVal(double x);

 private:
  // Degree, or one less than the number of points when there are not more points than that.
  int32_t EffectiveDegree() const;
  void Solve();

  int32_t degree_ = 2;
  bool solved_ = false;
  std::array<double, 2 * MaxDegree + 1>
      sumX_{};                                 // sumX_[k]: sum of x^k; sumX_[0] is the point count
  std::array<double, MaxDegree + 1> sumXY_{};  // sumXY_[k]: sum of y x^k
  std::array<double, MaxDegree + 1> coefficients_{};
  std::array<std::array<double, MaxDegree + 2>, MaxDegree + 1>
      matrix_{};  // augmented normal equations
};
